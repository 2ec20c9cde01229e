#include "engine/fsm.h"
#include "engine/statefactory.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSet>

namespace {


// The rest of a state path after its first name; empty for a single name.
QString restOfPath(const QString& path, qsizetype colon)
{
    return colon < 0 ? QString() : path.mid(colon + 1);
}

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace

CFsm::CFsm(QObject* parent, const char* name, CStateFactory* factory, const QDomNode& element)
    : CState(parent, name, element)
{
    build(factory, element);
}

CFsm::~CFsm()
{
    CFsm::reset();
}

void CFsm::reset()
{
    const auto states = std::exchange(m_states, {});
    m_stateIndex.clear();
    m_current = nullptr;
    m_iteratorLoops.clear();
    m_loopsKnown = false;
    // A QObject leaves its parent's child list by a search and a move, so deleting thousands of
    // states and transitions one by one from the middle of the list took quadratic time. Take
    // this FSM's transitions out of every map first, then delete states and transitions in
    // child-list order, where each one leaves from the front of the list.
    auto dropOwnTransitions = [this](QMap<QString, CTransition*>& map) {
        for (auto it = map.begin(); it != map.end();) {
            if (it.value()->parent() == this)
                it = map.erase(it);
            else
                ++it;
        }
    };
    QSet<QObject*> doomed;
    doomed.reserve(states.size());
    for (CState* s : states) {
        disconnectState(s);
        doomed.insert(s);
        dropOwnTransitions(s->transitions());
    }
    dropOwnTransitions(CState::transitions());
    // Transitions that were never attached are dropped too: nothing can reach them any more.
    // A back transition deletes itself once fired and may be firing right now.
    const QObjectList kids = children();
    for (QObject* child : kids) {
        if (doomed.remove(child) || (qobject_cast<CTransition*>(child) && !qobject_cast<CBackTransition*>(child)))
            delete child;
    }
    qDeleteAll(doomed); // states held here under another parent
    setLeaveEvent(QString());
    CState::reset();
}

void CFsm::stopOnFatalError(const QString& message)
{
    SFSM_TRACE("fsm", QStringLiteral("  ! Fatal Error ! ") + message);
    CFsm* top = this;
    while (CFsm* up = top->parentFsm())
        top = up;
    emit top->stalled(this, message);
}

CFsm* CFsm::parentFsm() const
{
    return qobject_cast<CFsm*>(parent());
}

QCoreApplication* CFsm::application() const
{
    return m_application ? m_application : CState::application();
}

CPropertyObject* CFsm::applicationProperties() const
{
    return m_applicationProperties ? m_applicationProperties : CState::applicationProperties();
}

void* CFsm::userData() const
{
    return m_userData ? m_userData : CState::userData();
}

QString CFsm::translationContext() const
{
    return m_fileName.isEmpty() ? objectName() : m_fileName;
}

void CFsm::setApplication(QCoreApplication* application)
{
    m_application = application;
}

void CFsm::setApplicationProperties(CPropertyObject* properties)
{
    m_applicationProperties = properties;
}

void CFsm::setUserData(void* data)
{
    m_userData = data;
}

void CFsm::enter()
{
    CTransition* start = transition(kStartEvent);
    if (!start) {
        stopOnFatalError(QStringLiteral("Start transition doesn't exist."));
        return;
    }
    start->fire();
}

void CFsm::startInState(const QString& path)
{
    computeTotalWeight();
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    CState* s = firstOfPath(path, colon);
    if (!s) {
        stopOnFatalError(QStringLiteral("Start state doesn't exist."));
        return;
    }
    SFSM_TRACE("fsm", QStringLiteral("*** FSM ") + objectName() + QStringLiteral(": start in state ")
                          + quoted(s->objectName()));
    m_progress = 0.0;
    m_reported = 0;
    emitStarted(this, s);
    enterState(s, restOfPath(path, colon));
}

void CFsm::changeState(const QString& path)
{
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    if (m_current)
        disconnectState(m_current);
    CState* s = firstOfPath(path, colon);
    if (!s) {
        stopOnFatalError(QStringLiteral("to-state doesn't exist."));
        return;
    }
    SFSM_TRACE("fsm", QStringLiteral("*** FSM ") + objectName() + QStringLiteral(": change state from ")
                          + quoted(m_current ? m_current->objectName() : QString()) + QStringLiteral(" to ")
                          + quoted(s->objectName()) + QLatin1Char('.'));
    emitStateChanged(this, m_current, s);
    enterState(s, restOfPath(path, colon));
}

// State steps look names up in a hash: the name-ordered map compares strings all the way
// down its tree, on every step.
CState* CFsm::firstOfPath(const QString& path, qsizetype colon) const
{
    return m_stateIndex.value(colon < 0 ? path : path.left(colon));
}

void CFsm::enterState(CState* s, const QString& rest)
{
    m_current = s;
    s->setListener(this);
    weighLoop(s);
    if (rest.isEmpty()) {
        s->enter();
        return;
    }
    if (CFsm* sub = qobject_cast<CFsm*>(s))
        sub->startInState(rest);
    else
        stopOnFatalError(QStringLiteral("State must be an FSM but isn't one."));
}

void CFsm::disconnectState(CState* s)
{
    if (s && s->listener() == this)
        s->setListener(nullptr);
}

void CFsm::slot_stateFinished(CState* s, CTransition* t)
{
    if (s != m_current) {
        emitFinished(s, t);
        return;
    }
    if (!t) {
        stopOnFatalError(QStringLiteral("Transition is not effective."));
        return;
    }
    disconnectState(s);
    // Going back is no progress: the page walked back to restores its own value.
    const bool back = s->leaveEvent() == QLatin1String("pageBack");
    if (!back)
        m_progress = qMin(100.0, m_progress + s->weight() * 100.0 / totalWeight());
    emitFinished(s, t);
    if (!back)
        emitProgress(reportable(m_progress));
    t->fire();
}

void CFsm::slot_stateProgress(int p)
{
    if (!m_current) {
        SFSM_TRACE("fsm", QStringLiteral("  ! Fatal Error ! Current state not set."));
        return;
    }
    // A state leaving with "pageBack" reports 100 as it goes; that is no progress. Its leave
    // event may be left from an earlier entry, but a report of 100 precedes a finish that counts
    // the state's whole weight anyway.
    if (p >= 100 && m_current->leaveEvent() == QLatin1String("pageBack"))
        return;
    emitProgress(reportable(m_progress + m_current->weight() * double(p) / totalWeight()));
}

void CFsm::slotChildFsmStarted(CFsm* fsm, CState* s)
{
    emitStarted(fsm, s);
}

void CFsm::slotChildFsmStateChanged(CFsm* fsm, CState* from, CState* to)
{
    emitStateChanged(fsm, from, to);
}

void CFsm::emitStarted(CFsm* fsm, CState* s)
{
    EmitGuard guard(this);
    static const int signalIndex = QMetaMethod::fromSignal(&CFsm::started).methodIndex();
    if (maySignalReach(signalIndex))
        emit started(fsm, s);
    if (CFsm* up = listener())
        up->slotChildFsmStarted(fsm, s);
}

void CFsm::emitStateChanged(CFsm* fsm, CState* from, CState* to)
{
    EmitGuard guard(this);
    static const int signalIndex = QMetaMethod::fromSignal(&CFsm::stateChanged).methodIndex();
    if (maySignalReach(signalIndex))
        emit stateChanged(fsm, from, to);
    if (CFsm* up = listener())
        up->slotChildFsmStateChanged(fsm, from, to);
}

void CFsm::finishOnExit(const QString& exitEvent)
{
    SFSM_TRACE("fsm", QStringLiteral("*** FSM ") + objectName() + QStringLiteral(": finish on exit ") + quoted(exitEvent)
                          + QLatin1Char('.'));
    if (!hasEvent(exitEvent))
        SFSM_TRACE("fsm", QStringLiteral("  ! Fatal Error ! Exit event does not exist."));
    setLeaveEvent(exitEvent);
    leaveState();
}

void CFsm::leaveState()
{
    leave();
    if (leaveEvent() != QLatin1String("pageBack")) {
        m_progress = 100.0;
        emitProgress(100);
    }
    CTransition* t = transition(leaveEvent());
    // A back transition made for an FSM without parent FSM has no owner; the host only looks at
    // it, so it must not outlive the event loop pass.
    if (t && !t->parent())
        t->deleteLater();
    emitFinished(this, t);
}

void CFsm::leave()
{
    if (m_current) {
        CState* s = m_current;
        disconnectState(s);
        s->leave();
        m_current = nullptr;
    }
    if (Qt3::toBool(property("cleanStack")))
        cleanPageStack();
}

bool CFsm::addState(CState* s)
{
    if (!s)
        return false;
    const QString name = s->objectName();
    if (m_stateIndex.contains(name))
        return false;
    m_states.insert(name, s);
    m_stateIndex.insert(name, s);
    return true;
}

bool CFsm::hasState(const QString& name) const
{
    return m_stateIndex.contains(name);
}

bool CFsm::isUniqueState(CState* s) const
{
    int n = 0;
    for (CState* held : m_states) {
        if (held == s)
            ++n;
    }
    return n == 1;
}

CState* CFsm::currentState() const
{
    return m_current;
}

CState* CFsm::state(const QString& name) const
{
    return m_stateIndex.value(name);
}

QStringList CFsm::stateNames() const
{
    return m_states.keys();
}

QList<CTransitionRecord> CFsm::transitionTable()
{
    QList<CTransitionRecord> table;
    const auto own = transitions();
    for (auto it = own.constBegin(); it != own.constEnd(); ++it) {
        if (it.key() == kStartEvent)
            table.append({QString(), it.key(), it.value()->target(), QStringLiteral("start")});
    }
    for (CState* s : std::as_const(m_states)) {
        const auto map = s->transitions();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            const bool exit = qobject_cast<CExitTransition*>(it.value()) != nullptr;
            if (it.value()->parent() != this)
                continue; // attached by the parent FSM to a nested FSM's exit event
            table.append({s->objectName(), it.key(), it.value()->target(), exit ? QStringLiteral("exit") : QStringLiteral("state")});
        }
    }
    return table;
}

