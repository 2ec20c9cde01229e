// SPDX-License-Identifier: MIT
#pragma once
// The XML functions of the expression language. The edits change the document in place, so
// every holder of a node of that document sees them; they yield the node they were given.
#include "engine/object.h"
#include "xml/xmlfunction.h"

#include <memory>

// An XML function that yields an object and takes `Count` parameters.
template <int Count>
class CXmlObjectFunction : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == Count; }
    bool isObject() override { return true; }
};

// "findnodes(node or node list, path)": an object list "nodeList" with entries node0,
// node1, ... or null when nothing is found. The function keeps its last result and
// destroys it at the next evaluation, as consumers store clones.
class CFunctionFindNodes : public CXmlObjectFunction<2> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;
    CPropertyObject* object() override;

private:
    std::unique_ptr<CPropertyObject> m_result;
};

// "findfirstnode(node, path)": a new node for the first node found, or null. Kept like the
// result of "findnodes".
class CFunctionFindFirstNode : public CXmlObjectFunction<2> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;
    CPropertyObject* object() override;

private:
    std::unique_ptr<CPropertyObject> m_result;
};

// "setattribute(element, name, value)".
class CFunctionSetAttribute : public CXmlObjectFunction<3> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;
    CPropertyObject* object() override;
};

// "appendchild(parent, node or tag name)".
class CFunctionAppendChild : public CXmlObjectFunction<2> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;
    CPropertyObject* object() override;
};

// "removechild(parent, child)".
class CFunctionRemoveChild : public CXmlObjectFunction<2> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;
    CPropertyObject* object() override;
};

// "(parent, node or tag name, reference child)": the two insertions differ only in where.
class CXmlInsertFunction : public CXmlObjectFunction<3> {
public:
    using CXmlObjectFunction::CXmlObjectFunction;

protected:
    using NodeInsert = bool (CXPathNode::*)(const CXPathNode&, const CXPathNode&);
    using TagInsert = bool (CXPathNode::*)(const QString&, const CXPathNode&);
    CPropertyObject* insert(NodeInsert insertNode, TagInsert insertTag);
};

// "insertbefore(parent, node or tag name, reference child)".
class CFunctionInsertBefore : public CXmlInsertFunction {
public:
    using CXmlInsertFunction::CXmlInsertFunction;
    CPropertyObject* object() override;
};

// "insertafter(parent, node or tag name, reference child)".
class CFunctionInsertAfter : public CXmlInsertFunction {
public:
    using CXmlInsertFunction::CXmlInsertFunction;
    CPropertyObject* object() override;
};

// "xmltostring(node)": the text of the node's whole document.
class CFunctionXmlToString : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 1; }
    QVariant value() override;
    CPropertyObject* object() override { return nullptr; }
    bool isObject() override { return false; }
};
