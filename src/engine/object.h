#pragma once
#include "engine/nameindex.h"

#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <memory>

// Root of every engine object. It counts the signal emissions in progress, so that code that
// would destroy an object can tell whether it is still inside one of its own signals.
class CObject : public QObject {
    Q_OBJECT
public:
    explicit CObject(QObject* parent = nullptr, const char* name = nullptr);

    int emissionDepth() const { return m_emissionDepth; }

    // Whether a receiver may be connected to the signal with this method index. Emitting a
    // signal that nobody receives still walks the meta-objects, and the engine emits several
    // per state step; emitters skip those. Conservative: a signal once connected stays marked.
    bool maySignalReach(int methodIndex) const
    {
        return methodIndex >= 64 || methodIndex < 0 || ((m_connectedSignals.loadRelaxed() >> methodIndex) & 1u);
    }

protected:
    void connectNotify(const QMetaMethod& signal) override;

    // Every signal of the engine's classes is emitted inside one of these.
    class EmitGuard {
    public:
        explicit EmitGuard(CObject* o) : m_o(o) { ++m_o->m_emissionDepth; }
        ~EmitGuard() { --m_o->m_emissionDepth; }
        EmitGuard(const EmitGuard&) = delete;
        EmitGuard& operator=(const EmitGuard&) = delete;

    private:
        CObject* m_o;
    };

private:
    int m_emissionDepth = 0;
    QAtomicInteger<quint64> m_connectedSignals {0}; // bit i: signal with method index i

};

class CPropertyObject;

// The object properties of a holder: owned, keyed by name, enumerated in insertion order.
class CObjectDict {
public:
    CObjectDict() = default;
    ~CObjectDict() { clear(); }
    CObjectDict(const CObjectDict&) = delete;
    CObjectDict& operator=(const CObjectDict&) = delete;

    CPropertyObject* find(const QString& name) const;
    bool contains(const QString& name) const { return m_index.contains(name); }
    // Stores the object under the name; a previous object of that name is deleted.
    void replace(const QString& name, CPropertyObject* object);
    // Deletes the object of that name, if any.
    void remove(const QString& name);
    // Removes the entry without deleting the object and returns it.
    CPropertyObject* take(const QString& name);
    void clear();
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QString& nameAt(int i) const { return m_entries.at(i).first; }
    CPropertyObject* objectAt(int i) const { return m_entries.at(i).second; }
    QStringList names() const;

private:
    void reindexFrom(int i);

    QList<QPair<QString, CPropertyObject*>> m_entries;
    CNameIndex<int> m_index;
};

// A named bag of properties: value properties (Qt properties of the class plus dynamic
// values) and owned object properties, under one name space.
class CPropertyObject : public CObject {
    Q_OBJECT
public:
    explicit CPropertyObject(QObject* parent = nullptr, const char* name = nullptr);
    CPropertyObject(const CPropertyObject& other);
    explicit CPropertyObject(const QList<CPropertyObject*>& objects);
    ~CPropertyObject() override;

    virtual CPropertyObject* clone() const;
    virtual QStringList propertyNames() const;
    virtual bool setObjectProperty(const char* name, CPropertyObject* object);
    virtual CPropertyObject* objectProperty(const char* name) const;
    virtual void addObjectProperties(const QList<CPropertyObject*>& objects);
    virtual bool removeProperty(const char* name);
    virtual void clearProperties();
    virtual bool hasProperty(const char* name) const;
    virtual bool hasValueProperty(const char* name) const;
    virtual bool hasObjectProperty(const char* name) const;

    virtual bool setProperty(const char* name, const QVariant& value);
    virtual QVariant property(const char* name) const;

    // The dynamic values, in name order.
    const QMap<QString, QVariant>& values() const { return m_values; }
    // The object properties, in the order they were stored.
    const CObjectDict& objects() const { return m_objects; }

    // Whether the name is a Qt property of the class or one of its bases.
    bool isQtProperty(const char* name) const;

protected:
    // Removes a dynamic value, whatever the name, and returns it.
    QVariant takeValue(const QString& name) { return m_values.take(name); }

public slots:
    virtual bool setConfig(const QString& tokenString);
    virtual QStringList config();
    virtual bool setDataField(const QString name, const QVariant value);
    virtual QVariant dataField(const QString name);

private:
    QMap<QString, QVariant> m_values;
    CObjectDict m_objects;
};

// One name-and-value item of a token string.
class CTag {
public:
    CTag() = default;
    CTag(const QString& name, const QString& value, bool quoted = false);

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // Recognises the translation form "tr(text)" and "tr(N, text)".
    void setValue(const QString& value);
    // The plain value.
    QString value() const { return m_value; }
    // The value in translation form when it was written as one.
    QString translationValue() const;
    int translationId() const { return m_translationId; }
    bool isQuoted() const { return m_quoted; }
    void setQuoted(bool quoted) { m_quoted = quoted; }

private:
    QString m_name;
    QString m_value;
    int m_translationId = -2;
    bool m_quoted = false;
};

// Yields the tags of a token string one at a time.
class CTagToken {
public:
    explicit CTagToken(const QString& tokenString);

    bool atEnd() const { return m_rest.isEmpty(); }
    // The next tag; only valid while !atEnd().
    CTag next();

private:
    QByteArray m_rest;
};
