#include "plugin/registertypes.h"
#include "engine/statefactory.h"

void registerSystemTypes(CStateFactory* factory)
{
    Q_UNUSED(factory);
}
