// SPDX-License-Identifier: MIT
#pragma once
// Hashed look-ups by name for the engine's own tables (states of an FSM, objects of a
// property object, the expression functions). Qt seeds its string hash per process, and on CPUs where its seeded path
// is slow that hash alone cost more than the rest of a state step. These names come from
// definition files and scripts, not from the data a flow reads, so the unseeded hash serves.
#include <QHash>
#include <QString>
#include <QStringList>

struct CNameKey {
    QString name;

    friend bool operator==(const CNameKey& a, const CNameKey& b) noexcept { return a.name == b.name; }
    friend size_t qHash(const CNameKey& key, size_t) noexcept { return qHash(QStringView(key.name), 0); }
};

template <class T>
class CNameIndex {
public:
    using Hash = QHash<CNameKey, T>;
    using const_iterator = typename Hash::const_iterator;

    T value(const QString& name) const { return m_hash.value(CNameKey {name}); }
    bool contains(const QString& name) const { return m_hash.contains(CNameKey {name}); }
    const_iterator constFind(const QString& name) const { return m_hash.constFind(CNameKey {name}); }
    const_iterator constEnd() const { return m_hash.constEnd(); }
    void insert(const QString& name, const T& value) { m_hash.insert(CNameKey {name}, value); }
    T& operator[](const QString& name) { return m_hash[CNameKey {name}]; }
    void erase(const_iterator it) { m_hash.erase(it); }
    void clear() { m_hash.clear(); }
    QStringList names() const
    {
        QStringList out;
        out.reserve(m_hash.size());
        for (auto it = m_hash.keyBegin(); it != m_hash.keyEnd(); ++it)
            out.append(it->name);
        return out;
    }

private:
    Hash m_hash;
};
