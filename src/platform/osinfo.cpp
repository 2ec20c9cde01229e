#include "platform/osinfo.h"
#include "platform/platform.h"

#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSettings>
#include <QTextStream>
#include <sys/utsname.h>

namespace Platform {
namespace {

QString osReleaseField(const QString& text, const QString& key)
{
    const QRegularExpression re(QStringLiteral("^%1=\"?([^\"\\n]*)\"?$").arg(key),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

OsInfo linuxInfo()
{
    OsInfo info;
    struct utsname u;
    if (uname(&u) == 0) {
        // "6.1.0-18-amd64": major, minor and the patch level as build.
        const QStringList parts = QString::fromLatin1(u.release).split(QRegularExpression(QStringLiteral("[.-]")));
        info.major = parts.value(0).toUInt();
        info.minor = parts.value(1).toUInt();
        info.build = parts.value(2).toUInt();
    }
    QFile f(QStringLiteral("/etc/os-release"));
    if (f.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(f.readAll());
        info.osName = osReleaseField(text, QStringLiteral("ID"));
        info.prettyName = osReleaseField(text, QStringLiteral("PRETTY_NAME"));
    }
    return info;
}

unsigned profileUInt(QSettings* p, const char* key, unsigned fallback)
{
    const QVariant v = p->value(QLatin1String("os/") + QLatin1String(key));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const QString s = v.toString().trimmed();
    const unsigned n = s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? s.mid(2).toUInt(&ok, 16) : s.toUInt(&ok);
    return ok ? n : fallback;
}

bool profileBool(QSettings* p, const char* key, bool fallback)
{
    const QVariant v = p->value(QLatin1String("os/") + QLatin1String(key));
    if (!v.isValid())
        return fallback;
    const QString s = v.toString().trimmed().toLower();
    return !(s.isEmpty() || s == QLatin1String("0") || s == QLatin1String("false") || s == QLatin1String("no"));
}

struct Cache {
    QMutex lock;
    bool valid = false;
    OsInfo info;
};

Cache& cache()
{
    static Cache c;
    return c;
}

void dropCache()
{
    Cache& c = cache();
    QMutexLocker locker(&c.lock);
    c.valid = false;
}

} // namespace

const OsInfo& osInfo()
{
    Cache& c = cache();
    QMutexLocker locker(&c.lock);
    if (!c.valid) {
        static const bool registered = (onProfileReload(&dropCache), true);
        Q_UNUSED(registered);
        OsInfo info = linuxInfo();
        if (QSettings* p = profile()) {
            info.major = profileUInt(p, "major", info.major);
            info.minor = profileUInt(p, "minor", info.minor);
            info.build = profileUInt(p, "build", info.build);
            // A profile that names a version describes a Windows system (VER_PLATFORM_WIN32_NT)
            // unless it says otherwise.
            const bool namesVersion = p->contains(QStringLiteral("os/major")) || p->contains(QStringLiteral("os/minor"));
            info.platformId = profileUInt(p, "platformId", namesVersion ? 2u : info.platformId);
            info.servicePackMajor = profileUInt(p, "servicePackMajor", info.servicePackMajor);
            info.servicePackMinor = profileUInt(p, "servicePackMinor", info.servicePackMinor);
            info.suiteMask = profileUInt(p, "suiteMask", info.suiteMask);
            info.productType = profileUInt(p, "productType", info.productType);
            info.nativeArch = profileUInt(p, "nativeArch", info.nativeArch);
            info.wow64 = profileBool(p, "wow64", info.wow64);
            info.serverR2 = profileBool(p, "serverR2", info.serverR2);
            const QVariant name = p->value(QStringLiteral("os/name"));
            if (name.isValid())
                info.osName = name.toString();
        }
        c.info = info;
        c.valid = true;
    }
    return c.info;
}

} // namespace Platform
