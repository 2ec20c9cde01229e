#include "propertymap/registertypes.h"
#include "engine/statefactory.h"
#include "propertymap/comparestate.h"
#include "propertymap/iteratorfsm.h"
#include "propertymap/listiteratorstate.h"
#include "propertymap/matchexpressionstate.h"
#include "propertymap/switchstate.h"
#include "propertymap/transitionmaps.h"

void registerPropertyMapTypes(CStateFactory* factory)
{
    setTransitionMapsMaker(&makeTransitionMaps);
    factory->addCreator(QStringLiteral("compare"), &createStateOf<CCompareState>);
    factory->addCreator(QStringLiteral("switch"), &createStateOf<CSwitchState>);
    factory->addCreator(QStringLiteral("match"), &createStateOf<CMatchExpressionState>);
    factory->addCreator(QStringLiteral("listIterator"), &createStateOf<CListIteratorState>);
    factory->addCreator(QStringLiteral("listIteratorFsm"), &createFsmOf<CIteratorFsm>);
}
