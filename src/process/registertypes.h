// SPDX-License-Identifier: MIT
#pragma once
class CStateFactory;

// The process states and shellExec.
void registerProcessTypes(CStateFactory* factory);
