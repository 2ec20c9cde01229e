// SPDX-License-Identifier: MIT
#include "propertymap/objectentries.h"

#include "engine/object.h"

#include <typeinfo>

namespace {

// A plain property object keeps its object entries in its own ordered dictionary, in the order
// propertyNames() lists them; reading that directly keeps indexing a long list constant-time.
// Subclasses may override the name operations, so they take the general way.
bool isPlain(const CPropertyObject* o)
{
    return typeid(*o) == typeid(CPropertyObject);
}

} // namespace

QStringList objectEntryNames(const CPropertyObject* list)
{
    if (isPlain(list))
        return list->objects().names();
    QStringList names;
    const QStringList all = list->propertyNames();
    for (const QString& name : all) {
        if (list->hasObjectProperty(name.toLatin1().constData()))
            names.append(name);
    }
    return names;
}

CPropertyObject* objectEntry(const CPropertyObject* list, qlonglong i)
{
    if (i < 0)
        return nullptr;
    if (isPlain(list))
        return i < list->objects().size() ? list->objects().objectAt(int(i)) : nullptr;
    const QStringList names = objectEntryNames(list);
    return i < names.size() ? list->objectProperty(names.at(i).toLatin1().constData()) : nullptr;
}

void storeClone(CPropertyObject* target, const QString& name, const CPropertyObject* object)
{
    CPropertyObject* copy = object->clone();
    if (!target->setObjectProperty(name.toLatin1().constData(), copy))
        delete copy;
}
