#include "plugin/plugin.h"
#include "checks/registertypes.h"
#include "engine/fsm.h"
#include "http/registertypes.h"
#include "net/registertypes.h"
#include "process/registertypes.h"
#include "propertymap/registertypes.h"
#include "settings/registertypes.h"
#include "system/registertypes.h"
#include "xml/registertypes.h"

extern "C" CStateFactory* createFactory(CStateFactory* fallback)
{
    auto* factory = new CStateFactory(QStringLiteral("generic"), fallback);
    factory->addCreator(QStringLiteral("fsm"), &createFsmOf<CFsm>);
    // Property maps first: the modules above it may add function families to its table.
    registerPropertyMapTypes(factory);
    registerSystemTypes(factory);
    registerCopyTypes(factory);
    registerCheckTypes(factory);
    registerXmlTypes(factory);
    registerHttpTypes(factory);
    registerSettingsTypes(factory);
    registerNetTypes(factory);
    registerProcessTypes(factory);
    return factory;
}
