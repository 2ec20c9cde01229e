#pragma once
#include <QDomNode>
#include <QList>
#include <QMap>
#include <QStringList>

class CState;
class CStateFactory;
class QObject;

using CStateCreator = CState* (*)(QObject* parent, const char* name, const QString& type, CStateFactory* factory,
                                  const QDomNode& element);

// Creates states by type name: own creators first, then child factories, then the fallback.
class CStateFactory {
public:
    explicit CStateFactory(const QString& name, CStateFactory* fallback = nullptr);
    virtual ~CStateFactory();
    CStateFactory(const CStateFactory&) = delete;
    CStateFactory& operator=(const CStateFactory&) = delete;

    virtual void addCreator(const QString& type, CStateCreator creator);
    virtual QStringList stateTypes(const QString& factoryName, bool states, bool fsms) const;
    virtual QStringList factoryNames() const;
    virtual CState* createState(const QString& type, const QDomNode& element, QObject* parent, const QString& name);
    // Appends a child the factory then owns; a factory that already has an owner, or that
    // holds this factory in its own subtree, is refused.
    virtual bool addFactory(CStateFactory* factory);
    virtual QString name() const;
    virtual CStateFactory* findFactory(const QString& name);
    virtual CState* createByChildren(const QString& type, const QDomNode& element, QObject* parent, const QString& name);
    virtual bool canCreate(const QString& type) const;
    virtual QStringList ownStateTypes(bool states, bool fsms) const;

    CStateFactory* fallback() const { return m_fallback; }

    // Properties a type reads when they are set, beside the required ones it declares itself:
    // they describe the type to flow authors (`setupfsm types`, the schema of definition
    // files) and change nothing when a flow runs. Looked up like a creation: own types, then
    // children, then the fallback.
    void setOptionalProperties(const QString& type, const QStringList& names);
    QStringList optionalProperties(const QString& type) const;

private:
    bool containsFactory(const CStateFactory* factory) const;

    QString m_name;
    QMap<QString, CStateCreator> m_creators;
    QMap<QString, QStringList> m_optionalProperties;
    QList<CStateFactory*> m_children;
    CStateFactory* m_fallback;
    CStateFactory* m_owner = nullptr; // the factory that holds this one as a child
};

// The three steps every creator takes: construct, name the type, initialize.
template <class T>
CState* createStateOf(QObject* parent, const char* name, const QString& type, CStateFactory*, const QDomNode& element)
{
    T* state = new T(parent, name, element);
    state->settleQtProperties();
    state->setTypeName(type);
    state->initialize();
    return state;
}

// FSM types also take the factory, so that they build their states with it.
template <class T>
CState* createFsmOf(QObject* parent, const char* name, const QString& type, CStateFactory* factory,
                    const QDomNode& element)
{
    T* fsm = new T(parent, name, factory, element);
    fsm->settleQtProperties();
    fsm->setTypeName(type);
    fsm->initialize();
    return fsm;
}
