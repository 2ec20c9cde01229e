// SPDX-License-Identifier: MIT
#include "engine/definitionrules.h"

#include "platform/osversion.h"

bool unwrapTranslation(const QString& value, QString* inner)
{
    if (value.size() < 4 || !value.startsWith(QLatin1String("tr(")) || !value.endsWith(QLatin1Char(')')))
        return false;
    *inner = value.mid(3, value.size() - 4);
    return true;
}

QList<QDomElement> applicablePropertyElements(const QDomNode& node)
{
    // Walking just these two levels keeps document order without searching the whole subtree,
    // which for an FSM is the whole file.
    QList<QDomElement> out;
    for (QDomElement child = node.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("property")) {
            out.append(child);
            continue;
        }
        if (child.tagName().toLower() != QLatin1String("system"))
            continue;
        const QString type = child.attribute(QStringLiteral("type"));
        if (type != QLatin1String("common") && !OsVersion::matches(type))
            continue;
        for (QDomElement p = child.firstChildElement(QStringLiteral("property")); !p.isNull();
             p = p.nextSiblingElement(QStringLiteral("property")))
            out.append(p);
    }
    return out;
}
