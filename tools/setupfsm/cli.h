#pragma once
#include "exitstatus.h"

#include <QStringList>

namespace Cli {

// Exit statuses of the host.
enum ExitCode {
    ExitOk = HostExitOk,
    ExitBuildErrors = HostExitBuildErrors,
    ExitFailure = HostExitFailure,
    ExitStalled = HostExitStalled,
    ExitTimeout = HostExitTimeout,
    ExitUsage = HostExitUsage,
};

int main(int argc, char** argv);

int runCommand(const QStringList& arguments);
int checkCommand(const QStringList& arguments);
int graphCommand(const QStringList& arguments);
int encodeCommand(const QStringList& arguments);
int decodeCommand(const QStringList& arguments);
int typesCommand(const QStringList& arguments);
int functionsCommand(const QStringList& arguments);
int schemaCommand(const QStringList& arguments);

// Writes trace output to standard error in UTF-8: the library's own writer gives Latin-1 bytes,
// and trace text may hold paths and names that Latin-1 cannot.
void showTrace(const QString& text);

// Prints "setupfsm: text" on standard error.
void error(const QString& text);
// Prints a usage error and returns ExitUsage.
int usageError(const QString& text);

} // namespace Cli