QStringList CFsm::navigation() const
{
    return m_navigation;
}

// ---- page stack

void CFsm::registerPage(const QString& path, int progress)
{
    if (CFsm* up = parentFsm()) {
        up->registerPage(path, progress);
        return;
    }
    if (!m_pageStack.isEmpty() && m_pageStack.last() == path)
        return;
    m_pageStack.append(path);
    m_pageProgress.append(progress);
    SFSM_TRACE("fsm", QStringLiteral("registerPage() Full page stack:\n") + m_pageStack.join(QLatin1Char('\n')));
}

void CFsm::registerCurrentPage()
{
    if (m_current)
        registerPage(m_current->fullName(), int(m_progress));
}

void CFsm::unRegisterPage(const QString& path)
{
    if (CFsm* up = parentFsm()) {
        up->unRegisterPage(path);
    } else {
        for (qsizetype i = m_pageStack.size() - 1; i >= 0; --i) {
            if (m_pageStack.at(i) == path) {
                m_pageStack.removeAt(i);
                if (i < m_pageProgress.size())
                    m_pageProgress.removeAt(i);
            }
        }
    }
    SFSM_TRACE("fsm", QStringLiteral("unRegisterPage() Full page stack:\n") + m_pageStack.join(QLatin1Char('\n')));
}

