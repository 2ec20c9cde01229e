#include "plugin/registertypes.h"
#include "engine/statefactory.h"

void registerPropertyMapTypes(CStateFactory* factory)
{
    Q_UNUSED(factory);
}
