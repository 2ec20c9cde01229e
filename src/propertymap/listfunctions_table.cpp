#include "propertymap/functiontable.h"

void addListFunctions(CFunctionTable& table)
{
    Q_UNUSED(table);
}
