// SPDX-License-Identifier: MIT
#include "xml/xmlfunctions.h"

#include "xml/xpathnode.h"

CPropertyObject* CFunctionFindNodes::object()
{
    m_result.reset();
    const QString path = parameterText(1);
    QList<QDomNode> found;
    if (CXPathNode* node = xmlNode(0)) {
        found = node->findNodes(path);
    } else {
        const QList<CXPathNode*> nodes = xmlNodeList(0);
        for (const CXPathNode* e : nodes)
            found += e->findNodes(path);
    }
    if (found.isEmpty())
        return nullptr;
    m_result = std::make_unique<CPropertyObject>(nullptr, "nodeList");
    for (int i = 0; i < found.size(); ++i) {
        const QByteArray name = "node" + QByteArray::number(i);
        m_result->setObjectProperty(name.constData(), new CXPathNode(found.at(i)));
    }
    return m_result.get();
}

CPropertyObject* CFunctionFindFirstNode::object()
{
    m_result.reset();
    CXPathNode* node = xmlNode(0);
    if (!node)
        return nullptr;
    const QList<QDomNode> found = node->findNodes(parameterText(1));
    if (found.isEmpty())
        return nullptr;
    m_result = std::make_unique<CXPathNode>(found.first());
    return m_result.get();
}

CPropertyObject* CFunctionSetAttribute::object()
{
    CXPathNode* node = xmlNode(0);
    if (node) {
        const QString name = parameterText(1); // name before value, as written
        node->setAttribute(name, parameterText(2));
    }
    return node;
}

CPropertyObject* CFunctionAppendChild::object()
{
    CXPathNode* parent = xmlNode(0);
    if (!parent)
        return nullptr;
    if (const CXPathNode* child = xmlNode(1))
        parent->appendChild(*child);
    else
        parent->appendChild(parameterText(1));
    return parent;
}

CPropertyObject* CFunctionRemoveChild::object()
{
    CXPathNode* parent = xmlNode(0);
    const CXPathNode* child = xmlNode(1);
    if (parent && child)
        parent->removeChild(*child);
    return parent;
}

CPropertyObject* CXmlInsertFunction::insert(NodeInsert insertNode, TagInsert insertTag)
{
    // Every node parameter is evaluated, in written order, whatever the outcome: each may
    // search or edit a document on its own.
    CXPathNode* parent = xmlNode(0);
    const CXPathNode* child = xmlNode(1);
    const CXPathNode* reference = xmlNode(2);
    if (!parent || !reference)
        return parent;
    if (child)
        (parent->*insertNode)(*child, *reference);
    else
        (parent->*insertTag)(parameterText(1), *reference);
    return parent;
}

CPropertyObject* CFunctionInsertBefore::object()
{
    return insert(&CXPathNode::insertBefore, &CXPathNode::insertBefore);
}

CPropertyObject* CFunctionInsertAfter::object()
{
    return insert(&CXPathNode::insertAfter, &CXPathNode::insertAfter);
}

QVariant CFunctionXmlToString::value()
{
    const CXPathNode* node = xmlNode(0);
    return node ? QVariant(node->documentText()) : QVariant();
}
