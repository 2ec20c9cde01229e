// SPDX-License-Identifier: MIT
#include "net/waitnulladdressesstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/iphost.h"
#include "ipkit/ipmonitor.h"

#include <algorithm>
#include <climits>

namespace {

const char kCategory[] = "actionWaitNullAddresses";
constexpr int kMinimumTimeoutSeconds = 20;
constexpr int kRecheckDelayMs = 10;

void trace(const QString& text)
{
    SFSM_TRACE(kCategory, text);
}

// Seconds as timer milliseconds: QTimer takes an int.
int milliseconds(qlonglong seconds)
{
    return int(std::clamp<qlonglong>(seconds, 0, INT_MAX / 1000) * 1000);
}

} // namespace

CActionWaitNullAddresses::CActionWaitNullAddresses(QObject* parent, const char* name) : CAsyncAction(parent, name)
{
    m_timeoutTimer.setSingleShot(true);
    m_interfaceTimer.setSingleShot(true);
    m_recheckTimer.setSingleShot(true);
    m_recheckTimer.setInterval(kRecheckDelayMs);
    connect(&m_recheckTimer, &QTimer::timeout, this, &CActionWaitNullAddresses::checkNullAdresses);
}

CActionWaitNullAddresses::~CActionWaitNullAddresses()
{
    delete m_monitor;
}

void CActionWaitNullAddresses::reset()
{
    CAsyncAction::reset();
    delete m_monitor;
    m_monitor = new CIpMonitor();
    m_waiting = false;
}

int CActionWaitNullAddresses::doAction()
{
    const int timeout = qMax(kMinimumTimeoutSeconds, Qt3::toInt(property("timeout")));
    setTotalSteps(timeout);
    trace(QStringLiteral("Check for null addresses with timeout (sec) ") + QString::number(timeout));
    startProgressTimer();
    connect(&m_timeoutTimer, &QTimer::timeout, this, &CActionWaitNullAddresses::slotTimeout, Qt::UniqueConnection);
    m_timeoutTimer.start(milliseconds(timeout));
    connect(m_monitor, &CIpMonitor::interfaceAdded, this, &CActionWaitNullAddresses::slotInterfaceAddedRemoved);
    connect(m_monitor, &CIpMonitor::interfaceRemoved, this, &CActionWaitNullAddresses::slotInterfaceAddedRemoved);
    connect(m_monitor, &CIpMonitor::interfaceChanged, this, &CActionWaitNullAddresses::slotInterfaceChanged);
    checkNullAdresses();
    return 0;
}

void CActionWaitNullAddresses::slotInterfaceAddedRemoved(const CIpInterface&)
{
    m_recheckTimer.start();
}

void CActionWaitNullAddresses::slotInterfaceChanged(const CIpInterface&, const CIpInterface&)
{
    m_recheckTimer.start();
}

void CActionWaitNullAddresses::checkNullAdresses()
{
    if (!nullAddressesLeft())
        finish(QStringLiteral("finished"));
}

void CActionWaitNullAddresses::slotTimeout()
{
    trace(QStringLiteral("Still null addresses after timeout!"));
    finish(QStringLiteral("timeout"));
}

bool CActionWaitNullAddresses::waitForDisconnected()
{
    if (m_waiting) {
        if (m_interfaceTimer.isActive()) {
            trace(QStringLiteral("  interface not connected, keep waiting"));
            return true;
        }
        trace(QStringLiteral("  interface still not connected after timeout, ignore"));
        return false;
    }
    const int seconds = Qt3::toInt(property("interfaceTimeout"));
    if (seconds <= 0) {
        trace(QStringLiteral("  interface not connected, ignore"));
        return false;
    }
    trace(QStringLiteral("  interface not connected, wait for ") + QString::number(seconds)
          + QStringLiteral("s to allow the interface to come up"));
    connect(&m_interfaceTimer, &QTimer::timeout, this, &CActionWaitNullAddresses::checkNullAdresses, Qt::UniqueConnection);
    m_interfaceTimer.start(milliseconds(seconds));
    m_waiting = true;
    return true;
}

bool CActionWaitNullAddresses::nullAddressesLeft()
{
    CIpHost host = CIpConfig().queryHost(false);
    trace(QStringLiteral("Host config:"));
    trace(host.toString());
    const CIpAddress nullAddress(QStringLiteral("0.0.0.0"));
    for (CIpInterface* i = host.firstInterface(); i; i = host.nextInterface()) {
        trace(QStringLiteral("Checking Interface: ") + i->description());
        if (i->numberOfAddresses() == 0) {
            trace(QStringLiteral("  interface has no addresses"));
        } else if (i->address(0) != nullAddress) {
            trace(QStringLiteral("  no null address"));
        } else if (i->mediaStatus() == CIpInterface::NotConnected) {
            if (waitForDisconnected())
                return true;
        } else if (i->type() == CIpInterface::Ppp) {
            trace(QStringLiteral("  interface is ppp, ignore"));
        } else if (!i->isDhcpEnabled()) {
            trace(QStringLiteral("  interface is not DHCP, ignore"));
        } else {
            trace(QStringLiteral("  null address found"));
            return true;
        }
    }
    return false;
}

void CActionWaitNullAddresses::detach()
{
    m_timeoutTimer.stop();
    m_interfaceTimer.stop();
    m_recheckTimer.stop();
    disconnect(&m_timeoutTimer, nullptr, this, nullptr);
    disconnect(&m_interfaceTimer, nullptr, this, nullptr);
    if (m_monitor)
        disconnect(m_monitor, nullptr, this, nullptr);
}

void CActionWaitNullAddresses::finish(const QString& event)
{
    detach();
    setFinishEvent(event);
    setResult(0);
    emitFinished(0);
}

void CActionWaitNullAddresses::abort()
{
    stopProgressTimer();
    detach();
    delete m_monitor;
    m_monitor = nullptr;
    CAsyncAction::abort();
}

CWaitNullAddressesState::CWaitNullAddressesState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionWaitNullAddresses(this, "actionWaitNullAddresses"));
}

void CWaitNullAddressesState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("timeout")});
}
