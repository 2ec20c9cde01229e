#include "platform/platform.h"
#include "platform/profilekeys.h"

#include <QFile>
#include <QMutex>
#include <QSettings>
#include <memory>
#include <vector>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {
namespace {

struct ProfileStore {
    QMutex lock;
    bool loaded = false;
    std::unique_ptr<QSettings> settings;
    std::vector<void (*)()> dropCaches;
};

ProfileStore& store()
{
    static ProfileStore s;
    return s;
}

} // namespace

QSettings* profile()
{
    ProfileStore& s = store();
    QMutexLocker locker(&s.lock);
    if (!s.loaded) {
        s.loaded = true;
        const QString file = qEnvironmentVariable("SETUPFSM_PROFILE");
        if (!file.isEmpty()) {
            s.settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
            for (const QString& line : unknownProfileKeys(*s.settings))
                qWarning("%s", qUtf8Printable(line));
        }
    }
    return s.settings.get();
}

QVariant profileValue(const QString& key)
{
    QSettings* p = profile();
    if (!p)
        return QVariant();
    return p->value(key);
}

void reloadProfile()
{
    std::vector<void (*)()> drops;
    {
        ProfileStore& s = store();
        QMutexLocker locker(&s.lock);
        s.loaded = false;
        s.settings.reset();
        drops = s.dropCaches;
    }
    for (auto drop : drops)
        drop();
}

void onProfileReload(void (*dropCache)())
{
    ProfileStore& s = store();
    QMutexLocker locker(&s.lock);
    s.dropCaches.push_back(dropCache);
}

FileKind fileKind(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return FileKind::Missing;
    switch (st.st_mode & S_IFMT) {
    case S_IFREG:
        return FileKind::Regular;
    case S_IFDIR:
        return FileKind::Directory;
    case S_IFIFO:
    case S_IFSOCK:
        return FileKind::Pipe;
    case S_IFCHR:
    case S_IFBLK:
        return FileKind::Device;
    default:
        return FileKind::Other;
    }
}

unsigned fileCreationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mask;
            }
        }
    }
    return 022;
}

void preferHugePages(void* address, qint64 length)
{
    const quintptr page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr begin = quintptr(address) & ~(page - 1);
    madvise(reinterpret_cast<void*>(begin), size_t(quintptr(address) + quintptr(length) - begin), MADV_HUGEPAGE);
}

} // namespace Platform
