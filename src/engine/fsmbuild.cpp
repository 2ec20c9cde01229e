// Building an FSM from its definition file: states, exit events, transitions and the checks.
#include "engine/fsm.h"
#include "engine/definitionreader.h"
#include "engine/definitionrules.h"
#include "engine/simplecodec.h"
#include "engine/statefactory.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "platform/platform.h"
#include "engine/domnode.h"
#include "engine/xmldepth.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

// The definition handed to the FSM that is about to be built from its root, and the one whose
// build is under way (nested files build inside it).
thread_local const CDefinition* t_pending = nullptr;
thread_local const CDefinition* t_building = nullptr;

// The section items of an FSM element: from the definition that was read for it, or, for an
// element a host parsed itself, from the DOM. Only the direct children with the item's tag of
// the first section element count, so deeper ones are neither taken nor searched.
QList<CDefinitionItem> sectionItems(const QDomNode& root, const QString& section, const QString& tag)
{
    if (t_building && t_building->root == root) {
        if (tag == QLatin1String("state"))
            return t_building->states;
        if (tag == QLatin1String("event"))
            return t_building->events;
        return t_building->transitions;
    }
    return definitionItems(root, section, tag);
}

// Definition files may include one another, and one that includes itself, directly or through
// others, would nest FSMs until the stack ran out. No real flow comes near this depth.
constexpr int kMaxFsmNesting = 64;
thread_local int t_nesting = 0;

QString firstSection(const QString& path)
{
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    return colon < 0 ? path : path.left(colon);
}

} // namespace

namespace {

void reportParseError(QString& errors, const QString& path, const QString& message, qint64 line, qint64 column)
{
    const QString text = QStringLiteral("Error parsing %4 on line %1, column %2: %3").arg(line).arg(column).arg(message, path);
    SFSM_TRACE("fsm", text);
    errors += text + QLatin1Char('\n');
}

void reportNoRoot(QString& errors)
{
    SFSM_TRACE("fsm", QStringLiteral("XML root node is non existent."));
    errors += QStringLiteral("XML root node is non existent.\n");
}

bool readDefinitionAt(const QString& requested, QString& text, QString& path, QString& errors)
{
    QString why;
    if (CFsm::readDefinition(requested, text, path, why))
        return true;
    if (why == QLatin1String("open")) {
        SFSM_TRACE("fsm", QStringLiteral("Could not open file ") + path);
        errors += QStringLiteral("File %1 could not be opened.\n").arg(path);
    } else {
        // A damaged scrambled file reads as a parse failure of its text.
        reportParseError(errors, path, why, 0, 0);
    }
    return false;
}

bool loadDefinitionAt(const QString& requested, CDefinition& definition, QString& path, QString& errors)
{
    QString text;
    if (!readDefinitionAt(requested, text, path, errors))
        return false;
    switch (definition.read(text)) {
    case CDefinition::Ok:
        return true;
    case CDefinition::ParseError:
        reportParseError(errors, path, definition.errorString, definition.errorLine, definition.errorColumn);
        return false;
    case CDefinition::NoRoot:
        reportNoRoot(errors);
        return false;
    }
    return false;
}

// Creates the FSM of a definition that was read, through the factory tree; null when the
// factory makes something else of it.
CFsm* createDefinedFsm(const CDefinition& definition, CStateFactory* factory, CFsm* parent, const QString& name)
{
    const QDomElement root = definition.root;
    QString type = root.attribute(QStringLiteral("type"));
    if (type.isEmpty())
        type = QStringLiteral("fsm");
    CState* created = nullptr;
    if (factory) {
        CDefinitionScope scope(&definition);
        created = factory->createState(type, root, parent, name);
    }
    CFsm* fsm = qobject_cast<CFsm*>(created);
    if (!fsm)
        delete created;
    return fsm;
}

} // namespace

CDefinitionScope::CDefinitionScope(const CDefinition* definition)
    : m_previous(t_pending)
{
    t_pending = definition;
}

