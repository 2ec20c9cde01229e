#include "engine/variantconv.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <cmath>
#include <limits>

namespace Qt3 {
namespace {

int typeId(const QVariant& v)
{
    return v.metaType().id();
}

bool isStringLike(int id)
{
    return id == QMetaType::QString || id == QMetaType::QByteArray;
}

QString stringOf(const QVariant& v)
{
    return typeId(v) == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray()) : v.toString();
}

// Parses the whole text as a base-10 integer; surrounding blanks are allowed.
template <typename T>
T parseInteger(const QString& text)
{
    bool ok = false;
    const QString t = text.trimmed();
    if constexpr (std::is_same_v<T, qulonglong>) {
        const qulonglong n = t.toULongLong(&ok, 10);
        return ok ? n : 0;
    } else if constexpr (std::is_same_v<T, uint>) {
        const uint n = t.toUInt(&ok, 10);
        return ok ? n : 0;
    } else if constexpr (std::is_same_v<T, int>) {
        const int n = t.toInt(&ok, 10);
        return ok ? n : 0;
    } else {
        const qlonglong n = t.toLongLong(&ok, 10);
        return ok ? n : 0;
    }
}

// A double truncates toward zero; out of range saturates instead of being undefined.
template <typename T>
T fromDouble(double d)
{
    if (std::isnan(d))
        return 0;
    d = std::trunc(d);
    if (d <= double(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (d >= double(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return T(d);
}

template <typename T>
T toInteger(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return parseInteger<T>(stringOf(v));
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble<T>(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Int:
        return T(v.toInt());
    case QMetaType::UInt:
        return T(v.toUInt());
    case QMetaType::LongLong:
        return T(v.toLongLong());
    case QMetaType::ULongLong:
        return T(v.toULongLong());
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return T(v.toLongLong());
    default:
        return 0;
    }
}

} // namespace

bool isNumber(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

QString toString(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray());
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::Float:
        return QString::number(double(v.toFloat()), 'g', 15);
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        return QString(QLatin1String(""));
    case QMetaType::QColor:
        return v.value<QColor>().name();
    case QMetaType::QFont:
        return v.value<QFont>().toString();
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QPixmap:
        return QString(QLatin1String(""));
    default:
        return v.toString();
    }
}

QVariantList toList(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::QVariantList:
        return v.toList();
    case QMetaType::QStringList: {
        const QStringList strings = v.toStringList();
        QVariantList out;
        out.reserve(strings.size());
        for (const QString& s : strings)
            out.append(QVariant(s));
        return out;
    }
    default:
        return QVariantList();
    }
}

QStringList toStringList(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::QStringList:
        return v.toStringList();
    case QMetaType::QVariantList: {
        const QVariantList list = v.toList();
        QStringList out;
        out.reserve(list.size());
        for (const QVariant& e : list)
            out.append(toString(e));
        return out;
    }
    default:
        return QStringList();
    }
}

qlonglong toLongLong(const QVariant& v)
{
    return toInteger<qlonglong>(v);
}

qulonglong toULongLong(const QVariant& v)
{
    // Negative values wrap as the C conversion did; doubles saturate.
    if (typeId(v) == QMetaType::Double || typeId(v) == QMetaType::Float)
        return fromDouble<qulonglong>(v.toDouble());
    if (isStringLike(typeId(v)))
        return parseInteger<qulonglong>(stringOf(v));
    if (typeId(v) == QMetaType::ULongLong)
        return v.toULongLong();
    return qulonglong(toInteger<qlonglong>(v));
}

int toInt(const QVariant& v)
{
    if (isStringLike(typeId(v)))
        return parseInteger<int>(stringOf(v));
    if (typeId(v) == QMetaType::Double || typeId(v) == QMetaType::Float)
        return fromDouble<int>(v.toDouble());
    return int(toInteger<qlonglong>(v));
}

uint toUInt(const QVariant& v)
{
    if (isStringLike(typeId(v)))
        return parseInteger<uint>(stringOf(v));
    if (typeId(v) == QMetaType::Double || typeId(v) == QMetaType::Float)
        return fromDouble<uint>(v.toDouble());
    return uint(toInteger<qlonglong>(v));
}

double toDouble(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const double d = stringOf(v).trimmed().toDouble(&ok);
        return ok ? d : 0.0;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::ULongLong:
        return double(v.toULongLong());
    default:
        if (isNumber(v))
            return double(v.toLongLong());
        return 0.0;
    }
}

bool toBool(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::UnknownType:
        return false;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString s = stringOf(v).toLower();
        return !(s.isEmpty() || s == QLatin1String("0") || s == QLatin1String("false"));
    }
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble() != 0.0;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        return false;
    default:
        if (isNumber(v))
            return v.toULongLong() != 0 || v.toLongLong() != 0;
        return v.toBool();
    }
}

bool equals(const QVariant& left, const QVariant& right)
{
    const int lt = typeId(left);
    const int rt = typeId(right);
    if (lt == QMetaType::UnknownType || rt == QMetaType::UnknownType)
        return lt == rt;
    if (lt == QMetaType::QVariantList) {
        const QVariantList a = left.toList();
        const QVariantList b = toList(right);
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!equals(a.at(i), b.at(i)))
                return false;
        }
        return true;
    }
    if (lt == rt)
        return left == right;
    switch (lt) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return toString(left) == toString(right);
    case QMetaType::QStringList:
        return left.toStringList() == toStringList(right);
    case QMetaType::Int:
        return left.toInt() == toInt(right);
    case QMetaType::UInt:
        return left.toUInt() == toUInt(right);
    case QMetaType::LongLong:
        return left.toLongLong() == toLongLong(right);
    case QMetaType::ULongLong:
        return left.toULongLong() == toULongLong(right);
    case QMetaType::Double:
    case QMetaType::Float:
        return left.toDouble() == toDouble(right);
    case QMetaType::Bool:
        return left.toBool() == toBool(right);
    default: {
        QVariant converted = right;
        if (!converted.convert(left.metaType()))
            return false;
        return left == converted;
    }
    }
}

QString typeName(const QVariant& v)
{
    switch (typeId(v)) {
    case QMetaType::UnknownType:
        return QStringLiteral("Invalid");
    case QMetaType::QString:
        return QStringLiteral("String");
    case QMetaType::LongLong:
        return QStringLiteral("LongLong");
    case QMetaType::Double:
    case QMetaType::Float:
        return QStringLiteral("Double");
    case QMetaType::Int:
        return QStringLiteral("Int");
    case QMetaType::UInt:
        return QStringLiteral("UInt");
    case QMetaType::ULongLong:
        return QStringLiteral("ULongLong");
    case QMetaType::Bool:
        return QStringLiteral("Bool");
    case QMetaType::QStringList:
        return QStringLiteral("StringList");
    case QMetaType::QVariantList:
        return QStringLiteral("List");
    case QMetaType::QByteArray:
        return QStringLiteral("ByteArray");
    case QMetaType::QColor:
        return QStringLiteral("Color");
    case QMetaType::QPixmap:
        return QStringLiteral("Pixmap");
    case QMetaType::QFont:
        return QStringLiteral("Font");
    case QMetaType::QSize:
        return QStringLiteral("Size");
    case QMetaType::QPoint:
        return QStringLiteral("Point");
    default:
        return QString::fromLatin1(v.typeName());
    }
}

} // namespace Qt3
