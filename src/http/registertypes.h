#pragma once
class CStateFactory;

// The HTTP request state, under both of its type names.
void registerHttpTypes(CStateFactory* factory);
