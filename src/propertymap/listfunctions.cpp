// SPDX-License-Identifier: MIT
#include "propertymap/listfunctions.h"

#include "engine/object.h"
#include "engine/variantconv.h"
#include "propertymap/objectentries.h"

#include <QPointer>

namespace {

bool yieldsObject(CExpression* e)
{
    return e && e->isObject();
}

} // namespace

QVariant CFunctionCount::value()
{
    const bool filtered = parameterCount() >= 2;
    if (const CPropertyObject* o = parameterObject(0)) {
        const QStringList names = objectEntryNames(o);
        if (!filtered)
            return QVariant(int(names.size()));
        const QString pattern = Qt3::toString(parameterValue(1));
        int n = 0;
        for (const QString& name : names)
            n += m_pattern.contains(pattern, name) ? 1 : 0;
        return QVariant(n);
    }
    const QVariantList list = Qt3::toList(parameterValue(0));
    if (!filtered)
        return QVariant(qulonglong(list.size()));
    const QVariant w = parameterValue(1);
    int n = 0;
    for (const QVariant& entry : list)
        n += Qt3::equals(entry, w) ? 1 : 0;
    return QVariant(n);
}

QVariant CFunctionElement::value()
{
    const QVariantList list = Qt3::toList(parameterValue(0));
    const qlonglong i = Qt3::toLongLong(parameterValue(1));
    return i >= 0 && i < list.size() ? list.at(i) : QVariant();
}

CPropertyObject* CFunctionElement::object()
{
    QPointer<CPropertyObject> list = parameterObject(0);
    if (!list)
        return nullptr;
    const qlonglong i = Qt3::toLongLong(parameterValue(1));
    // Reading the index may have run a function that dropped the list.
    return list ? objectEntry(list, i) : nullptr;
}

bool CFunctionElement::isObject()
{
    return hasValidParameterCount() && yieldsObject(parameter(0));
}

QVariant CFunctionFind::value()
{
    const QString pattern = Qt3::toString(parameterValue(1));
    if (const CPropertyObject* o = parameterObject(0)) {
        const QStringList names = objectEntryNames(o);
        for (const QString& name : names) {
            if (m_pattern.contains(pattern, name))
                return QVariant(name);
        }
        return QVariant();
    }
    const QVariantList list = Qt3::toList(parameterValue(0));
    for (const QVariant& entry : list) {
        if (m_pattern.contains(pattern, Qt3::toString(entry)))
            return entry;
    }
    return QVariant();
}

QVariant CFunctionAppend::value()
{
    QVariantList list = Qt3::toList(parameterValue(0));
    for (int i = 1; i < parameterCount(); ++i) {
        CExpression* p = parameter(i);
        if (p && !p->isObject())
            list.append(p->value());
    }
    return QVariant(list);
}

CPropertyObject* CFunctionAppend::object()
{
    // A later parameter may be a function that changes or drops the target; the guard turns a
    // dropped target into a null result instead of a write into freed memory.
    QPointer<CPropertyObject> target = parameterObject(0);
    if (!target)
        return nullptr;
    for (int i = 1; i < parameterCount(); ++i) {
        CExpression* p = parameter(i);
        const CPropertyObject* o = p ? p->object() : nullptr;
        if (!target)
            return nullptr;
        if (o)
            storeClone(target, o->objectName(), o);
    }
    return target;
}

bool CFunctionAppend::isObject()
{
    return hasValidParameterCount() && yieldsObject(parameter(0));
}

CFunctionRemove::~CFunctionRemove()
{
    delete m_result;
}

QVariant CFunctionRemove::value()
{
    QStringList list = Qt3::toStringList(parameterValue(0));
    const QString pattern = Qt3::toString(parameterValue(1));
    list.removeIf([&](const QString& entry) { return m_pattern.contains(pattern, entry); });
    return QVariant(list);
}

CPropertyObject* CFunctionRemove::object()
{
    const CPropertyObject* source = parameterObject(0);
    CPropertyObject* copy = source ? source->clone() : nullptr;
    if (copy) {
        const QString pattern = Qt3::toString(parameterValue(1));
        const QStringList names = copy->propertyNames();
        for (const QString& name : names) {
            if (m_pattern.contains(pattern, name))
                copy->removeProperty(name.toLatin1().constData());
        }
    }
    // The clone is the node's, like the result of "objectlist": whoever keeps the result takes
    // its own clone of it.
    delete m_result;
    m_result = copy;
    return copy;
}

bool CFunctionRemove::isObject()
{
    return hasValidParameterCount() && yieldsObject(parameter(0));
}

QVariant CFunctionMerge::value()
{
    const QVariant first = parameterValue(0);
    if (!first.isValid())
        return QVariant();
    QVariantList list = Qt3::toList(first);
    list.append(Qt3::toList(parameterValue(1)));
    return QVariant(list);
}

CPropertyObject* CFunctionMerge::object()
{
    QPointer<CPropertyObject> target = parameterObject(0);
    if (!target)
        return nullptr;
    const CPropertyObject* source = parameterObject(1);
    if (!target)
        return nullptr;
    if (!source || source == target)
        return target;
    const QStringList names = source->propertyNames();
    for (const QString& name : names) {
        const QByteArray key = name.toLatin1();
        const CPropertyObject* entry = source->objectProperty(key.constData());
        if (entry && !target->hasProperty(key.constData()))
            storeClone(target, name, entry);
    }
    return target;
}

bool CFunctionMerge::isObject()
{
    return hasValidParameterCount() && yieldsObject(parameter(0));
}
