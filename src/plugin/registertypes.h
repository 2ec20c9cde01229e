#pragma once
// Each subsystem registers the state types it builds into the "generic" factory.
class CStateFactory;

void registerEngineTypes(CStateFactory* factory);
void registerPropertyMapTypes(CStateFactory* factory);
void registerSystemTypes(CStateFactory* factory);
void registerCopyTypes(CStateFactory* factory);
void registerXmlTypes(CStateFactory* factory);
void registerNetTypes(CStateFactory* factory);
