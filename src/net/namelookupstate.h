// SPDX-License-Identifier: MIT
#pragma once
#include "actions/action.h"
#include "actions/actionstate.h"

// The action of "nameLookup": on the worker thread, looks up "hostName" (all its addresses,
// joined with "; ") or, without a name, the name of "address". "result" holds the answer;
// the job's result is the resolver's code.
class CActionNameLookup : public CThreadedAction {
    Q_OBJECT
public:
    CActionNameLookup(QObject* parent, const char* name);
    ~CActionNameLookup() override;

    // Drops the answer of an earlier entry, so a failed look-up never shows it.
    void reset() override;
    void abort() override;

protected:
    int doAction() override;
};

// "nameLookup": leaves with "success" or "failed".
class CNameLookupState : public CActionState {
    Q_OBJECT
public:
    CNameLookupState(QObject* parent, const char* name, const QDomNode& element);
    // The job reads this state's properties: it ends before the state is taken apart.
    ~CNameLookupState() override;

    void initialize() override;
};
