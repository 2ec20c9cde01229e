// SPDX-License-Identifier: MIT
#pragma once
// One ICMP echo request at a time, blocking the calling worker thread until the reply, an
// error or the time-out. A stop flag set from another thread ends the wait early (as a
// time-out), so a worker never outlives the state that started it by long.
// Not thread-safe: one request at a time.
#include "ipkit/ipaddress.h"

#include <QObject>
#include "ipkit/ipbackend.h"
#include <memory>

namespace IpKit { class Backend; }

class CIcmp : public QObject {
    Q_OBJECT
public:
    explicit CIcmp(QObject* parent = nullptr);
    ~CIcmp() override;

    // 0 on an echo reply, else an error code (11010: no reply within the time-out; 11018:
    // no usable address; 11007: a time-to-live of 0; 11050: the system refused the request).
    // A time-out below 0 counts as 0.
    int sendEchoRequest(const CIpAddress& address, int timeout, quint8 ttl, quint8 packetSize);
    // The last round trip in milliseconds (0 without a reply), and in microseconds.
    quint64 roundTripTime() const { return quint64(m_rttMicroseconds / 1000); }
    qint64 roundTripMicroseconds() const { return m_rttMicroseconds; }

    // Polled while waiting; may be empty.
    void setStopCheck(IpKit::StopCheck stop) { m_stop = std::move(stop); }

    // A readable text of a status code.
    static QString errorText(int status);

private:
    IpKit::StopCheck m_stop;
    qint64 m_rttMicroseconds = 0;
};
