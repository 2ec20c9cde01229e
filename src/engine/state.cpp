#include "engine/state.h"
#include "engine/definitionrules.h"
#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSet>

namespace {

// The signals carry engine pointers. Queued connections and signal spies of hosts need their
// meta types at run time, and moc cannot register a type it only sees declared.
bool registerMetaTypes()
{
    qRegisterMetaType<CState*>();
    qRegisterMetaType<CTransition*>();
    qRegisterMetaType<CFsm*>();
    return true;
}

} // namespace

CState::CState(QObject* parent, const char* name, const QDomNode& element)
    : CPropertyObject(parent, name)
{
    static const bool registered = registerMetaTypes();
    Q_UNUSED(registered);
    if (!name || !*name) {
        m_errors = QStringLiteral("Unnamed state.\n");
        return;
    }
    CState::configure(element, QString::fromLatin1(name));
}

CState::~CState()
{
    CState::reset();
}

void CState::reset()
{
    m_leaveEvent.clear();
    m_errors.clear();
    m_events.clear();
    m_suppliedProperties.clear();
    m_requiredProperties.clear();
    m_announcedProperties.clear();
    m_progress = 0.0;
    m_weight = 0;
    clearProperties();
    // One transition may sit under several events; delete each object once.
    QSet<CTransition*> distinct;
    for (CTransition* t : std::as_const(m_transitions))
        distinct.insert(t);
    m_transitions.clear();
    qDeleteAll(distinct);
}

CState* CState::parentState() const
{
    return qobject_cast<CState*>(parent());
}

QCoreApplication* CState::application() const
{
    const CState* p = parentState();
    return p ? p->application() : nullptr;
}

CPropertyObject* CState::applicationProperties() const
{
    const CState* p = parentState();
    return p ? p->applicationProperties() : nullptr;
}

void* CState::userData() const
{
    const CState* p = parentState();
    return p ? p->userData() : nullptr;
}

bool CState::isFsm() const
{
    return inherits("CFsm");
}

QString CState::fullName() const
{
    const CState* p = parentState();
    return p ? p->fullName() + QLatin1Char(':') + objectName() : objectName();
}

void CState::initialize() {}

void CState::leave() {}

void CState::addEvents(const QStringList& events)
{
    m_events += events;
}

bool CState::hasEvent(const QString& event) const
{
    static const QString back = QStringLiteral("pageBack");
    if (event.contains(QLatin1Char('|'))) {
        const QStringList pieces = event.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        for (const QString& piece : pieces) {
            if (piece != back && !m_events.contains(piece))
                return false;
        }
        return true;
    }
    return event == back || m_events.contains(event);
}

QString CState::leaveEvent() const
{
    return m_leaveEvent;
}

QStringList CState::events() const
{
    return m_events;
}

void CState::attachTransition(CTransition* transition, const QString& events)
{
    const QStringList pieces = events.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString& piece : pieces)
        m_transitions.insert(piece, transition);
}

CTransition* CState::transition(const QString& event)
{
    const auto it = m_transitions.constFind(event);
    if (it != m_transitions.constEnd())
        return it.value();
    if (event == QLatin1String("pageBack"))
        return new CBackTransition(qobject_cast<CFsm*>(parent()));
    return nullptr;
}

QMap<QString, CTransition*>& CState::transitions()
{
    return m_transitions;
}

// "pageBack" always has a transition; asking must not build a back transition that nobody
// fires, or every check of a state would leave one behind in the FSM.
bool CState::hasTransition(const QString& events)
{
    static const QString back = QStringLiteral("pageBack");
    if (events.contains(QLatin1Char('|'))) {
        const QStringList pieces = events.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        for (const QString& piece : pieces) {
            if (piece == back || transition(piece))
                return true;
        }
        return false;
    }
    return events == back || transition(events) != nullptr;
}

bool CState::detachTransition(const QString& event)
{
    CTransition* t = transition(event);
    if (!t)
        return false;
    // No entry may keep pointing at the deleted object, whatever event it sits under.
    for (auto it = m_transitions.begin(); it != m_transitions.end();) {
        if (it.value() == t)
            it = m_transitions.erase(it);
        else
            ++it;
    }
    delete t;
    return true;
}

