// SPDX-License-Identifier: MIT
#include "definitionfuzz.h"

#include "engine/definitionreader.h"
#include "engine/fsm.h"
#include "engine/simplecodec.h"
#include "engine/statefactory.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "plugin/plugin.h"

#include <QBuffer>
#include <QDomDocument>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const QString kStartEvent = QStringLiteral("__start");

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "definition invariant broken: %s\n", what);
    std::abort();
}

// Made once: a fuzzer runs millions of inputs, and every one would otherwise leave a factory
// and a folder behind or pay for making them.
class Environment {
public:
    Environment()
        : m_factory(createFactory(nullptr))
        , m_application(nullptr, "application")
    {
        if (!m_folder.isValid() || !m_factory)
            fail("no temporary folder or no factory");
        m_application.setProperty("applicationPath", m_folder.path());
        // The kernel resolves "x/.." only when x exists. Below a folder that does not exist, no
        // nested file name climbs back out with "..", and an absolute one is appended below it,
        // so a definition cannot make the build read /dev/zero or a real flow.
        m_application.setProperty("xmlPath", QStringLiteral("absent"));
    }

    CStateFactory* factory() const { return m_factory.get(); }
    CPropertyObject* application() { return &m_application; }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<CStateFactory> m_factory;
    CPropertyObject m_application;
};

Environment& environment()
{
    static Environment env;
    return env;
}

// Read as the loader reads a plain definition file: through a text stream, which also drops a
// byte order mark.
QString plainText(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QTextStream in(&buffer);
    return in.readAll();
}

QString firstSection(const QString& path)
{
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    return colon < 0 ? path : path.left(colon);
}

// Every problem is one line ending in a line feed, so an error text is empty or ends in one.
void checkErrorText(const QString& text)
{
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        fail("an error text does not end with a line feed");
}

// ---- the one-pass reader against the DOM the loader would otherwise parse

QString tagAndAttributes(const QDomElement& e)
{
    QStringList attributes;
    const QDomNamedNodeMap map = e.attributes();
    for (int i = 0; i < map.count(); ++i) {
        const QDomAttr a = map.item(i).toAttr();
        attributes << a.name() + QLatin1Char('=') + a.value();
    }
    attributes.sort();
    return QLatin1Char('<') + e.tagName() + QLatin1Char(' ') + attributes.join(QChar(1));
}

// An element's tag, its attributes in name order and its child elements, the same way down:
// everything of it the build looks at. Iterative, since a decoded file may nest very deeply.
QString skeleton(const QDomElement& top)
{
    QString out;
    QDomElement e = top;
    while (!e.isNull()) {
        out += tagAndAttributes(e);
        const QDomElement child = e.firstChildElement();
        if (!child.isNull()) {
            e = child;
            continue;
        }
        out += QLatin1Char('>');
        while (e != top && e.nextSiblingElement().isNull()) {
            e = e.parentNode().toElement();
            out += QLatin1Char('>');
        }
        e = e == top ? QDomElement() : e.nextSiblingElement();
    }
    return out;
}

QString childSkeletons(const QDomElement& e, bool configuredOnly)
{
    QString out;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        if (configuredOnly && c.tagName() != QLatin1String("property")
            && c.tagName().toLower() != QLatin1String("system"))
            continue;
        out += skeleton(c);
    }
    return out;
}

void compareOutcome(CDefinition::Result read, bool parsed, const QDomElement& domRoot)
{
    const CDefinition::Result dom = !parsed ? CDefinition::ParseError : domRoot.isNull() ? CDefinition::NoRoot : CDefinition::Ok;
    if (read == dom)
        return;
    std::fprintf(stderr, "one-pass reader: %d, DOM: %d (0 ok, 1 parse error, 2 no root)\n", int(read), int(dom));
    fail("the one-pass reader and the DOM disagree on whether the file is a definition");
}