CDefinitionScope::~CDefinitionScope()
{
    t_pending = m_previous;
}

void CFsm::build(CStateFactory* factory, const QDomNode& element)
{
    const CDefinition* previous = t_building;
    if (t_pending && t_pending->root == element) {
        t_building = t_pending;
        t_pending = nullptr; // one definition builds one FSM
    }
    auto loadEvents = [&] {
        for (const CDefinitionItem& e : sectionItems(element, QStringLiteral("events"), QStringLiteral("event")))
            addEvents(QStringList {e.attribute(QStringLiteral("name"))});
    };
    if (t_nesting >= kMaxFsmNesting) {
        // Its events still count, so the enclosing FSM's transitions attach and this one
        // message is all the build reports.
        loadEvents();
        const QString message = QStringLiteral("FSM %1: Nested deeper than %2 levels; does a definition file include itself?")
                                    .arg(objectName())
                                    .arg(kMaxFsmNesting);
        SFSM_TRACE("fsm", QStringLiteral("  ! Error ! ") + message);
        errors() += message + QLatin1Char('\n');
        t_building = previous;
        return;
    }
    ++t_nesting;
    loadStates(element, factory);
    loadEvents();
    loadTransitions(element);
    --t_nesting;
    if (!CState::transitions().contains(kStartEvent)) {
        SFSM_TRACE("fsm", QStringLiteral("  ! Error ! No start transition set."));
        errors() += QStringLiteral("FSM %1: No start transition set.\n").arg(objectName());
    }
    checkTransitions();
    t_building = previous;
}

void CFsm::loadStates(const QDomNode& element, CStateFactory* factory)
{
    for (const CDefinitionItem& item : sectionItems(element, QStringLiteral("states"), QStringLiteral("state"))) {
        const CDefinitionItem& e = item;
        const QString name = e.attribute(QStringLiteral("name"));
        const QString weight = e.attribute(QStringLiteral("weight"));
        const QString type = e.attribute(QStringLiteral("type"));
        const QString file = e.attribute(QStringLiteral("file"));
        QString navigation = e.attribute(QStringLiteral("navigation"));

        CState* s = nullptr;
        if (!file.isEmpty()) {
            if (CFsm* sub = createSubFsm(name, factory, file)) {
                sub->setFileName(file);
                sub->configure(e.element, name);
                s = sub;
            }
        } else if (!type.isEmpty()) {
            if (factory)
                s = factory->createState(type, e.element, this, name);
        } else {
            errors() += QStringLiteral("FSM %1: Undefined state; No type or filename specified.\n").arg(objectName());
            continue;
        }
        if (!s) {
            errors() += QStringLiteral("FSM %1: State %2 could not be created.\n").arg(objectName(), name);
            continue;
        }
        s->setWeight(weight.toInt());
        if (!navigation.isEmpty()) {
            QString inner;
            if (unwrapTranslation(navigation, &inner))
                navigation = translateDefinitionText(name, inner);
            m_navigation.append(name + QLatin1Char(';') + navigation + QLatin1Char(';') + weight);
        }
        if (!s->errors().isEmpty())
            errors() += s->errors();
        if (!addState(s))
            errors() += QStringLiteral("FSM %1: A state with name %2 already exists.\n").arg(objectName(), name);
    }
}

