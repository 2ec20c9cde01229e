#include "net/registertypes.h"
#include "engine/statefactory.h"

void registerNetTypes(CStateFactory* factory)
{
    Q_UNUSED(factory);
}
