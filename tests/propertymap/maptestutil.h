// SPDX-License-Identifier: MIT
#pragma once
// Shared by the property-map, decision and iteration tests: the "generic" factory with the
// engine tests' "test" state type as a child, and trace lines of one category.
#include "../engine/teststates.h"
#include "engine/transition.h"

#include <QDomElement>
#include <QStringList>
#include <memory>

// The library's "generic" factory, which also creates "test" states.
std::unique_ptr<CStateFactory> makeFactory();

// The text of every trace line of the category, tag taken off, in order. Multi-line messages
// give one entry per line.
QStringList categoryLines(const QStringList& messages, const char* category);

// The first element of an XML text (for building transitions and states by hand).
QDomElement elementOf(const QString& xml);

// Runs an entered FSM until it finishes; false on a time-out.
bool runToEnd(CFsm* fsm, int timeoutMs = 10000);
