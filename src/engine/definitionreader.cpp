#include "engine/definitionreader.h"
#include "engine/domnode.h"
#include "engine/xmldepth.h"

#include <QXmlStreamReader>

namespace {

enum class Section { None, States, Events, Transitions };

Section sectionOf(QStringView name)
{
    if (name == QLatin1String("states"))
        return Section::States;
    if (name == QLatin1String("events"))
        return Section::Events;
    if (name == QLatin1String("transitions"))
        return Section::Transitions;
    return Section::None;
}

QLatin1String itemTag(Section s)
{
    switch (s) {
    case Section::States:
        return QLatin1String("state");
    case Section::Events:
        return QLatin1String("event");
    default:
        return QLatin1String("transition");
    }
}

// Parses a piece of the (already well-formed) text as its own document.
QDomElement parseFragment(const QString& text, QList<QDomDocument>& keep)
{
    QDomDocument doc;
    doc.setContent(text, false);
    keep.append(doc);
    return doc.documentElement();
}

} // namespace

CDefinition::Result CDefinition::read(const QString& text)
{
    QXmlStreamReader r(text);
    r.setNamespaceProcessing(false);

    int depth = 0;
    bool rootFound = false;
    bool rootIsFsm = false;
    QString rootOpenTag;    // "<fsm ...>" as written
    QString rootOwnContent; // children of the root that are not the sections, as written
    bool seen[4] = {false, false, false, false};
    Section section = Section::None; // the open section (depth 1) that is taken
    qsizetype otherStart = -1;        // start of a root child that is kept as written

    // Line numbers of start tags, counted as the reader moves forward: the reader's own line is
    // where a tag ends, and a tag may span lines.
    qsizetype counted = 0;
    qint64 line = 1;
    auto lineAt = [&](qsizetype offset) {
        for (; counted < offset; ++counted) {
            if (text.at(counted) == QLatin1Char('\n'))
                ++line;
        }
        return line;
    };

    // The item at depth 2 being read.
    bool inItem = false;
    bool itemHasChildren = false;
    qsizetype itemStart = 0;
    CDefinitionItem item;

    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType token = r.readNext();
        const qsizetype after = qsizetype(r.characterOffset());
        switch (token) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return readDom(text);
        case QXmlStreamReader::StartElement: {
            if (depth >= kMaxXmlDepth) {
                errorString = xmlTooDeepMessage();
                errorLine = r.lineNumber();
                errorColumn = r.columnNumber();
                return ParseError;
            }
            // Without namespace processing the DOM names an element by its whole tag, prefix
            // included, while name() would drop the prefix and take "x:state" for a state.
            const QStringView tag = r.qualifiedName();
            // A start tag holds no "<" of its own, so the last one before its end opens it.
            const qsizetype start = text.lastIndexOf(QLatin1Char('<'), after - 1);
            if (depth == 0 && !rootFound) {
                rootFound = true;
                rootIsFsm = tag == QLatin1String("fsm");
                rootOpenTag = text.mid(start, after - start);
                rootLine = lineAt(start);
            } else if (depth == 1 && rootIsFsm) {
                const Section s = sectionOf(tag);
                if (s != Section::None && !seen[int(s)]) {
                    seen[int(s)] = true;
                    section = s;
                } else {
                    section = Section::None;
                    otherStart = start;
                }
            } else if (depth == 2 && section != Section::None && tag == itemTag(section)) {
                inItem = true;
                itemHasChildren = false;
                itemStart = start;
                item = CDefinitionItem();
                item.setAttributes(r.attributes());
                item.line = lineAt(start);
            } else if (depth > 2 && inItem) {
                itemHasChildren = true;
            }
            ++depth;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            if (depth == 2 && inItem) {
                inItem = false;
                if (itemHasChildren)
                    item.element = parseFragment(text.mid(itemStart, after - itemStart), m_fragments);
                if (section == Section::States)
                    states.append(item);
                else if (section == Section::Events)
                    events.append(item);
                else
                    transitions.append(item);
            } else if (depth == 1) {
                if (otherStart >= 0)
                    rootOwnContent += QStringView(text).mid(otherStart, after - otherStart);
                otherStart = -1;
                section = Section::None;
            }
            break;
        case QXmlStreamReader::Characters:
            // Whitespace between elements makes no DOM node; any other text does.
            if (inItem && !r.isWhitespace())
                itemHasChildren = true;
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (inItem)
                itemHasChildren = true;
            break;
        default:
            break;
        }
    }
    if (r.hasError()) {
        errorString = r.errorString();
        errorLine = r.lineNumber();
        errorColumn = r.columnNumber();
        return ParseError;
    }
    if (!rootIsFsm)
        return NoRoot;
    if (rootOpenTag.endsWith(QLatin1String("/>")))
        root = parseFragment(rootOpenTag, m_fragments);
    else
        root = parseFragment(rootOpenTag + rootOwnContent + QLatin1String("</fsm>"), m_fragments);
    return Ok;
}

