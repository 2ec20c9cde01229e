// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// "xmlFindNodes": evaluates the node path in "path" from the CXPathNode in "node" and hands
// the nodes found on in the object property "nodeList" (entries named tag name + position).
// Leaves with "noFound", "singleFound" or "multipleFound"; finishes inside enter().
class CXmlFindNodesState : public CState {
    Q_OBJECT
public:
    CXmlFindNodesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
};
