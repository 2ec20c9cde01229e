// SPDX-License-Identifier: MIT
#pragma once
// Arithmetic of the expression language: sums, products, quotients, negation and random numbers.
#include "propertymap/expression.h"

#include <QVarLengthArray>

// The sum of the parameters. Its numeric kind (none, LongLong or Double) follows the types of
// the values seen and stays with the node: once a decimal value has made it Double, every later
// evaluation yields a Double.
class CFunctionAdd : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() >= 2; }

protected:
    using Values = QVarLengthArray<QVariant, 8>;
    // Evaluates every non-null parameter once, in order, updating the numeric kind.
    void collect(Values& values);
    int numericKind() const { return m_kind; }

private:
    void updateKind(const QVariant& v);

    int m_kind = 0; // QMetaType::LongLong, QMetaType::Double or 0
};

// The product of the parameters, with the numeric kind rules of the sum.
class CFunctionMultiply : public CFunctionAdd {
public:
    using CFunctionAdd::CFunctionAdd;
    QVariant value() override;
};

// The quotient as a Double; division by zero is traced and yields an invalid value.
class CFunctionDivide : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};

class CFunctionNegate : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

// The runtime library's next pseudo-random number, 0 to 32767. Building a node seeds the
// generator with the current time in seconds.
class CFuntionRandom : public CFunctionNoObjectParameters {
public:
    CFuntionRandom(CPropertyMap* owner, const QList<CExpression*>& parameters);
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};
