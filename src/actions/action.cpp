// SPDX-License-Identifier: MIT
#include "actions/action.h"
#include "engine/trace.h"
#include "engine/definitionrules.h"

#include <QTimer>

namespace {

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace

CAction::CAction(QObject* parent, const char* name)
    : CPropertyObject(parent, name && *name ? name : "_unnamed_")
{
    construct();
}

CAction::CAction(QObject* parent, const char* name, const QDomNode& element)
    : CPropertyObject(parent, name && *name ? name : "_unnamed_")
{
    construct();
    configure(element);
}

CAction::~CAction() = default;

void CAction::construct()
{
    SFSM_TRACE("action", QStringLiteral("Create action ") + quoted(objectName()));
    m_progressTimer = new QTimer(this);
}

CPropertyObject* CAction::owner() const
{
    return qobject_cast<CPropertyObject*>(parent());
}

QVariant CAction::property(const char* name) const
{
    if (CPropertyObject::hasValueProperty(name))
        return CPropertyObject::property(name);
    const CPropertyObject* o = owner();
    if (o && o->hasValueProperty(name))
        return o->property(name);
    return QVariant();
}

CPropertyObject* CAction::objectProperty(const char* name) const
{
    if (CPropertyObject::hasObjectProperty(name))
        return CPropertyObject::objectProperty(name);
    const CPropertyObject* o = owner();
    if (o && o->hasObjectProperty(name))
        return o->objectProperty(name);
    return nullptr;
}

bool CAction::hasProperty(const char* name) const
{
    const CPropertyObject* o = owner();
    return CPropertyObject::hasProperty(name) || (o && o->hasProperty(name));
}

bool CAction::hasValueProperty(const char* name) const
{
    const CPropertyObject* o = owner();
    return CPropertyObject::hasValueProperty(name) || (o && o->hasValueProperty(name));
}

bool CAction::hasObjectProperty(const char* name) const
{
    const CPropertyObject* o = owner();
    return CPropertyObject::hasObjectProperty(name) || (o && o->hasObjectProperty(name));
}

void CAction::reset()
{
    setProgress(0);
}

void CAction::start()
{
    setResult(doAction());
    emitFinished(result());
}

void CAction::abort() {}

void CAction::setResult(int result)
{
    m_result.store(result, std::memory_order_relaxed);
}

int CAction::result() const
{
    return m_result.load(std::memory_order_relaxed);
}

void CAction::setFinishEvent(const QString& event)
{
    m_finishEvent = event;
}

QString CAction::finishEvent() const
{
    return m_finishEvent;
}

void CAction::setTotalSteps(int steps)
{
    m_totalSteps.store(steps, std::memory_order_relaxed);
}

void CAction::advance(int n)
{
    if (n >= 1)
        setProgress(progress() + n);
}

void CAction::step()
{
    advance(1);
}

int CAction::totalSteps() const
{
    return m_totalSteps.load(std::memory_order_relaxed);
}

bool CAction::isBusy() const
{
    return false;
}

void CAction::whenIdle(std::function<void()> f)
{
    if (f)
        f();
}

void CAction::stopAndWait() {}

void CAction::progressTimerSlot()
{
    step();
}

int CAction::configure(const QDomNode& node)
{
    if (node.isNull())
        return 0;
    for (const QDomElement& e : applicablePropertyElements(node)) {
        const QString key = e.attribute(QStringLiteral("key"));
        const QString value = e.attribute(QStringLiteral("value"));
        SFSM_TRACE("action", QStringLiteral("Set property for action ") + quoted(objectName())
                                 + QStringLiteral(": key = ") + quoted(key) + QStringLiteral(" value = ")
                                 + quoted(value));
        if (!setProperty(key.toLatin1().constData(), QVariant(value)))
            SFSM_TRACE("action", QStringLiteral("  ! Warning ! Adding property failed."));
    }
    return 0;
}

void CAction::startProgressTimer()
{
    connect(m_progressTimer, &QTimer::timeout, this, &CAction::progressTimerSlot, Qt::UniqueConnection);
    m_progressTimer->start(1000);
}

void CAction::stopProgressTimer()
{
    m_progressTimer->stop();
    disconnect(m_progressTimer, nullptr, this, nullptr);
}

int CAction::storeProgress(int p)
{
    const int total = totalSteps();
    const int value = p > total ? total : p;
    m_progress.store(value, std::memory_order_relaxed);
    return value;
}

void CAction::setProgress(int p)
{
    const int value = storeProgress(p);
    emitProgress(value, totalSteps());
}

void CAction::emitFinished(int result)
{
    EmitGuard guard(this);
    Q_EMIT actionFinished(result);
}

void CAction::emitProgress(int progress, int totalSteps)
{
    EmitGuard guard(this);
    Q_EMIT actionProgress(progress, totalSteps);
}

CAsyncAction::CAsyncAction(QObject* parent, const char* name)
    : CAction(parent, name)
{
}

CAsyncAction::CAsyncAction(QObject* parent, const char* name, const QDomNode& element)
    : CAction(parent, name, element)
{
}

void CAsyncAction::start()
{
    setResult(doAction());
}

int CAsyncAction::doAction()
{
    return 0;
}
