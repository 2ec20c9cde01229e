#include "propertymap/functiontable.h"

void addScalarFunctions(CFunctionTable& table)
{
    Q_UNUSED(table);
}
