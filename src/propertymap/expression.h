#pragma once
// The expression tree of a property map: constants, property references and function calls.
// Every node yields either a value or an object and says which through isObject().
#include <QList>
#include <QString>
#include <QVariant>

class CPropertyMap;
class CPropertyObject;
class CProperty;

class CExpression {
public:
    explicit CExpression(CPropertyMap* owner) : m_owner(owner) {}
    virtual ~CExpression() = default;
    CExpression(const CExpression&) = delete;
    CExpression& operator=(const CExpression&) = delete;

    virtual QVariant value() = 0;
    virtual CPropertyObject* object() = 0;
    virtual bool isObject() = 0;
    virtual bool isValid() { return true; }
    virtual QString errors() const { return m_errors; }
    virtual CProperty* addVariable(const QString& reference);
    virtual void addError(const QString& text) { m_errors += text; }

    CPropertyMap* owner() const { return m_owner; }

private:
    CPropertyMap* m_owner; // not owned
    QString m_errors;
};

class CConstExpression : public CExpression {
public:
    // A string constant; every \' in the text stands for a plain quote.
    CConstExpression(CPropertyMap* owner, const QString& text);
    CConstExpression(CPropertyMap* owner, qlonglong number);
    CConstExpression(CPropertyMap* owner, double number);

    QVariant value() override { return m_value; }
    CPropertyObject* object() override { return nullptr; }
    bool isObject() override { return false; }

private:
    QVariant m_value;
};

class CVarExpression : public CExpression {
public:
    CVarExpression(CPropertyMap* owner, const QString& reference);

    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool isValid() override;

private:
    CProperty* m_cell; // owned by the map
};

// A function call; base of every function class. Owns its parameters; an entry is null where
// the parameter's text yielded no node, and it still counts as a parameter.
class CFuncExpression : public CExpression {
public:
    CFuncExpression(CPropertyMap* owner, const QList<CExpression*>& parameters);
    ~CFuncExpression() override;

    QVariant value() override { return QVariant(); }
    CPropertyObject* object() override { return nullptr; }
    bool isObject() override { return object() != nullptr; }

    virtual int parameterCount() const { return int(m_parameters.size()); }
    virtual bool hasValidParameterCount() = 0;

protected:
    const QList<CExpression*>& parameters() const { return m_parameters; }
    // The parameter, or null when it is missing or yielded no node.
    CExpression* parameter(int i) const { return i >= 0 && i < m_parameters.size() ? m_parameters.at(i) : nullptr; }
    // A missing or null parameter reads as an invalid value with no object.
    QVariant parameterValue(int i) const;
    CPropertyObject* parameterObject(int i) const;

private:
    QList<CExpression*> m_parameters;
};

// Base of the functions that accept only values as parameters.
class CFunctionNoObjectParameters : public CFuncExpression {
public:
    CFunctionNoObjectParameters(CPropertyMap* owner, const QList<CExpression*>& parameters);
};
