#include "propertymap/functiontable.h"
#include "propertymap/expression.h"

#include <QStringList>

namespace {

const CFunctionTable& table()
{
    // Built once, before any parse can run concurrently with it (C++ static initialisation).
    static const CFunctionTable t = [] {
        CFunctionTable built;
        addScalarFunctions(built);
        addListFunctions(built);
        addXmlFunctions(built);
        return built;
    }();
    return t;
}

} // namespace

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
