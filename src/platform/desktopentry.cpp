// SPDX-License-Identifier: MIT
#include "platform/desktopentry.h"
#include "platform/platform.h"

#include <QProcess>
#include <QSaveFile>

namespace Platform {
namespace DesktopEntry {
namespace {

bool isReserved(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString keyLine(const char* key, const QString& value)
{
    return QLatin1String(key) + QLatin1Char('=') + escapeValue(value) + QLatin1Char('\n');
}

QString execLine(const Shortcut& s)
{
    if (s.kind == Shortcut::Kind::Connection)
        return QStringLiteral("nmcli connection up id ") + execWord(s.target, true);
    QString line = execWord(s.target, true);
    for (const QString& word : QProcess::splitCommand(s.arguments))
        line += QLatin1Char(' ') + execWord(word);
    return line;
}

} // namespace

QString escapeValue(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case ' ':
            // Readers drop the blanks around "=" and may trim the end of a line.
            out += (i == 0 || i == text.size() - 1) ? QStringLiteral("\\s") : QStringLiteral(" ");
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
                out += c;
        }
    }
    return out;
}

QString execWord(const QString& word, bool force)
{
    bool quote = force || word.isEmpty();
    QString body;
    for (const QChar c : word) {
        quote = quote || isReserved(c);
        if (c == QLatin1Char('%'))
            body += QLatin1String("%%");
        else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            body += QLatin1Char('\\') + c;
        else
            body += c;
    }
    // The characters escaped above are all reserved, so an unquoted word holds none of them.
    if (!quote)
        return body;
    return QLatin1Char('"') + body + QLatin1Char('"');
}

QByteArray compose(const Shortcut& s)
{
    QString text = QStringLiteral("[Desktop Entry]\n");
    if (s.kind == Shortcut::Kind::Url) {
        text += keyLine("Type", QStringLiteral("Link"));
        text += keyLine("URL", s.target);
    } else {
        text += keyLine("Type", QStringLiteral("Application"));
        text += keyLine("Exec", execLine(s));
    }
    text += keyLine("Name", s.name);
    if (!s.comment.isEmpty())
        text += keyLine("Comment", s.comment);
    if (!s.iconPath.isEmpty())
        text += keyLine("Icon", s.iconPath);
    return text.toUtf8();
}

} // namespace DesktopEntry

bool writeShortcut(const QString& path, const Shortcut& shortcut, QString* error)
{
    if (fileKind(path) == FileKind::Directory) {
        *error = QStringLiteral("a folder stands at that path");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = DesktopEntry::compose(shortcut);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace Platform
