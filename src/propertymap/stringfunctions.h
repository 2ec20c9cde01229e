// SPDX-License-Identifier: MIT
#pragma once
// Text functions of the expression language that need no regular expression.
#include "propertymap/expression.h"

// The texts of all parameters joined in order.
class CFunctionConcat : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() >= 2; }
};

class CFunctionUppercase : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

class CFunctionLowercase : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

// Part of a text from a start index, to the end or for a length. A negative start or one at
// or beyond the end gives the empty text; a negative length runs to the end.
class CFunctionSubstr : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2 || parameterCount() == 3; }
};

// The number of UTF-16 units of the text, as UInt.
class CFunctionLen : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

// The text with the XML special characters and the Latin-1 letters written as entities.
class CFunctionSafeXML : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }

    static QString escape(const QString& text);
};

// The text translated by the owning property map; the text itself without an owner.
class CFunctionTr : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

// The entries of a list joined with an optional separator text.
class CFunctionJoin : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1 || parameterCount() == 2; }
};

// An empty List; the one parameter is ignored.
class CFunctionList : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override { return QVariant(QVariantList()); }
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};
