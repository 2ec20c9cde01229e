#pragma once
// Building a command's flow and showing what the build and the checks found, each finding
// once, with its file and line.
#include "options.h"

#include "engine/diagnostic.h"

#include <memory>

class CFsm;

// Loads the plug-in and builds the flow. False when it could not be built or has build
// errors; `found` then holds them (or the plug-in's error, without a file).
bool buildFlow(const CommandOptions& options, std::unique_ptr<CFsm>& fsm, CDiagnostics* found);

// Runs a check of the built tree and returns what it found, as warnings unless `strict`.
CDiagnostics checkFindings(CFsm* fsm, bool (CFsm::*check)(), bool strict);

// "file:line: severity: message" lines on standard error.
void printFindings(const CDiagnostics& found);

// Whether any finding is an error.
bool hasErrors(const CDiagnostics& found);
