#pragma once
class CStateFactory;

// The XML states; the XML functions join the expression language's table by themselves.
void registerXmlTypes(CStateFactory* factory);
