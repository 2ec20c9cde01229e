#pragma once
// Scripts write Qt 3 style regular expressions. This wrapper keeps their meaning on
// QRegularExpression: exact matching anchors the pattern, minimal matching inverts greediness,
// wildcard mode converts "*", "?" and "[...]" the Qt 3 way, and an invalid pattern matches
// nothing.
#include <QRegularExpression>
#include <QStringList>

class CRegExp {
public:
    CRegExp() = default;
    explicit CRegExp(const QString& pattern, bool caseSensitive = true, bool wildcard = false, bool minimal = false);

    bool isValid() const { return m_search.isValid(); }
    QString pattern() const { return m_pattern; }

    // The whole text matches.
    bool exactMatch(const QString& text) const;

    // Index of the first match at or after `from`, or -1. The match is kept for cap() and
    // matchedLength().
    int indexIn(const QString& text, int from = 0);

    int matchedLength() const;
    QString cap(int n = 0) const;
    QStringList capturedTexts() const;

    // Converts a Qt 3 wildcard pattern into a regular expression.
    static QString wildcardToRegExp(const QString& wildcard);

    const QRegularExpression& regularExpression() const { return m_search; }

private:
    QString m_pattern;
    QRegularExpression m_search;
    QRegularExpression m_exact;
    QRegularExpressionMatch m_last;
};
