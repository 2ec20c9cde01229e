// `setupfsm types`: every type of the "generic" factory with its events, required and
// announced properties, read from freshly created states.
#include "cli.h"
#include "host.h"

#include "engine/fsm.h"
#include "engine/statefactory.h"
#include "engine/trace.h"

#include <cstdio>
#include <memory>

int Cli::typesCommand(const QStringList& arguments)
{
    if (!arguments.isEmpty())
        return usageError(QStringLiteral("types takes no arguments"));
    QString error;
    if (!Host::instance().load(&error)) {
        Cli::error(error);
        return ExitBuildErrors;
    }
    // An FSM made without a definition complains about its missing start; that is expected here.
    Trace::setIncludeFilter(QStringLiteral("^$"));
    CStateFactory* factory = Host::instance().factory();
    const QStringList types = factory->stateTypes(factory->name(), true, true);
    for (const QString& type : types) {
        std::unique_ptr<CState> state(factory->createState(type, QDomNode(), nullptr, type));
        if (!state) {
            std::printf("%s\n  (could not be created)\n", qPrintable(type));
            continue;
        }
        const bool isFsm = state->isFsm();
        std::printf("%s%s\n", qPrintable(type), isFsm ? "  (FSM)" : "");
        if (!isFsm)
            std::printf("  events:    %s\n", qPrintable(state->events().join(QStringLiteral(", "))));
        std::printf("  required:  %s\n", qPrintable(state->requiredProperties().join(QStringLiteral(", "))));
        std::printf("  announced: %s\n", qPrintable(state->announcedProperties().join(QStringLiteral(", "))));
    }
    return ExitOk;
}
