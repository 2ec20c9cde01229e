#pragma once
class CStateFactory;

// The file content types.
void registerSystemTypes(CStateFactory* factory);
// The copy, remove and count types.
void registerCopyTypes(CStateFactory* factory);
