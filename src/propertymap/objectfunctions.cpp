// SPDX-License-Identifier: MIT
#include "propertymap/objectfunctions.h"

#include "engine/object.h"
#include "engine/variantconv.h"
#include "propertymap/objectentries.h"

CFunctionObjectList::~CFunctionObjectList()
{
    delete m_result;
}

CPropertyObject* CFunctionObjectList::object()
{
    delete m_result;
    m_result = new CPropertyObject();
    return m_result;
}

CFunctionMakeList::~CFunctionMakeList()
{
    delete m_result;
}

QVariant CFunctionMakeList::value()
{
    QVariantList list;
    for (CExpression* p : parameters()) {
        if (!p)
            continue;
        if (p->isObject())
            return QVariant();
        list.append(p->value());
    }
    return QVariant(list);
}

CPropertyObject* CFunctionMakeList::object()
{
    CPropertyObject* list = nullptr;
    for (CExpression* p : parameters()) {
        const CPropertyObject* o = p ? p->object() : nullptr;
        if (!o)
            continue;
        if (!list)
            list = new CPropertyObject();
        storeClone(list, o->objectName(), o);
    }
    delete m_result;
    m_result = list;
    return list;
}

bool CFunctionMakeList::isObject()
{
    for (CExpression* p : parameters()) {
        if (p && p->isObject())
            return true;
    }
    return false;
}

QVariant CFunctionGetproperty::value()
{
    const QByteArray name = Qt3::toString(parameterValue(1)).toLatin1();
    const CPropertyObject* o = parameterObject(0);
    return o ? o->property(name.constData()) : QVariant();
}

CPropertyObject* CFunctionGetproperty::object()
{
    const QByteArray name = Qt3::toString(parameterValue(1)).toLatin1();
    const CPropertyObject* o = parameterObject(0);
    return o ? o->objectProperty(name.constData()) : nullptr;
}

bool CFunctionGetproperty::isObject()
{
    if (!hasValidParameterCount())
        return false;
    const QByteArray name = Qt3::toString(parameterValue(1)).toLatin1();
    const CPropertyObject* o = parameterObject(0);
    return o && o->hasObjectProperty(name.constData());
}

CPropertyObject* CFunctionSetproperty::object()
{
    // The name and the new content are taken before the target, so that evaluating them cannot
    // drop a target already in hand.
    const QByteArray name = Qt3::toString(parameterValue(1)).toLatin1();
    CExpression* content = parameter(2);
    const CPropertyObject* source = content ? content->object() : nullptr;
    CPropertyObject* copy = source ? source->clone() : nullptr;
    const QVariant value = source || !content ? QVariant() : content->value();

    CPropertyObject* target = parameterObject(0);
    if (!target) {
        delete copy;
        return nullptr;
    }
    if (copy) {
        if (!target->setObjectProperty(name.constData(), copy))
            delete copy;
    } else {
        target->setProperty(name.constData(), value);
    }
    return target;
}

QVariant CFunctionPropertyList::value()
{
    const CPropertyObject* o = parameterObject(0);
    return QVariant(o ? o->propertyNames() : QStringList());
}
