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

// "insertbefore(parent, node or tag name, reference child)".
class CFunctionInsertBefore : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 3; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }
};

// "insertafter(parent, node or tag name, reference child)".
class CFunctionInsertAfter : public CXmlFunction {
public:
    using CXmlFunction::CXmlFunction;
    bool hasValidParameterCount() override { return parameterCount() == 3; }
    CPropertyObject* object() override;
    bool isObject() override { return true; }
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
