// SPDX-License-Identifier: MIT
#include "propertymap/regexpfunctions.h"

#include "engine/variantconv.h"

#include <QRegularExpressionMatchIterator>

namespace {

// Appends the replacement with \1 to \9 expanded. A reference to a group the pattern does not
// have stays as written, backslash included.
void appendReplacement(QString& out, const QString& replacement, const QRegularExpressionMatch& match)
{
    const int groups = qMin(9, match.regularExpression().captureCount());
    const qsizetype n = replacement.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = replacement.at(i);
        if (c == QLatin1Char('\\') && i + 1 < n) {
            const int group = replacement.at(i + 1).digitValue();
            if (group > 0 && group <= groups) {
                out += match.capturedView(group);
                ++i;
                continue;
            }
        }
        out += c;
    }
}

} // namespace

QString CFunctionReplace::replaceAll(const QString& text, const CRegExp& rx, const QString& replacement)
{
    if (!rx.isValid())
        return text;
    QRegularExpressionMatchIterator it = rx.regularExpression().globalMatch(text);
    if (!it.hasNext())
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(copied, match.capturedStart() - copied);
        appendReplacement(out, replacement, match);
        copied = match.capturedEnd();
    }
    out += QStringView(text).mid(copied);
    return out;
}

QVariant CFunctionReplace::value()
{
    const QString text = Qt3::toString(parameterValue(0));
    const CRegExp& rx = m_pattern.get(Qt3::toString(parameterValue(1)));
    return QVariant(replaceAll(text, rx, Qt3::toString(parameterValue(2))));
}

QVariant CFunctionPos::value()
{
    const QString text = Qt3::toString(parameterValue(0));
    CRegExp& rx = m_pattern.get(Qt3::toString(parameterValue(1)));
    const qlonglong from = parameterCount() >= 3 ? Qt3::toLongLong(parameterValue(2)) : 0;
    if (from > text.size())
        return QVariant(int(-1));
    if (from >= 0)
        return QVariant(rx.indexIn(text, int(from)));

    // Backwards: the last position at or before `last` where a match starts. Walking the match
    // starts forwards finds overlapping matches too, as a backwards scan would.
    const qsizetype last = text.size() + from;
    if (last < 0)
        return QVariant(int(-1));
    int found = -1;
    int at = rx.indexIn(text, 0);
    // The first search has checked the whole text; checking it again at every step would make
    // the walk quadratic in the length of the text.
    const QRegularExpression& re = rx.regularExpression();
    while (at >= 0 && at <= last) {
        found = at;
        const QRegularExpressionMatch next = re.match(text, at + 1, QRegularExpression::NormalMatch,
                                                      QRegularExpression::DontCheckSubjectStringMatchOption);
        at = next.hasMatch() ? int(next.capturedStart()) : -1;
    }
    return QVariant(found);
}

QVariant CFunctionSection::value()
{
    const QString text = Qt3::toString(parameterValue(0));
    const CRegExp& rx = m_pattern.get(Qt3::toString(parameterValue(1)));
    qlonglong start = Qt3::toLongLong(parameterValue(2));
    qlonglong end = parameterCount() >= 4 ? Qt3::toLongLong(parameterValue(3)) : -1;
    if (rx.isValid())
        return QVariant(text.section(rx.regularExpression(), start, end));

    // A separator that matches nothing leaves the whole text as the one field.
    if (start < 0)
        ++start;
    if (end < 0)
        ++end;
    return QVariant(start <= 0 && end >= 0 ? text : QString());
}

QVariant CFunctionSplit::value()
{
    const QString text = Qt3::toString(parameterValue(0));
    const CRegExp& rx = m_pattern.get(Qt3::toString(parameterValue(1)));
    if (rx.isValid())
        return QVariant(text.split(rx.regularExpression(), Qt::SkipEmptyParts));
    return QVariant(text.isEmpty() ? QStringList() : QStringList(text));
}

QVariant CFunctionGrep::value()
{
    const QStringList entries = Qt3::toStringList(parameterValue(0));
    const QString pattern = Qt3::toString(parameterValue(1));
    QStringList found;
    for (const QString& entry : entries) {
        if (m_pattern.contains(pattern, entry))
            found.append(entry);
    }
    return QVariant(found);
}

QVariant CFunctionGres::value()
{
    QStringList entries = Qt3::toStringList(parameterValue(0));
    const CRegExp& rx = m_pattern.get(Qt3::toString(parameterValue(1)));
    const QString replacement = Qt3::toString(parameterValue(2));
    for (QString& entry : entries)
        entry = CFunctionReplace::replaceAll(entry, rx, replacement);
    return QVariant(entries);
}
