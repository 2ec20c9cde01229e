#pragma once
// The table of function names. Each function family adds its entries through its own add*
// function, so a family lives in its own files.
#include "engine/nameindex.h"

#include <QList>
#include <QString>

class CExpression;
class CFuncExpression;
class CPropertyMap;

using CFunctionMaker = CFuncExpression* (*)(CPropertyMap* owner, const QList<CExpression*>& parameters);
using CFunctionTable = CNameIndex<CFunctionMaker>;

template <class T>
CFuncExpression* makeFunction(CPropertyMap* owner, const QList<CExpression*>& parameters)
{
    return new T(owner, parameters);
}

void addScalarFunctions(CFunctionTable& table); // scalar and string functions
void addListFunctions(CFunctionTable& table);   // list, object and property functions

// Modules above this one bring function families of their own (the XML functions); each adds
// its family once, when the plug-in registers the module, before any expression is parsed.
// Adding the same family again changes nothing.
void addFunctionFamily(void (*add)(CFunctionTable& table));

// The node of the named function (exact, case-sensitive name), or null for an unknown name.
// A broken parameter-count rule is recorded in the node's errors; the node is returned.
CFuncExpression* createFunctionExpression(const QString& name, const QList<CExpression*>& parameters,
                                          CPropertyMap* owner);

// The function names, for tools that list them.
QStringList functionNames();
