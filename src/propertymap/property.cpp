#include "propertymap/property.h"

CProperty::CProperty(const QString& reference)
{
    setLocationAndName(reference);
    m_latin1Name = m_name.toLatin1();
}

void CProperty::setLocationAndName(const QString& reference)
{
    const qsizetype dot = reference.indexOf(QLatin1Char('.'));
    if (dot >= 0 && dot + 1 < reference.size()) {
        const QStringView prefix = QStringView(reference).left(dot);
        if (prefix == QLatin1String("fsm")) {
            m_name = reference.mid(dot + 1);
            m_location = LocationFsm;
            return;
        }
        if (prefix == QLatin1String("app")) {
            m_name = reference.mid(dot + 1);
            m_location = LocationApp;
            return;
        }
    }
    m_name = reference;
    m_location = LocationState;
}

void CProperty::setObject(CPropertyObject* object)
{
    m_object = object;
    m_value = QVariant();
    m_isSet = true;
}

void CProperty::setValue(const QVariant& value)
{
    m_value = value;
    m_object = nullptr;
    m_isSet = true;
}
