// SPDX-License-Identifier: MIT
#pragma once
// The system's settings store (the registry of Windows): one settings file per domain and
// product in Qt's native format, as Qt applications keep theirs. The user scope lives under
// $XDG_CONFIG_HOME (default ~/.config), the machine-wide scope under the first folder of
// $XDG_CONFIG_DIRS (default /etc/xdg). The folders are looked up on every opening, so a host
// or a test that changes the environment is followed at once. Each scope is one file: a read
// in the user scope does not fall back to the machine-wide file, so what a flow reads is what
// it can remove.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class QSettings;

namespace Platform {

enum class SettingsScope { User, Machine };

class CSettingsStore {
public:
    CSettingsStore(SettingsScope scope, const QString& domain, const QString& product);
    ~CSettingsStore();
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // The file that holds the entries. Domain and product each become one file-name part, so
    // no name reaches outside the scope's folder.
    QString fileName() const { return m_fileName; }

    // The value stored under "/"-separated groups, or an invalid variant with false when the
    // key holds no value. An empty list is stored as a value of its own and reads back as an
    // invalid variant with true.
    [[nodiscard]] bool read(const QString& key, QVariant* value) const;
    // Writes the value and flushes the file; false with errorText() when it did not reach it.
    [[nodiscard]] bool write(const QString& key, const QVariant& value);
    // Removes the value only, keeping any entries in groups below the same name; false when
    // there was no value or the file could not be written.
    [[nodiscard]] bool remove(const QString& key);
    // The names of the values directly under the key's group, in name order.
    QStringList entryList(const QString& key) const;

    QString errorText() const { return m_errorText; }

private:
    bool flush();

    QString m_fileName;
    std::unique_ptr<QSettings> m_settings;
    QString m_errorText;
};

} // namespace Platform
