#include "plugin/registertypes.h"
#include "engine/statefactory.h"

void registerXmlTypes(CStateFactory* factory)
{
    Q_UNUSED(factory);
}
