#pragma once
#include "engine/diagnostic.h"
#include "engine/nameindex.h"
#include "engine/state.h"

#include <QHash>
#include <QSet>

class CDefinition;
class CStateFactory;

// One attached transition as the host sees it.
struct CTransitionRecord {
    QString fromState;
    QString event;
    QString target;
    QString kind; // "state", "exit" or "start"
};

// Runs a finite state machine: owns its states by name, starts in the state its entry
// transition names, follows transitions as states finish, and leaves through an exit event,
// behaving towards its own parent like any other state.
class CFsm : public CState {
    Q_OBJECT
public:
    CFsm(QObject* parent, const char* name, CStateFactory* factory, const QDomNode& element);
    ~CFsm() override;

    void reset() override;
    QCoreApplication* application() const override;
    CPropertyObject* applicationProperties() const override;
    void* userData() const override;
    void enter() override;
    void leave() override;
    QString translationContext() const override;

    virtual void setApplication(QCoreApplication* application);
    virtual void setApplicationProperties(CPropertyObject* properties);
    virtual void setUserData(void* data);
    virtual void finishOnExit(const QString& exitEvent);
    virtual void startInState(const QString& path);
    virtual void changeState(const QString& path);
    virtual bool addState(CState* state);
    virtual bool hasState(const QString& name) const;
    virtual bool isUniqueState(CState* state) const;
    virtual int attachTransition(const QString& from, const QString& event, CTransition* transition);
    using CState::attachTransition;
    virtual int addTransition(const QString& from, const QString& event, const QString& to, const QString& name,
                              const QDomNode& element);
    virtual int addExitTransition(const QString& from, const QString& event, const QString& exitEvent,
                                  const QString& name, const QDomNode& element);
    virtual int attachStartTransition(CTransition* transition);
    virtual int addEntryTransition(const QString& startState, const QString& name, const QDomNode& element);
    virtual CState* currentState() const;
    virtual CState* state(const QString& name) const;
    virtual QStringList stateNames() const;
    virtual QList<CTransitionRecord> transitionTable();
    virtual void jumpBack();
    virtual void registerPage(const QString& path, int progress);
    virtual void registerCurrentPage();
    virtual void cleanPageStack();
    virtual QStringList navigation() const;
    virtual bool checkRequiredProperties();
    // Follows every colon path of this FSM's transitions and of the FSMs nested in it: each name
    // must exist and each but the last must be an FSM. The loader checks only the first name, so
    // a broken path would otherwise surface as a fatal error in the middle of a run.
    virtual bool checkStatePaths();
    virtual void emitStarted(CFsm* fsm, CState* state);
    virtual void emitStateChanged(CFsm* fsm, CState* from, CState* to);
    virtual void enterState(CState* state, const QString& rest);
    virtual int totalWeight() const;
    virtual void computeTotalWeight();
    virtual void build(CStateFactory* factory, const QDomNode& element);
    virtual void loadStates(const QDomNode& element, CStateFactory* factory);
    virtual void loadTransitions(const QDomNode& element);
    virtual CFsm* createSubFsm(const QString& name, CStateFactory* factory, const QString& fileName);
    virtual bool loadFile(const QString& fileName, QDomElement& root);
    virtual bool checkTransitions();
    virtual QString transitionErrorText(int code) const;
    virtual void unRegisterPage(const QString& path);
    virtual int popPageProgress();
    virtual QString topPage(bool pop);

    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    const QMap<QString, CState*>& states() const { return m_states; }
    const QStringList& pageStack() const { return m_pageStack; }
    // The exit events whose "event" element says failure="yes": a host reports leaving through
    // one of them as a failed run, although the FSM itself ended normally.
    const QStringList& failureEvents() const { return m_failureEvents; }
    // The root FSM of the page stack: the outermost FSM above this one.
    CFsm* parentFsm() const;

    // What the build and the checks found, each with the file and line it concerns: the
    // problems of errors(), for hosts that show where they are. Nested FSMs' findings are
    // appended as their errors are.
    CDiagnostics& diagnostics() { return m_diagnostics; }
    // The definition file this FSM was built from, as messages name it.
    QString definitionFile() const { return m_definitionFile; }
    // Where the definition of a state, an exit event or a transition (by from-state and one
    // event; the start transition by an empty from-state and "__start") begins; 0 when unknown.
    qint64 stateLine(const QString& name) const { return m_lines.value(QStringLiteral("s\n") + name); }
    qint64 eventLine(const QString& name) const { return m_lines.value(QStringLiteral("e\n") + name); }
    qint64 transitionLine(const QString& from, const QString& event) const
    {
        return m_lines.value(QStringLiteral("t\n") + from + QLatin1Char('\n') + event);
    }
    qint64 definitionLine() const { return m_rootLine; }

