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

// The key lines of one section: every line is split at its first "=".
void readKeys(QStringView lines, CIniSection& section)
{
    qsizetype pos = 0;
    while (pos < lines.size()) {
        qsizetype end = lines.indexOf(u'\n', pos);
        if (end < 0)
            end = lines.size();
        QStringView segment = lines.mid(pos, end - pos);
        if (segment.endsWith(u'\r'))
            segment.chop(1);
        for (;;) {
            const qsizetype cr = segment.indexOf(u'\r');
            const QStringView line = cr < 0 ? segment : segment.left(cr);
            const qsizetype equals = line.indexOf(u'=');
            const QStringView key = equals < 0 ? line : line.left(equals);
            const QStringView value = equals < 0 ? QStringView() : line.mid(equals + 1);
            section.setValue(key.trimmed().toString(), value.trimmed().toString());
            if (cr < 0)
                break;
            segment = segment.mid(cr + 1);
        }
        pos = end + 1;
    }
}

// Where the line that holds `at` ends, past its line break (CR LF counts as one).
qsizetype nextLine(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at] != u'\n' && text[at] != u'\r')
        ++at;
    if (at < text.size())
        at += text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
    return at;
}

} // namespace

CIniParser::CIniParser() = default;

CIniParser::CIniParser(const QString& text)
    : m_text(text)
{
    findSections();
}

CIniParser::~CIniParser() = default;

void CIniParser::findSections()
{
    if (m_text.isEmpty())
        return;
    const QStringView all(m_text);
    Entry* open = &startSection(defaultSectionName(), 0);
    // Every header starts a line with "["; searching for the bracket skips the key lines fast.
    for (qsizetype at = all.indexOf(u'['); at >= 0; at = all.indexOf(u'[', at + 1)) {
        if (at > 0 && all[at - 1] != u'\n' && all[at - 1] != u'\r')
            continue;
        const qsizetype close = headerEnd(all.mid(at));
        if (!close)
            continue;
        open->end = at;
        const qsizetype next = nextLine(all, at + close + 1);
        open = &startSection(all.mid(at + 1, close - 1).toString(), next);
        at = next - 1;
    }
    open->end = all.size();
}

CIniParser::Entry& CIniParser::startSection(const QString& name, qsizetype begin)
{
    Entry& entry = m_sections[name];
    entry.begin = begin;
    entry.end = begin;
    entry.section.reset();
    return entry;
}

CIniSection* CIniParser::sectionOf(const QString& name, Entry& entry) const
{
    if (!entry.section) {
        entry.section = std::make_unique<CIniSection>(name);
        readKeys(QStringView(m_text).mid(entry.begin, entry.end - entry.begin), *entry.section);
    }
    return entry.section.get();
}

QString CIniParser::text() const
{
    QString out;
    if (const CIniSection* defaults = section(defaultSectionName()))
        appendKeys(out, *defaults);
    for (auto& [name, entry] : m_sections) {
        if (name == defaultSectionName())
            continue;
        out += u'[';
        appendOneLine(out, name);
        out += QLatin1String("]\n");
        appendKeys(out, *sectionOf(name, entry));
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
    return it == m_sections.end() ? nullptr : sectionOf(name, it->second);
}

QString CIniParser::value(const QString& section, const QString& key) const
{
    const CIniSection* s = this->section(section);
    const QString v = s ? s->value(key) : QString();
    return v.isNull() ? QStringLiteral("") : v;
}

void CIniParser::setValue(const QString& section, const QString& key, const QString& value)
{
    auto it = m_sections.find(section);
    if (it == m_sections.end())
        it = m_sections.emplace(section, Entry()).first;
    sectionOf(section, it->second)->setValue(key, value);
}
