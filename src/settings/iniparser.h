// SPDX-License-Identifier: MIT
#pragma once
// INI text read into sections of keys, and written back. Every line of any text is taken as
// something: a line that starts with "[" and a name of letters, digits and "_" closed by "]"
// opens a section (text after the bracket is ignored), any other line is a key, split at its
// first "=" into key and value, both trimmed; a line without "=" is a key with an empty value.
// Keys before the first header belong to the section "_default". A header repeats a section
// by replacing it. Lines end at LF, CR LF or a lone CR. Parsing costs time in proportion to
// the text: building the parser only finds the headers, and the keys of a section are read
// when the section is first asked for, since a flow reads a few keys of a large file. The
// const members fill that cache, so one parser is not for several threads at once.
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
    // A section's key lines in the text, and the section once they have been read.
    struct Entry {
        qsizetype begin = 0;
        qsizetype end = 0;
        std::unique_ptr<CIniSection> section;
    };

    void findSections();
    Entry& startSection(const QString& name, qsizetype begin);
    CIniSection* sectionOf(const QString& name, Entry& entry) const;

    QString m_text;
    mutable std::map<QString, Entry> m_sections;
};
