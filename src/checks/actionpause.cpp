// SPDX-License-Identifier: MIT
#include "checks/actionpause.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QTimer>

namespace {
constexpr int kTickMs = 100;
constexpr int kTicksPerStep = 10;
} // namespace

CActionPause::CActionPause(QObject* parent, const char* name)
    : CAsyncAction(parent, name)
    , m_timer(new QTimer(this))
{
    // A coarse timer may fire up to 5 % late on every tick, and the lateness adds up.
    m_timer->setTimerType(Qt::PreciseTimer);
}

int CActionPause::time() const
{
    return Qt3::toInt(property("time"));
}

int CActionPause::totalSteps() const
{
    const int steps = time() / kTicksPerStep;
    return steps < 1 ? 1 : steps;
}

int CActionPause::doAction()
{
    const QVariant value = property("time");
    m_time = Qt3::toInt(value);
    m_ticks = m_time;
    if (m_time <= 0) {
        SFSM_TRACE("action", QStringLiteral("Pause: time \"") + Qt3::toString(value)
                                 + QStringLiteral("\" is no positive number of tenths of a second; no pause"));
    } else {
        SFSM_TRACE("action", QStringLiteral("Pause: %1 tenths of a second").arg(m_time));
    }
    connect(m_timer, &QTimer::timeout, this, &CActionPause::timeTick, Qt::UniqueConnection);
    setProgress(0);
    m_timer->start(kTickMs);
    return 0;
}

void CActionPause::timeTick()
{
    --m_ticks;
    const int elapsed = m_time - m_ticks;
    if (elapsed != 0 && elapsed % kTicksPerStep == 0)
        step();
    if (m_ticks < 1) {
        abort();
        setFinishEvent(QStringLiteral("finished"));
        emitFinished(0);
    }
}

void CActionPause::abort()
{
    m_timer->stop();
    disconnect(m_timer, nullptr, this, nullptr);
}
