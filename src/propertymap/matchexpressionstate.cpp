// SPDX-License-Identifier: MIT
#include "propertymap/matchexpressionstate.h"
#include "engine/regexp.h"
#include "engine/variantconv.h"

CMatchExpressionState::CMatchExpressionState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CMatchExpressionState::initialize()
{
    addRequiredProperty(QStringLiteral("input"));
    addRequiredProperty(QStringLiteral("expression"));
    addEvents({QStringLiteral("true"), QStringLiteral("false")});
}

void CMatchExpressionState::enter()
{
    const QString in = Qt3::toString(property("input"));
    const QString pattern = Qt3::toString(property("expression"));
    const bool wildcard = Qt3::toBool(property("wildcard"));
    const bool ignoreCase = Qt3::toBool(property("ignoreCase"));
    const CRegExp re(pattern, !ignoreCase, wildcard);
    setLeaveEvent(re.exactMatch(in) ? QStringLiteral("true") : QStringLiteral("false"));
    leaveState();
}
