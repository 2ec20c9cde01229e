// SPDX-License-Identifier: MIT
#include "pagefield.h"

#include <QSet>

namespace {

struct KindName {
    const char* name;
    PageField::Kind kind;
};

constexpr KindName kKinds[] = {
    {"text", PageField::Text},         {"password", PageField::Password},   {"directory", PageField::Directory},
    {"choice", PageField::Choice},     {"checklist", PageField::Checklist}, {"licence", PageField::Licence},
};

bool kindFromName(const QString& name, PageField::Kind* kind)
{
    for (const KindName& k : kKinds) {
        if (name == QLatin1String(k.name)) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

// Writing one of these would change the page itself the next time it is shown.
const QStringList kReserved = {QStringLiteral("title"), QStringLiteral("text"), QStringLiteral("events"),
                               QStringLiteral("input"), QStringLiteral("answer"), QStringLiteral("objectName")};

bool isKey(const QString& key)
{
    if (key.isEmpty() || key.at(0).isDigit())
        return false;
    for (QChar c : key) {
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    }
    return true;
}

} // namespace

QStringList PageField::options() const
{
    QStringList out;
    for (const QString& o : arg.split(QLatin1Char(','))) {
        const QString option = o.trimmed();
        if (!option.isEmpty() && !out.contains(option))
            out << option;
    }
    return out;
}

QString PageField::label() const
{
    QString out;
    for (int i = 0; i < key.size(); ++i) {
        const QChar c = key.at(i);
        if (c == QLatin1Char('_'))
            out += QLatin1Char(' ');
        else if (i > 0 && c.isUpper() && key.at(i - 1).isLower())
            out += QLatin1Char(' ') + c.toLower();
        else
            out += c;
    }
    if (!out.isEmpty())
        out[0] = out.at(0).toUpper();
    return out;
}

QList<PageField> parsePageFields(const QString& input, QStringList* errors)
{
    QList<PageField> fields;
    QSet<QString> keys;
    for (const QString& raw : input.split(QLatin1Char(';'))) {
        const QString item = raw.trimmed();
        if (item.isEmpty())
            continue;
        const QStringList parts = item.split(QLatin1Char(':'));
        PageField field;
        QString kind = parts.at(0).trimmed();
        if (kind.endsWith(QLatin1Char('*'))) {
            field.required = true;
            kind.chop(1);
        }
        if (!kindFromName(kind, &field.kind)) {
            *errors << QStringLiteral("input '%1': unknown kind '%2' (text, password, directory, choice, checklist, licence)")
                           .arg(item, kind);
            continue;
        }
        field.key = parts.value(1).trimmed();
        if (!isKey(field.key)) {
            *errors << QStringLiteral("input '%1': the key must be a property name").arg(item);
            continue;
        }
        // The argument keeps its colons: defaults and licence files may be paths.
        field.arg = parts.size() > 2 ? item.section(QLatin1Char(':'), 2) : QString();
        const bool needsArg = field.kind == PageField::Choice || field.kind == PageField::Checklist
            || field.kind == PageField::Licence;
        if (needsArg && field.arg.trimmed().isEmpty()) {
            *errors << QStringLiteral("input '%1': %2 needs %3").arg(item, kind,
                field.kind == PageField::Licence ? QStringLiteral("the licence file") : QStringLiteral("options"));
            continue;
        }
        if (kReserved.contains(field.key)) {
            *errors << QStringLiteral("input '%1': '%2' is a property of the page itself").arg(item, field.key);
            continue;
        }
        if (keys.contains(field.key)) {
            *errors << QStringLiteral("input '%1': the key '%2' is used twice").arg(item, field.key);
            continue;
        }
        keys.insert(field.key);
        fields << field;
    }
    return fields;
}
