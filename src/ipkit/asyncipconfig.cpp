// SPDX-License-Identifier: MIT
#include "ipkit/asyncipconfig.h"
#include "ipkit/backendloader.h"

#include <QTimer>

CAsyncIpConfig::CAsyncIpConfig(QObject* parent) : QObject(parent) {}

CAsyncIpConfig::~CAsyncIpConfig() = default;

void CAsyncIpConfig::failLater(const CIpInterface& interface, const QString& reason)
{
    m_error = reason;
    // Callers connect after construction and before or after this call alike: the outcome
    // always comes from the event loop, never from inside setInterface().
    const CIpInterface copy(interface);
    QTimer::singleShot(0, this, [this, copy, reason] { Q_EMIT configurationFailed(copy, reason); });
}

void CAsyncIpConfig::setInterface(CIpInterface* interface)
{
    m_rebootRequired = false;
    m_error.clear();
    if (!interface) {
        failLater(CIpInterface(), QStringLiteral("no interface"));
        return;
    }
    const QString problem = interface->firstInvalidAddress();
    if (!problem.isEmpty()) {
        failLater(*interface, problem);
        return;
    }
    QString error;
    m_backend = IpKit::backend(&error);
    if (!m_backend) {
        failLater(*interface, error);
        return;
    }
    const CIpInterface wanted(*interface);
    m_backend->apply(this, interface->toRecord(), [this, wanted](const IpKit::Outcome& outcome) {
        if (!outcome.ok) {
            m_error = outcome.error;
            Q_EMIT configurationFailed(wanted, outcome.error);
            return;
        }
        m_rebootRequired = outcome.rebootRequired;
        Q_EMIT interfaceUpdated(CIpInterface(outcome.interface));
    });
}
