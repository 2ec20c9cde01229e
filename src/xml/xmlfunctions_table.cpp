#include "propertymap/functiontable.h"

void addXmlFunctions(CFunctionTable& table)
{
    Q_UNUSED(table);
}