void CFsm::loadTransitions(const QDomNode& element)
{
    for (const CDefinitionItem& e : sectionItems(element, QStringLiteral("transitions"), QStringLiteral("transition"))) {
        const QString from = e.attribute(QStringLiteral("fromstate"));
        const QString to = e.attribute(QStringLiteral("tostate"));
        const QString toExit = e.attribute(QStringLiteral("toexit"));
        const QString start = e.attribute(QStringLiteral("startstate"));
        const QString event = e.attribute(QStringLiteral("event"));
        const QString name = e.attribute(QStringLiteral("name"));

        QString message;
        if (!to.isEmpty()) {
            const int code = addTransition(from, event, to, name, e.element);
            if (code != 0)
                message = QStringLiteral("Failed adding transition for FSM %1: from state %2 to state %3 on event %4: %5\n")
                              .arg(objectName(), from, to, event, transitionErrorText(code));
        } else if (!toExit.isEmpty()) {
            const int code = addExitTransition(from, event, toExit, name, e.element);
            if (code != 0)
                message = QStringLiteral("Failed adding transition for FSM %1: from state %2 to exit %3 on event %4: %5\n")
                              .arg(objectName(), from, toExit, event, transitionErrorText(code));
        } else if (!start.isEmpty()) {
            const int code = addEntryTransition(start, name, e.element);
            if (code != 0)
                message = QStringLiteral("Failed adding entry transition for FSM %1 to start in state %2: %3\n")
                              .arg(objectName(), start, transitionErrorText(code));
        } else {
            message = QStringLiteral("Invalid transition attributes in FSM %1\n").arg(objectName());
        }
        if (!message.isEmpty()) {
            SFSM_TRACE("fsm", QStringLiteral("  ! Error ! Adding transition failed."));
            errors() += message;
        }
    }
}

int CFsm::attachTransition(const QString& from, const QString& event, CTransition* t)
{
    const QString mapErrors = t->propertyMapErrors();
    if (!mapErrors.isEmpty()) {
        errors() += mapErrors;
        return 1;
    }
    CState* s = state(from);
    if (!s)
        return 2;
    if (!s->hasEvent(event))
        return 7;
    if (s->hasTransition(event))
        return 6;
    s->attachTransition(t, event);
    t->announceSuppliedProperties();
    return 0;
}

int CFsm::addTransition(const QString& from, const QString& event, const QString& to, const QString& name,
                        const QDomNode& element)
{
    // A target may be a path into a nested FSM; its first name must be a state here.
    if (!hasState(firstSection(to)))
        return 3;
    const QByteArray latin1 = name.toLatin1();
    auto* t = new CTransition(this, latin1.constData(), from, to, element);
    return attachTransition(from, event, t);
}

int CFsm::addExitTransition(const QString& from, const QString& event, const QString& exitEvent, const QString& name,
                            const QDomNode& element)
{
    CState* s = state(from);
    if (!s)
        return 2;
    if (!s->hasEvent(event))
        return 7;
    if (s->hasTransition(event))
        return 6;
    if (!hasEvent(exitEvent))
        return 5;
    const QByteArray latin1 = name.toLatin1();
    auto* t = new CExitTransition(this, latin1.constData(), from, exitEvent, element);
    const QString mapErrors = t->propertyMapErrors();
    if (!mapErrors.isEmpty()) {
        errors() += mapErrors;
        return 1;
    }
    s->attachTransition(t, event);
    t->announceSuppliedProperties();
    return 0;
}

int CFsm::attachStartTransition(CTransition* t)
{
    const QString mapErrors = t->propertyMapErrors();
    if (!mapErrors.isEmpty()) {
        errors() += mapErrors;
        return 1;
    }
    // The replaced entry transition must not linger in the map or leak.
    CTransition* previous = CState::transitions().value(kStartEvent);
    CState::attachTransition(t, kStartEvent);
    if (previous && previous != t)
        delete previous;
    t->announceSuppliedProperties();
    return 0;
}

int CFsm::addEntryTransition(const QString& startState, const QString& name, const QDomNode& element)
{
    if (!hasState(firstSection(startState)))
        return 4;
    const QByteArray latin1 = name.toLatin1();
    return attachStartTransition(new CEntryTransition(this, latin1.constData(), startState, element));
}

QString CFsm::transitionErrorText(int code) const
{
    switch (code) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("Transition is invalid.");
    case 2:
        return QStringLiteral("From-state doesn't exist.");
    case 3:
        return QStringLiteral("To-state doesn't exist.");
    case 4:
        return QStringLiteral("Entry state doesn't exist.");
    case 5:
        return QStringLiteral("Exit event doesn't exist.");
    case 6:
        return QStringLiteral("A transition is already connected to the event.");
    case 7:
        return QStringLiteral("Event doesn't exist in from-state.");
    default:
        return QStringLiteral("Undefined error.");
    }
}

