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
    factory->setOptionalProperties(QStringLiteral("compare"),
                                   {QStringLiteral("comparisonType"), QStringLiteral("operator"), QStringLiteral("type")});
    factory->setOptionalProperties(QStringLiteral("match"), {QStringLiteral("wildcard"), QStringLiteral("ignoreCase")});
    factory->addCreator(QStringLiteral("listIteratorFsm"), &createFsmOf<CIteratorFsm>);
}
