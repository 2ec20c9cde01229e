// SPDX-License-Identifier: MIT
#pragma once
// Functions that build object lists and read or write the properties of objects.
#include "propertymap/expression.h"

// A new, empty object list. The node owns the object of its last evaluation.
class CFunctionObjectList : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    ~CFunctionObjectList() override;
    CPropertyObject* object() override;
    bool isObject() override { return true; }
    bool hasValidParameterCount() override { return parameterCount() == 1; }

private:
    CPropertyObject* m_result = nullptr;
};

// A List of the parameter values, or, when a parameter yields an object, an object list of
// clones of the parameter objects. The node owns the object of its last evaluation.
class CFunctionMakeList : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    ~CFunctionMakeList() override;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() >= 1; }

private:
    CPropertyObject* m_result = nullptr;
};

// The named value property of an object, or its named object property (not cloned).
class CFunctionGetproperty : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};

// Sets a named property of an object, in place, to a value or a clone of an object, and yields
// that object.
class CFunctionSetproperty : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    CPropertyObject* object() override;
    bool isObject() override { return true; }
    bool hasValidParameterCount() override { return parameterCount() == 3; }
};

// All property names of an object as a StringList; empty without an object.
class CFunctionPropertyList : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    bool isObject() override { return false; }
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};
