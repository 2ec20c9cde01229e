// SPDX-License-Identifier: MIT
#include "ipkit/backend/emulatedbackend.h"
#include "ipkit/backend/waiting.h"

#include <QSettings>
#include <QTimer>
#include <netdb.h>

namespace {

// How long the simulated system takes to apply settings and to renew a lease: long enough to
// be asynchronous, short enough for tests.
constexpr int kApplyDelayMs = 50;
constexpr int kRenewDelayMs = 100;

// Lists are comma-separated; QSettings hands a value with commas over as a string list.
QStringList listValue(const QVariant& v)
{
    QStringList raw = v.typeId() == QMetaType::QStringList ? v.toStringList() : v.toString().split(QLatin1Char(','));
    QStringList out;
    for (const QString& s : std::as_const(raw)) {
        if (!s.trimmed().isEmpty())
            out << s.trimmed();
    }
    return out;
}

QString textValue(const QVariant& v)
{
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QStringLiteral(", ")) : v.toString();
}

bool parseAddress(const QString& text, quint32* out)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    quint32 value = 0;
    for (const QString& p : parts) {
        bool ok = false;
        const uint byte = p.toUInt(&ok);
        if (!ok || byte > 255)
            return false;
        value = (value << 8) | byte;
    }
    *out = value;
    return true;
}

QList<quint32> addressList(const QVariant& v)
{
    QList<quint32> out;
    quint32 a = 0;
    for (const QString& s : listValue(v)) {
        if (parseAddress(s, &a))
            out << a;
    }
    return out;
}

QList<IpKit::AddressMask> maskedList(const QVariant& v)
{
    QList<IpKit::AddressMask> out;
    for (const QString& s : listValue(v)) {
        IpKit::AddressMask am;
        const QString address = s.section(QLatin1Char('/'), 0, 0);
        const QString mask = s.section(QLatin1Char('/'), 1);
        if (parseAddress(address, &am.address) && (mask.isEmpty() || parseAddress(mask, &am.mask)))
            out << am;
    }
    return out;
}