CFsm* CFsm::createSubFsm(const QString& name, CStateFactory* factory, const QString& fileName)
{
    CDefinition definition;
    QString path;
    if (!loadDefinitionAt(definitionDirectory() + fileName, definition, path, errors()))
        return nullptr;
    CFsm* sub = createDefinedFsm(definition, factory, this, name);
    if (!sub) {
        errors() += QStringLiteral("Couldn't create FSM '%1'.\n").arg(fileName);
        return nullptr;
    }
    sub->setFileName(fileName);
    sub->configure(definition.root, sub->translationContext());
    return sub;
}

namespace {
thread_local CPropertyObject* t_buildScopeProperties = nullptr;
}

CFsmBuildScope::CFsmBuildScope(CPropertyObject* applicationProperties)
    : m_previous(t_buildScopeProperties)
{
    t_buildScopeProperties = applicationProperties;
}

CFsmBuildScope::~CFsmBuildScope()
{
    t_buildScopeProperties = m_previous;
}

CPropertyObject* CFsmBuildScope::current()
{
    return t_buildScopeProperties;
}

QString CFsm::definitionDirectory() const
{
    CPropertyObject* app = applicationProperties();
    if (!app)
        app = CFsmBuildScope::current();
    if (!app)
        return QString();
    return app->property("applicationPath").toString() + QLatin1Char('/') + app->property("xmlPath").toString()
           + QLatin1Char('/');
}

bool CFsm::readDefinition(const QString& requested, QString& text, QString& resolvedPath, QString& error)
{
    bool scrambled = !requested.endsWith(QLatin1String(".xml"));
    QString path = requested;
    if (!QFileInfo::exists(path)) {
        scrambled = true;
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (dot >= 0 && dot > slash)
            path.truncate(dot);
    }
    resolvedPath = path;
    QFile file(path);
    // A device reports no size and may never end (/dev/zero): reading one whole exhausts memory.
    const Platform::FileKind kind = Platform::fileKind(path);
    if (kind == Platform::FileKind::Directory || kind == Platform::FileKind::Device || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("open");
        return false;
    }
    if (scrambled) {
        if (file.size() > CSimpleCodec::kMaxDecodedSize) {
            error = QStringLiteral("the scrambled file is too large");
            return false;
        }
        QString why;
        text = CSimpleCodec().decode(file.readAll(), &why);
        if (text.isNull()) {
            error = why;
            return false;
        }
    } else {
        QTextStream in(&file);
        text = in.readAll();
    }
    return true;
}


bool CFsm::readDefinitionFile(const QString& fileName, QString& text, QString& path)
{
    return readDefinitionAt(definitionDirectory() + fileName, text, path, errors());
}

CFsm* CFsm::loadTopFsm(CStateFactory* factory, const QString& path, CPropertyObject* applicationProperties,
                       QString* errorText)
{
    CDefinition definition;
    QString resolved;
    QString errors;
    if (!loadDefinitionAt(path, definition, resolved, errors)) {
        *errorText = errors;
        return nullptr;
    }
    CFsm* fsm = nullptr;
    {
        CFsmBuildScope scope(applicationProperties);
        fsm = createDefinedFsm(definition, factory, nullptr, QFileInfo(resolved).completeBaseName());
    }
    if (!fsm) {
        *errorText = QStringLiteral("Couldn't create FSM '%1'.\n").arg(path);
        return nullptr;
    }
    fsm->setApplicationProperties(applicationProperties);
    return fsm;
}

