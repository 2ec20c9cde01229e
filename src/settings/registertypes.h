// SPDX-License-Identifier: MIT
#pragma once
class CStateFactory;

// The INI states and the settings-store states.
void registerSettingsTypes(CStateFactory* factory);