void compareSection(const QList<CDefinitionItem>& read, const QDomElement& domRoot, const QString& section,
                    const QString& tag, std::initializer_list<const char*> attributes)
{
    const QList<CDefinitionItem> dom = definitionItems(domRoot, section, tag);
    if (read.size() != dom.size())
        fail("the one-pass reader found another number of items than the DOM");
    for (qsizetype i = 0; i < read.size(); ++i) {
        for (const char* name : attributes) {
            if (read.at(i).attribute(QLatin1String(name)) != dom.at(i).element.attribute(QLatin1String(name)))
                fail("an item attribute read in one pass differs from the DOM's");
        }
        const QDomElement& element = read.at(i).element;
        if (!element.isNull() && skeleton(element) != skeleton(dom.at(i).element))
            fail("an item element read in one pass differs from the DOM's");
        if (element.isNull() && !dom.at(i).element.firstChildElement().isNull())
            fail("the one-pass reader dropped the child elements of an item");
    }
}

void compareDefinition(const CDefinition& definition, const QDomElement& domRoot)
{
    if (tagAndAttributes(definition.root) != tagAndAttributes(domRoot))
        fail("the root attributes read in one pass differ from the DOM's");
    if (childSkeletons(definition.root, true) != childSkeletons(domRoot, true))
        fail("the FSM's own properties read in one pass differ from the DOM's");
    compareSection(definition.states, domRoot, QStringLiteral("states"), QStringLiteral("state"),
                   {"name", "type", "file", "weight", "navigation"});
    compareSection(definition.events, domRoot, QStringLiteral("events"), QStringLiteral("event"), {"name"});
    compareSection(definition.transitions, domRoot, QStringLiteral("transitions"), QStringLiteral("transition"),
                   {"name", "fromstate", "event", "tostate", "toexit", "startstate"});
}

// ---- building and what a build promises

// As a host builds its top FSM: the root's type, the application properties in scope for
// nested files, and the definition read in one pass (null: the FSM searches the DOM itself).
std::unique_ptr<CState> create(const QDomElement& root, const CDefinition* definition)
{
    Environment& env = environment();
    QString type = root.attribute(QStringLiteral("type"));
    if (type.isEmpty())
        type = QStringLiteral("fsm");
    CFsmBuildScope scope(env.application());
    CDefinitionScope definitionScope(definition);
    return std::unique_ptr<CState>(env.factory()->createState(type, root, nullptr, QStringLiteral("definition")));
}

// Everything a build decides, in a comparable form.
void describe(CState* s, QString& out)
{
    out += QLatin1String(s->metaObject()->className()) + QLatin1Char('|') + s->objectName() + QLatin1Char('|')
           + s->typeName() + QLatin1Char('|') + QString::number(s->weight()) + QLatin1Char('|') + s->errors()
           + QLatin1Char('|') + s->events().join(QChar(1)) + QLatin1Char('|') + s->requiredProperties().join(QChar(1))
           + QLatin1Char('|') + s->suppliedProperties().join(QChar(1)) + QLatin1Char('|')
           + s->announcedProperties().join(QChar(1)) + QLatin1Char('\n');
    const QStringList names = s->propertyNames();
    for (const QString& name : names)
        out += name + QLatin1Char('=') + Qt3::toString(s->property(name.toLatin1().constData())) + QLatin1Char('\n');
    const QMap<QString, CTransition*>& map = s->transitions();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const CTransition* t = it.value();
        out += it.key() + QStringLiteral(" -> ") + QLatin1String(t->metaObject()->className()) + QLatin1Char(' ')
               + t->objectName() + QLatin1Char(' ') + t->target() + QLatin1Char(' ')
               + QString::number(t->propertyMapCount()) + QLatin1Char('\n');
    }
    if (CFsm* fsm = qobject_cast<CFsm*>(s)) {
        out += fsm->navigation().join(QChar(1)) + QLatin1Char('\n');
        for (CState* child : fsm->states())
            describe(child, out);
    }
}

QString describe(CState* s)
{
    QString out;
    if (s)
        describe(s, out);
    return out;
}

// What the transition codes guarantee about every transition an FSM attached.
void checkTransitionsOf(CFsm* fsm, CState* s)
{
    const QMap<QString, CTransition*>& map = s->transitions();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        CTransition* t = it.value();
        if (t->parent() != fsm)
            continue; // the nested FSM's own entry transition
        if (!s->hasEvent(it.key()))
            fail("a transition hangs on an event its state does not have");
        if (qobject_cast<CEntryTransition*>(t))
            fail("an entry transition hangs on a state");
        if (qobject_cast<CExitTransition*>(t)) {
            if (!fsm->hasEvent(t->target()))
                fail("an exit transition leaves with an event its FSM does not have");
        } else if (!fsm->hasState(firstSection(t->target()))) {
            fail("a transition leads to a state that does not exist");
        }
    }
}

