#pragma once
// A property map: one target property and an expression computed from properties of the
// finished state, the FSM or the application when its transition fires. The map owns its
// expression tree and the input cells behind every property reference in it.
#include "propertymap/property.h"

#include <QList>
#include <QString>

class CExpression;
class CObject;

class CPropertyMap {
public:
    // Nesting deeper than this (parentheses or function calls inside each other) is refused
    // with an error instead of recursing further, so hostile texts cannot exhaust the stack.
    static constexpr int kMaxNesting = 256;

    // owner: the FSM that holds the transition (used only to translate text); may be null.
    CPropertyMap(CObject* owner, const QString& target, const QString& expression);
    virtual ~CPropertyMap();
    CPropertyMap(const CPropertyMap&) = delete;
    CPropertyMap& operator=(const CPropertyMap&) = delete;

    virtual CProperty target() const;
    virtual QList<CProperty*>& variables();
    virtual CProperty* addVariable(const QString& reference);
    // Stores the expression's result into the target cell; false when there is no valid
    // expression to evaluate.
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
    // parseExpression once the parentheses around the whole text are off: passed is the text
    // as the innermost level received it, s the same trimmed.
    CExpression* parseUnwrapped(QStringView passed, QStringView s);

    CProperty m_target;
    QList<CProperty*> m_variables;
    CExpression* m_expression = nullptr;
    QString m_errors;
    CObject* m_owner;
    int m_nesting = 0; // parseExpression calls in progress
};

// The number of quotes that open or close a string: a quote at the start, or after any
// character but a backslash.
int quoteCount(QStringView text);

// The positions where the token stands outside quotes: the quotes before it and the quotes
// after it (counted from the character after its first one) are both even in number.
int countOutsideQuotes(QStringView text, QStringView token);
