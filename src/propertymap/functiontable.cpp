#include "propertymap/functiontable.h"
#include "propertymap/expression.h"

#include <QList>
#include <QStringList>

namespace {

// Parses run on the event-loop thread only, and families are added while the plug-in is being
// set up, so the table needs no lock.
CFunctionTable& table()
{
    static CFunctionTable t = [] {
        CFunctionTable built;
        addScalarFunctions(built);
        addListFunctions(built);
        return built;
    }();
    return t;
}

} // namespace

void addFunctionFamily(void (*add)(CFunctionTable& table))
{
    static QList<void (*)(CFunctionTable&)> added;
    if (added.contains(add))
        return;
    added.append(add);
    add(table());
}

CFuncExpression* createFunctionExpression(const QString& name, const QList<CExpression*>& parameters,
                                          CPropertyMap* owner)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return nullptr;
    CFuncExpression* f = it.value()(owner, parameters);
    if (!f->hasValidParameterCount())
        f->addError(QStringLiteral("'%1' function has invalid number of parameters.\n").arg(name));
    return f;
}

QStringList functionNames()
{
    QStringList names = table().names();
    names.sort();
    return names;
}
