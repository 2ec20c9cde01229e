#pragma once
// Findings about a built flow that the build does not make: states that no transition
// reaches, exit events no transition takes, and states from which no exit of their FSM can
// be reached, so a run that gets there never ends. Warnings, placed in the definition files.
#include "engine/diagnostic.h"

class CFsm;

CDiagnostics lintFsm(CFsm* root);
