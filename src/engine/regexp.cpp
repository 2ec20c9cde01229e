#include "engine/regexp.h"

CRegExp::CRegExp(const QString& pattern, bool caseSensitive, bool wildcard, bool minimal)
    : m_pattern(pattern)
{
    const QString re = wildcard ? wildcardToRegExp(pattern) : pattern;
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
    if (!caseSensitive)
        options |= QRegularExpression::CaseInsensitiveOption;
    if (minimal)
        options |= QRegularExpression::InvertedGreedinessOption;
    m_search = QRegularExpression(re, options);
    m_exact = QRegularExpression(QRegularExpression::anchoredPattern(re), options);
}

bool CRegExp::exactMatch(const QString& text) const
{
    return m_exact.isValid() && m_exact.match(text).hasMatch();
}

int CRegExp::indexIn(const QString& text, int from)
{
    m_last = QRegularExpressionMatch();
    if (!m_search.isValid() || from > text.size())
        return -1;
    if (from < 0)
        from = qMax(0, int(text.size()) + from);
    m_last = m_search.match(text, from);
    return m_last.hasMatch() ? int(m_last.capturedStart(0)) : -1;
}

int CRegExp::matchedLength() const
{
    return m_last.hasMatch() ? int(m_last.capturedLength(0)) : -1;
}

QString CRegExp::cap(int n) const
{
    return m_last.hasMatch() ? m_last.captured(n) : QString();
}

QStringList CRegExp::capturedTexts() const
{
    return m_last.hasMatch() ? m_last.capturedTexts() : QStringList();
}

QString CRegExp::wildcardToRegExp(const QString& wildcard)
{
    QString out;
    out.reserve(wildcard.size() * 2);
    const int n = int(wildcard.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = wildcard.at(i);
        if (c == QLatin1Char('*')) {
            out += QLatin1String(".*");
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('.');
        } else if (c == QLatin1Char('[')) {
            // A "]" first in the set (after a "^", if any) is one of its characters, as in a
            // regular expression, not its end.
            int first = i + 1;
            if (first < n && wildcard.at(first) == QLatin1Char('^'))
                ++first;
            if (first < n && wildcard.at(first) == QLatin1Char(']'))
                ++first;
            const int close = int(wildcard.indexOf(QLatin1Char(']'), first));
            if (close < 0) {
                out += QLatin1String("\\[");
                continue;
            }
            QString set = wildcard.mid(i + 1, close - i - 1);
            set.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            out += QLatin1Char('[') + set + QLatin1Char(']');
            i = close;
        } else {
            out += QRegularExpression::escape(QString(c));
        }
    }
    return out;
}
