#pragma once
class CStateFactory;

void registerNetTypes(CStateFactory* factory);
