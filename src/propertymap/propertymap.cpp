// SPDX-License-Identifier: MIT
#include "propertymap/propertymap.h"
#include "engine/state.h"
#include "propertymap/expression.h"

namespace {

bool isCountedQuote(const QChar* d, qsizetype i)
{
    return d[i] == QLatin1Char('\'') && (i == 0 || d[i - 1] != QLatin1Char('\\'));
}

} // namespace

CPropertyMap::CPropertyMap(CObject* owner, const QString& target, const QString& expression)
    : m_target(target)
    , m_owner(owner)
{
    m_expression = parseExpression(expression);
}

CPropertyMap::~CPropertyMap()
{
    delete m_expression;
    qDeleteAll(m_variables);
}

CProperty CPropertyMap::target() const
{
    return m_target;
}

QList<CProperty*>& CPropertyMap::variables()
{
    return m_variables;
}

CProperty* CPropertyMap::addVariable(const QString& reference)
{
    auto* cell = new CProperty(reference);
    m_variables.append(cell);
    return cell;
}

bool CPropertyMap::evaluate()
{
    if (!m_expression || !m_expression->isValid())
        return false;
    if (m_expression->isObject())
        m_target.setObject(m_expression->object());
    else
        m_target.setValue(m_expression->value());
    return true;
}

bool CPropertyMap::isValid() const
{
    return m_errors.isEmpty();
}

QString CPropertyMap::errors() const
{
    return m_errors;
}

QString CPropertyMap::translate(const QString& text) const
{
    const auto* state = qobject_cast<const CState*>(m_owner);
    if (!state)
        return text;
    const QByteArray context = state->translationContext().toUtf8();
    const QByteArray utf8 = text.toUtf8();
    return state->tr(context.constData(), utf8.constData());
}

void CPropertyMap::addError(const QString& text)
{
    m_errors += text;
}

int quoteCount(QStringView text)
{
    const QChar* d = text.data();
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isCountedQuote(d, i))
            ++count;
    }
    return count;
}

// One pass: the quotes before a position are a running count, and those after it follow
// from the total, so long parameter texts cost linear time.
int countOutsideQuotes(QStringView text, QStringView token)
{
    const qsizetype n = text.size();
    const qsizetype m = token.size();
    if (m > n)
        return 0;
    const QChar* d = text.data();
    const int total = quoteCount(text);
    const QStringView view = text;
    int before = 0; // counted quotes in text[0, i)
    int found = 0;
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (m == 0 || (d[i] == token.at(0) && view.sliced(i, m) == token)) {
            // The tail starts at i + 1: its first quote counts whatever precedes it.
            int after = 0;
            if (i + 1 < n) {
                const int upToTailSecond = before + (isCountedQuote(d, i) ? 1 : 0) + (isCountedQuote(d, i + 1) ? 1 : 0);
                after = (d[i + 1] == QLatin1Char('\'') ? 1 : 0) + (total - upToTailSecond);
            }
            if (before % 2 == 0 && after % 2 == 0)
                ++found;
        }
        if (isCountedQuote(d, i))
            ++before;
    }
    return found;
}
