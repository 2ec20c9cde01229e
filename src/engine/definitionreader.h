#pragma once
// Reads a definition file in one pass for building. A whole DOM of a large file costs several
// times the parse and most of the memory of loading it, yet the loader only needs the
// attributes of states, events and transitions. So the reader keeps those as attributes and
// builds DOM only for the few elements that have children (a state's properties, a
// transition's property maps) and for the FSM element's own properties.
#include <QDomDocument>
#include <QList>
#include <QXmlStreamAttributes>

class CDefinitionItem {
public:
    QDomElement element; // the item as DOM, null when it has no child nodes
    qint64 line = 0;     // where its start tag opens in the file, for messages

    QString attribute(const QString& name) const;
    // Copies the attributes: the reader's values would keep its whole buffers alive.
    void setAttributes(const QXmlStreamAttributes& attributes);

private:
    // Per attribute the name's and the value's length, then name and value: one allocation per item.
    QString m_attributes;
};

class CDefinition {
public:
    enum Result { Ok, ParseError, NoRoot };

    // Reads a definition text. A text with a document type declaration, whose entities only
    // the DOM parser applies, is read whole as DOM.
    Result read(const QString& text);

    // The "fsm" element with its attributes and the children that are not the sections.
    QDomElement root;
    qint64 rootLine = 0;
    // The file the text came from, as messages name it; empty for a text from elsewhere.
    QString path;
    QList<CDefinitionItem> states;
    QList<CDefinitionItem> events;
    QList<CDefinitionItem> transitions;

    QString errorString;
    qint64 errorLine = 0;
    qint64 errorColumn = 0;

private:
    Result readDom(const QString& text);

    QList<QDomDocument> m_fragments; // keep the documents of the DOM pieces alive
};

// The section items of an FSM element that was built as DOM (hosts may pass any element).
QList<CDefinitionItem> definitionItems(const QDomNode& root, const QString& section, const QString& tag);
