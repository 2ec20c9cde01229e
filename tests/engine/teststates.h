// SPDX-License-Identifier: MIT
#pragma once
// Small state types and helpers shared by the engine tests.
#include "engine/fsm.h"
#include "engine/statefactory.h"

#include <QStringList>
#include <memory>

class QTemporaryDir;

// A state that leaves as soon as it is entered. Its events come from the property "events"
// (";"-separated, default "next"). It leaves with the first entry of "answers" (consumed one
// per entry), else with "leaveWith", else with its first event. With "hold" set it stays until
// the test calls finish(). With "page" set it registers itself on the page stack when entered.
class CTestState : public CState {
    Q_OBJECT
public:
    CTestState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;
    void leave() override;

    void finish(const QString& event);

    int enterCount = 0;
    int leaveCount = 0;
};

// Every state entered by any CTestState, by full name, in order.
QStringList& testJournal();

// A factory that knows "test" and "fsm".
std::unique_ptr<CStateFactory> makeTestFactory(const QString& name = QStringLiteral("test"));

// Builds an FSM named "root" from the text of a definition file.
CFsm* buildFsm(const QString& xml, CStateFactory* factory, QString* parseError = nullptr);

// Writes a file below dir; returns its absolute path.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content);

// Collects finished trace output for the life of the object and turns standard error off.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    QStringList lines; // one entry per finished message, as written
    bool contains(const QString& text) const;
};

// Points the settings store and the home folders of this process at a temporary folder, so that
// nothing a test does reaches the real user configuration.
void isolateUserFolders();
