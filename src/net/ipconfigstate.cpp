// SPDX-License-Identifier: MIT
#include "net/ipconfigstate.h"
#include "engine/trace.h"
#include "ipkit/asyncipconfig.h"
#include "net/netinputs.h"

namespace {

const char kCategory[] = "ipConfigStates";
constexpr int kLeaveDelayMs = 10;

} // namespace

CIpConfigState::CIpConfigState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
    // A timer of the state's own, so that leaving from outside cancels a leave still pending.
    m_leaveTimer.setSingleShot(true);
    m_leaveTimer.setInterval(kLeaveDelayMs);
    connect(&m_leaveTimer, &QTimer::timeout, this, &CState::leaveState);
}

CIpConfigState::~CIpConfigState()
{
    delete m_config;
}

void CIpConfigState::initialize()
{
    addEvents({QStringLiteral("interfaceUpdated"), QStringLiteral("needReboot"), QStringLiteral("failed")});
    addRequiredProperty(QStringLiteral("newInterface"));
}

void CIpConfigState::enter()
{
    detach();
    CIpInterface* interface = NetInputs::interfaceProperty(*this, "newInterface");
    if (!interface) {
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! No interface found."));
        setLeaveEvent(QStringLiteral("interfaceUpdated"));
        leaveState();
        return;
    }
    m_config = new CAsyncIpConfig();
    connect(m_config, &CAsyncIpConfig::interfaceUpdated, this, &CIpConfigState::slotInterfaceUpdated);
    connect(m_config, &CAsyncIpConfig::configurationFailed, this, &CIpConfigState::slotConfigurationFailed);
    SFSM_TRACE(kCategory, QStringLiteral("Configuring interface: ") + interface->toString());
    m_config->setInterface(interface);
}

void CIpConfigState::slotInterfaceUpdated(const CIpInterface&)
{
    SFSM_TRACE(kCategory, QStringLiteral("Interface configured."));
    setLeaveEvent(m_config && m_config->isRebootRequired() ? QStringLiteral("needReboot") : QStringLiteral("interfaceUpdated"));
    m_leaveTimer.start();
}

void CIpConfigState::slotConfigurationFailed(const CIpInterface&, const QString& reason)
{
    SFSM_TRACE(kCategory, QStringLiteral(" ! Interface configuration failed: ") + reason);
    setLeaveEvent(QStringLiteral("failed"));
    m_leaveTimer.start();
}

void CIpConfigState::leave()
{
    m_leaveTimer.stop();
    detach();
    CState::leave();
}

void CIpConfigState::detach()
{
    if (!m_config)
        return;
    disconnect(m_config, nullptr, this, nullptr);
    // Deleted later: the state may be leaving from inside one of its signals.
    m_config->deleteLater();
    m_config = nullptr;
}
