// SPDX-License-Identifier: MIT
// The network states on this machine's real network, beside what they wrap, in the same run:
// an "icmpPing" state against the bare echo round trip on loopback, and "getInterfaceList"
// against `ip -j addr`.
#include "bench.h"
#include "engine/state.h"
#include "engine/statefactory.h"
#include "engine/transition.h"
#include "ipkit/icmp.h"
#include "plugin/plugin.h"

#include <QEventLoop>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kRounds = 200;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

std::unique_ptr<CState> makeState(CStateFactory* factory, const char* type)
{
    return std::unique_ptr<CState>(factory->createState(QString::fromLatin1(type), QDomNode(), nullptr, QStringLiteral("bench")));
}

// Seconds from entering the state to its finish; -1 when it left with another event than the
// expected one (any event when none is expected).
double timeOnce(CState* state, const QString& expected)
{
    QEventLoop loop;
    QObject::connect(state, &CState::finished, &loop, &QEventLoop::quit);
    const double start = Bench::now();
    state->enter();
    loop.exec();
    const double took = Bench::now() - start;
    return expected.isEmpty() || state->leaveEvent() == expected ? took : -1.0;
}

const Bench::Register pingOverhead("net.ping_overhead_ms", [] {
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> ping = makeState(factory.get(), "icmpPing");
    ping->setProperty("address", QStringLiteral("127.0.0.1"));
    ping->setProperty("timeout", 1000);
    CIcmp icmp;
    const CIpAddress loopback(QStringLiteral("127.0.0.1"));
    std::vector<double> state, bare;
    // Interleaved, so both sides see the same load of the machine.
    for (int i = 0; i < kRounds; ++i) {
        const double s = timeOnce(ping.get(), QStringLiteral("reply"));
        if (s < 0 || icmp.sendEchoRequest(loopback, 1000, 64, 32) != 0) {
            Bench::report(QStringLiteral("net.ping_overhead_ms.failed"), 1, QStringLiteral("x"));
            return;
        }
        state.push_back(s * 1000.0);
        bare.push_back(double(icmp.roundTripMicroseconds()) / 1000.0);
    }
    Bench::report(QStringLiteral("net.ping_state_ms"), median(state), QStringLiteral("ms"));
    Bench::report(QStringLiteral("net.ping_bare_rtt_ms"), median(bare), QStringLiteral("ms"));
    Bench::report(QStringLiteral("net.ping_overhead_ms"), median(state) - median(bare), QStringLiteral("ms"));
});

const Bench::Register listInterfaces("net.list_ms", [] {
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> list = makeState(factory.get(), "getInterfaceList");
    std::vector<double> ours, ip;
    for (int i = 0; i < kRounds / 4; ++i) {
        const double s = timeOnce(list.get(), QString());
        ours.push_back(s * 1000.0);
        const double start = Bench::now();
        QProcess p;
        p.start(QStringLiteral("ip"), {QStringLiteral("-j"), QStringLiteral("addr")});
        p.waitForFinished(10000);
        p.readAllStandardOutput();
        ip.push_back((Bench::now() - start) * 1000.0);
    }
    Bench::report(QStringLiteral("net.list_ms"), median(ours), QStringLiteral("ms"));
    Bench::report(QStringLiteral("net.list_ip_ms"), median(ip), QStringLiteral("ms"));
    Bench::report(QStringLiteral("net.list_ratio"), median(ours) / median(ip), QStringLiteral("x"));
});

} // namespace
