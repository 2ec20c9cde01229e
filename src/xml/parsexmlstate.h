// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// "parseXml": parses the text in "xmlContent" and hands the document on as a CXPathNode in
// the object property "xmlDocument"; a text that does not parse leaves with "invalid" and the
// parser's message in "error". Finishes inside enter().
class CParseXmlState : public CState {
    Q_OBJECT
public:
    CParseXmlState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
};
