// SPDX-License-Identifier: MIT
// The expression parser of CPropertyMap. An expression is a constant, a "$" reference, a
// function call or an expression in parentheses; every problem appends one line to the map's
// error text and parsing goes on, so one load reports everything.
#include "propertymap/expression.h"
#include "propertymap/functiontable.h"
#include "propertymap/propertymap.h"

namespace {

// The characters that end a bare word, a number or a reference; references also stop at
// white space.
bool isSyntaxCharacter(QChar c)
{
    switch (c.unicode()) {
    case '$':
    case '(':
    case ')':
    case '\'':
    case '"':
    case ',':
        return true;
    default:
        return false;
    }
}

bool hasSyntaxCharacter(QStringView s, bool orSpace)
{
    for (const QChar c : s) {
        if (isSyntaxCharacter(c) || (orSpace && c.isSpace()))
            return true;
    }
    return false;
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// "-?[0-9]+" as a whole.
bool isIntegerText(QStringView s)
{
    const qsizetype start = s.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (start == s.size())
        return false;
    for (qsizetype i = start; i < s.size(); ++i) {
        if (!isAsciiDigit(s.at(i)))
            return false;
    }
    return true;
}

// "-?[0-9]+.[0-9]+" as a whole, the "." standing for any one character: digits on both
// sides of at most one other character.
bool isDecimalText(QStringView s)
{
    const qsizetype start = s.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype length = s.size() - start;
    if (length < 3)
        return false;
    qsizetype other = -1;
    for (qsizetype i = start; i < s.size(); ++i) {
        if (isAsciiDigit(s.at(i)))
            continue;
        if (other >= 0)
            return false;
        other = i;
    }
    return other < 0 || (other > start && other < s.size() - 1);
}

// Error lines quote the text they refuse; a nesting error names only its beginning, since the
// text may be as long as the whole expression.
QString excerpt(QStringView text)
{
    constexpr int kExcerpt = 40;
    const QStringView s = text.trimmed();
    return s.size() <= kExcerpt ? s.toString() : s.first(kExcerpt).toString() + QStringLiteral("...");
}

// A piece of the text being parsed, handed on without a copy. The parse keeps the text alive
// while the piece is in use; anything a node keeps is copied out of it.
QString borrowed(QStringView piece)
{
    return QString::fromRawData(piece.data(), piece.size());
}

class NestingGuard {
public:
    NestingGuard(int& depth, int levels) : m_depth(depth), m_levels(levels) { m_depth += m_levels; }
    ~NestingGuard() { m_depth -= m_levels; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& m_depth;
    int m_levels;
};

// What the parenthesis pass needs to know of a piece: the parentheses outside quotes (with
// the quote rule of countOutsideQuotes) and where the first "(" and the last ")" stand,
// quotes not considered. One scan, given the piece's quote count.
struct Parentheses {
    int opens = 0;
    int closes = 0;
    qsizetype firstOpen = -1;
    qsizetype lastClose = -1;
};

Parentheses scanParentheses(QStringView piece, int quotes)
{
    Parentheses p;
    const QChar* d = piece.data();
    const qsizetype n = piece.size();
    int before = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = d[i];
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            if (c == QLatin1Char('(') && p.firstOpen < 0)
                p.firstOpen = i;
            if (c == QLatin1Char(')'))
                p.lastClose = i;
            // A parenthesis is no backslash, so the quotes of the tail after it are exactly
            // those not before it.
            const int after = quotes - before;
            if (before % 2 == 0 && after % 2 == 0)
                ++(c == QLatin1Char('(') ? p.opens : p.closes);
        } else if (c == QLatin1Char('\'') && (i == 0 || d[i - 1] != QLatin1Char('\\'))) {
            ++before;
        }
    }
    return p;
}

struct Piece {
    QStringView text;
    int quotes;
};

// The parameter texts of a call: the text split at commas that stand outside quotes and
// parentheses. Pieces are joined back where a string or a parenthesis spans a comma; as they
// are neighbours in the text, a joined text is again one slice of it. False when a piece
// closes a parenthesis before opening one ("a)(b"); the texts found before it are kept.
bool splitParameters(QStringView text, QList<QStringView>& parameters)
{
    // Commas inside quotes: a piece with an odd number of quotes opens a string, and the next
    // piece with an odd number closes it. An unterminated string is dropped. A quote after the
    // joining comma counts as it did at the start of its piece, so the counts add up.
    QList<Piece> complete;
    qsizetype pendingStart = -1;
    int pendingQuotes = 0;
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != QLatin1Char(','))
            continue;
        const int quotes = quoteCount(text.sliced(pieceStart, i - pieceStart));
        const bool odd = quotes % 2 != 0;
        if (pendingStart < 0) {
            if (odd) {
                pendingStart = pieceStart;
                pendingQuotes = quotes;
            } else {
                complete.append({text.sliced(pieceStart, i - pieceStart), quotes});
            }
        } else if (odd) {
            complete.append({text.sliced(pendingStart, i - pendingStart), pendingQuotes + quotes});
            pendingStart = -1;
        } else {
            pendingQuotes += quotes;
        }
        pieceStart = i + 1;
    }

    // Commas inside parentheses; unbalanced parentheses drop the rest without a message.
    auto joined = [&](const QStringView& last) {
        return QStringView(text.data() + pendingStart, last.data() + last.size());
    };
    int depth = 0;
    pendingStart = -1;
    for (const Piece& piece : std::as_const(complete)) {
        const Parentheses p = scanParentheses(piece.text, piece.quotes);
        const bool closesBeforeOpening = p.firstOpen > p.lastClose;
        if (depth == 0) {
            if (p.opens == 0) {
                parameters.append(piece.text);
                continue;
            }
            depth = p.opens;
            if (p.closes > 0) {
                if (closesBeforeOpening)
                    return false;
                depth -= p.closes;
                if (depth == 0) {
                    parameters.append(piece.text);
                    continue;
                }
            }
            pendingStart = piece.text.data() - text.data();
        } else if (p.opens > 0 && p.closes == 0) {
            depth += p.opens;
        } else if (p.closes > 0) {
            depth -= p.closes;
            if (p.opens > 0) {
                if (closesBeforeOpening)
                    return false;
                depth += p.opens;
            }
            if (depth == 0) {
                parameters.append(joined(piece.text));
                pendingStart = -1;
            }
        }
    }
    return true;
}

} // namespace

