// SPDX-License-Identifier: MIT
#pragma once
// The object entries of an object used as a list, and storing copies into such a list.
#include <QStringList>

class CPropertyObject;

// The names n of propertyNames() for which hasObjectProperty(n) holds, in that order.
QStringList objectEntryNames(const CPropertyObject* list);

// The object of entry i, counting object entries only; null out of range.
CPropertyObject* objectEntry(const CPropertyObject* list, qlonglong i);

// Stores a clone of the object under the name; the clone is dropped when the name is refused
// (a Qt property of the target's class).
void storeClone(CPropertyObject* target, const QString& name, const CPropertyObject* object);
