// SPDX-License-Identifier: MIT
#pragma once
class CStateFactory;

// checkOSVersion, checkDiskSpace, createShortcut and pause.
void registerCheckTypes(CStateFactory* factory);
