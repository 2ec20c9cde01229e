#include "findings.h"
#include "cli.h"
#include "host.h"

#include "engine/fsm.h"

#include <cstdio>

bool buildFlow(const CommandOptions& options, std::unique_ptr<CFsm>& fsm, CDiagnostics* found)
{
    QString error;
    if (!Host::instance().load(&error)) {
        found->append({QString(), 0, CDiagnostic::Error, error});
        return false;
    }
    fsm.reset(Host::instance().build(options.build, &error, found));
    if (!fsm)
        return false;
    *found += fsm->diagnostics();
    // An FSM a host made from an element of its own has errors but no places for them.
    if (found->isEmpty() && !fsm->errors().isEmpty()) {
        for (const QString& line : fsm->errors().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            found->append({diagnosticPath(options.build.file), 0, CDiagnostic::Error, line});
    }
    return found->isEmpty();
}

CDiagnostics checkFindings(CFsm* fsm, bool (CFsm::*check)(), bool strict)
{
    const qsizetype before = fsm->diagnostics().size();
    (fsm->*check)();
    CDiagnostics found = fsm->diagnostics().mid(before);
    for (CDiagnostic& d : found)
        d.severity = strict ? CDiagnostic::Error : CDiagnostic::Warning;
    return found;
}

void printFindings(const CDiagnostics& found)
{
    for (const CDiagnostic& d : found) {
        const QByteArray line = (d.toText() + QLatin1Char('\n')).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    }
    std::fflush(stderr);
}

bool hasErrors(const CDiagnostics& found)
{
    for (const CDiagnostic& d : found) {
        if (d.severity == CDiagnostic::Error)
            return true;
    }
    return false;
}
