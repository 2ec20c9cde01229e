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

#include <QDir>
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
// Items read as DOM count their lines from the start of their document, which for an FSM
// defined inside a state element is that element's piece of the file: `lineOffset` places them.
QList<CDefinitionItem> sectionItems(const QDomNode& root, const QString& section, const QString& tag, qint64 lineOffset)
{
    if (t_building && t_building->root == root) {
        if (tag == QLatin1String("state"))
            return t_building->states;
        if (tag == QLatin1String("event"))
            return t_building->events;
        return t_building->transitions;
    }
    QList<CDefinitionItem> items = definitionItems(root, section, tag);
    for (CDefinitionItem& item : items) {
        if (item.line > 0)
            item.line += lineOffset;
    }
    return items;
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

// Why a definition could not be loaded. A problem in the file's content is placed in that
// file; one of finding or opening it belongs to the place that names the file.
struct LoadProblem {
    QString message;
    QString file; // empty: the referring place
    qint64 line = 0;
};

QString parseErrorText(const QString& path, const QString& message, qint64 line, qint64 column)
{
    return QStringLiteral("Error parsing %4 on line %1, column %2: %3").arg(line).arg(column).arg(message, diagnosticPath(path));
}

// Whether the factory tree, fallbacks included, has a creator for the type.
bool factoryKnows(const CStateFactory* factory, const QString& type)
{
    for (; factory; factory = factory->fallback()) {
        if (factory->canCreate(type))
            return true;
    }
    return false;
}

bool loadDefinitionAt(const QString& requested, const QString& asGiven, CDefinition& definition, QString& path,
                      LoadProblem& problem)
{
    QString text;
    QString why;
    bool notOpened = false;
    if (!CFsm::readDefinition(requested, text, path, why, &notOpened)) {
        if (notOpened) {
            SFSM_TRACE("fsm", QStringLiteral("Could not open file ") + path);
            problem.message = QStringLiteral("File %1 could not be opened: %2").arg(asGiven, why);
        } else {
            // A damaged scrambled file reads as a parse failure of its text.
            problem.message = parseErrorText(path, why, 0, 0);
            SFSM_TRACE("fsm", problem.message);
            problem.file = diagnosticPath(path);
        }
        return false;
    }
    definition.path = diagnosticPath(path);
    switch (definition.read(text)) {
    case CDefinition::Ok:
        return true;
    case CDefinition::ParseError:
        problem.message = parseErrorText(path, definition.errorString, definition.errorLine, definition.errorColumn);
        SFSM_TRACE("fsm", problem.message);
        problem.file = definition.path;
        problem.line = definition.errorLine;
        return false;
    case CDefinition::NoRoot:
        SFSM_TRACE("fsm", QStringLiteral("XML root node is non existent."));
        problem.message = QStringLiteral("XML root node is non existent.");
        problem.file = definition.path;
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

QString lineKey(char kind, const QString& name)
{
    return QString(QLatin1Char(kind)) + QLatin1Char('\n') + name;
}

} // namespace

void CFsm::reportError(const QString& message, qint64 line)
{
    errors() += message + QLatin1Char('\n');
    m_diagnostics.append({m_definitionFile, line, CDiagnostic::Error, message});
}

void CFsm::reportErrorLines(const QString& text, qint64 line)
{
    for (const QString& message : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        reportError(message, line);
}

void CFsm::takeFindingsOf(CState* state, qint64 line)
{
    if (state->errors().isEmpty())
        return;
    if (auto* fsm = qobject_cast<CFsm*>(state)) {
        errors() += fsm->errors();
        m_diagnostics += fsm->diagnostics();
    } else {
        reportErrorLines(state->errors(), line);
    }
}

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
    if (t_building && t_building->root == element) {
        m_definitionFile = t_building->path;
        m_rootLine = t_building->rootLine;
    } else if (auto* up = qobject_cast<CFsm*>(parent())) {
        m_definitionFile = up->m_definitionFile; // an FSM defined inside its parent's file
        m_rootLine = up->m_itemLine;
        m_lineOffset = up->m_itemLineOffset;
    }
    auto loadEvents = [&] {
        for (const CDefinitionItem& e : sectionItems(element, QStringLiteral("events"), QStringLiteral("event"), m_lineOffset)) {
            const QString name = e.attribute(QStringLiteral("name"));
            m_lines.insert(lineKey('e', name), e.line);
            addEvents(QStringList {name});
            if (e.attribute(QStringLiteral("failure")).toLower() == QLatin1String("yes") && !m_failureEvents.contains(name))
                m_failureEvents.append(name);
        }
    };
    if (t_nesting >= kMaxFsmNesting) {
        // Its events still count, so the enclosing FSM's transitions attach and this one
        // message is all the build reports.
        loadEvents();
        const QString message = QStringLiteral("FSM %1: Nested deeper than %2 levels; does a definition file include itself?")
                                    .arg(objectName())
                                    .arg(kMaxFsmNesting);
        SFSM_TRACE("fsm", QStringLiteral("  ! Error ! ") + message);
        reportError(message, m_rootLine);
        t_building = previous;
        return;
    }
    ++t_nesting;
    loadStates(element, factory);
    loadEvents();
    loadTransitions(element);
    --t_nesting;
    m_itemLine = 0;
    // A start transition that was written but failed has its own message already.
    if (!CState::transitions().contains(kStartEvent) && !m_startWritten) {
        SFSM_TRACE("fsm", QStringLiteral("  ! Error ! No start transition set."));
        reportError(QStringLiteral("FSM %1: No start transition set.").arg(objectName()), m_rootLine);
    }
    checkTransitions();
    t_building = previous;
}

void CFsm::loadStates(const QDomNode& element, CStateFactory* factory)
{
    for (const CDefinitionItem& item : sectionItems(element, QStringLiteral("states"), QStringLiteral("state"), m_lineOffset)) {
        const CDefinitionItem& e = item;
        const QString name = e.attribute(QStringLiteral("name"));
        const QString weight = e.attribute(QStringLiteral("weight"));
        const QString type = e.attribute(QStringLiteral("type"));
        const QString file = e.attribute(QStringLiteral("file"));
        QString navigation = e.attribute(QStringLiteral("navigation"));
        m_itemLine = e.line;
        // An FSM built from this element counts lines in its document: the file's, or the
        // element's own piece of it, which starts at the element's line.
        m_itemLineOffset = e.element.ownerDocument() == element.ownerDocument() ? m_lineOffset : e.line - 1;
        if (!m_lines.contains(lineKey('s', name)))
            m_lines.insert(lineKey('s', name), e.line);

        CState* s = nullptr;
        QString why;
        if (!file.isEmpty()) {
            const qsizetype before = m_diagnostics.size();
            if (CFsm* sub = createSubFsm(name, factory, file)) {
                sub->setFileName(file);
                sub->configure(e.element, name);
                s = sub;
            }
            // The file's own message says why; "could not be created" would only repeat it.
            if (!s && m_diagnostics.size() > before) {
                m_failedStates.insert(name);
                continue;
            }
        } else if (!type.isEmpty()) {
            if (factory)
                s = factory->createState(type, e.element, this, name);
            if (!factoryKnows(factory, type))
                why = QStringLiteral(" No factory knows the type '%1'.").arg(type);
            else
                why = QStringLiteral(" Its type '%1' could not make it.").arg(type);
        } else {
            reportError(QStringLiteral("FSM %1: Undefined state; No type or filename specified.").arg(objectName()), e.line);
            m_failedStates.insert(name);
            continue;
        }
        if (!s) {
            reportError(QStringLiteral("FSM %1: State %2 could not be created.").arg(objectName(), name) + why, e.line);
            m_failedStates.insert(name);
            continue;
        }
        s->setWeight(weight.toInt());
        if (!navigation.isEmpty()) {
            QString inner;
            if (unwrapTranslation(navigation, &inner))
                navigation = translateDefinitionText(name, inner);
            m_navigation.append(name + QLatin1Char(';') + navigation + QLatin1Char(';') + weight);
        }
        takeFindingsOf(s, e.line);
        if (!addState(s))
            reportError(QStringLiteral("FSM %1: A state with name %2 already exists.").arg(objectName(), name), e.line);
    }
}

void CFsm::loadTransitions(const QDomNode& element)
{
    for (const CDefinitionItem& e : sectionItems(element, QStringLiteral("transitions"), QStringLiteral("transition"), m_lineOffset)) {
        const QString from = e.attribute(QStringLiteral("fromstate"));
        const QString to = e.attribute(QStringLiteral("tostate"));
        const QString toExit = e.attribute(QStringLiteral("toexit"));
        const QString start = e.attribute(QStringLiteral("startstate"));
        const QString event = e.attribute(QStringLiteral("event"));
        const QString name = e.attribute(QStringLiteral("name"));
        m_itemLine = e.line;
        const QStringList events = event.split(QLatin1Char('|'));
        if (!to.isEmpty() || !toExit.isEmpty()) {
            for (const QString& one : events)
                m_lines.insert(lineKey('t', from + QLatin1Char('\n') + one), e.line);
        } else if (!start.isEmpty()) {
            m_lines.insert(lineKey('t', QLatin1Char('\n') + kStartEvent), e.line);
            m_startWritten = true;
        }

        QString message;
        int code = 0;
        QString missing; // the state a failure is about, when it is one that failed to build
        if (!to.isEmpty()) {
            code = addTransition(from, event, to, name, e.element);
            missing = code == 2 ? from : code == 3 ? firstSection(to) : QString();
            if (code != 0)
                message = QStringLiteral("Failed adding transition for FSM %1: from state %2 to state %3 on event %4: %5")
                              .arg(objectName(), from, to, event, transitionErrorText(code));
        } else if (!toExit.isEmpty()) {
            code = addExitTransition(from, event, toExit, name, e.element);
            missing = code == 2 ? from : QString();
            if (code != 0)
                message = QStringLiteral("Failed adding transition for FSM %1: from state %2 to exit %3 on event %4: %5")
                              .arg(objectName(), from, toExit, event, transitionErrorText(code));
        } else if (!start.isEmpty()) {
            code = addEntryTransition(start, name, e.element);
            missing = code == 4 ? firstSection(start) : QString();
            if (code != 0)
                message = QStringLiteral("Failed adding entry transition for FSM %1 to start in state %2: %3")
                              .arg(objectName(), start, transitionErrorText(code));
        } else {
            message = QStringLiteral("Invalid transition attributes in FSM %1").arg(objectName());
        }
        if (message.isEmpty())
            continue;
        if (!to.isEmpty() || !toExit.isEmpty()) {
            for (const QString& one : events)
                m_failedEvents.insert(from + QLatin1Char('\n') + one);
        }
        if (!missing.isEmpty() && m_failedStates.contains(missing))
            continue;
        SFSM_TRACE("fsm", QStringLiteral("  ! Error ! Adding transition failed."));
        reportError(message, e.line);
    }
}

int CFsm::attachTransition(const QString& from, const QString& event, CTransition* t)
{
    const QString mapErrors = t->propertyMapErrors();
    if (!mapErrors.isEmpty()) {
        reportErrorLines(mapErrors, m_itemLine);
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
        reportErrorLines(mapErrors, m_itemLine);
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
        reportErrorLines(mapErrors, m_itemLine);
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
    LoadProblem problem;
    if (!loadDefinitionAt(definitionDirectory() + fileName, fileName, definition, path, problem)) {
        errors() += problem.message + QLatin1Char('\n');
        m_diagnostics.append({problem.file.isEmpty() ? m_definitionFile : problem.file,
                              problem.file.isEmpty() ? m_itemLine : problem.line, CDiagnostic::Error, problem.message});
        return nullptr;
    }
    CFsm* sub = createDefinedFsm(definition, factory, this, name);
    if (!sub) {
        reportError(QStringLiteral("Couldn't create FSM '%1'.").arg(fileName), m_itemLine);
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

namespace {

// Why a definition path cannot be read as a file, in words; empty when it can be opened.
QString unopenableReason(const QString& requested, const QString& path, QFile& file)
{
    switch (Platform::fileKind(path)) {
    case Platform::FileKind::Missing:
        if (path != requested)
            return QStringLiteral("neither %1 nor %2 exists").arg(diagnosticPath(requested), diagnosticPath(path));
        return QStringLiteral("%1 does not exist").arg(diagnosticPath(path));
    case Platform::FileKind::Directory:
        return QStringLiteral("%1 is a directory").arg(diagnosticPath(path));
    // A device reports no size and may never end (/dev/zero): reading one whole exhausts memory.
    case Platform::FileKind::Device:
        return QStringLiteral("%1 is a device, not a file").arg(diagnosticPath(path));
    default:
        break;
    }
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(diagnosticPath(path), file.errorString());
    return QString();
}

} // namespace

bool CFsm::readDefinition(const QString& requested, QString& text, QString& resolvedPath, QString& error, bool* notOpened)
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
    if (notOpened)
        *notOpened = false;
    QFile file(path);
    error = unopenableReason(requested, path, file);
    if (!error.isEmpty()) {
        if (notOpened)
            *notOpened = true;
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
    QString why;
    bool notOpened = false;
    if (readDefinition(definitionDirectory() + fileName, text, path, why, &notOpened))
        return true;
    if (notOpened) {
        SFSM_TRACE("fsm", QStringLiteral("Could not open file ") + path);
        reportError(QStringLiteral("File %1 could not be opened: %2").arg(fileName, why), m_itemLine);
    } else {
        const QString message = parseErrorText(path, why, 0, 0);
        SFSM_TRACE("fsm", message);
        errors() += message + QLatin1Char('\n');
        m_diagnostics.append({diagnosticPath(path), 0, CDiagnostic::Error, message});
    }
    return false;
}

CFsm* CFsm::loadTopFsm(CStateFactory* factory, const QString& path, CPropertyObject* applicationProperties,
                       QString* errorText, CDiagnostics* diagnostics)
{
    CDefinition definition;
    QString resolved;
    LoadProblem problem;
    if (!loadDefinitionAt(path, path, definition, resolved, problem)) {
        *errorText = problem.message + QLatin1Char('\n');
        if (diagnostics)
            diagnostics->append({problem.file.isEmpty() ? diagnosticPath(path) : problem.file, problem.line,
                                 CDiagnostic::Error, problem.message});
        return nullptr;
    }
    CFsm* fsm = nullptr;
    {
        CFsmBuildScope scope(applicationProperties);
        fsm = createDefinedFsm(definition, factory, nullptr, QFileInfo(resolved).completeBaseName());
    }
    if (!fsm) {
        *errorText = QStringLiteral("Couldn't create FSM '%1'.\n").arg(path);
        if (diagnostics)
            diagnostics->append({definition.path, definition.rootLine, CDiagnostic::Error, errorText->trimmed()});
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
    QString parseError;
    qint64 line = 0;
    qint64 column = 0;
    QDomDocument doc;
    bool failed = xmlNestsTooDeep(text, parseError, line, column);
    if (!failed) {
        int domLine = 0;
        int domColumn = 0;
        failed = !doc.setContent(text, false, &parseError, &domLine, &domColumn);
        line = domLine;
        column = domColumn;
    }
    if (failed) {
        const QString message = parseErrorText(path, parseError, line, column);
        SFSM_TRACE("fsm", message);
        errors() += message + QLatin1Char('\n');
        m_diagnostics.append({diagnosticPath(path), line, CDiagnostic::Error, message});
        return false;
    }
    root = doc.firstChildElement(QStringLiteral("fsm"));
    if (root.isNull()) {
        SFSM_TRACE("fsm", QStringLiteral("XML root node is non existent."));
        errors() += QStringLiteral("XML root node is non existent.\n");
        m_diagnostics.append({diagnosticPath(path), 0, CDiagnostic::Error, QStringLiteral("XML root node is non existent.")});
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
            // A transition written for the event that failed has said so already.
            if (s->hasTransition(event) || m_failedEvents.contains(s->objectName() + QLatin1Char('\n') + event))
                continue;
            const QString message = QStringLiteral("State %1 has no transition attached to event %2.").arg(s->objectName(), event);
            SFSM_TRACE("fsm", QStringLiteral("! ") + message);
            reportError(message, stateLine(s->objectName()));
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
        reportError(message, transitionLine(r.fromState, r.event));
        ok = false;
    }
    for (CState* s : std::as_const(m_states)) {
        auto* sub = qobject_cast<CFsm*>(s);
        if (!sub)
            continue;
        const qsizetype before = sub->errors().size();
        const qsizetype found = sub->diagnostics().size();
        if (!sub->checkStatePaths()) {
            errors() += sub->errors().mid(before);
            m_diagnostics += sub->diagnostics().mid(found);
            ok = false;
        }
    }
    return ok;
}

// Transitions announce what they supply as they are added, but a nested FSM is built, and its
// transitions added, before its parent's transitions tell it which of its own properties they
// set; an FSM's transitions may also read a property that a later transition supplies. Once the
// whole tree is built, announcing again until nothing new appears sees every supplier.
void CFsm::announceAgain()
{
    QList<CTransition*> own;
    if (CTransition* start = CState::transitions().value(kStartEvent))
        own.append(start);
    for (CState* s : std::as_const(m_states)) {
        const auto map = s->transitions();
        for (CTransition* t : map) {
            if (t->parent() == this)
                own.append(t);
        }
    }
    const auto announced = [this] {
        qsizetype n = announcedProperties().size();
        for (CState* s : std::as_const(m_states))
            n += s->announcedProperties().size();
        return n;
    };
    qsizetype before = -1;
    for (qsizetype now = announced(); now != before; now = announced()) {
        before = now;
        for (CTransition* t : std::as_const(own))
            t->announceSuppliedProperties();
    }
}

bool CFsm::checkRequiredProperties()
{
    announceAgain();
    bool ok = true;
    for (CState* s : std::as_const(m_states)) {
        const QStringList required = s->requiredProperties();
        for (const QString& name : required) {
            if (s->suppliedProperties().contains(name) || s->hasProperty(name.toLatin1().constData()))
                continue;
            const QString message = QStringLiteral("PFC check failed for required property '%1' of state '%2' in FSM '%3'.")
                                        .arg(name, s->objectName(), objectName());
            SFSM_TRACE("fsm", QStringLiteral("! ") + message);
            reportError(message, stateLine(s->objectName()));
            ok = false;
        }
        if (CFsm* sub = qobject_cast<CFsm*>(s)) {
            const qsizetype found = sub->diagnostics().size();
            if (!sub->checkRequiredProperties()) {
                errors() += sub->errors();
                m_diagnostics += sub->diagnostics().mid(found);
                ok = false;
            }
        }
    }
    return ok;
}
