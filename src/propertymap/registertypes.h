#pragma once
class CStateFactory;

// The decision and iteration types into the factory; also installs the property maps that
// transitions build from their "propertymap" elements.
void registerPropertyMapTypes(CStateFactory* factory);
