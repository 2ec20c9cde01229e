#pragma once
// The value conversions that scripts were written against. Qt 6 converts differently (for
// example "2.5" to an integer, or lists to strings), so every conversion a script can observe
// goes through these functions instead of QVariant's own.
#include <QStringList>
#include <QVariant>

namespace Qt3 {

QString toString(const QVariant& v);
QVariantList toList(const QVariant& v);
QStringList toStringList(const QVariant& v);
qlonglong toLongLong(const QVariant& v);
qulonglong toULongLong(const QVariant& v);
int toInt(const QVariant& v);
uint toUInt(const QVariant& v);
double toDouble(const QVariant& v);
bool toBool(const QVariant& v);

// Types equal: the values; types differ: the right-hand value converted to the left-hand type.
// An invalid variant equals only an invalid variant.
bool equals(const QVariant& left, const QVariant& right);

// The script-visible type name: String, LongLong, Double, Int, UInt, ULongLong, Bool,
// StringList, List, ByteArray, Color, Pixmap, Font, Size, Point or Invalid.
QString typeName(const QVariant& v);

// Whether the variant holds one of the numeric types.
bool isNumber(const QVariant& v);

} // namespace Qt3
