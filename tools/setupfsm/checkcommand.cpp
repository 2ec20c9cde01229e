// `setupfsm check`: builds a flow without running it and reports every finding once, with its
// file and line: build errors, broken paths and missing required properties as errors, and
// what lint finds (states never reached, unused exit events, states with no way out) as
// warnings, errors under --strict.
#include "cli.h"
#include "findings.h"
#include "options.h"

#include "engine/fsm.h"
#include "engine/fsmlint.h"
#include "engine/trace.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

void printJson(const CDiagnostics& found)
{
    for (const CDiagnostic& d : found) {
        const QJsonObject object {{QStringLiteral("file"), d.file},
                                  {QStringLiteral("line"), d.line},
                                  {QStringLiteral("severity"), d.severityName()},
                                  {QStringLiteral("message"), d.message}};
        const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    std::fflush(stdout);
}

QString summary(const CDiagnostics& found)
{
    qsizetype errors = 0;
    for (const CDiagnostic& d : found)
        errors += d.severity == CDiagnostic::Error ? 1 : 0;
    const qsizetype warnings = found.size() - errors;
    if (found.isEmpty())
        return QStringLiteral("OK");
    return QStringLiteral("%1 error(s), %2 warning(s)").arg(errors).arg(warnings);
}

} // namespace

int Cli::checkCommand(const QStringList& arguments)
{
    CommandOptions options;
    QString error;
    const QStringList allowed = {QStringLiteral("set"),           QStringLiteral("property"),
                                 QStringLiteral("app-path"),      QStringLiteral("xml-path"),
                                 QStringLiteral("profile"),       QStringLiteral("trace-include"),
                                 QStringLiteral("trace-exclude"), QStringLiteral("trace-timestamps"),
                                 QStringLiteral("strict"),        QStringLiteral("quiet"),
                                 QStringLiteral("json"),          QStringLiteral("verbose"),
                                 QStringLiteral("log")};
    if (!parseCommandOptions(arguments, allowed, &options, &error))
        return usageError(error);
    if (!applyEnvironmentOptions(options, &error))
        return usageError(error);
    // The findings are what check says; the trace lines of the same problems would say each
    // of them twice. They are shown only when asked for (a log still gets them).
    if (!options.traceIncludeSet && !options.output.verbose)
        traceOutput().setEcho(nullptr);

    std::unique_ptr<CFsm> fsm;
    CDiagnostics found;
    // Required properties and paths are checked on a tree that built: on a broken one they
    // would repeat what the build reported.
    if (buildFlow(options, fsm, &found)) {
        found += checkFindings(fsm.get(), &CFsm::checkStatePaths, true);
        found += checkFindings(fsm.get(), &CFsm::checkRequiredProperties, true);
    }
    // A broken path makes states look unreachable or trapped: lint a flow that holds together.
    if (fsm && found.isEmpty()) {
        for (CDiagnostic d : lintFsm(fsm.get())) {
            if (options.strict)
                d.severity = CDiagnostic::Error;
            found.append(d);
        }
    }
    if (options.json)
        printJson(found);
    else
        printFindings(found);
    if (!options.output.quiet && !options.json)
        std::printf("%s: %s\n", qPrintable(options.build.file), qPrintable(summary(found)));
    return hasErrors(found) ? ExitBuildErrors : ExitOk;
}