    // Reads a definition file's whole text by the loader's rules (".xml" plain, otherwise
    // scrambled; a missing ".xml" file falls back to the scrambled name). Used by hosts too.
    // On failure the error says why, naming the paths tried; `notOpened` tells a file that
    // could not be opened from one whose content is broken.
    static bool readDefinition(const QString& path, QString& text, QString& resolvedPath, QString& error,
                               bool* notOpened = nullptr);

    // Builds a host's top FSM from a definition file by the loader's rules and with its
    // messages, as nested files are built: the path is taken as given, the FSM is named after
    // the file and uses the application properties while it builds. Null, with the error text,
    // when the file cannot be read or parsed or the factory makes no FSM of it; a built FSM may
    // still carry build errors in errors().
    static CFsm* loadTopFsm(CStateFactory* factory, const QString& path, CPropertyObject* applicationProperties,
                            QString* errorText, CDiagnostics* diagnostics = nullptr);

public slots:
    void leaveState() override;
    void slot_stateFinished(CState* state, CTransition* transition);
    void slot_stateProgress(int progress);
    void slotChildFsmStarted(CFsm* fsm, CState* state);
    void slotChildFsmStateChanged(CFsm* fsm, CState* from, CState* to);

signals:
    void started(CFsm* fsm, CState* state);
    void stateChanged(CFsm* fsm, CState* from, CState* to);
    // The run can no longer go on: a fatal error stopped it in this FSM or one nested in it.
    // Emitted by the outermost FSM, after the fatal trace line, whatever the trace filters.
    void stalled(CFsm* fsm, const QString& message);

protected:
    int m_totalWeight = 1;

    // A list iterator and the states of its loop.
    struct IteratorLoop {
        CState* iterator;
        QSet<CState*> members;
    };
    const QList<IteratorLoop>& iteratorLoops();

protected:
    // Traces the fatal line and tells the outermost FSM's listeners that the run stopped here.
    void stopOnFatalError(const QString& message);

private:
    void announceAgain();
    qlonglong passes(CState* state);
    void weighLoop(CState* entered);
    int reportable(double progress);
    bool readDefinitionFile(const QString& fileName, QString& text, QString& path);
    // Appends a message to errors() and, placed at the line, to the diagnostics.
    void reportError(const QString& message, qint64 line);
    // Each line of a text of errors, as reportError does.
    void reportErrorLines(const QString& text, qint64 line);
    void takeFindingsOf(CState* state, qint64 line);
    void disconnectState(CState* state);
    CState* firstOfPath(const QString& path, qsizetype colon) const;
    QString definitionDirectory() const;

    QMap<QString, CState*> m_states;
    CNameIndex<CState*> m_stateIndex; // the same states, for lookups
    CState* m_current = nullptr;
    QCoreApplication* m_application = nullptr;
    CPropertyObject* m_applicationProperties = nullptr;
    void* m_userData = nullptr;
    QString m_fileName;
    QStringList m_pageStack;
    QList<int> m_pageProgress;
    QStringList m_navigation;

    CDiagnostics m_diagnostics;
    QString m_definitionFile;
    qint64 m_rootLine = 0;
    qint64 m_itemLine = 0; // the element being built, for messages of the calls it makes
    qint64 m_lineOffset = 0;     // added to the lines of items read as DOM
    qint64 m_itemLineOffset = 0; // the same for an FSM built from the element being built
    QHash<QString, qint64> m_lines;
    // States whose definition failed, and events whose written transition failed: what
    // refers to them would only repeat the first message.
    QSet<QString> m_failedStates;
    QSet<QString> m_failedEvents;
    bool m_startWritten = false;
    QList<IteratorLoop> m_iteratorLoops;
    bool m_loopsKnown = false;
    int m_reported = 0; // the last progress reported; it only falls on back navigation
    QStringList m_failureEvents;
};

// A host that builds its top FSM through a factory has no FSM to hang its application
// properties on until the build is over, yet nested definition files are found relative to
// them. While a scope is alive on this thread, FSMs without application properties of their
// own use the scope's.
class CFsmBuildScope {
public:
    explicit CFsmBuildScope(CPropertyObject* applicationProperties);
    ~CFsmBuildScope();
    CFsmBuildScope(const CFsmBuildScope&) = delete;
    CFsmBuildScope& operator=(const CFsmBuildScope&) = delete;

    static CPropertyObject* current();

private:
    CPropertyObject* m_previous;
};

// Hands a definition read by CDefinition to the FSM created next from its root element, so
// the FSM builds from the definition's items instead of searching a DOM. Hosts that read a
// definition themselves use it around the factory's createState.
class CDefinitionScope {
public:
    explicit CDefinitionScope(const CDefinition* definition);
    ~CDefinitionScope();
    CDefinitionScope(const CDefinitionScope&) = delete;
    CDefinitionScope& operator=(const CDefinitionScope&) = delete;

private:
    const CDefinition* m_previous;
};

Q_DECLARE_METATYPE(CFsm*)
