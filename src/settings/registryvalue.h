// SPDX-License-Identifier: MIT
#pragma once
// What a registry value of each type becomes in the settings store and back. Scalars are
// stored as text a person or another Qt application reads plainly: "true"/"false", a decimal
// integer, the shortest decimal that reads back as the same double; a list is stored as Qt
// stores a string list. Reading with the type that wrote a value gives back its type and value.
#include <QString>
#include <QVariant>

namespace RegistryValue {

// The value a "writeRegistry" of the type (lower case) stores.
QVariant toStored(const QString& type, const QVariant& value);

// What a "readRegistry" of the type puts into "value": "bool" an integer 0 or 1, "int" an
// integer (a 64-bit one beyond the range of int), "double" a double, "list" a string list,
// anything else a string. False when the stored text is not of that type.
[[nodiscard]] bool fromStored(const QString& type, const QVariant& stored, QVariant* value);

} // namespace RegistryValue
