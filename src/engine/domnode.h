#pragma once
// The engine's small element lookup over DOM trees: paths of tag names with attribute
// equality tests on the last step. Scripts never write these paths; the engine's loader does.
#include <QDomNode>
#include <QList>

class CDomNode : public QDomNode {
public:
    CDomNode() = default;
    CDomNode(const QDomNode& node) : QDomNode(node) {}

    // Elements found by the path, in document order.
    QList<CDomNode> elementsByPath(const QString& path) const;

    // The first child of this node that is an element with that tag name, else a null node.
    CDomNode firstChildElementNamed(const QString& tagName) const;
};
