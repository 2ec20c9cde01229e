// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"

// "getInterfaceList": lists the machine's interfaces whose description matches "filter" (a
// regular expression), whose type word occurs in "type" and whose gateways contain
// "gateway". Stores "interfaceCount" and "interfaceList" (an object with one interface object
// per interface, named after its id) and leaves with "noneFound", "singleFound" or
// "multipleFound", all within enter.
class CGetInterfaceListState : public CState {
    Q_OBJECT
public:
    CGetInterfaceListState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
};
