#pragma once
#include "answers.h"
#include "exitstatus.h"

#include <QString>
#include <QStringList>

class CFsm;

// How a host judges and drives an unattended run: which exit events count as failures, whether
// a page without an answer fails the run (the page state asks PageHost), and the scripted
// answers. Shared by every host.
struct RunPolicy {
    QStringList failOn; // root exit events named on the command line
    bool unattended = false;
    AnswerBook answers;

    // Adds a "--fail-on" value: exit events separated by ","; false when one is empty.
    bool addFailOn(const QString& list, QString* error);

    // Checks the options against the built flow before it runs: every answer must name a page
    // and every "--fail-on" event an exit of the root. Empty when all is well.
    QString mismatch(CFsm* root) const;

    // Whether leaving the root FSM with this exit event is a failure: named on the command line,
    // or declared failure="yes" by the flow.
    bool isFailure(CFsm* root, const QString& exitEvent) const;
    // The exit status of a run that left the root FSM with this event.
    int exitStatus(CFsm* root, const QString& exitEvent) const;
};
