#pragma once
#include "engine/statefactory.h"

#define SETUPFSM_EXPORT __attribute__((visibility("default")))

// The library's entry point: a new factory named "generic" with the given fallback (the host's
// own factory, or null) and the creators of every state type of the library. The host owns it.
extern "C" SETUPFSM_EXPORT CStateFactory* createFactory(CStateFactory* fallback);
