// SPDX-License-Identifier: MIT
#pragma once
// Small flows of network states for the tests: a chain of states, each leaving on every
// event of its type towards the next one (or the exit named like the event for the last).
#include "support/flowrunner.h"

#include <QStringList>

namespace NetFlows {

struct Step {
    QString name;
    QString type;
    QMap<QString, QString> properties;
    QStringList events;
    // Property maps on the transitions into this step: target -> function.
    QMap<QString, QString> maps = {};
};

inline QString chain(const QList<Step>& steps)
{
    QString xml = QStringLiteral("<fsm><states>");
    for (const Step& s : steps)
        xml += QStringLiteral("<state name=\"%1\" type=\"%2\">%3</state>").arg(s.name, s.type, FlowTest::propertyElements(s.properties));
    xml += QStringLiteral("</states><events>");
    for (const QString& e : steps.constLast().events)
        xml += QStringLiteral("<event name=\"%1\"/>").arg(e);
    xml += QStringLiteral("</events><transitions><transition startstate=\"%1\"/>").arg(steps.constFirst().name);
    for (int i = 0; i < steps.size(); ++i) {
        const bool last = i + 1 == steps.size();
        for (const QString& e : steps[i].events) {
            xml += last ? QStringLiteral("<transition fromstate=\"%1\" event=\"%2\" toexit=\"%2\">").arg(steps[i].name, e)
                        : QStringLiteral("<transition fromstate=\"%1\" event=\"%2\" tostate=\"%3\">").arg(steps[i].name, e, steps[i + 1].name);
            const QMap<QString, QString> maps = last ? QMap<QString, QString>() : steps[i + 1].maps;
            for (auto m = maps.cbegin(); m != maps.cend(); ++m)
                xml += QStringLiteral("<propertymap target=\"%1\" function=\"%2\"/>").arg(m.key(), m.value().toHtmlEscaped());
            xml += QStringLiteral("</transition>");
        }
    }
    return xml + QStringLiteral("</transitions></fsm>");
}

inline const QStringList listEvents {QStringLiteral("noneFound"), QStringLiteral("singleFound"), QStringLiteral("multipleFound")};

// getInterfaceList with the filter, then the given steps with "interface" taken from the
// first interface found.
inline QList<Step> onFirstInterface(const QString& filter, QList<Step> steps)
{
    steps.first().maps.insert(QStringLiteral("interface"), QStringLiteral("element($interfaceList, 0)"));
    steps.prepend({QStringLiteral("list"), QStringLiteral("getInterfaceList"), {{QStringLiteral("filter"), filter}}, listEvents});
    return steps;
}

} // namespace NetFlows
