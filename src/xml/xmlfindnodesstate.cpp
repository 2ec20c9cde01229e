// SPDX-License-Identifier: MIT
#include "xml/xmlfindnodesstate.h"

#include "engine/variantconv.h"
#include "xml/xpathnode.h"

CXmlFindNodesState::CXmlFindNodesState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CXmlFindNodesState::initialize()
{
    addEvents({QStringLiteral("multipleFound"), QStringLiteral("singleFound"), QStringLiteral("noFound")});
    addRequiredProperty(QStringLiteral("node"));
    addRequiredProperty(QStringLiteral("path"));
    addAnnouncedProperty(QStringLiteral("nodeList"));
}

void CXmlFindNodesState::enter()
{
    const CXPathNode* node = qobject_cast<const CXPathNode*>(objectProperty("node"));
    if (!node) {
        setLeaveEvent(QStringLiteral("noFound"));
        leaveState();
        return;
    }
    const QList<QDomNode> found = node->findNodes(Qt3::toString(property("path")));
    if (found.isEmpty())
        setLeaveEvent(QStringLiteral("noFound"));
    else
        setLeaveEvent(found.size() == 1 ? QStringLiteral("singleFound") : QStringLiteral("multipleFound"));

    auto* list = new CPropertyObject(nullptr, "nodeList");
    for (int i = 0; i < found.size(); ++i) {
        auto* entry = new CXPathNode(found.at(i));
        // The position keeps the names unique when every node has the same tag name.
        const QByteArray name = (entry->objectName() + QString::number(i)).toLatin1();
        list->setObjectProperty(name.constData(), entry);
    }
    setObjectProperty("nodeList", list);
    leaveState();
}
