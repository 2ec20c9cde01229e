#include "plugin/registertypes.h"
#include "engine/statefactory.h"

void registerCopyTypes(CStateFactory* factory)
{
    Q_UNUSED(factory);
}