void CState::configure(const QDomNode& element, const QString& context)
{
    if (element.isNull())
        return;
    for (const QDomElement& e : applicablePropertyElements(element))
        applyPropertyElement(e, context);
    bool ok = false;
    const int weight = element.toElement().attribute(QStringLiteral("weight")).toInt(&ok);
    setWeight(ok ? weight : 0);
}

void CState::applyPropertyElement(const QDomElement& e, const QString& context)
{
    const QString key = e.attribute(QStringLiteral("key"));
    QString value = e.attribute(QStringLiteral("value"));
    const bool required = e.attribute(QStringLiteral("required")).toLower() == QLatin1String("yes");
    if (!value.isEmpty()) {
        QString inner;
        if (unwrapTranslation(value, &inner))
            value = translateDefinitionText(context, inner);
        if (!setProperty(key.toLatin1().constData(), QVariant(value)))
            SFSM_TRACE("state", QStringLiteral("  ! Warning ! Adding property failed."));
    }
    if (required)
        addRequiredProperty(key);
}

void CState::settleQtProperties()
{
    if (values().isEmpty())
        return;
    const QStringList names = values().keys();
    for (const QString& name : names) {
        const QByteArray latin1 = name.toLatin1();
        if (!isQtProperty(latin1.constData()))
            continue;
        if (!setProperty(latin1.constData(), takeValue(name)))
            SFSM_TRACE("state", QStringLiteral("  ! Warning ! Adding property failed."));
    }
}

QString CState::translateDefinitionText(const QString& context, const QString& text) const
{
    const QByteArray ctx = context.toUtf8();
    const QByteArray utf8 = text.toUtf8();
    QString translated = tr(ctx.constData(), utf8.constData());
    if (translated == text)
        translated = tr("@default", utf8.constData());
    return translated;
}

QString CState::typeName() const
{
    return m_typeName;
}

void CState::setTypeName(const QString& typeName)
{
    m_typeName = typeName;
}

QString CState::translationContext() const
{
    return objectName();
}

QString CState::tr(const char* context, const char* text) const
{
    if (!application())
        return QString::fromUtf8(text);
    return QCoreApplication::translate(context, text);
}

QString& CState::errors()
{
    return m_errors;
}

int CState::weight() const
{
    return m_weight;
}

void CState::setWeight(int weight)
{
    if (weight >= 0)
        m_weight = weight;
}

// Transitions may announce again once the whole tree is built; a name is listed once.
void CState::addSuppliedProperty(const QString& name)
{
    if (!m_suppliedProperties.contains(name))
        m_suppliedProperties.append(name);
}

void CState::addAnnouncedProperty(const QString& name)
{
    if (!m_announcedProperties.contains(name))
        m_announcedProperties.append(name);
}

void CState::addRequiredProperty(const QString& name)
{
    m_requiredProperties.append(name);
}

bool CState::isRequiredProperty(const QString& name) const
{
    return m_requiredProperties.contains(name);
}

bool CState::isAnnouncedProperty(const QString& name) const
{
    return m_announcedProperties.contains(name);
}

QStringList& CState::suppliedProperties()
{
    return m_suppliedProperties;
}

QStringList& CState::requiredProperties()
{
    return m_requiredProperties;
}

void CState::emitFinished(CState* state, CTransition* transition)
{
    EmitGuard guard(this);
    static const int signalIndex = QMetaMethod::fromSignal(&CState::finished).methodIndex();
    if (maySignalReach(signalIndex))
        emit finished(state, transition);
    if (m_listener)
        m_listener->slot_stateFinished(state, transition);
}

void CState::emitProgress(int value)
{
    EmitGuard guard(this);
    static const int signalIndex = QMetaMethod::fromSignal(&CState::progress).methodIndex();
    if (maySignalReach(signalIndex))
        emit progress(value);
    if (m_listener)
        m_listener->slot_stateProgress(value);
}

void CState::setLeaveEvent(const QString& event)
{
    m_leaveEvent = event;
}

void CState::leaveState()
{
    SFSM_TRACE("state", QStringLiteral("--- State ") + objectName() + QStringLiteral(": leave state with event = ") + m_leaveEvent);
    leave();
    QCoreApplication::postEvent(this, new QEvent(kStateFinishedEvent));
}

bool CState::event(QEvent* e)
{
    if (e->type() != kStateFinishedEvent)
        return CPropertyObject::event(e);
    m_progress = 100.0;
    emitProgress(100);
    CTransition* t = transition(m_leaveEvent);
    emitFinished(this, t);
    return true;
}
