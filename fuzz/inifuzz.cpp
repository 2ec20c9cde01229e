// SPDX-License-Identifier: MIT
#include "inifuzz.h"
#include "settings/iniparser.h"
#include "settings/inisection.h"

#include <QRegularExpression>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

bool isTrimmedLine(const QString& s)
{
    return s == s.trimmed() && !s.contains(u'\n') && !s.contains(u'\r');
}

void checkParser(const CIniParser& ini, bool fromText)
{
    static const QRegularExpression headerName(QStringLiteral("^[a-zA-Z0-9_]+$"));
    const QStringList names = ini.sectionNames();
    check(ini.sourceText().isEmpty() == names.isEmpty() || !fromText);
    for (const QString& name : names) {
        const CIniSection* section = ini.section(name);
        check(section && section->objectName() == name);
        if (!fromText)
            continue;
        check(headerName.match(name).hasMatch());
        const QMap<QString, QString>& keys = section->keys();
        for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
            check(isTrimmedLine(it.key()) && isTrimmedLine(it.value()) && !it.key().contains(u'='));
            check(ini.value(name, it.key()) == it.value());
        }
    }
}

void fuzzText(const QString& text)
{
    const CIniParser ini(text);
    checkParser(ini, true);
    // Written text is read back into the same sections, and, once it has been through the
    // parser, written again unchanged.
    const QString written = ini.text();
    const CIniParser again(written);
    checkParser(again, true);
    for (const QString& name : ini.sectionNames())
        check(again.section(name) || name == QLatin1String("_default"));
    const CIniParser third(again.text());
    check(third.text() == again.text());
}

} // namespace

void fuzzIniText(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzzText(QString::fromUtf8(bytes));
    fuzzText(QString::fromLatin1(bytes));
    CIniParser built;
    built.setValue(QString::fromLatin1(bytes.left(8)), QString::fromLatin1(bytes.mid(8, 8)), QString::fromLatin1(bytes.mid(16)));
    const CIniParser reread(built.text());
    check(reread.sectionNames().size() <= 2);
}
