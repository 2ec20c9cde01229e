#include "runpolicy.h"

#include "engine/fsm.h"

bool RunPolicy::addFailOn(const QString& list, QString* error)
{
    const QStringList events = list.split(QLatin1Char(','));
    for (const QString& raw : events) {
        const QString event = raw.trimmed();
        if (event.isEmpty()) {
            *error = QStringLiteral("--fail-on needs exit events separated by ',', not '%1'").arg(list);
            return false;
        }
        if (!failOn.contains(event))
            failOn << event;
    }
    return true;
}

QString RunPolicy::mismatch(CFsm* root) const
{
    QStringList problems;
    const QStringList unknown = answers.unknownNames(pageNamesOf(root));
    if (!unknown.isEmpty())
        problems << QStringLiteral("no page of the flow is named %1").arg(unknown.join(QStringLiteral(", ")));
    // "pageBack" leaves the root from its first page without being declared.
    QStringList exits = root->events();
    if (!exits.contains(QStringLiteral("pageBack")))
        exits << QStringLiteral("pageBack");
    QStringList strangers;
    for (const QString& event : failOn) {
        if (!exits.contains(event))
            strangers << event;
    }
    if (!strangers.isEmpty())
        problems << QStringLiteral("--fail-on names no exit event of FSM %1: %2 (its exits: %3)")
                        .arg(root->objectName(), strangers.join(QStringLiteral(", ")), exits.join(QStringLiteral(", ")));
    return problems.join(QStringLiteral("; "));
}

bool RunPolicy::isFailure(CFsm* root, const QString& exitEvent) const
{
    return failOn.contains(exitEvent) || root->failureEvents().contains(exitEvent);
}

int RunPolicy::exitStatus(CFsm* root, const QString& exitEvent) const
{
    return isFailure(root, exitEvent) ? HostExitFailure : HostExitOk;
}