namespace {

// A length as four 16-bit characters, so the store needs no separator: the stream reader lets
// a NUL character through in attribute names, and a NUL-separated store then lost its place
// and searched forever for an attribute the element did not have.
constexpr qsizetype kLengthChars = 4;

void appendLength(QString& out, qsizetype length)
{
    for (qsizetype i = kLengthChars - 1; i >= 0; --i)
        out += QChar(char16_t(quint64(length) >> (16 * i)));
}

qsizetype lengthAt(QStringView store, qsizetype at)
{
    quint64 length = 0;
    for (qsizetype i = 0; i < kLengthChars; ++i)
        length = (length << 16) | store.at(at + i).unicode();
    return qsizetype(length);
}

} // namespace

QString CDefinitionItem::attribute(const QString& name) const
{
    if (!element.isNull())
        return element.attribute(name);
    const QStringView all(m_attributes);
    qsizetype at = 0;
    while (at < all.size()) {
        const qsizetype nameLength = lengthAt(all, at);
        const qsizetype valueLength = lengthAt(all, at + kLengthChars);
        const qsizetype nameAt = at + 2 * kLengthChars;
        if (all.mid(nameAt, nameLength) == name)
            return all.mid(nameAt + nameLength, valueLength).toString();
        at = nameAt + nameLength + valueLength;
    }
    return QString();
}

void CDefinitionItem::setAttributes(const QXmlStreamAttributes& attributes)
{
    qsizetype length = 0;
    for (const QXmlStreamAttribute& a : attributes)
        length += 2 * kLengthChars + a.qualifiedName().size() + a.value().size();
    m_attributes.clear();
    m_attributes.reserve(length);
    for (const QXmlStreamAttribute& a : attributes) {
        appendLength(m_attributes, a.qualifiedName().size());
        appendLength(m_attributes, a.value().size());
        m_attributes += a.qualifiedName();
        m_attributes += a.value();
    }
}

CDefinition::Result CDefinition::readDom(const QString& text)
{
    states.clear();
    events.clear();
    transitions.clear();
    if (xmlNestsTooDeep(text, errorString, errorLine, errorColumn))
        return ParseError;
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(text, false, &message, &line, &column)) {
        errorString = message;
        errorLine = line;
        errorColumn = column;
        return ParseError;
    }
    m_fragments.append(document);
    root = document.firstChildElement(QStringLiteral("fsm"));
    if (root.isNull())
        return NoRoot;
    rootLine = root.lineNumber();
    states = definitionItems(root, QStringLiteral("states"), QStringLiteral("state"));
    events = definitionItems(root, QStringLiteral("events"), QStringLiteral("event"));
    transitions = definitionItems(root, QStringLiteral("transitions"), QStringLiteral("transition"));
    return Ok;
}

QList<CDefinitionItem> definitionItems(const QDomNode& root, const QString& section, const QString& tag)
{
    QList<CDefinitionItem> out;
    const QDomElement first = CDomNode(root).firstChildElementNamed(section).toElement();
    for (QDomElement e = first.firstChildElement(tag); !e.isNull(); e = e.nextSiblingElement(tag)) {
        CDefinitionItem item;
        item.element = e;
        item.line = qMax(0, e.lineNumber());
        out.append(item);
    }
    return out;
}
