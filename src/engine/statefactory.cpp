#include "engine/statefactory.h"
#include "engine/state.h"

CStateFactory::CStateFactory(const QString& name, CStateFactory* fallback)
    : m_name(name)
    , m_fallback(fallback)
{
}

CStateFactory::~CStateFactory()
{
    qDeleteAll(m_children);
}

void CStateFactory::addCreator(const QString& type, CStateCreator creator)
{
    m_creators.insert(type, creator);
}

QStringList CStateFactory::stateTypes(const QString& factoryName, bool states, bool fsms) const
{
    if (factoryName.isEmpty() || factoryName == m_name)
        return ownStateTypes(states, fsms);
    for (const CStateFactory* child : m_children) {
        if (child->name() == factoryName)
            return child->ownStateTypes(states, fsms);
    }
    return QStringList();
}

QStringList CStateFactory::factoryNames() const
{
    QStringList names {m_name};
    for (const CStateFactory* child : m_children)
        names += child->factoryNames();
    return names;
}

CState* CStateFactory::createState(const QString& type, const QDomNode& element, QObject* parent, const QString& name)
{
    const auto it = m_creators.constFind(type);
    if (it != m_creators.constEnd()) {
        const QByteArray latin1 = name.toLatin1();
        return it.value()(parent, latin1.constData(), type, this, element);
    }
    return createByChildren(type, element, parent, name);
}

CState* CStateFactory::createByChildren(const QString& type, const QDomNode& element, QObject* parent,
                                        const QString& name)
{
    for (CStateFactory* child : m_children) {
        if (child->canCreate(type))
            return child->createState(type, element, parent, name);
    }
    if (m_fallback)
        return m_fallback->createState(type, element, parent, name);
    return nullptr;
}

bool CStateFactory::containsFactory(const CStateFactory* factory) const
{
    if (factory == this)
        return true;
    for (const CStateFactory* child : m_children) {
        if (child->containsFactory(factory))
            return true;
    }
    return false;
}

bool CStateFactory::addFactory(CStateFactory* factory)
{
    // A factory that already has an owner, anywhere, would be deleted twice; one that holds this
    // factory below it would make every lookup recurse forever.
    if (!factory || factory->m_owner || factory->containsFactory(this))
        return false;
    factory->m_owner = this;
    m_children.append(factory);
    return true;
}

QString CStateFactory::name() const
{
    return m_name;
}

CStateFactory* CStateFactory::findFactory(const QString& name)
{
    if (name.isEmpty())
        return nullptr;
    if (name == m_name)
        return this;
    for (CStateFactory* child : m_children) {
        if (CStateFactory* found = child->findFactory(name))
            return found;
    }
    return nullptr;
}

bool CStateFactory::canCreate(const QString& type) const
{
    if (m_creators.contains(type))
        return true;
    for (const CStateFactory* child : m_children) {
        if (child->canCreate(type))
            return true;
    }
    return false;
}

QStringList CStateFactory::ownStateTypes(bool states, bool fsms) const
{
    QStringList out;
    for (auto it = m_creators.constBegin(); it != m_creators.constEnd(); ++it) {
        const bool isFsmType = it.key().right(3).toLower() == QLatin1String("fsm");
        if ((isFsmType && fsms) || (!isFsmType && states))
            out.append(it.key());
    }
    return out;
}

void CStateFactory::setOptionalProperties(const QString& type, const QStringList& names)
{
    m_optionalProperties.insert(type, names);
}

QStringList CStateFactory::optionalProperties(const QString& type) const
{
    if (m_creators.contains(type))
        return m_optionalProperties.value(type);
    for (const CStateFactory* child : m_children) {
        if (child->canCreate(type))
            return child->optionalProperties(type);
    }
    return m_fallback ? m_fallback->optionalProperties(type) : QStringList();
}
