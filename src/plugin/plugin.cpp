#include "plugin/plugin.h"
#include "engine/fsm.h"
#include "plugin/registertypes.h"

void registerEngineTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("fsm"), &createFsmOf<CFsm>);
}

extern "C" CStateFactory* createFactory(CStateFactory* fallback)
{
    auto* factory = new CStateFactory(QStringLiteral("generic"), fallback);
    registerEngineTypes(factory);
    registerPropertyMapTypes(factory);
    registerSystemTypes(factory);
    registerCopyTypes(factory);
    registerXmlTypes(factory);
    registerNetTypes(factory);
    return factory;
}
