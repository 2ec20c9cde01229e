#include "engine/object.h"
#include "engine/definitionrules.h"
#include "engine/variantconv.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QVarLengthArray>

CObject::CObject(QObject* parent, const char* name)
    : QObject(parent)
{
    // An empty name is no name: setting one would allocate the object's extra data for nothing
    // (most transitions have no name).
    if (name && *name)
        setObjectName(QString::fromLatin1(name));
}

void CObject::connectNotify(const QMetaMethod& signal)
{
    const int i = signal.methodIndex();
    m_connectedSignals.fetchAndOrRelaxed(i >= 0 && i < 64 ? quint64(1) << i : ~quint64(0));
}

// ---- CObjectDict

CPropertyObject* CObjectDict::find(const QString& name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : m_entries.at(it.value()).second;
}

void CObjectDict::replace(const QString& name, CPropertyObject* object)
{
    const auto it = m_index.constFind(name);
    if (it != m_index.constEnd()) {
        CPropertyObject*& slot = m_entries[it.value()].second;
        if (slot != object) {
            CPropertyObject* old = slot;
            slot = object;
            delete old;
        }
        return;
    }
    m_index.insert(name, int(m_entries.size()));
    m_entries.append(qMakePair(name, object));
}

CPropertyObject* CObjectDict::take(const QString& name)
{
    const auto it = m_index.constFind(name);
    if (it == m_index.constEnd())
        return nullptr;
    const int i = it.value();
    CPropertyObject* object = m_entries.at(i).second;
    m_index.erase(it);
    m_entries.removeAt(i);
    reindexFrom(i);
    return object;
}

void CObjectDict::remove(const QString& name)
{
    delete take(name);
}

void CObjectDict::clear()
{
    // Detach first: deleting an object may reach back into its holder.
    const auto entries = std::exchange(m_entries, {});
    m_index.clear();
    for (const auto& e : entries)
        delete e.second;
}

QStringList CObjectDict::names() const
{
    QStringList out;
    out.reserve(m_entries.size());
    for (const auto& e : m_entries)
        out.append(e.first);
    return out;
}

void CObjectDict::reindexFrom(int i)
{
    for (int j = i; j < m_entries.size(); ++j)
        m_index[m_entries.at(j).first] = j;
}

// ---- CPropertyObject

namespace {

// A name as a QString over a stack copy, for look-ups only: property maps read and write
// properties by name on every firing, and converting each name into a fresh QString cost a heap
// allocation per access. Never store the key (it points into this object).
class NameKey {
public:
    explicit NameKey(const char* name)
    {
        const qsizetype length = name ? qsizetype(qstrlen(name)) : 0;
        m_buffer.resize(length);
        for (qsizetype i = 0; i < length; ++i)
            m_buffer[i] = QLatin1Char(name[i]);
        if (name)
            m_key = QString::fromRawData(m_buffer.constData(), length);
    }
    NameKey(const NameKey&) = delete;
    NameKey& operator=(const NameKey&) = delete;

    const QString& key() const { return m_key; }

private:
    QVarLengthArray<QChar, 64> m_buffer;
    QString m_key;
};

} // namespace

CPropertyObject::CPropertyObject(QObject* parent, const char* name)
    : CObject(parent, name)
{
}

CPropertyObject::CPropertyObject(const CPropertyObject& other)
    : CObject(nullptr)
    , m_values(other.m_values)
{
    setObjectName(other.objectName());
    for (int i = 0; i < other.m_objects.size(); ++i)
        m_objects.replace(other.m_objects.nameAt(i), other.m_objects.objectAt(i)->clone());
}

CPropertyObject::CPropertyObject(const QList<CPropertyObject*>& objects)
    : CObject(nullptr)
{
    addObjectProperties(objects);
}

CPropertyObject::~CPropertyObject() = default;

CPropertyObject* CPropertyObject::clone() const
{
    return new CPropertyObject(*this);
}

bool CPropertyObject::isQtProperty(const char* name) const
{
    return name && metaObject()->indexOfProperty(name) >= 0;
}

QStringList CPropertyObject::propertyNames() const
{
    QStringList names;
    const QMetaObject* mo = metaObject();
    names.reserve(mo->propertyCount() + m_values.size() + m_objects.size());
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const char* n = mo->property(i).name();
        if (n && *n)
            names.append(QString::fromLatin1(n));
    }
    for (auto it = m_values.constBegin(); it != m_values.constEnd(); ++it)
        names.append(it.key());
    names.append(m_objects.names());
    return names;
}

bool CPropertyObject::setObjectProperty(const char* name, CPropertyObject* object)
{
    if (!object)
        return setProperty(name, QVariant());
    if (isQtProperty(name))
        return false;
    if (m_values.contains(NameKey(name).key()) && !removeProperty(name))
        return false;
    m_objects.replace(QString::fromLatin1(name), object);
    return true;
}

CPropertyObject* CPropertyObject::objectProperty(const char* name) const
{
    return m_objects.find(NameKey(name).key());
}

void CPropertyObject::addObjectProperties(const QList<CPropertyObject*>& objects)
{
    for (CPropertyObject* o : objects) {
        if (!o)
            continue;
        const QString key = o->objectName();
        if (!m_objects.contains(key))
            m_objects.replace(key, o);
    }
}

