// SPDX-License-Identifier: MIT
#include "propertymap/arithmeticfunctions.h"

#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QStringView>
#include <cstdlib>
#include <ctime>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QStringView withoutMinus(QStringView s)
{
    return s.startsWith(QLatin1Char('-')) ? s.mid(1) : s;
}

qsizetype leadingDigits(QStringView s)
{
    qsizetype n = 0;
    while (n < s.size() && isAsciiDigit(s.at(n)))
        ++n;
    return n;
}

// The whole text is "-?[0-9]+". Hand-written because this runs for every text parameter of
// every sum, and a regular expression would dominate its cost.
bool isIntegerText(QStringView s)
{
    const QStringView digits = withoutMinus(s);
    return !digits.isEmpty() && leadingDigits(digits) == digits.size();
}

// The whole text is "-?[0-9]+.[0-9]+" where "." is any one character.
bool isDecimalText(QStringView s)
{
    const QStringView rest = withoutMinus(s);
    const qsizetype head = leadingDigits(rest);
    if (head == rest.size())
        return head >= 3; // the middle "any character" can be a digit too
    if (head == 0)
        return false;
    const QStringView tail = rest.mid(head + 1);
    return !tail.isEmpty() && leadingDigits(tail) == tail.size();
}

} // namespace

void CFunctionAdd::updateKind(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::QString: {
        const QString& text = *static_cast<const QString*>(v.constData());
        if (isIntegerText(text) && m_kind != QMetaType::Double)
            m_kind = QMetaType::LongLong;
        else if (isDecimalText(text))
            m_kind = QMetaType::Double;
        else if (m_kind != QMetaType::Double)
            m_kind = 0;
        break;
    }
    case QMetaType::Double:
        m_kind = QMetaType::Double;
        break;
    case QMetaType::LongLong:
        if (m_kind != QMetaType::Double)
            m_kind = QMetaType::LongLong;
        break;
    default:
        break;
    }
}

void CFunctionAdd::collect(Values& values)
{
    for (CExpression* p : parameters()) {
        if (!p)
            continue;
        values.append(p->value());
        updateKind(values.last());
    }
}

QVariant CFunctionAdd::value()
{
    Values values;
    collect(values);
    if (m_kind == QMetaType::Double) {
        double sum = 0.0;
        for (const QVariant& v : values)
            sum += Qt3::toDouble(v);
        return QVariant(sum);
    }
    if (m_kind == QMetaType::LongLong) {
        // Unsigned arithmetic wraps on overflow instead of being undefined.
        quint64 sum = 0;
        for (const QVariant& v : values)
            sum += quint64(Qt3::toLongLong(v));
        return QVariant(qlonglong(sum));
    }
    return QVariant(int(0));
}

QVariant CFunctionMultiply::value()
{
    Values values;
    collect(values);
    if (numericKind() == QMetaType::Double) {
        double product = 1.0;
        for (const QVariant& v : values)
            product *= Qt3::toDouble(v);
        return QVariant(product);
    }
    if (numericKind() == QMetaType::LongLong) {
        quint64 product = 1;
        for (const QVariant& v : values)
            product *= quint64(Qt3::toLongLong(v));
        return QVariant(qlonglong(product));
    }
    return QVariant(int(0));
}

QVariant CFunctionDivide::value()
{
    const double a = Qt3::toDouble(parameterValue(0));
    const double b = Qt3::toDouble(parameterValue(1));
    if (b == 0.0) {
        SFSM_TRACE("propertymapfunctions", QStringLiteral(" ! Division by zero !"));
        return QVariant();
    }
    return QVariant(a / b);
}

QVariant CFunctionNegate::value()
{
    const QVariant v = parameterValue(0);
    if (v.metaType().id() == QMetaType::Double)
        return QVariant(-v.toDouble());
    // Negating the smallest 64-bit value wraps to itself rather than being undefined.
    return QVariant(qlonglong(0 - quint64(Qt3::toLongLong(v))));
}

CFuntionRandom::CFuntionRandom(CPropertyMap* owner, const QList<CExpression*>& parameters)
    : CFunctionNoObjectParameters(owner, parameters)
{
    std::srand(unsigned(std::time(nullptr)));
}

QVariant CFuntionRandom::value()
{
    // Scripts were written for a generator whose range ends at 32767.
    return QVariant(int(std::rand() % 32768));
}
