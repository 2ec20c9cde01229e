// SPDX-License-Identifier: MIT
#include "propertymap/functiontable.h"

#include "propertymap/listfunctions.h"
#include "propertymap/objectfunctions.h"

void addListFunctions(CFunctionTable& table)
{
    table.insert(QStringLiteral("count"), &makeFunction<CFunctionCount>);
    table.insert(QStringLiteral("element"), &makeFunction<CFunctionElement>);
    table.insert(QStringLiteral("find"), &makeFunction<CFunctionFind>);
    table.insert(QStringLiteral("objectlist"), &makeFunction<CFunctionObjectList>);
    table.insert(QStringLiteral("makelist"), &makeFunction<CFunctionMakeList>);
    table.insert(QStringLiteral("append"), &makeFunction<CFunctionAppend>);
    table.insert(QStringLiteral("remove"), &makeFunction<CFunctionRemove>);
    table.insert(QStringLiteral("merge"), &makeFunction<CFunctionMerge>);
    table.insert(QStringLiteral("property"), &makeFunction<CFunctionGetproperty>);
    table.insert(QStringLiteral("setproperty"), &makeFunction<CFunctionSetproperty>);
    table.insert(QStringLiteral("propertylist"), &makeFunction<CFunctionPropertyList>);
}
