// SPDX-License-Identifier: MIT
#include "propertymap/comparestate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

namespace {

const char kCategory[] = "compareStates";

// Null and empty texts are distinct for the case-sensitive and not-equal operators.
bool sameText(const QString& a, const QString& b)
{
    return a.isNull() == b.isNull() && a == b;
}

} // namespace

CCompareState::CCompareState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CCompareState::initialize()
{
    addRequiredProperty(QStringLiteral("input1"));
    addRequiredProperty(QStringLiteral("input2"));
    addEvents({QStringLiteral("true"), QStringLiteral("false")});
}

QString CCompareState::operatorName() const
{
    if (hasProperty("comparisonType"))
        return Qt3::toString(property("comparisonType")).toLower();
    if (hasProperty("operator"))
        return Qt3::toString(property("operator")).toLower();
    return QStringLiteral("equal");
}

bool CCompareState::compareNumbers(const QString& op, bool& known) const
{
    const qlonglong a = Qt3::toLongLong(property("input1"));
    const qlonglong b = Qt3::toLongLong(property("input2"));
    known = true;
    if (op == QLatin1String("greater") || op == QLatin1String(">"))
        return a > b;
    if (op == QLatin1String("smaller") || op == QLatin1String("<"))
        return a < b;
    if (op == QLatin1String("equal") || op == QLatin1String("=="))
        return a == b;
    if (op == QLatin1String("notequal") || op == QLatin1String("!="))
        return a != b;
    if (op == QLatin1String("greaterorequal") || op == QLatin1String(">="))
        return a >= b;
    if (op == QLatin1String("smallerorequal") || op == QLatin1String("<="))
        return a <= b;
    known = false;
    return false;
}

bool CCompareState::compareStrings(const QString& op, bool& known) const
{
    const QString s1 = Qt3::toString(property("input1"));
    const QString s2 = Qt3::toString(property("input2"));
    known = true;
    // Ordering compares character codes; a null text orders like an empty one.
    const int order = QStringView(s1).compare(QStringView(s2), Qt::CaseSensitive);
    if (op == QLatin1String("greater") || op == QLatin1String(">"))
        return order > 0;
    if (op == QLatin1String("smaller") || op == QLatin1String("<"))
        return order < 0;
    if (op == QLatin1String("equal") || op == QLatin1String("=="))
        return (s1.isEmpty() && s2.isEmpty()) || s1.toLower() == s2.toLower();
    if (op == QLatin1String("notequal") || op == QLatin1String("!="))
        return s1.isNull() != s2.isNull() || s1.toLower() != s2.toLower();
    if (op == QLatin1String("equalcase"))
        return sameText(s1, s2);
    if (op == QLatin1String("notequalcase"))
        return !sameText(s1, s2);
    if (op == QLatin1String("greaterorequal") || op == QLatin1String(">="))
        return order >= 0;
    if (op == QLatin1String("smallerorequal") || op == QLatin1String("<="))
        return order <= 0;
    known = false;
    return false;
}

void CCompareState::enter()
{
    const QString op = operatorName();
    QString kind = Qt3::toString(property("type")).toLower();
    if (kind.isEmpty())
        kind = QStringLiteral("string");

    bool known = false;
    bool holds = false;
    if (kind == QLatin1String("number") || kind == QLatin1String("int") || kind == QLatin1String("float")) {
        SFSM_TRACE(kCategory, QStringLiteral("Compare numbers."));
        holds = compareNumbers(op, known);
    } else {
        SFSM_TRACE(kCategory, QStringLiteral("Compare strings."));
        holds = compareStrings(op, known);
    }
    if (!known)
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! Invalid operator."));
    setLeaveEvent(holds ? QStringLiteral("true") : QStringLiteral("false"));
    leaveState();
}
