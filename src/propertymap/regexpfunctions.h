// SPDX-License-Identifier: MIT
#pragma once
// Text functions of the expression language that take a regular expression. A pattern that is
// not a valid expression matches nothing.
#include "propertymap/expression.h"
#include "propertymap/patterncache.h"

// Every match replaced; \1 to \9 in the replacement stand for the captured groups.
class CFunctionReplace : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 3; }

    static QString replaceAll(const QString& text, const CRegExp& rx, const QString& replacement);

private:
    CPatternCache m_pattern;
};

// Index of the first match at or after a position; with a negative position, of the last match
// that starts at or before that position counted from the end. -1 when there is none.
class CFunctionPos : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2 || parameterCount() == 3; }

private:
    CPatternCache m_pattern;
};

// Fields start to end of the text split at a separator pattern, separators between them kept.
class CFunctionSection : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 3 || parameterCount() == 4; }

private:
    CPatternCache m_pattern;
};

// The text split at every match, empty pieces dropped.
class CFunctionSplit : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }

private:
    CPatternCache m_pattern;
};

// The entries of a list that contain a match.
class CFunctionGrep : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }

private:
    CPatternCache m_pattern;
};

// Every entry of a list with its matches replaced, as "replace" does.
class CFunctionGres : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 3; }

private:
    CPatternCache m_pattern;
};
