// SPDX-License-Identifier: MIT
#include "ipkit/backendloader.h"
#include "engine/trace.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QSettings>
#include <dlfcn.h>
#include <mutex>

namespace IpKit {
namespace {

using Entry = Backend* (*)(int, const char*);

QMutex g_mutex;
std::shared_ptr<Backend> g_backend;
Entry g_entry = nullptr;
QString g_loadError;
bool g_loadTried = false;
std::once_flag g_reloadHook;

void dropBackend()
{
    QMutexLocker lock(&g_mutex);
    g_backend.reset();
}

// The backend library sits next to the library that holds this code, whatever the host's
// search path is.
QString libraryNextToUs()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&dropBackend), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir().filePath(QStringLiteral("libsetupfsm-ipkit.so"));
}

bool loadEntry()
{
    if (g_loadTried)
        return g_entry != nullptr;
    g_loadTried = true;
    QStringList candidates;
    const QString nextToUs = libraryNextToUs();
    if (!nextToUs.isEmpty() && QFileInfo::exists(nextToUs))
        candidates << nextToUs;
    candidates << QStringLiteral("setupfsm-ipkit");
    for (const QString& name : std::as_const(candidates)) {
        // Never unloaded: backends may still run callbacks of their own code.
        auto* library = new QLibrary(name);
        g_entry = reinterpret_cast<Entry>(library->resolve("setupfsmIpkitBackend"));
        if (g_entry) {
            SFSM_TRACE("ipkit", QStringLiteral("network library loaded: ") + library->fileName());
            return true;
        }
        g_loadError = library->errorString();
        delete library;
    }
    SFSM_TRACE("ipkit", QStringLiteral(" ! Network library not loaded: ") + g_loadError);
    return false;
}

} // namespace

std::shared_ptr<Backend> backend(QString* error)
{
    // Registered outside our lock: a reload takes the platform layer's lock, then ours.
    std::call_once(g_reloadHook, [] { Platform::onProfileReload(&dropBackend); });
    QMutexLocker lock(&g_mutex);
    if (g_backend)
        return g_backend;
    if (!loadEntry()) {
        if (error)
            *error = QStringLiteral("network library not loaded: ") + g_loadError;
        return nullptr;
    }
    QSettings* profile = Platform::profile();
    const QByteArray path = profile ? QFile::encodeName(profile->fileName()) : QByteArray();
    g_backend.reset(g_entry(kBackendAbi, path.constData()));
    if (!g_backend && error)
        *error = QStringLiteral("network library refused to start (version mismatch)");
    return g_backend;
}

} // namespace IpKit
