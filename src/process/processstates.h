// SPDX-License-Identifier: MIT
#pragma once
// The process states. Each owns its action, which runs on a worker thread, and leaves with
// "success" for a program that ended (or started, without a time-out), "timeout" when the
// time-out passed first, "failed" otherwise. "returnCode" holds the exit code that was read.
#include "actions/actionstate.h"

// "startProcess": starts "command" with "argumentList", or waits for it when a program of that
// file name runs already.
class CStartProcessState : public CActionState {
    Q_OBJECT
public:
    CStartProcessState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    // Removes the "returnCode" of an earlier entry before the job starts.
    void enter() override;

public Q_SLOTS:
    void slot_actionFinished(int result) override;
};

// "stopProcess": stops the running program of the file name of "command".
class CStopProcessState : public CStartProcessState {
    Q_OBJECT
public:
    CStopProcessState(QObject* parent, const char* name, const QDomNode& element);
};

// "startInstallShield7": starts a setup engine and waits for the process it hands over to.
class CStartInstallShield7State : public CStartProcessState {
    Q_OBJECT
public:
    CStartInstallShield7State(QObject* parent, const char* name, const QDomNode& element);
};
