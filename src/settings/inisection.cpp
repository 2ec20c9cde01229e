// SPDX-License-Identifier: MIT
#include "settings/inisection.h"
#include "engine/variantconv.h"

CIniSection::CIniSection(const QString& name)
{
    setObjectName(name);
}

CIniSection::CIniSection(const CIniSection& other)
    : CPropertyObject(other)
    , m_keys(other.m_keys)
{
}

CPropertyObject* CIniSection::clone() const
{
    return new CIniSection(*this);
}

QStringList CIniSection::propertyNames() const
{
    QStringList names = CPropertyObject::propertyNames();
    names.append(m_keys.keys());
    return names;
}

bool CIniSection::setProperty(const char* name, const QVariant& value)
{
    if (isQtProperty(name))
        return CPropertyObject::setProperty(name, value);
    m_keys.insert(QString::fromUtf8(name), Qt3::toString(value));
    return true;
}

QVariant CIniSection::property(const char* name) const
{
    if (isQtProperty(name))
        return CPropertyObject::property(name);
    const auto it = m_keys.constFind(QString::fromUtf8(name));
    return it == m_keys.constEnd() ? QVariant() : QVariant(*it);
}

bool CIniSection::removeProperty(const char* name)
{
    if (isQtProperty(name))
        return false;
    m_keys.remove(QString::fromUtf8(name));
    return true;
}

bool CIniSection::hasProperty(const char* name) const
{
    return hasValueProperty(name);
}

bool CIniSection::hasValueProperty(const char* name) const
{
    return isQtProperty(name) || m_keys.contains(QString::fromUtf8(name));
}
