// SPDX-License-Identifier: MIT
#include "propertymap/functiontable.h"

#include "xml/xmlfunctions.h"

void addXmlFunctions(CFunctionTable& table)
{
    table.insert(QStringLiteral("findfirstnode"), &makeFunction<CFunctionFindFirstNode>);
    table.insert(QStringLiteral("findnodes"), &makeFunction<CFunctionFindNodes>);
    table.insert(QStringLiteral("setattribute"), &makeFunction<CFunctionSetAttribute>);
    table.insert(QStringLiteral("appendchild"), &makeFunction<CFunctionAppendChild>);
    table.insert(QStringLiteral("removechild"), &makeFunction<CFunctionRemoveChild>);
    table.insert(QStringLiteral("insertbefore"), &makeFunction<CFunctionInsertBefore>);
    table.insert(QStringLiteral("insertafter"), &makeFunction<CFunctionInsertAfter>);
    table.insert(QStringLiteral("xmltostring"), &makeFunction<CFunctionXmlToString>);
}
