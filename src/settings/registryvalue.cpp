// SPDX-License-Identifier: MIT
#include "settings/registryvalue.h"
#include "engine/variantconv.h"

#include <QLocale>
#include <limits>

namespace RegistryValue {
namespace {

// A stored value as text. A file read afresh holds a one-entry list as a plain string, and Qt
// keeps what this process wrote with its type, so both shapes must read alike.
QString storedText(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1Char(','));
    return Qt3::toString(stored);
}

QStringList storedList(const QVariant& stored)
{
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList();
    // Qt stores an empty list as an invalid value.
    if (!stored.isValid())
        return {};
    return {Qt3::toString(stored)};
}

bool readBool(const QString& text, QVariant* value)
{
    const QString t = text.trimmed().toLower();
    for (const char* yes : {"true", "yes", "on", "1"}) {
        if (t == QLatin1String(yes)) {
            *value = 1;
            return true;
        }
    }
    for (const char* no : {"false", "no", "off", "0"}) {
        if (t == QLatin1String(no)) {
            *value = 0;
            return true;
        }
    }
    return false;
}

bool readInt(const QString& text, QVariant* value)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return false;
    const bool fitsInt = n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max();
    *value = fitsInt ? QVariant(int(n)) : QVariant(n);
    return true;
}

bool readDouble(const QString& text, QVariant* value)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        *value = d;
    return ok;
}

} // namespace

QVariant toStored(const QString& type, const QVariant& value)
{
    if (type == QLatin1String("bool"))
        return Qt3::toBool(value) ? QStringLiteral("true") : QStringLiteral("false");
    if (type == QLatin1String("int"))
        return QString::number(Qt3::toLongLong(value));
    if (type == QLatin1String("double"))
        return QString::number(Qt3::toDouble(value), 'g', QLocale::FloatingPointShortest);
    if (type == QLatin1String("list"))
        return Qt3::toStringList(value);
    // A null string would be stored as an invalid value, which reads back as no text at all.
    const QString text = Qt3::toString(value);
    return text.isNull() ? QStringLiteral("") : text;
}

bool fromStored(const QString& type, const QVariant& stored, QVariant* value)
{
    if (type == QLatin1String("bool"))
        return readBool(storedText(stored), value);
    if (type == QLatin1String("int"))
        return readInt(storedText(stored), value);
    if (type == QLatin1String("double"))
        return readDouble(storedText(stored), value);
    if (type == QLatin1String("list"))
        *value = storedList(stored);
    else
        *value = storedText(stored);
    return true;
}

} // namespace RegistryValue
