// SPDX-License-Identifier: MIT
#include "xml/xpathnode.h"

#include "xml/xpathsearch_p.h"

#include <QDomElement>

namespace {

QDomDocument documentOf(const QDomNode& node)
{
    return node.isDocument() ? node.toDocument() : node.ownerDocument();
}

// A rough XML name test. A name the DOM would refuse still gets created by Qt and then
// serialises into text that no parser reads back, so the edits refuse it instead.
bool isXmlName(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QChar first = name.at(0);
    if (!(first.isLetter() || first == QLatin1Char('_') || first == QLatin1Char(':')))
        return false;
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char(':') || c == QLatin1Char('-')
              || c == QLatin1Char('.')))
            return false;
    }
    return true;
}

// Whether the DOM would take the child under the parent: a container of the same document,
// not the child itself or one of its descendants (the tree would become a cycle), and no
// second element directly under a document.
bool canAdopt(const QDomNode& parent, const QDomNode& child)
{
    if (parent.isNull() || child.isNull())
        return false;
    if (!(parent.isElement() || parent.isDocument() || parent.isDocumentFragment()))
        return false;
    if (child.isDocument() || child.isAttr() || child.isDocumentType() || child.isEntity() || child.isNotation())
        return false;
    if (documentOf(parent) != documentOf(child))
        return false;
    // A document holds one element; a second would serialise into text no parser reads back.
    if (parent.isDocument() && child.isElement() && !parent.toDocument().documentElement().isNull()
        && parent.toDocument().documentElement() != child)
        return false;
    for (QDomNode n = parent; !n.isNull(); n = n.parentNode()) {
        if (n == child)
            return false;
    }
    return true;
}

// Attributes name their element as parent without being among its children; the DOM's
// list operations would unlink them from a list they are not in.
bool isChildOf(const QDomNode& child, const QDomNode& parent)
{
    return !child.isNull() && !parent.isNull() && !child.isAttr() && child.parentNode() == parent;
}

} // namespace

CXPathNode::CXPathNode(const QDomNode& node, QObject* parent)
    : CPropertyObject(parent)
    , m_node(node)
    , m_document(documentOf(node))
{
    setObjectName(node.nodeName());
}

CXPathNode::CXPathNode(const CXPathNode& other)
    : CPropertyObject(other)
    , m_node(other.m_node)
    , m_document(other.m_document)
{
}

CXPathNode::~CXPathNode() = default;

CPropertyObject* CXPathNode::clone() const
{
    return new CXPathNode(*this);
}

QString CXPathNode::fullName() const
{
    // Built upwards with a loop: documents may be deeper than the stack, and a node outside
    // any document has no document node to stop at.
    QStringList parts;
    QDomNode n = m_node;
    while (!n.isNull() && !n.isDocument()) {
        if (n.isAttr()) {
            parts.append(QStringLiteral("/@") + n.nodeName());
            n = n.toAttr().ownerElement();
        } else {
            parts.append(QLatin1Char('/') + n.nodeName());
            n = n.parentNode();
        }
    }
    QString name;
    for (auto it = parts.crbegin(); it != parts.crend(); ++it)
        name += *it;
    return name;
}

QString CXPathNode::nodeName() const
{
    return m_node.nodeName();
}

void CXPathNode::setNodeName(const QString& name)
{
    if (m_node.isElement() && isXmlName(name))
        m_node.toElement().setTagName(name);
}

QString CXPathNode::nodeValue() const
{
    return m_node.nodeValue();
}

void CXPathNode::setNodeValue(const QString& value)
{
    m_node.setNodeValue(value);
}

// Character data is read and written as the node value: Qt's CDATA sections count as text
// nodes but do not convert to QDomCharacterData.
QString CXPathNode::text() const
{
    if (m_node.isText())
        return m_node.nodeValue();
    if (m_node.isElement())
        return m_node.toElement().text();
    return QString();
}

