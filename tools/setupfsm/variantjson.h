#pragma once
#include <QJsonValue>
#include <QVariant>

class CPropertyObject;

namespace VariantJson {

// The JSON form of a value: strings and numbers as themselves, lists as arrays, graphic values
// as their text form, an invalid value as null.
QJsonValue toJson(const QVariant& value);

// A readable text form for graphic values (equal values give equal text).
QString graphicText(const QVariant& value);

// {"type": T, "value": V} of a value property.
QJsonValue typedValue(const QVariant& value);

} // namespace VariantJson
