// SPDX-License-Identifier: MIT
#pragma once
// One section of INI text: a property object named after the section whose value properties
// are the section's keys, each with a string value. The keys are held as full strings (any
// character, not only Latin-1 names) and enumerate in name order.
#include "engine/object.h"

#include <QMap>

class CIniSection : public CPropertyObject {
    Q_OBJECT
public:
    explicit CIniSection(const QString& name);
    CIniSection(const CIniSection& other);

    CPropertyObject* clone() const override;
    // The object-name property first, then the keys.
    QStringList propertyNames() const override;
    bool setProperty(const char* name, const QVariant& value) override;
    QVariant property(const char* name) const override;
    bool removeProperty(const char* name) override;
    bool hasProperty(const char* name) const override;
    bool hasValueProperty(const char* name) const override;

    void setValue(const QString& key, const QString& value) { m_keys.insert(key, value); }
    // The key's value; a null string when the section has no such key.
    QString value(const QString& key) const { return m_keys.value(key); }
    bool contains(const QString& key) const { return m_keys.contains(key); }
    const QMap<QString, QString>& keys() const { return m_keys; }

private:
    QMap<QString, QString> m_keys;
};
