#pragma once
#include <QStringList>

// `setupfsm eval [--from KEY=VALUE ...] [--fsm KEY=VALUE ...] [--app KEY=VALUE ...] EXPR`:
// arguments after the subcommand name. Returns the exit status.
int runEval(const QStringList& arguments);
