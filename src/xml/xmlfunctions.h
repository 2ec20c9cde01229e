// SPDX-License-Identifier: MIT
#pragma once
// The XML functions of the expression language. The edits change the document in place, so
// every holder of a node of that document sees them; they yield the node they were given.
#include "engine/object.h"
#include "xml/xmlfunction.h"

#include <memory>

// "findnodes(node or node list, path)": an object list "nodeList" with entries node0,
// node1, ... or null when nothing is found. The function keeps its last result and
// destroys it at the next evaluation, as consumers store clones.
class CFunctionFindNodes : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }

private:
    std::unique_ptr<CPropertyObject> m_result;
};

// "findfirstnode(node, path)": a new node for the first node found, or null. Kept like the
// result of "findnodes".
class CFunctionFindFirstNode : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }

private:
    std::unique_ptr<CPropertyObject> m_result;
};

// "setattribute(element, name, value)".
class CFunctionSetAttribute : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 3; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }
};

// "appendchild(parent, node or tag name)".
class CFunctionAppendChild : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }
};

// "removechild(parent, child)".
class CFunctionRemoveChild : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 2; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }
};

// "(parent, node or tag name, reference child)": the two insertions differ only in where.
class CXmlInsertFunction : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 3; }
    bool isObject() override { return true; }

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