bool CFsm::loadFile(const QString& fileName, QDomElement& root)
{
    QString text, path;
    if (!readDefinitionFile(fileName, text, path))
        return false;
    QString tooDeep;
    qint64 deepLine = 0;
    qint64 deepColumn = 0;
    if (xmlNestsTooDeep(text, tooDeep, deepLine, deepColumn)) {
        reportParseError(errors(), path, tooDeep, deepLine, deepColumn);
        return false;
    }
    QDomDocument doc;
    QString parseError;
    int errorLine = 0;
    int errorColumn = 0;
    if (!doc.setContent(text, false, &parseError, &errorLine, &errorColumn)) {
        reportParseError(errors(), path, parseError, errorLine, errorColumn);
        return false;
    }
    root = doc.firstChildElement(QStringLiteral("fsm"));
    if (root.isNull()) {
        reportNoRoot(errors());
        return false;
    }
    return true;
}

bool CFsm::checkTransitions()
{
    bool ok = true;
    for (CState* s : std::as_const(m_states)) {
        const QStringList events = s->events();
        for (const QString& event : events) {
            if (s->hasTransition(event))
                continue;
            const QString message = QStringLiteral("State %1 has no transition attached to event %2.").arg(s->objectName(), event);
            SFSM_TRACE("fsm", QStringLiteral("! ") + message);
            errors() += message + QLatin1Char('\n');
            ok = false;
        }
    }
    return ok;
}

namespace {

// What a run meets when it follows a colon path from an FSM: empty when every name exists and
// every name but the last is an FSM, otherwise the fault and the fatal error it stops with.
QString statePathProblem(const CFsm* fsm, const QString& path)
{
    const QStringList names = path.split(QLatin1Char(':'));
    const CFsm* at = fsm;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const CState* s = at->state(names.at(i));
        if (!s) {
            const char* fatal = i == 0 ? "to-state doesn't exist." : "Start state doesn't exist.";
            return QStringLiteral("%1 is no state of FSM %2; a run would stop with \"%3\"")
                .arg(names.at(i), at->objectName(), QLatin1String(fatal));
        }
        if (i + 1 == names.size())
            break;
        at = qobject_cast<const CFsm*>(s);
        if (!at)
            return QStringLiteral("%1 is not an FSM; a run would stop with \"State must be an FSM but isn't one.\"")
                .arg(names.at(i));
    }
    return QString();
}

} // namespace

bool CFsm::checkStatePaths()
{
    bool ok = true;
    for (const CTransitionRecord& r : transitionTable()) {
        if (r.kind == QLatin1String("exit") || !r.target.contains(QLatin1Char(':')))
            continue;
        const QString problem = statePathProblem(this, r.target);
        if (problem.isEmpty())
            continue;
        const QString where = r.kind == QLatin1String("start")
                                  ? QStringLiteral("the start path %1").arg(r.target)
                                  : QStringLiteral("the path %1 from state %2 on event %3").arg(r.target, r.fromState, r.event);
        const QString message = QStringLiteral("FSM %1: %2: %3").arg(objectName(), where, problem);
        SFSM_TRACE("fsm", QStringLiteral("! ") + message);
        errors() += message + QLatin1Char('\n');
        ok = false;
    }
    for (CState* s : std::as_const(m_states)) {
        auto* sub = qobject_cast<CFsm*>(s);
        if (!sub)
            continue;
        const qsizetype before = sub->errors().size();
        if (!sub->checkStatePaths()) {
            errors() += sub->errors().mid(before);
            ok = false;
        }
    }
    return ok;
}

bool CFsm::checkRequiredProperties()
{
    bool ok = true;
    for (CState* s : std::as_const(m_states)) {
        const QStringList required = s->requiredProperties();
        for (const QString& name : required) {
            if (s->suppliedProperties().contains(name) || s->hasProperty(name.toLatin1().constData()))
                continue;
            const QString message = QStringLiteral("PFC check failed for required property '%1' of state '%2' in FSM '%3'.")
                                        .arg(name, s->objectName(), objectName());
            SFSM_TRACE("fsm", QStringLiteral("! ") + message);
            errors() += message + QLatin1Char('\n');
            ok = false;
        }
        if (CFsm* sub = qobject_cast<CFsm*>(s)) {
            if (!sub->checkRequiredProperties()) {
                errors() += sub->errors();
                ok = false;
            }
        }
    }
    return ok;
}
