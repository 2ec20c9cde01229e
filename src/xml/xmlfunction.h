// SPDX-License-Identifier: MIT
#pragma once
// Base of the expression functions that search and edit XML documents. Nodes arrive as
// CXPathNode objects, or as object lists whose entries are CXPathNode objects.
#include "propertymap/expression.h"

class CXPathNode;

class CXmlFunction : public CFuncExpression {
public:
    CXmlFunction(CPropertyMap* owner, const QList<CExpression*>& parameters);

    // The node the parameter yields, or null when it yields no CXPathNode.
    virtual CXPathNode* xmlNode(int index);
    // The CXPathNode entries of the object list the parameter yields, in entry order.
    virtual QList<CXPathNode*> xmlNodeList(int index);

protected:
    // toString() of the parameter's value.
    QString parameterText(int index) const;
};
