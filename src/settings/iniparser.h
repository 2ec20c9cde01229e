// SPDX-License-Identifier: MIT
#pragma once
// INI text read into sections of keys, and written back. Every line of any text is taken as
// something: a line that starts with "[" and a name of letters, digits and "_" closed by "]"
// opens a section (text after the bracket is ignored), any other line is a key, split at its
// first "=" into key and value, both trimmed; a line without "=" is a key with an empty value.
// Keys before the first header belong to the section "_default". A header repeats a section
// by replacing it. Lines end at LF, CR LF or a lone CR. Parsing costs time in proportion to
// the text.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <map>
#include <memory>

class CIniSection;

class CIniParser {
public:
    // No sections at all.
    CIniParser();
    explicit CIniParser(const QString& text);
    ~CIniParser();
    CIniParser(const CIniParser&) = delete;
    CIniParser& operator=(const CIniParser&) = delete;

    // The text the parser was built from.
    QString sourceText() const { return m_text; }
    // The sections and keys as INI text with LF line ends: the keys of "_default" first, then
    // every other section in name order under its header. Line breaks inside names and values
    // are written as blanks, so a value cannot add lines of its own.
    QString text() const;

    // Section names in name order.
    QStringList sectionNames() const;
    // The section, or null when the text has none of that name.
    const CIniSection* section(const QString& name) const;
    // The key's value in the section; an empty string when either is missing.
    QString value(const QString& section, const QString& key) const;
    // Sets the key in the section, creating the section when it does not exist yet.
    void setValue(const QString& section, const QString& key, const QString& value);

private:
    void parse();
    void parseLine(QStringView line);
    CIniSection* addSection(const QString& name);

    QString m_text;
    std::map<QString, std::unique_ptr<CIniSection>> m_sections;
    CIniSection* m_current = nullptr;
};
