// SPDX-License-Identifier: MIT
#pragma once
// CXPathNode hands one node of a DOM tree to scripts and evaluates node paths from it.
// It holds a DOM handle, so every copy refers to the same node and edits made through one
// copy are seen through all. It also holds its document: a DOM handle to an inner node alone
// does not keep the document alive, and the node would outlive the tree it points into.
#include "engine/object.h"

#include <QDomDocument>
#include <QDomNode>
#include <memory>

class CXPathNode : public CPropertyObject {
    Q_OBJECT
    Q_PROPERTY(QString fullName READ fullName)
    Q_PROPERTY(QString nodeName READ nodeName WRITE setNodeName)
    Q_PROPERTY(QString nodeValue READ nodeValue WRITE setNodeValue)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(int nodeType READ nodeType)
public:
    // The DOM node type codes, as scripts read them from "nodeType".
    enum NodeType {
        ElementNode = 1,
        AttributeNode = 2,
        TextNode = 3,
        CDATASectionNode = 4,
        EntityReferenceNode = 5,
        EntityNode = 6,
        ProcessingInstructionNode = 7,
        CommentNode = 8,
        DocumentNode = 9,
        DocumentTypeNode = 10,
        DocumentFragmentNode = 11,
        NotationNode = 12
    };
    Q_ENUM(NodeType)

    // The object name is the node's name at construction.
    explicit CXPathNode(const QDomNode& node = QDomNode(), QObject* parent = nullptr);
    CXPathNode(const CXPathNode& other);
    ~CXPathNode() override;

    CPropertyObject* clone() const override;

    const QDomNode& node() const { return m_node; }

    // The node's place in its document: "/a/b", "/a/b/@id"; "" for the document itself.
    // A node outside any document is named from its topmost ancestor, as if that stood
    // directly under a document.
    QString fullName() const;
    QString nodeName() const;
    void setNodeName(const QString& name);
    QString nodeValue() const;
    void setNodeValue(const QString& value);
    QString text() const;
    void setText(const QString& text);
    int nodeType() const;

    // The nodes a node path selects with this node as context, in result order; duplicates
    // stay. Wrap them in CXPathNode objects to hand them on.
    QList<QDomNode> findNodes(const QString& path) const;
    // The text between one pair of brackets of a path, evaluated against this node.
    bool matchesExpression(const QString& expression) const;
    // One term of such a text.
    bool matchesPartialExpression(const QString& term) const;

    std::unique_ptr<CXPathNode> parentNode() const;
    std::unique_ptr<CXPathNode> ownerDocument() const;
    std::unique_ptr<CXPathNode> nextSibling() const;
    std::unique_ptr<CXPathNode> attributeNode(const QString& name) const;
    bool hasAttribute(const QString& name) const;
    bool hasChild(const QString& name) const;

    // Edits. Each returns whether the tree changed; an edit the DOM would refuse (a node put
    // under itself or its own descendant, a node of another document, a reference that is no
    // child of this node) leaves the tree as it was.
    bool setAttribute(const QString& name, const QString& value);
    bool appendChild(const QString& tagName);
    bool appendChild(const CXPathNode& child);
    bool insertBefore(const QString& tagName, const CXPathNode& reference);
    bool insertBefore(const CXPathNode& child, const CXPathNode& reference);
    bool insertAfter(const QString& tagName, const CXPathNode& reference);
    bool insertAfter(const CXPathNode& child, const CXPathNode& reference);
    bool removeChild(const CXPathNode& child);

    // The whole owner document serialised, whichever of its nodes this is.
    QString documentText() const;

private:
    QDomNode m_node;
    QDomDocument m_document;
};
