// SPDX-License-Identifier: MIT
#pragma once
// Function nodes usually see the same pattern text at every evaluation (a constant, or a
// property that rarely changes); keeping the compiled expression spares a PCRE compile per
// evaluation in loops.
#include "engine/regexp.h"

class CPatternCache {
public:
    // The expression for the pattern text: case-sensitive, not wildcard. An invalid pattern
    // matches nothing.
    CRegExp& get(const QString& pattern)
    {
        if (!m_built || pattern != m_regExp.pattern()) {
            m_regExp = CRegExp(pattern);
            m_built = true;
        }
        return m_regExp;
    }

    // Whether the pattern is found anywhere in the text.
    bool contains(const QString& pattern, const QString& text)
    {
        const CRegExp& rx = get(pattern);
        return rx.isValid() && rx.regularExpression().match(text).hasMatch();
    }

private:
    CRegExp m_regExp;
    bool m_built = false;
};
