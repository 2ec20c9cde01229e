#pragma once
#include "host.h"

#include <QStringList>

// The options shared by run, check and graph.
struct CommandOptions {
    Host::BuildOptions build;
    QString profile;
    double timeoutSeconds = 0;
    bool json = false;
    bool quiet = false;
    bool strict = false;
    bool timestamps = false;
    QString traceInclude;
    QString traceExclude;
    bool traceIncludeSet = false;
    bool traceExcludeSet = false;
    QList<QPair<QString, QString>> answers;
};

// Parses the arguments of a subcommand; `allowed` names the options it accepts (without
// dashes). Returns false with an error text on bad usage.
bool parseCommandOptions(const QStringList& arguments, const QStringList& allowed, CommandOptions* options,
                         QString* error);

// Applies the profile and the trace settings; must run before the first trace line.
void applyEnvironmentOptions(const CommandOptions& options);