void CXPathNode::setText(const QString& text)
{
    if (m_node.isText()) {
        m_node.setNodeValue(text);
        return;
    }
    if (!m_node.isElement())
        return;
    for (QDomNode child = m_node.firstChild(); !child.isNull();) {
        const QDomNode next = child.nextSibling();
        if (child.isText())
            m_node.removeChild(child);
        child = next;
    }
    m_node.appendChild(m_document.createTextNode(text));
}

int CXPathNode::nodeType() const
{
    return int(m_node.nodeType());
}

QList<QDomNode> CXPathNode::findNodes(const QString& path) const
{
    return XPathSearch::findNodes(m_node, objectName(), path);
}

bool CXPathNode::matchesExpression(const QString& expression) const
{
    return XPathSearch::matches(XPathSearch::compileExpression(expression), m_node, XPathSearch::tracing());
}

bool CXPathNode::matchesPartialExpression(const QString& term) const
{
    return XPathSearch::matches(XPathSearch::compileTerm(term), m_node, XPathSearch::tracing());
}

std::unique_ptr<CXPathNode> CXPathNode::parentNode() const
{
    return std::make_unique<CXPathNode>(m_node.parentNode());
}

std::unique_ptr<CXPathNode> CXPathNode::ownerDocument() const
{
    return std::make_unique<CXPathNode>(m_document);
}

std::unique_ptr<CXPathNode> CXPathNode::nextSibling() const
{
    return std::make_unique<CXPathNode>(m_node.nextSibling());
}

std::unique_ptr<CXPathNode> CXPathNode::attributeNode(const QString& name) const
{
    return std::make_unique<CXPathNode>(m_node.isElement() ? m_node.toElement().attributeNode(name) : QDomAttr());
}

bool CXPathNode::hasAttribute(const QString& name) const
{
    return m_node.isElement() && m_node.toElement().hasAttribute(name);
}

bool CXPathNode::hasChild(const QString& name) const
{
    for (QDomNode child = m_node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeName() == name)
            return true;
    }
    return false;
}

bool CXPathNode::setAttribute(const QString& name, const QString& value)
{
    if (!m_node.isElement() || !isXmlName(name))
        return false;
    m_node.toElement().setAttribute(name, value);
    return true;
}

bool CXPathNode::appendChild(const QString& tagName)
{
    if (!isXmlName(tagName) || m_document.isNull())
        return false;
    const QDomElement child = m_document.createElement(tagName);
    return canAdopt(m_node, child) && !m_node.appendChild(child).isNull();
}

bool CXPathNode::appendChild(const CXPathNode& child)
{
    return canAdopt(m_node, child.m_node) && !m_node.appendChild(child.m_node).isNull();
}

bool CXPathNode::insertBefore(const QString& tagName, const CXPathNode& reference)
{
    if (!isXmlName(tagName) || m_document.isNull())
        return false;
    return insertBefore(CXPathNode(m_document.createElement(tagName)), reference);
}

bool CXPathNode::insertBefore(const CXPathNode& child, const CXPathNode& reference)
{
    const QDomNode& ref = reference.m_node;
    if (!isChildOf(ref, m_node) || child.m_node == ref || !canAdopt(m_node, child.m_node))
        return false;
    return !m_node.insertBefore(child.m_node, ref).isNull();
}

bool CXPathNode::insertAfter(const QString& tagName, const CXPathNode& reference)
{
    if (!isXmlName(tagName) || m_document.isNull())
        return false;
    return insertAfter(CXPathNode(m_document.createElement(tagName)), reference);
}

bool CXPathNode::insertAfter(const CXPathNode& child, const CXPathNode& reference)
{
    const QDomNode& ref = reference.m_node;
    if (!isChildOf(ref, m_node) || child.m_node == ref || !canAdopt(m_node, child.m_node))
        return false;
    return !m_node.insertAfter(child.m_node, ref).isNull();
}

bool CXPathNode::removeChild(const CXPathNode& child)
{
    if (!isChildOf(child.m_node, m_node))
        return false;
    return !m_node.removeChild(child.m_node).isNull();
}

QString CXPathNode::documentText() const
{
    return m_document.isNull() ? QString() : m_document.toString();
}
