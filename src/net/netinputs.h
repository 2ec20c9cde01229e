// SPDX-License-Identifier: MIT
#pragma once
// Inputs shared by the network states.
#include <QStringList>
#include <QVariant>

class CPropertyObject;
class CIpInterface;

namespace NetInputs {

// A list of address texts from a property that holds a string list, a list, or one string.
// A single string may list several addresses separated by ";" or ",", as a definition file
// can only give one string. Entries are trimmed; empty entries are kept for the caller.
QStringList addressTexts(const QVariant& value);

// The object property as a network interface, or null when there is none (or it is some
// other kind of object).
CIpInterface* interfaceProperty(const CPropertyObject& holder, const char* name);

} // namespace NetInputs
