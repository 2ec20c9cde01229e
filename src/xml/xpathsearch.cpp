// SPDX-License-Identifier: MIT
#include "xml/xpathsearch_p.h"

#include "engine/trace.h"

#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QHash>
#include <vector>

namespace XPathSearch {
namespace {

const char* const kCategory = "xpath";

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.')
        || c == QLatin1Char(':');
}

// Whether the operator word stands at the position, compared in lower case.
bool operatorAt(const QString& text, int pos, QLatin1String word)
{
    for (int i = 0; i < word.size(); ++i) {
        if (text.at(pos + i).toLower() != QLatin1Char(word.at(i)))
            return false;
    }
    return true;
}

// The position of the quote that closes the value opened at `open`: the first quote that
// follows a character other than a backslash, searching from the opening quote itself (so
// '' closes at once). -1 when the value is not closed.
int closingQuote(const QString& text, int open)
{
    for (int j = open; j + 1 < text.size(); ++j) {
        if (text.at(j) != QLatin1Char('\\') && text.at(j + 1) == QLatin1Char('\''))
            return j + 1;
    }
    return -1;
}

QString childText(const QDomNode& child)
{
    if (child.isText())
        return child.nodeValue();
    if (child.isElement())
        return child.toElement().text();
    return QString();
}

bool checkAttribute(const Term& term, const QDomNode& node, bool tracing)
{
    if (tracing)
        Trace::line(kCategory, QStringLiteral("checkAttribute name=") + term.name + QStringLiteral(" value=") + term.value);
    if (!node.isElement())
        return false;
    // A missing attribute reads as a null string, which no non-empty value equals. Walking a
    // short attribute list is cheaper than the map's hashed look-up, the cost that dominates a
    // search over many elements; a long list is looked up, since items are found by stepping.
    if (!term.value.isEmpty()) {
        const QDomNamedNodeMap attributes = node.attributes();
        const int count = attributes.length();
        if (count > 4)
            return node.toElement().attribute(term.name) == term.value;
        for (int i = 0; i < count; ++i) {
            const QDomNode attribute = attributes.item(i);
            if (attribute.nodeName() == term.name)
                return attribute.nodeValue() == term.value;
        }
        return false;
    }
    QDomElement element = node.toElement();
    const QDomAttr attr = element.attributeNode(term.name);
    return !attr.isNull() && attr.value().isEmpty();
}

bool checkChildTextNode(const Term& term, const QDomNode& node, bool tracing)
{
    if (tracing)
        Trace::line(kCategory, QStringLiteral("checkChildTextNode tagname=") + term.name + QStringLiteral(" text=") + term.value);
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QString name = child.nodeName();
        if (tracing) {
            Trace::line(kCategory, QStringLiteral("  match against child tagname=") + name + QStringLiteral(" text=")
                            + childText(child));
        }
        if (name == term.name && childText(child) == term.value) {
            if (tracing)
                Trace::line(kCategory, QStringLiteral("    match!"));
            return true;
        }
    }
    return false;
}

bool hasChildNamed(const QDomNode& node, const QString& name)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeName() == name)
            return true;
    }
    return false;
}

} // namespace

Term compileTerm(const QString& text)
{
    Term term;
    term.text = text;
    if (text.isEmpty())
        return term;
    term.empty = false;
    term.attribute = text.at(0) == QLatin1Char('@');
    int i = term.attribute ? 1 : 0;
    for (; i < text.size() && text.at(i) != QLatin1Char('='); ++i) {
        if (isNameChar(text.at(i)))
            term.name += text.at(i);
    }
    if (i >= text.size())
        return term;
    term.hasEquals = true;
    const int open = int(text.indexOf(QLatin1Char('\''), i + 1));
    if (open < 0)
        return term;
    const int close = closingQuote(text, open);
    if (close < 0)
        return term;
    term.valueFound = true;
    term.value = text.mid(open + 1, close - open - 1);
    term.value.replace(QLatin1String("\\'"), QLatin1String("'"));
    return term;
}

Expression compileExpression(const QString& text)
{
    Expression chain;
    bool pendingAnd = false;
    bool inQuotes = false;
    QString current;
    const int length = int(text.size());
    auto combine = [&](bool nextIsAnd) {
        chain.append(ChainLink {pendingAnd, compileTerm(current.trimmed())});
        current.clear();
        pendingAnd = nextIsAnd;
    };
    int pos = 0;
    while (pos < length) {
        const QChar c = text.at(pos);
        if (inQuotes) {
            current += c;
            if (c == QLatin1Char('\'') && (pos == 0 || text.at(pos - 1) != QLatin1Char('\\')))
                inQuotes = false;
            ++pos;
        } else if (pos < length - 2 && operatorAt(text, pos, QLatin1String("or"))) {
            combine(false);
            pos += 2;
        } else if (pos < length - 3 && operatorAt(text, pos, QLatin1String("and"))) {
            combine(true);
            pos += 3;
        } else {
            if (c == QLatin1Char('\''))
                inQuotes = true;
            current += c;
            ++pos;
        }
    }
    combine(false);
    return chain;
}

bool tracing()
{
    static const Trace::Category category(kCategory);
    return category.enabled();
}

bool matches(const Term& term, const QDomNode& node, bool trace)
{
    if (trace)
        Trace::line(kCategory, QStringLiteral("matchesPartialExpression: ") + term.text);
    if (term.empty)
        return false;
    if (!term.hasEquals) {
        if (term.attribute)
            return node.isElement() && node.toElement().hasAttribute(term.name);
        return hasChildNamed(node, term.name);
    }
    if (!term.valueFound)
        return false;
    return term.attribute ? checkAttribute(term, node, trace) : checkChildTextNode(term, node, trace);
}

bool matches(const Expression& expression, const QDomNode& node, bool trace)
{
    bool result = false;
    for (const ChainLink& link : expression) {
        if (trace) {
            Trace::line(kCategory, QStringLiteral("updateMatch with operator '")
                            + (link.isAnd ? QLatin1String("and") : QLatin1String("or"))
                            + QStringLiteral("' and expression: ") + link.term.text);
        }
        // Every term is evaluated, without a short cut, so each writes its trace lines.
        const bool value = matches(link.term, node, trace);
        result = link.isAnd ? (result && value) : (result || value);
        if (trace)
            Trace::line(kCategory, QStringLiteral("  'matches' is now ") + (result ? QLatin1String("true") : QLatin1String("false")));
    }
    return result;
}

} // namespace XPathSearch
