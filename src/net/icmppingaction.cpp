// SPDX-License-Identifier: MIT
#include "net/icmppingaction.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "ipkit/icmp.h"

namespace {

const char kCategory[] = "icmpStates";
constexpr int kDefaultByte = 32;

quint8 byteOrDefault(const QVariant& v)
{
    const int value = Qt3::toInt(v);
    return quint8(value == 0 ? kDefaultByte : value);
}

} // namespace

CActionIcmpPing::CActionIcmpPing(QObject* parent, const char* name)
    : CThreadedAction(parent, name)
    , m_icmp(new CIcmp(this))
{
    m_icmp->setStopCheck([this] { return stopRequested(); });
}

CActionIcmpPing::~CActionIcmpPing()
{
    // The job uses the echo object to its end.
    stopAndWait();
}

void CActionIcmpPing::reset()
{
    // A negative time-out waits no time at all, and so has no steps either.
    setTotalSteps(qMax(0, Qt3::toInt(property("timeout")) / 1000));
    CThreadedAction::reset();
    startProgressTimer();
}

void CActionIcmpPing::abort()
{
    stopProgressTimer();
    setProgress(totalSteps());
    CThreadedAction::abort();
}

int CActionIcmpPing::doAction()
{
    const QString text = Qt3::toString(property("address"));
    const CIpAddress address(text);
    const int timeout = Qt3::toInt(property("timeout"));
    const int status = m_icmp->sendEchoRequest(address, timeout, byteOrDefault(property("ttl")), byteOrDefault(property("packetSize")));
    const quint64 rtt = m_icmp->roundTripTime();
    setProperty("roundTripTime", QVariant::fromValue<qulonglong>(rtt));
    if (status == 0) {
        SFSM_TRACE(kCategory, QStringLiteral("Echo reply from ") + text + QStringLiteral(" after ") + QString::number(rtt) + QStringLiteral("ms"));
        setFinishEvent(QStringLiteral("reply"));
    } else {
        SFSM_TRACE(kCategory, QStringLiteral("Request to ") + text + QStringLiteral(" failed, error code = ") + QString::number(status));
        setFinishEvent(QStringLiteral("noReply"));
    }
    return status;
}