bool CPropertyObject::removeProperty(const char* name)
{
    if (isQtProperty(name))
        return false;
    const NameKey key(name);
    m_values.remove(key.key());
    m_objects.remove(key.key());
    return true;
}

void CPropertyObject::clearProperties()
{
    m_values.clear();
    m_objects.clear();
}

bool CPropertyObject::hasProperty(const char* name) const
{
    return hasObjectProperty(name) || hasValueProperty(name);
}

bool CPropertyObject::hasValueProperty(const char* name) const
{
    return isQtProperty(name) || m_values.contains(NameKey(name).key());
}

bool CPropertyObject::hasObjectProperty(const char* name) const
{
    return m_objects.contains(NameKey(name).key());
}

bool CPropertyObject::setProperty(const char* name, const QVariant& value)
{
    if (isQtProperty(name))
        return QObject::setProperty(name, value);
    const NameKey key(name);
    if (m_objects.contains(key.key()) && !removeProperty(name))
        return false;
    const auto it = m_values.find(key.key());
    if (it != m_values.end())
        *it = value;
    else
        m_values.insert(QString::fromLatin1(name), value);
    return true;
}

QVariant CPropertyObject::property(const char* name) const
{
    if (isQtProperty(name))
        return QObject::property(name);
    return m_values.value(NameKey(name).key());
}

bool CPropertyObject::setConfig(const QString& tokenString)
{
    bool result = true;
    CTagToken tokens(tokenString);
    while (!tokens.atEnd()) {
        const CTag tag = tokens.next();
        const QByteArray name = tag.name().toLatin1();
        if (isQtProperty(name.constData()))
            result = setProperty(name.constData(), QVariant(tag.value())) && result;
        else
            m_values.insert(tag.name(), QVariant(tag.value()));
    }
    return result;
}

QStringList CPropertyObject::config()
{
    QStringList out;
    const QMetaObject* mo = metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        out.append(QString::fromLatin1(p.name()) + QLatin1Char('=') + Qt3::toString(p.read(this)));
    }
    for (auto it = m_values.constBegin(); it != m_values.constEnd(); ++it)
        out.append(it.key() + QLatin1Char('=') + Qt3::toString(it.value()));
    return out;
}

bool CPropertyObject::setDataField(const QString name, const QVariant value)
{
    return setProperty(name.toLatin1().constData(), value);
}

QVariant CPropertyObject::dataField(const QString name)
{
    return property(name.toLatin1().constData());
}

// ---- CTag

CTag::CTag(const QString& name, const QString& value, bool quoted)
    : m_name(name)
    , m_quoted(quoted)
{
    setValue(value);
}

void CTag::setValue(const QString& value)
{
    m_translationId = -2;
    QString inner;
    if (unwrapTranslation(value, &inner)) {
        const int comma = int(inner.indexOf(QLatin1Char(',')));
        if (comma >= 0) {
            m_translationId = inner.left(comma).trimmed().toInt();
            m_value = inner.mid(comma + 1).trimmed();
        } else {
            m_translationId = -1;
            m_value = inner.trimmed();
        }
        return;
    }
    m_value = value;
}

QString CTag::translationValue() const
{
    if (m_translationId == -2)
        return m_value;
    return QStringLiteral("tr(") + QString::number(m_translationId) + QStringLiteral(", ") + m_value + QLatin1Char(')');
}

// ---- CTagToken

namespace {
constexpr int kMaxTokenLength = 1023;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

CTagToken::CTagToken(const QString& tokenString)
    : m_rest(tokenString.toLatin1().trimmed())
{
}

CTag CTagToken::next()
{
    const char* p = m_rest.constData();
    const char* end = p + m_rest.size();
    while (p < end && isBlank(*p))
        ++p;
    const char* nameStart = p;
    while (p < end && *p != '\0' && *p != ' ' && *p != '=' && *p != '\t' && p - nameStart < kMaxTokenLength)
        ++p;
    const QString name = QString::fromLatin1(nameStart, int(p - nameStart));
    while (p < end && isBlank(*p))
        ++p;

    CTag tag;
    tag.setName(name);
    if (p >= end || *p != '=') {
        m_rest = QByteArray(p, int(end - p)).trimmed();
        // A stray character that is neither a name nor "=" must not stall the tokenizer.
        if (!m_rest.isEmpty() && p == nameStart)
            m_rest.remove(0, 1);
        tag.setValue(QString());
        return tag;
    }
    ++p; // "="
    while (p < end && isBlank(*p))
        ++p;

    if (p < end && *p == '"') {
        tag.setQuoted(true);
        const char* valueStart = ++p;
        const char* q = valueStart;
        while (q < end && !(*q == '"' && q[-1] != '\\'))
            ++q;
        if (q >= end) {
            m_rest.clear();
            tag.setValue(QString());
            return tag;
        }
        const int length = qMin(int(q - valueStart), kMaxTokenLength);
        tag.setValue(QString::fromLatin1(valueStart, length));
        ++q;
        m_rest = QByteArray(q, int(end - q)).trimmed();
        return tag;
    }

    const char* valueStart = p;
    while (p < end && *p != ' ' && p - valueStart < kMaxTokenLength)
        ++p;
    tag.setValue(QString::fromLatin1(valueStart, int(p - valueStart)));
    m_rest = QByteArray(p, int(end - p)).trimmed();
    return tag;
}
