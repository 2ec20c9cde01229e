// SPDX-License-Identifier: MIT
#include "xml/xmlfunction.h"

#include "engine/variantconv.h"
#include "xml/xpathnode.h"

CXmlFunction::CXmlFunction(CPropertyMap* owner, const QList<CExpression*>& parameters)
    : CFuncExpression(owner, parameters)
{
}

CXPathNode* CXmlFunction::xmlNode(int index)
{
    return qobject_cast<CXPathNode*>(parameterObject(index));
}

QList<CXPathNode*> CXmlFunction::xmlNodeList(int index)
{
    QList<CXPathNode*> nodes;
    const CPropertyObject* list = parameterObject(index);
    if (!list)
        return nodes;
    const QStringList names = list->propertyNames();
    for (const QString& name : names) {
        const QByteArray key = name.toLatin1();
        if (!list->hasObjectProperty(key.constData()))
            continue;
        if (auto* node = qobject_cast<CXPathNode*>(list->objectProperty(key.constData())))
            nodes.append(node);
    }
    return nodes;
}

QString CXmlFunction::parameterText(int index) const
{
    return Qt3::toString(parameterValue(index));
}
