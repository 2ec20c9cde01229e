// SPDX-License-Identifier: MIT
#pragma once
// What a transition needs of its property maps. The expression language lives in a module
// above the engine, which installs a maker of these when the plug-in registers it; the engine
// itself never sees an expression.
#include <QString>

class CTransition;

class ITransitionMaps {
public:
    virtual ~ITransitionMaps() = default;
    // Adds one map; false when it does not build (errors() then says why).
    virtual bool add(const QString& target, const QString& function) = 0;
    virtual QString errors() const = 0;
    virtual qsizetype count() const = 0;
    // Tells the next state and the FSM what the maps will supply, for the required-property check.
    virtual void announce() = 0;
    virtual void apply() = 0;
};

using TransitionMapsMaker = ITransitionMaps* (*)(CTransition* transition);

// Installs the maker of every transition's maps; a transition asks for its maps when its first
// map is added.
void setTransitionMapsMaker(TransitionMapsMaker maker);
TransitionMapsMaker transitionMapsMaker();
