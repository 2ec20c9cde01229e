#pragma once
// A property map: one target property and an expression computed from properties of the
// finished state, the FSM or the application when its transition fires.
#include "propertymap/property.h"

#include <QList>
#include <QString>

class CExpression;
class CObject;

class CPropertyMap {
public:
    // owner: the FSM that holds the transition (used only to translate text); may be null.
    CPropertyMap(CObject* owner, const QString& target, const QString& expression);
    virtual ~CPropertyMap();
    CPropertyMap(const CPropertyMap&) = delete;
    CPropertyMap& operator=(const CPropertyMap&) = delete;

    virtual CProperty target() const;
    virtual QList<CProperty*>& variables();
    virtual CProperty* addVariable(const QString& reference);
    virtual bool evaluate();
    virtual bool isValid() const;
    virtual QString errors() const;
    virtual QString translate(const QString& text) const;
    virtual CExpression* parseExpression(const QString& text);
    virtual QList<CExpression*> parseParameters(const QString& text);
    virtual CExpression* createFunction(const QString& name, const QString& parameterText);
    virtual void addError(const QString& text);

    CProperty& targetCell() { return m_target; }
    CExpression* expression() const { return m_expression; }
    CObject* owner() const { return m_owner; }

private:
    CProperty m_target;
    QList<CProperty*> m_variables;
    CExpression* m_expression = nullptr;
    QString m_errors;
    CObject* m_owner;
};

// The number of quotes that open or close a string: a quote at the start, or after any
// character but a backslash.
int quoteCount(const QString& text);

// The positions where the token stands outside quotes.
int countOutsideQuotes(const QString& text, const QString& token);
