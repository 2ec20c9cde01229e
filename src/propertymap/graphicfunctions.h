// SPDX-License-Identifier: MIT
#pragma once
// Graphic values that a host user interface can take from state properties.
#include "propertymap/expression.h"

// A colour from a name ("red", "#ff0000") or from red, green and blue. A name that names no
// colour, or a component outside 0 to 255, gives an invalid colour.
class CFunctionColor : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1 || parameterCount() == 3; }
};

// The image of a file, format detected from its content; a null pixmap when it cannot be read.
// Pixmaps exist only in a GUI application, so without one the result is a null pixmap too.
class CFunctionPixmap : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
};

// A default font with family ("default" keeps the default), point size, weight on the 0 to 99
// scale (50 normal, 75 bold) and italic flag, each optional after the family.
class CFunctionFont : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() <= 4; }
};

class CFunctionPoint : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};

class CFunctionSize : public CFunctionNoObjectParameters {
public:
    using CFunctionNoObjectParameters::CFunctionNoObjectParameters;
    QVariant value() override;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
};
