// SPDX-License-Identifier: MIT
#include "ipkit/backend/linuxbackend.h"
#include "ipkit/backend/waiting.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

quint16 checksum(const unsigned char* data, size_t length)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (length & 1)
        sum += quint32(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

// Each request carries an identifier of its own, so that requests of several threads on raw
// sockets (which see every ICMP message) never take each other's replies.
quint16 nextIdentifier()
{
    static std::atomic<quint32> counter {quint32(getpid()) << 4};
    return quint16(counter.fetch_add(1));
}

class EchoSocket {
public:
    EchoSocket()
    {
        // A raw socket needs root; a ping socket needs the group to be in
        // net.ipv4.ping_group_range. Try the one that fits first.
        const bool root = geteuid() == 0;
        m_fd = socket(AF_INET, (root ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC, IPPROTO_ICMP);
        m_raw = root;
        if (m_fd < 0) {
            m_raw = !root;
            m_fd = socket(AF_INET, (root ? SOCK_DGRAM : SOCK_RAW) | SOCK_CLOEXEC, IPPROTO_ICMP);
        }
    }
    ~EchoSocket()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    EchoSocket(const EchoSocket&) = delete;
    EchoSocket& operator=(const EchoSocket&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool isRaw() const { return m_raw; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    bool m_raw = false;
};

struct Request {
    quint32 address;
    quint16 id;
    quint16 sequence;
};

// What one received datagram means for our request: -1 not ours, else a status.
int classify(const EchoSocket& s, const unsigned char* data, ssize_t length, const Request& r, quint32 from)
{
    if (s.isRaw()) {
        if (length < 20)
            return -1;
        const int headerLength = (data[0] & 0x0f) * 4;
        data += headerLength;
        length -= headerLength;
    }
    if (length < 8)
        return -1;
    const int type = data[0];
    if (type == ICMP_ECHOREPLY) {
        const quint16 id = quint16(data[4] << 8 | data[5]);
        const quint16 sequence = quint16(data[6] << 8 | data[7]);
        // A ping socket rewrites the identifier to its port; the kernel matched it already.
        if ((s.isRaw() && id != r.id) || sequence != r.sequence || from != r.address)
            return -1;
        return IpKit::EchoSuccess;
    }
    if (!s.isRaw() || (type != ICMP_DEST_UNREACH && type != ICMP_TIME_EXCEEDED) || length < 8 + 20 + 8)
        return -1;
    // An error carries the head of the request it is about.
    const unsigned char* inner = data + 8;
    const int innerHeader = (inner[0] & 0x0f) * 4;
    if (length < 8 + innerHeader + 8)
        return -1;
    const unsigned char* request = inner + innerHeader;
    const quint16 id = quint16(request[4] << 8 | request[5]);
    if (request[0] != ICMP_ECHO || id != r.id)
        return -1;
    return type == ICMP_TIME_EXCEEDED ? IpKit::EchoTtlExpired : IpKit::EchoDestinationHostUnreachable;
}

QByteArray echoRequest(const Request& r, int dataSize)
{
    QByteArray packet(8 + dataSize, '\0');
    auto* p = reinterpret_cast<unsigned char*>(packet.data());
    p[0] = ICMP_ECHO;
    p[4] = uchar(r.id >> 8);
    p[5] = uchar(r.id);
    p[6] = uchar(r.sequence >> 8);
    p[7] = uchar(r.sequence);
    for (int i = 0; i < dataSize; ++i)
        p[8 + i] = uchar('a' + i % 23);
    const quint16 sum = checksum(p, size_t(packet.size()));
    p[2] = uchar(sum >> 8);
    p[3] = uchar(sum);
    return packet;
}

} // namespace

int LinuxBackend::echo(quint32 address, int timeoutMs, int ttl, int dataSize, qint64* rttMicroseconds,
                       const IpKit::StopCheck& stop)
{
    *rttMicroseconds = 0;
    EchoSocket s;
    if (!s.isOpen())
        return IpKit::EchoGeneralFailure;
    if (setsockopt(s.fd(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) != 0)
        return IpKit::EchoBadOption;
    static std::atomic<quint16> sequences {1};
    const Request r {address, nextIdentifier(), sequences.fetch_add(1)};
    const QByteArray packet = echoRequest(r, dataSize);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    const Clock::time_point sent = Clock::now();
    if (sendto(s.fd(), packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
        return errno == ENETUNREACH || errno == EHOSTUNREACH ? IpKit::EchoDestinationHostUnreachable : IpKit::EchoGeneralFailure;
    const Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs);
    unsigned char buffer[1024];
    for (;;) {
        if (stop && stop())
            return IpKit::EchoTimedOut;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p {s.fd(), POLLIN, 0};
        const int ready = poll(&p, 1, int(std::clamp<qint64>(left, 0, IpKit::kStopPollMs)));
        if (ready > 0) {
            sockaddr_in from {};
            socklen_t fromLength = sizeof from;
            const ssize_t n = recvfrom(s.fd(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            const int status = n > 0 ? classify(s, buffer, n, r, ntohl(from.sin_addr.s_addr)) : -1;
            if (status >= 0) {
                if (status == IpKit::EchoSuccess)
                    *rttMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - sent).count();
                return status;
            }
        }
        if (left <= 0)
            return IpKit::EchoTimedOut;
    }
}
