// SPDX-License-Identifier: MIT
#include "net/dhcprenewstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/dhcpclient.h"
#include "net/netinputs.h"

namespace {

const char kCategory[] = "ipConfigStates";
constexpr int kFinishDelayMs = 10;

} // namespace

CActionDhcpRenew::CActionDhcpRenew(QObject* parent, const char* name) : CAsyncAction(parent, name)
{
    m_finishTimer.setSingleShot(true);
    m_finishTimer.setInterval(kFinishDelayMs);
    connect(&m_finishTimer, &QTimer::timeout, this, &CActionDhcpRenew::finishUp);
}

CActionDhcpRenew::~CActionDhcpRenew()
{
    delete m_client;
}

int CActionDhcpRenew::doAction()
{
    const bool release = hasValueProperty("releaseBeforeRenew") && Qt3::toBool(property("releaseBeforeRenew"));
    const CIpInterface* interface = NetInputs::interfaceProperty(*this, "interface");
    if (!interface) {
        SFSM_TRACE(kCategory, QStringLiteral(" ! Warning ! No interface found."));
        setFinishEvent(QStringLiteral("interfaceRenewed"));
        emitFinished(0);
        return 0;
    }
    if (!m_client) {
        m_client = new CDhcpClient();
        connect(m_client, &CDhcpClient::addressRenewed, this, &CActionDhcpRenew::slotInterfaceRenewed);
        connect(m_client, &CDhcpClient::addressReleaseOrRenewFailed, this, &CActionDhcpRenew::slotRenewFailed);
    }
    SFSM_TRACE(kCategory, QStringLiteral("Renewing interface: ") + interface->toString());
    startProgressTimer();
    // The interface may be an object of the state that a renewal replaces: work on a copy.
    const CIpInterface given(*interface);
    if (!m_client->renew(given, release))
        slotInterfaceRenewed(given);
    return 0;
}

void CActionDhcpRenew::slotInterfaceRenewed(const CIpInterface& interface)
{
    SFSM_TRACE(kCategory, QStringLiteral("Interface renewed."));
    setObjectProperty("interface", new CIpInterface(interface));
    // The state's own "interface" is what every later read finds first; it must be the renewed one.
    if (auto* state = qobject_cast<CPropertyObject*>(parent()))
        state->setObjectProperty("interface", new CIpInterface(interface));
    setFinishEvent(QStringLiteral("interfaceRenewed"));
    m_finishTimer.start();
}

void CActionDhcpRenew::slotRenewFailed(const CIpInterface&)
{
    SFSM_TRACE(kCategory, QStringLiteral(" ! Interface renewal failed !."));
    if (m_client && !m_client->errorString().isEmpty())
        SFSM_TRACE(kCategory, QStringLiteral("  reason: ") + m_client->errorString());
    setFinishEvent(QStringLiteral("renewFailed"));
    m_finishTimer.start();
}

void CActionDhcpRenew::finishUp()
{
    setResult(0);
    emitFinished(0);
}

void CActionDhcpRenew::abort()
{
    m_finishTimer.stop();
    if (m_client) {
        disconnect(m_client, nullptr, this, nullptr);
        // Deleted later: the abort may come from inside one of the client's signals.
        m_client->deleteLater();
        m_client = nullptr;
    }
    stopProgressTimer();
    CAsyncAction::abort();
}

CDhcpRenewState::CDhcpRenewState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionDhcpRenew(this, "actionDhcpRenew"));
}

void CDhcpRenewState::initialize()
{
    addEvents({QStringLiteral("interfaceRenewed"), QStringLiteral("renewFailed")});
    addRequiredProperty(QStringLiteral("interface"));
    addAnnouncedProperty(QStringLiteral("interface"));
}
