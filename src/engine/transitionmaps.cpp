// The property-map operations of a transition. Until property maps exist a transition holds
// none: it is valid, announces nothing and applies nothing.
#include "engine/transition.h"

CTransition::~CTransition() = default;

void CTransition::loadPropertyMaps(const QDomNode& element)
{
    Q_UNUSED(element);
}

bool CTransition::addPropertyMap(const QString& target, const QString& function)
{
    Q_UNUSED(target);
    Q_UNUSED(function);
    return false;
}

void CTransition::announceSuppliedProperties() {}

QString CTransition::propertyMapErrors() const
{
    return QString();
}

void CTransition::applyPropertyMaps() {}