CExpression* CPropertyMap::parseExpression(const QString& text)
{
    // Parentheses around the whole text are taken off in a loop rather than by recursion;
    // each pair still counts as a level of nesting and repeats the node's errors once more.
    QStringView passed(text); // the text as passed at the innermost level
    QStringView s = passed.trimmed();
    int levels = 0;
    while (true) {
        if (m_nesting + levels >= kMaxNesting) {
            addError(QStringLiteral("Expression nested deeper than %1 levels: %2\n").arg(kMaxNesting).arg(excerpt(passed)));
            return nullptr;
        }
        if (s.size() < 2 || !s.startsWith(QLatin1Char('(')) || !s.endsWith(QLatin1Char(')')))
            break;
        ++levels;
        passed = s.sliced(1, s.size() - 2);
        s = passed.trimmed();
    }
    const NestingGuard guard(m_nesting, levels + 1);

    CExpression* node = parseUnwrapped(passed, s);
    if (!node)
        return nullptr;
    const QString errors = node->errors();
    for (int i = 0; i <= levels; ++i)
        addError(errors);
    return node;
}

CExpression* CPropertyMap::parseUnwrapped(QStringView passed, QStringView s)
{
    if (s.isEmpty())
        return new CConstExpression(this, QString(QLatin1String("")));
    if (s.startsWith(QLatin1Char('$'))) {
        const QStringView reference = s.sliced(1);
        if (hasSyntaxCharacter(reference, true)) {
            addError(QStringLiteral("Invalid character(s) in variable name: ") + passed.toString() + QLatin1Char('\n'));
            return nullptr;
        }
        return new CVarExpression(this, reference.toString());
    }
    if (s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) {
        const QStringView inner = s.size() >= 2 ? s.sliced(1, s.size() - 2) : QStringView();
        if (quoteCount(inner) != 0) {
            addError(QStringLiteral("Invalid character(s) in constant expression: ") + passed.toString() + QLatin1Char('\n'));
            return nullptr;
        }
        return new CConstExpression(this, inner.isEmpty() ? QString(QLatin1String("")) : inner.toString());
    }
    if (s.endsWith(QLatin1Char(')')) && s.contains(QLatin1Char('('))) {
        const qsizetype open = s.indexOf(QLatin1Char('('));
        return createFunction(s.first(open).toString(), borrowed(s.sliced(open + 1, s.size() - open - 2)));
    }
    if (!hasSyntaxCharacter(s, false)) {
        bool ok = false;
        if (isIntegerText(s)) {
            const qlonglong n = s.toLongLong(&ok, 10);
            return new CConstExpression(this, ok ? n : qlonglong(0));
        }
        if (isDecimalText(s)) {
            const double d = s.toDouble(&ok);
            return new CConstExpression(this, ok ? d : 0.0);
        }
        return new CConstExpression(this, s.toString());
    }
    addError(QStringLiteral("Invalid expression: ") + passed.toString() + QLatin1Char('\n'));
    return nullptr;
}

QList<CExpression*> CPropertyMap::parseParameters(const QString& text)
{
    QList<QStringView> texts;
    const bool wellFormed = splitParameters(text, texts);
    QList<CExpression*> parameters;
    parameters.reserve(texts.size());
    for (const QStringView& parameter : std::as_const(texts))
        parameters.append(parseExpression(borrowed(parameter)));
    if (!wellFormed)
        addError(QStringLiteral("Invalid parenthese sequence.\n"));
    return parameters;
}

CExpression* CPropertyMap::createFunction(const QString& name, const QString& parameterText)
{
    const QList<CExpression*> parameters = parseParameters(parameterText);
    CFuncExpression* f = createFunctionExpression(name, parameters, this);
    if (!f) {
        addError(QStringLiteral("Invalid function name: ") + name.toLower() + QLatin1Char('\n'));
        qDeleteAll(parameters);
        return nullptr;
    }
    return f;
}