QString CFsm::topPage(bool pop)
{
    if (CFsm* up = parentFsm())
        return up->topPage(pop);
    if (m_pageStack.isEmpty())
        return QString();
    return pop ? m_pageStack.takeLast() : m_pageStack.last();
}

int CFsm::popPageProgress()
{
    if (CFsm* up = parentFsm())
        return up->popPageProgress();
    return m_pageProgress.isEmpty() ? 0 : m_pageProgress.takeLast();
}

void CFsm::cleanPageStack()
{
    for (CState* s : std::as_const(m_states))
        unRegisterPage(s->fullName());
}

void CFsm::jumpBack()
{
    if (m_current)
        unRegisterPage(m_current->fullName());
    const QString target = topPage(false);
    SFSM_TRACE("fsm", QStringLiteral("FSM ") + objectName() + QStringLiteral(": jump back to state ") + quoted(target));

    const QString own = fullName();
    const int d = int(own.count(QLatin1Char(':')));
    bool here = false;
    if (target.count(QLatin1Char(':')) > d) {
        const QString head = target.section(QLatin1Char(':'), 0, d);
        const QString step = target.section(QLatin1Char(':'), d + 1, d + 1);
        here = head == own && m_stateIndex.contains(step);
    }
    if (here) {
        topPage(true);
        m_progress = popPageProgress();
        // Walking back is the one way progress may fall, here and in every FSM around this one.
        for (CFsm* f = this; f; f = f->parentFsm())
            f->m_reported = 0;
        emitProgress(reportable(m_progress));
        changeState(target.section(QLatin1Char(':'), d + 1));
    } else {
        finishOnExit(QStringLiteral("pageBack"));
    }
}
