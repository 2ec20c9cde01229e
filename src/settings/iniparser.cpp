// SPDX-License-Identifier: MIT
#include "settings/iniparser.h"
#include "settings/inisection.h"

namespace {

const QString& defaultSectionName()
{
    static const QString name = QStringLiteral("_default");
    return name;
}

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
}

// The index of the closing bracket of a header line, or 0 when the line is no header.
qsizetype headerEnd(QStringView line)
{
    if (line.isEmpty() || line.front() != u'[')
        return 0;
    qsizetype i = 1;
    while (i < line.size() && isNameChar(line[i]))
        ++i;
    return i > 1 && i < line.size() && line[i] == u']' ? i : 0;
}

void appendOneLine(QString& out, const QString& text)
{
    const qsizetype start = out.size();
    out += text;
    for (qsizetype i = start; i < out.size(); ++i) {
        if (out[i] == u'\n' || out[i] == u'\r')
            out[i] = u' ';
    }
}

void appendKeys(QString& out, const CIniSection& section)
{
    const QMap<QString, QString>& keys = section.keys();
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        // A key that looks like a header would open a section when the text is read back; an
        // indented line is never a header, and the blank goes again when the key is trimmed.
        if (headerEnd(it.key()))
            out += u' ';
        appendOneLine(out, it.key());
        out += u'=';
        appendOneLine(out, it.value());
        out += u'\n';
    }
}

} // namespace

CIniParser::CIniParser() = default;

CIniParser::CIniParser(const QString& text)
    : m_text(text)
{
    parse();
}

CIniParser::~CIniParser() = default;

void CIniParser::parse()
{
    if (m_text.isEmpty())
        return;
    m_current = addSection(defaultSectionName());
    const QStringView all(m_text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = all.indexOf(u'\n', pos);
        if (end < 0)
            end = all.size();
        QStringView segment = all.mid(pos, end - pos);
        if (segment.endsWith(u'\r'))
            segment.chop(1);
        for (qsizetype cr; (cr = segment.indexOf(u'\r')) >= 0; segment = segment.mid(cr + 1))
            parseLine(segment.left(cr));
        parseLine(segment);
        pos = end + 1;
    }
    m_current = nullptr;
}

void CIniParser::parseLine(QStringView line)
{
    if (const qsizetype end = headerEnd(line)) {
        m_current = addSection(line.mid(1, end - 1).toString());
        return;
    }
    const qsizetype equals = line.indexOf(u'=');
    const QStringView key = equals < 0 ? line : line.left(equals);
    const QStringView value = equals < 0 ? QStringView() : line.mid(equals + 1);
    m_current->setValue(key.trimmed().toString(), value.trimmed().toString());
}

CIniSection* CIniParser::addSection(const QString& name)
{
    auto& slot = m_sections[name];
    slot = std::make_unique<CIniSection>(name);
    return slot.get();
}

QString CIniParser::text() const
{
    QString out;
    if (const CIniSection* defaults = section(defaultSectionName()))
        appendKeys(out, *defaults);
    for (const auto& [name, section] : m_sections) {
        if (name == defaultSectionName())
            continue;
        out += u'[';
        appendOneLine(out, name);
        out += QLatin1String("]\n");
        appendKeys(out, *section);
    }
    return out;
}

QStringList CIniParser::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const auto& entry : m_sections)
        names.append(entry.first);
    return names;
}

const CIniSection* CIniParser::section(const QString& name) const
{
    const auto it = m_sections.find(name);
    return it == m_sections.end() ? nullptr : it->second.get();
}

QString CIniParser::value(const QString& section, const QString& key) const
{
    const CIniSection* s = this->section(section);
    const QString v = s ? s->value(key) : QString();
    return v.isNull() ? QStringLiteral("") : v;
}

void CIniParser::setValue(const QString& section, const QString& key, const QString& value)
{
    const auto it = m_sections.find(section);
    CIniSection* s = it != m_sections.end() ? it->second.get() : addSection(section);
    s->setValue(key, value);
}
