// SPDX-License-Identifier: MIT
#pragma once
// The seam between the network library's classes and the code that talks to the system. The
// backends (the real Linux one and the one simulated from an emulation profile) live in a
// shared library of their own, loaded on first use, so a flow that never touches the network
// never loads it. Only plain Qt values cross the seam.
#include <QList>
#include <QString>
#include <functional>

class QObject;

namespace IpKit {

// Bumped whenever the seam changes, so a stale library is refused instead of misread.
constexpr int kBackendAbi = 1;

// Addresses are IPv4 in host byte order.
struct AddressMask {
    quint32 address = 0;
    quint32 mask = 0;
};

struct InterfaceRecord {
    QString id;
    QString description;
    int type = 0;        // 1 loopback, 2 ppp, 3 ethernet, 4 wireless, 5 usb; 0 anything else
    int mediaStatus = 1; // 1 connected, 2 medium not connected
    bool dhcp = false;
    QList<AddressMask> addresses;
    QList<quint32> gateways;
    QList<quint32> nameServers;
};

struct Outcome {
    bool ok = false;
    bool rebootRequired = false;
    QString error;
    InterfaceRecord interface; // as the system holds it afterwards
};

using Done = std::function<void(const Outcome&)>;
using StopCheck = std::function<bool()>;

// Echo status codes (the values Windows' ICMP helper uses, which scripts compare against).
enum EchoStatus {
    EchoSuccess = 0,
    EchoDestinationHostUnreachable = 11003,
    EchoBadOption = 11007,
    EchoTimedOut = 11010,
    EchoTtlExpired = 11013,
    EchoBadDestination = 11018,
    EchoGeneralFailure = 11050,
};

// Callbacks run on the thread of their context object, never after it is destroyed.
class Backend {
public:
    virtual ~Backend() = default;

    // Whether this backend simulates the network from a profile.
    virtual bool isEmulated() const = 0;
    // A snapshot of the interfaces. Any thread.
    virtual QList<InterfaceRecord> interfaces() = 0;
    // Calls changed() whenever the interfaces may have changed, until context is destroyed.
    virtual void watch(QObject* context, std::function<void()> changed) = 0;
    // Applies the addresses, gateways, name servers and DHCP mode of the interface named by id.
    virtual void apply(QObject* context, const InterfaceRecord& wanted, Done done) = 0;
    // Renews (after releasing, when asked) the lease of the interface; false when no outcome
    // will follow.
    virtual bool renew(QObject* context, const InterfaceRecord& interface, bool releaseFirst, Done done) = 0;
    // One echo request; blocks the calling worker thread for at most timeoutMs, less when
    // stop (when set) turns true. *rttMicroseconds is set in every case.
    virtual int echo(quint32 address, int timeoutMs, int ttl, int dataSize, qint64* rttMicroseconds,
                     const StopCheck& stop) = 0;
    // Look-ups: 0 on success, else the resolver's code with its text in *error.
    virtual int addressesByName(const QString& name, QList<quint32>* addresses, QString* error) = 0;
    virtual int nameByAddress(quint32 address, QString* name, QString* error) = 0;
};

} // namespace IpKit

// The one symbol of the backend library. profilePath names the emulation profile (empty when
// none); a profile with a "network" group gives the simulated backend.
extern "C" IpKit::Backend* setupfsmIpkitBackend(int abi, const char* profilePath);