int typeCode(const QString& text)
{
    static const char* const words[] = {"loopback", "ppp", "ethernet", "wireless", "usb"};
    for (int i = 0; i < 5; ++i) {
        if (text.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return text.toInt();
}

int noName(QString* error)
{
    *error = QString::fromLocal8Bit(gai_strerror(EAI_NONAME));
    return EAI_NONAME;
}

} // namespace

EmulatedBackend::EmulatedBackend(QSettings& profile)
{
    m_clock.start();
    profile.beginGroup(QStringLiteral("network"));
    m_rebootRequired = profile.value(QStringLiteral("rebootRequired")).toString().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    for (quint32 a : addressList(profile.value(QStringLiteral("pingReply"))))
        m_pingReply.insert(a);
    m_pingRttMs = qMax(0, profile.value(QStringLiteral("pingRtt"), 1).toInt());
    const QStringList ids = listValue(profile.value(QStringLiteral("interfaces")));
    profile.endGroup();
    for (const QString& id : ids)
        readInterface(profile, id);
    profile.beginGroup(QStringLiteral("network.hosts"));
    const QStringList names = profile.childKeys();
    for (const QString& name : names)
        m_hosts.append({name, addressList(profile.value(name))});
    profile.endGroup();
}

void EmulatedBackend::readInterface(QSettings& profile, const QString& id)
{
    profile.beginGroup(QStringLiteral("network.") + id);
    Simulated s;
    s.record.id = id;
    s.record.description = textValue(profile.value(QStringLiteral("description"), id));
    s.record.type = typeCode(profile.value(QStringLiteral("type"), QStringLiteral("ethernet")).toString());
    s.record.mediaStatus = profile.value(QStringLiteral("media")).toString().compare(QStringLiteral("disconnected"), Qt::CaseInsensitive) == 0 ? 2 : 1;
    s.record.dhcp = profile.value(QStringLiteral("dhcp")).toString().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    s.record.addresses = maskedList(profile.value(QStringLiteral("addresses")));
    s.record.gateways = addressList(profile.value(QStringLiteral("gateways")));
    s.record.nameServers = addressList(profile.value(QStringLiteral("nameServers")));
    s.renew = profile.value(QStringLiteral("renew"), QStringLiteral("ok")).toString().toLower();
    s.renewAddresses = maskedList(profile.value(QStringLiteral("renewAddresses")));
    bool ok = false;
    const double upAfter = profile.value(QStringLiteral("upAfter")).toString().toDouble(&ok);
    if (ok && upAfter >= 0)
        s.upAfterMs = qint64(upAfter * 1000);
    profile.endGroup();
    m_interfaces.append(s);
}

void EmulatedBackend::settle()
{
    const qint64 now = m_clock.elapsed();
    for (Simulated& s : m_interfaces) {
        if (s.upAfterMs < 0 || now < s.upAfterMs)
            continue;
        s.upAfterMs = -1;
        s.record.mediaStatus = 1;
        s.record.addresses = s.renewAddresses;
    }
}

int EmulatedBackend::indexOf(const QString& id) const
{
    for (int i = 0; i < m_interfaces.size(); ++i) {
        if (m_interfaces[i].record.id == id)
            return i;
    }
    return -1;
}

QList<IpKit::InterfaceRecord> EmulatedBackend::interfaces()
{
    QMutexLocker lock(&m_mutex);
    settle();
    QList<IpKit::InterfaceRecord> out;
    for (const Simulated& s : std::as_const(m_interfaces))
        out << s.record;
    return out;
}

void EmulatedBackend::watch(QObject* context, std::function<void()> changed)
{
    QMutexLocker lock(&m_mutex);
    m_watchers.append({context, changed});
    const qint64 now = m_clock.elapsed();
    for (const Simulated& s : std::as_const(m_interfaces)) {
        if (s.upAfterMs >= 0)
            QTimer::singleShot(int(qMax<qint64>(0, s.upAfterMs - now)), context, changed);
    }
}

void EmulatedBackend::notifyWatchers()
{
    QList<Watcher> watchers;
    {
        QMutexLocker lock(&m_mutex);
        m_watchers.removeIf([](const Watcher& w) { return w.context.isNull(); });
        watchers = m_watchers;
    }
    for (const Watcher& w : std::as_const(watchers)) {
        if (w.context)
            QMetaObject::invokeMethod(w.context.data(), w.changed, Qt::QueuedConnection);
    }
}

void EmulatedBackend::apply(QObject* context, const IpKit::InterfaceRecord& wanted, IpKit::Done done)
{
    QTimer::singleShot(kApplyDelayMs, context, [this, wanted, done] {
        IpKit::Outcome outcome;
        {
            QMutexLocker lock(&m_mutex);
            settle();
            const int i = indexOf(wanted.id);
            if (i < 0) {
                outcome.error = QStringLiteral("no interface with the id \"%1\"").arg(wanted.id);
            } else {
                IpKit::InterfaceRecord& r = m_interfaces[i].record;
                r.dhcp = wanted.dhcp;
                // A DHCP interface keeps its addresses until a renewal brings new ones.
                if (!wanted.dhcp) {
                    r.addresses = wanted.addresses;
                    r.gateways = wanted.gateways;
                    r.nameServers = wanted.nameServers;
                }
                outcome.ok = true;
                outcome.rebootRequired = m_rebootRequired;
                outcome.interface = r;
            }
        }
        if (outcome.ok)
            notifyWatchers();
        done(outcome);
    });
}

bool EmulatedBackend::renew(QObject* context, const IpKit::InterfaceRecord& interface, bool, IpKit::Done done)
{
    QString mode;
    {
        QMutexLocker lock(&m_mutex);
        const int i = indexOf(interface.id);
        mode = i < 0 ? QStringLiteral("unknown") : m_interfaces[i].renew;
    }
    if (mode == QLatin1String("nosignal"))
        return false;
    const QString id = interface.id;
    QTimer::singleShot(kRenewDelayMs, context, [this, id, mode, done] {
        IpKit::Outcome outcome;
        if (mode == QLatin1String("unknown")) {
            outcome.error = QStringLiteral("no interface with the id \"%1\"").arg(id);
        } else if (mode != QLatin1String("ok")) {
            outcome.error = QStringLiteral("the simulated DHCP server gave no lease");
        } else {
            QMutexLocker lock(&m_mutex);
            settle();
            Simulated& s = m_interfaces[indexOf(id)];
            s.record.dhcp = true;
            s.record.mediaStatus = 1;
            s.record.addresses = s.renewAddresses;
            outcome.ok = true;
            outcome.interface = s.record;
        }
        if (outcome.ok)
            notifyWatchers();
        done(outcome);
    });
    return true;
}

int EmulatedBackend::echo(quint32 address, int timeoutMs, int, int, qint64* rttMicroseconds, const IpKit::StopCheck& stop)
{
    *rttMicroseconds = 0;
    const bool answers = m_pingReply.contains(address) && m_pingRttMs <= timeoutMs;
    if (!answers) {
        IpKit::waitFor(timeoutMs, stop);
        return IpKit::EchoTimedOut;
    }
    if (!IpKit::waitFor(m_pingRttMs, stop))
        return IpKit::EchoTimedOut;
    *rttMicroseconds = qint64(m_pingRttMs) * 1000;
    return IpKit::EchoSuccess;
}

int EmulatedBackend::addressesByName(const QString& name, QList<quint32>* addresses, QString* error)
{
    quint32 literal = 0;
    if (parseAddress(name, &literal)) {
        *addresses = {literal};
        return 0;
    }
    for (const auto& host : std::as_const(m_hosts)) {
        if (host.first.compare(name, Qt::CaseInsensitive) == 0 && !host.second.isEmpty()) {
            *addresses = host.second;
            return 0;
        }
    }
    return noName(error);
}

int EmulatedBackend::nameByAddress(quint32 address, QString* name, QString* error)
{
    for (const auto& host : std::as_const(m_hosts)) {
        if (host.second.contains(address)) {
            *name = host.first;
            return 0;
        }
    }
    return noName(error);
}
