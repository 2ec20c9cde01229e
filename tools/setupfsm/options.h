#pragma once
#include "host.h"
#include "runpolicy.h"
#include "traceoutput.h"

#include <QStringList>

// The options shared by run, check and graph.
struct CommandOptions {
    Host::BuildOptions build;
    QString profile;
    double timeoutSeconds = 0;
    bool json = false;
    bool strict = false;
    bool timestamps = false;
    QString traceInclude;
    QString traceExclude;
    bool traceIncludeSet = false;
    bool traceExcludeSet = false;
    RunPolicy policy;               // --fail-on, --unattended, --answer, --answers
    TraceOutput::Settings output;   // --quiet, --verbose, --log
};

// Parses the arguments of a subcommand; `allowed` names the options it accepts (without
// dashes). Returns false with an error text on bad usage.
bool parseCommandOptions(const QStringList& arguments, const QStringList& allowed, CommandOptions* options,
                         QString* error);

// Applies the profile and the trace settings and opens the trace output; must run before the
// first trace line. False with an error text when the log cannot be written.
bool applyEnvironmentOptions(const CommandOptions& options, QString* error);

// The trace output of this command (set up by applyEnvironmentOptions).
TraceOutput& traceOutput();
