// SPDX-License-Identifier: MIT
// The property-map side of a transition: the maps come from the maker the property-map module
// installs; without one, a transition that carries maps does not build.
#include "engine/transitionmaps.h"
#include "engine/domnode.h"
#include "engine/trace.h"
#include "engine/transition.h"

namespace {

const char kCategory[] = "transition";

TransitionMapsMaker g_maker = nullptr;

} // namespace

void setTransitionMapsMaker(TransitionMapsMaker maker)
{
    g_maker = maker;
}

TransitionMapsMaker transitionMapsMaker()
{
    return g_maker;
}

CTransition::~CTransition()
{
    delete m_maps;
}

void CTransition::loadPropertyMaps(const QDomNode& element)
{
    const QList<CDomNode> nodes = CDomNode(element).elementsByPath(QStringLiteral("propertymap"));
    for (const CDomNode& node : nodes) {
        const QDomElement e = node.toElement();
        if (addPropertyMap(e.attribute(QStringLiteral("target")), e.attribute(QStringLiteral("function"))))
            continue;
        SFSM_TRACE(kCategory, QStringLiteral("  ! Error ! Invalid propertymap."));
        SFSM_TRACE(kCategory, propertyMapErrors());
    }
}

bool CTransition::addPropertyMap(const QString& target, const QString& function)
{
    if (!m_maps) {
        if (!g_maker) {
            m_mapErrors = QStringLiteral("Property maps are not available: no module provides them.\n");
            return false;
        }
        m_maps = g_maker(this);
    }
    return m_maps->add(target, function);
}

QString CTransition::propertyMapErrors() const
{
    return m_maps ? m_maps->errors() : m_mapErrors;
}

int CTransition::propertyMapCount() const
{
    return m_maps ? int(m_maps->count()) : 0;
}

void CTransition::announceSuppliedProperties()
{
    if (m_maps)
        m_maps->announce();
}

void CTransition::applyPropertyMaps()
{
    SFSM_TRACE(kCategory, QString());
    if (m_maps)
        m_maps->apply();
}
