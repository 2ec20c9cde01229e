// SPDX-License-Identifier: MIT
#pragma once
// Functions over collections: lists held in a value, or objects whose object properties are the
// entries (in the order of propertyNames()). Most yield an object when their first parameter
// yields one, and a value otherwise.
#include "propertymap/expression.h"
#include "propertymap/patterncache.h"

// Number of list entries (ULongLong), of entries equal to a value (Int), or of object entries,
// optionally those whose names match a pattern (Int).
class CFunctionCount : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    bool isObject() override { return false; }
    bool hasValidParameterCount() override { return parameterCount() == 1 || parameterCount() == 2; }

private:
    CPatternCache m_pattern;
};

// Entry i (0-based) of a list, or the object of object entry i; invalid or null out of range.
class CFunctionElement : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};

// The first list entry whose text matches a pattern, or the name of the first matching object
// entry; invalid when none matches.
class CFunctionFind : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    bool isObject() override { return false; }
    bool hasValidParameterCount() override { return parameterCount() == 2; }

private:
    CPatternCache m_pattern;
};

// A list with the later values appended, or the first object with clones of the later objects
// stored into it under their object names (changed in place).
class CFunctionAppend : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() >= 2; }
};

// A string list without the entries that match a pattern, or a clone of the object without the
// properties whose names match. The node owns the clone until its next evaluation.
class CFunctionRemove : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    ~CFunctionRemove() override;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }

private:
    CPatternCache m_pattern;
    CPropertyObject* m_result = nullptr;
};

// Two lists one after the other, or the first object completed, in place, with clones of the
// second object's object properties under names it does not have yet.
class CFunctionMerge : public CFuncExpression {
public:
    using CFuncExpression::CFuncExpression;
    QVariant value() override;
    CPropertyObject* object() override;
    bool isObject() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};
