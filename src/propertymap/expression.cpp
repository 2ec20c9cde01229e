#include "propertymap/expression.h"
#include "propertymap/propertymap.h"

CProperty* CExpression::addVariable(const QString& reference)
{
    return m_owner ? m_owner->addVariable(reference) : nullptr;
}

CConstExpression::CConstExpression(CPropertyMap* owner, const QString& text)
    : CExpression(owner)
{
    QString unescaped = text;
    unescaped.replace(QLatin1String("\\'"), QLatin1String("'"));
    m_value = QVariant(unescaped);
}

CConstExpression::CConstExpression(CPropertyMap* owner, qlonglong number)
    : CExpression(owner)
    , m_value(QVariant(number))
{
}

CConstExpression::CConstExpression(CPropertyMap* owner, double number)
    : CExpression(owner)
    , m_value(QVariant(number))
{
}

CVarExpression::CVarExpression(CPropertyMap* owner, const QString& reference)
    : CExpression(owner)
    , m_cell(addVariable(reference))
{
}

QVariant CVarExpression::value()
{
    return m_cell ? m_cell->value() : QVariant();
}

CPropertyObject* CVarExpression::object()
{
    return m_cell ? m_cell->object() : nullptr;
}

bool CVarExpression::isObject()
{
    return object() != nullptr;
}

bool CVarExpression::isValid()
{
    return m_cell && m_cell->isSet();
}

CFuncExpression::CFuncExpression(CPropertyMap* owner, const QList<CExpression*>& parameters)
    : CExpression(owner)
    , m_parameters(parameters)
{
}

CFuncExpression::~CFuncExpression()
{
    qDeleteAll(m_parameters);
}

QVariant CFuncExpression::parameterValue(int i) const
{
    CExpression* p = parameter(i);
    return p ? p->value() : QVariant();
}

CPropertyObject* CFuncExpression::parameterObject(int i) const
{
    CExpression* p = parameter(i);
    return p ? p->object() : nullptr;
}

CFunctionNoObjectParameters::CFunctionNoObjectParameters(CPropertyMap* owner, const QList<CExpression*>& parameters)
    : CFuncExpression(owner, parameters)
{
    for (CExpression* p : parameters) {
        if (p && p->isObject()) {
            addError(QStringLiteral("function does not take object parameters.\n"));
            break;
        }
    }
}
