#pragma once
// Runs the command-line host as a user would: through pipes, or on a pseudo-terminal that is
// its standard input, output and error at once.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

struct CliResult {
    int status = -1; // exit code; -2 for a crash, -1 when it did not finish in time
    QByteArray out;  // on a terminal: everything the terminal showed
    QByteArray err;
};

// Environment changes: a value replaces the variable, a null value removes it.
using CliEnvironment = QMap<QString, QString>;

CliResult runPiped(const QStringList& arguments, const CliEnvironment& environment = {});
CliResult runOnTerminal(const QStringList& arguments, const CliEnvironment& environment = {});
