// SPDX-License-Identifier: MIT
#include "propertymap/stringfunctions.h"

#include "engine/variantconv.h"
#include "propertymap/propertymap.h"

#include <QVarLengthArray>

QVariant CFunctionConcat::value()
{
    QVarLengthArray<QString, 8> parts;
    qsizetype total = 0;
    for (CExpression* p : parameters()) {
        if (!p)
            continue;
        parts.append(Qt3::toString(p->value()));
        total += parts.last().size();
    }
    QString result;
    result.reserve(total);
    for (const QString& part : parts)
        result += part;
    return QVariant(result);
}

QVariant CFunctionUppercase::value()
{
    return QVariant(Qt3::toString(parameterValue(0)).toUpper());
}

QVariant CFunctionLowercase::value()
{
    return QVariant(Qt3::toString(parameterValue(0)).toLower());
}

QVariant CFunctionSubstr::value()
{
    // Read as 64-bit numbers, so that a huge start stays out of range instead of wrapping
    // round to a small one.
    const QString text = Qt3::toString(parameterValue(0));
    const qlonglong start = Qt3::toLongLong(parameterValue(1));
    if (start < 0 || start >= text.size())
        return QVariant(QString());
    qlonglong length = -1;
    if (parameterCount() >= 3)
        length = Qt3::toLongLong(parameterValue(2));
    if (length < 0 || length > text.size() - start)
        return QVariant(text.mid(start));
    return QVariant(text.mid(start, length));
}

QVariant CFunctionLen::value()
{
    return QVariant(uint(Qt3::toString(parameterValue(0)).size()));
}

namespace {

// HTML character entity names of U+00A1 to U+00FF, indexed by code - 0xA1.
const char* const latin1Entities[95] = {
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",
    "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34",
    "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave",
    "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve",
    "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",
    "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",
    "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
    "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

const char* entityOf(char16_t c)
{
    switch (c) {
    case u'"':
        return "quot";
    case u'&':
        return "amp";
    case u'\'':
        return "apos";
    case u'<':
        return "lt";
    case u'>':
        return "gt";
    case u'\u20AC':
        return "euro";
    default:
        return c >= 0xA1 && c <= 0xFF ? latin1Entities[c - 0xA1] : nullptr;
    }
}

} // namespace

QString CFunctionSafeXML::escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (const char* entity = entityOf(c.unicode())) {
            out += QLatin1Char('&');
            out += QLatin1String(entity);
            out += QLatin1Char(';');
        } else {
            out += c;
        }
    }
    return out;
}

QVariant CFunctionSafeXML::value()
{
    return QVariant(escape(Qt3::toString(parameterValue(0))));
}

QVariant CFunctionTr::value()
{
    const QString text = Qt3::toString(parameterValue(0));
    return QVariant(owner() ? owner()->translate(text) : text);
}

QVariant CFunctionJoin::value()
{
    const QString separator = parameterCount() >= 2 ? Qt3::toString(parameterValue(1)) : QString();
    return QVariant(Qt3::toStringList(parameterValue(0)).join(separator));
}
