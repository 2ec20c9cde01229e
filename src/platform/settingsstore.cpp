// SPDX-License-Identifier: MIT
#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <unistd.h>

namespace Platform {
namespace {

// An XDG variable names absolute folders only; anything else is to be ignored.
QString userFolder()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    return QDir::homePath() + QLatin1String("/.config");
}

QString machineFolder()
{
    const QStringList dirs = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : dirs) {
        if (QDir::isAbsolutePath(dir))
            return dir;
    }
    return QStringLiteral("/etc/xdg");
}

// One file-name part: separators and the percent sign are percent-encoded, and a part that
// is empty or only dots gets its dots encoded, so ".." cannot climb out of the folder.
QString filePart(const QString& name)
{
    QString part;
    part.reserve(name.size());
    const bool onlyDots = name.count(QLatin1Char('.')) == name.size();
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('%') || c.isNull()
            || (onlyDots && c == QLatin1Char('.')))
            part += QLatin1Char('%') + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            part += c;
    }
    return part.isEmpty() ? QStringLiteral("%") : part;
}

// Whether the file can be written, or created with the folders missing on its way. Asked
// before writing because Qt keeps a change that failed to reach the disk in its shared cache
// of the file, where later reads in this process would find it.
bool mayWrite(const QString& fileName)
{
    QString path = fileName;
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            return false;
        path = parent;
    }
    const QByteArray native = QFile::encodeName(path);
    if (path == fileName)
        return access(native.constData(), W_OK) == 0;
    // Folders are made below the nearest one that exists; a file in their place stops them.
    return QFileInfo(path).isDir() && access(native.constData(), W_OK | X_OK) == 0;
}

const char* statusText(QSettings::Status status)
{
    return status == QSettings::AccessError ? "access denied" : "the file is not in settings format";
}

} // namespace

CSettingsStore::CSettingsStore(SettingsScope scope, const QString& domain, const QString& product)
    : m_fileName((scope == SettingsScope::Machine ? machineFolder() : userFolder()) + QLatin1Char('/')
                 + filePart(domain) + QLatin1Char('/') + filePart(product) + QLatin1String(".conf"))
    , m_settings(std::make_unique<QSettings>(m_fileName, QSettings::NativeFormat))
{
}

CSettingsStore::~CSettingsStore() = default;

bool CSettingsStore::read(const QString& key, QVariant* value) const
{
    if (!m_settings->contains(key))
        return false;
    *value = m_settings->value(key);
    return true;
}

bool CSettingsStore::write(const QString& key, const QVariant& value)
{
    // Qt ignores a key of nothing but separators, and would leave the write looking done.
    if (QString(key).remove(QLatin1Char('/')).isEmpty()) {
        m_errorText = QStringLiteral("no key");
        return false;
    }
    if (!mayWrite(m_fileName)) {
        m_errorText = QStringLiteral("access denied");
        return false;
    }
    m_settings->setValue(key, value);
    return flush();
}

bool CSettingsStore::remove(const QString& key)
{
    if (!m_settings->contains(key)) {
        m_errorText = QStringLiteral("no such value");
        return false;
    }
    if (!mayWrite(m_fileName)) {
        m_errorText = QStringLiteral("access denied");
        return false;
    }
    // Qt removes a group together with a value of the same name; the group's entries are a
    // different thing to a flow and stay.
    QList<QPair<QString, QVariant>> below;
    m_settings->beginGroup(key);
    const QStringList keys = m_settings->allKeys();
    for (const QString& k : keys)
        below.append({k, m_settings->value(k)});
    m_settings->endGroup();
    m_settings->remove(key);
    m_settings->beginGroup(key);
    for (const auto& entry : below)
        m_settings->setValue(entry.first, entry.second);
    m_settings->endGroup();
    return flush();
}

QStringList CSettingsStore::entryList(const QString& key) const
{
    m_settings->beginGroup(key);
    QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    return keys;
}

bool CSettingsStore::flush()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    m_errorText = QString::fromLatin1(statusText(m_settings->status()));
    return false;
}

} // namespace Platform
