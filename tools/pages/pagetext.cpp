// SPDX-License-Identifier: MIT
#include "pagetext.h"

#include <QRegularExpression>
#include <QTextDocument>

namespace {

const QStringList kKeptTags = {
    QStringLiteral("b"),  QStringLiteral("i"),  QStringLiteral("u"),      QStringLiteral("em"),
    QStringLiteral("strong"), QStringLiteral("p"), QStringLiteral("br"), QStringLiteral("ul"),
    QStringLiteral("ol"), QStringLiteral("li"), QStringLiteral("h1"),     QStringLiteral("h2"),
    QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("tt"),     QStringLiteral("code"),
    QStringLiteral("pre"), QStringLiteral("hr"), QStringLiteral("small"), QStringLiteral("blockquote"),
};
// Their content is code or data, never text to show.
const QStringList kDroppedWithContent = {QStringLiteral("script"), QStringLiteral("style"),
                                         QStringLiteral("head"), QStringLiteral("object"),
                                         QStringLiteral("iframe"), QStringLiteral("svg")};

// "<tag ...>", "</tag>", "<!-- -->"; a "<" that starts none of them is text.
const QRegularExpression kTag(QStringLiteral("<!--.*?-->|<(/?)([A-Za-z][A-Za-z0-9]*)\\b[^<>]*>"),
                              QRegularExpression::DotMatchesEverythingOption);
const QRegularExpression kEntity(QStringLiteral("&(#[0-9]{1,7}|#x[0-9A-Fa-f]{1,6}|[A-Za-z]{2,8});"));

// Escapes text between tags, leaving well-formed entities as they stand.
QString escapeText(const QString& text)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&')) {
            const auto m = kEntity.match(text, i, QRegularExpression::NormalMatch,
                                             QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                out += m.captured(0);
                i += m.capturedLength(0);
                continue;
            }
            out += QLatin1String("&amp;");
        } else if (c == QLatin1Char('<')) {
            out += QLatin1String("&lt;");
        } else if (c == QLatin1Char('>')) {
            out += QLatin1String("&gt;");
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

} // namespace

bool PageText::isRich(const QString& text)
{
    return Qt::mightBeRichText(text);
}

QString PageText::toSafeHtml(const QString& text)
{
    if (!isRich(text))
        return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
    QString out;
    QString dropping; // the element whose content is being dropped
    qsizetype pos = 0;
    auto it = kTag.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (dropping.isEmpty())
            out += escapeText(text.mid(pos, m.capturedStart() - pos));
        pos = m.capturedEnd();
        const QString name = m.captured(2).toLower();
        const bool closing = !m.captured(1).isEmpty();
        if (!dropping.isEmpty()) {
            if (closing && name == dropping)
                dropping.clear();
            continue;
        }
        if (name.isEmpty())
            continue; // a comment
        if (kDroppedWithContent.contains(name)) {
            const bool selfClosing = m.captured(0).endsWith(QLatin1String("/>"));
            if (!closing && !selfClosing)
                dropping = name;
            continue;
        }
        if (kKeptTags.contains(name))
            out += closing ? QStringLiteral("</%1>").arg(name) : QStringLiteral("<%1>").arg(name);
    }
    if (dropping.isEmpty())
        out += escapeText(text.mid(pos));
    return out;
}

QString PageText::toPlain(const QString& text)
{
    if (!isRich(text))
        return text;
    QString html = toSafeHtml(text);
    // Qt's plain text drops list markers; a terminal reader needs them.
    html.replace(QLatin1String("<li>"), QLatin1String("<li>- "));
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText().trimmed();
}