void checkFsm(CFsm* fsm)
{
    if (!fsm->fileName().isEmpty())
        fail("a nested definition file was read, though no file is reachable");
    checkErrorText(fsm->errors());
    const bool clean = fsm->errors().isEmpty();
    const QMap<QString, CTransition*>& own = fsm->transitions();
    for (auto it = own.constBegin(); it != own.constEnd(); ++it) {
        if (it.value()->parent() != fsm)
            continue; // attached by the parent FSM to one of this FSM's exit events
        if (it.key() != kStartEvent || !qobject_cast<CEntryTransition*>(it.value()))
            fail("an FSM holds a transition of its own other than its entry transition");
        if (!fsm->hasState(firstSection(it.value()->target())))
            fail("the entry transition leads to a state that does not exist");
    }
    if (clean && !own.contains(kStartEvent))
        fail("a build without errors has no start transition");
    const QMap<QString, CState*>& states = fsm->states();
    for (auto it = states.constBegin(); it != states.constEnd(); ++it) {
        CState* s = it.value();
        if (!s || s->objectName() != it.key() || fsm->state(it.key()) != s || s->parent() != fsm)
            fail("a state is not held under its own name by the FSM that made it");
        checkErrorText(s->errors());
        checkTransitionsOf(fsm, s);
        if (clean) {
            const QStringList events = s->events();
            for (const QString& event : events) {
                if (!s->hasTransition(event))
                    fail("a build without errors left an event without a transition");
            }
        }
        if (CFsm* sub = qobject_cast<CFsm*>(s)) {
            if (clean && !sub->errors().isEmpty())
                fail("the errors of a nested FSM did not reach its parent");
            checkFsm(sub);
        }
    }
}

// The checks a host runs before it would enter the FSM.
void runHostChecks(CFsm* fsm)
{
    const bool clean = fsm->errors().isEmpty();
    qsizetype before = fsm->errors().size();
    const bool transitionsOk = fsm->checkTransitions();
    if (transitionsOk != (fsm->errors().size() == before))
        fail("the transition check's result does not match what it reported");
    if (clean && !transitionsOk)
        fail("a build without errors fails the transition check");
    before = fsm->errors().size();
    const bool requiredOk = fsm->checkRequiredProperties();
    if (requiredOk != (fsm->errors().size() == before))
        fail("the required-property check's result does not match what it reported");
    checkErrorText(fsm->errors());
}

void buildFromText(const QString& text)
{
    CDefinition definition;
    const CDefinition::Result result = definition.read(text);
    QDomDocument document;
    const bool parsed = document.setContent(text, false);
    const QDomElement domRoot = document.firstChildElement(QStringLiteral("fsm"));
    compareOutcome(result, parsed, domRoot);
    if (result != CDefinition::Ok)
        return;
    compareDefinition(definition, domRoot);

    std::unique_ptr<CState> loaded = create(definition.root, &definition);
    if (describe(loaded.get()) != describe(create(domRoot, nullptr).get()))
        fail("the definition read in one pass built another FSM than its DOM");
    CFsm* fsm = qobject_cast<CFsm*>(loaded.get());
    if (!fsm)
        return; // the root names a state type, or one no factory knows
    checkFsm(fsm);
    runHostChecks(fsm);
}

// Decoding gives back what encoding was given, up to its first zero character.
void checkCodec(const CSimpleCodec& codec, const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    const QString expected = nul < 0 ? text : text.left(nul);
    if (codec.decode(codec.encode(text)) != expected)
        fail("decoding an encoded text did not give the text back");
}

} // namespace

void fuzzDefinition(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    buildFromText(plainText(bytes));

    const CSimpleCodec codec;
    checkCodec(codec, QString::fromLatin1(bytes));
    const QString decoded = codec.decode(bytes);
    if (decoded.isNull())
        return;
    if (decoded.contains(QChar(0)))
        fail("a decoded text holds a zero character");
    checkCodec(codec, decoded);
    buildFromText(decoded);
}
