#pragma once
// Runs the command-line host as a user would: through pipes, or on a pseudo-terminal that is
// its standard input, output and error at once.
#include "clirun.h"

inline CliResult runPiped(const QStringList& arguments, const CliEnvironment& environment = {})
{
    return runSetupFsm(arguments, QString(), environment);
}
CliResult runOnTerminal(const QStringList& arguments, const CliEnvironment& environment = {});
