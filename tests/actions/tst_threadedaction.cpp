// SPDX-License-Identifier: MIT
#include "testactions.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <atomic>


namespace {

// The test runner switches debug output off through the environment, which outranks rules set
// in code; the thread lines under test are debug output.
const bool g_debugRulesCleared = (qunsetenv("QT_LOGGING_RULES"), true);

QStringList g_debugLines;

void captureDebug(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        g_debugLines.append(message);
}

// Runs until asked to stop, reporting progress as it goes.
int runUntilStopped(CTestThreadedAction* a)
{
    while (!a->stopRequested()) {
        a->setProgress(1);
        QThread::msleep(1);
    }
    return 9;
}

} // namespace

class tst_ThreadedAction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<CTransition*>(); }
    void finishesOnceOnGuiThreadAfterThreadEnded();
    void threadLinesNameTheAction_data();
    void threadLinesNameTheAction();
    void leavingStopsJobWithoutLateSignals();
    void reentryWaitsForOldJob();
    void rapidEnterLeaveDeliversOnlyLastJob();
    void destroyingStateStopsJob();
};

void tst_ThreadedAction::finishesOnceOnGuiThreadAfterThreadEnded()
{
    CTestActionState state(nullptr, "s");
    auto* action = new CTestThreadedAction(&state, "job", [](CTestThreadedAction* a) {
        a->setTotalSteps(4);
        a->setProgress(1);
        a->setProgress(99); // clamped to the total
        a->setFinishEvent(QStringLiteral("success"));
        return 5;
    });
    state.setAction(action);
    bool threadEnded = false;
    state.onFinished = [&](int) {
        const QString task = QStringLiteral("/proc/self/task/%1").arg(action->jobThreadId.load());
        threadEnded = action->jobThreadId != 0 && !QFileInfo::exists(task);
    };
    QSignalSpy raw(action, &CAction::actionProgress);
    QSignalSpy progress(&state, &CState::progress);
    QSignalSpy finished(&state, &CState::finished);
    state.enter();
    QVERIFY(finished.wait());
    QCoreApplication::processEvents();
    QCOMPARE(state.finishedCalls, 1);
    QCOMPARE(state.results, QList<int> {5});
    QVERIFY(state.finishedOnGuiThread);
    QVERIFY(threadEnded);
    QVERIFY(!action->jobOnEventLoopThread);
    QCOMPARE(state.leaveEvent(), QStringLiteral("success"));
    QVERIFY(!action->isBusy());
    QCOMPARE(raw.size(), 2);
    QCOMPARE(raw.at(1), (QList<QVariant> {4, 4}));
    // 25 % and 100 % from the job, then 100 % of the finish.
    QCOMPARE(progress.size(), 3);
    QCOMPARE(progress.at(0).at(0).toInt(), 25);
    QCOMPARE(progress.at(1).at(0).toInt(), 100);
}

void tst_ThreadedAction::threadLinesNameTheAction_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("named") << QByteArray("copyJob") << QStringLiteral("copyJob");
    QTest::newRow("unnamed") << QByteArray() << QStringLiteral("_unnamed_");
}

void tst_ThreadedAction::threadLinesNameTheAction()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QVERIFY(g_debugRulesCleared);
    g_debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureDebug);
    {
        CTestThreadedAction action(nullptr, name.isNull() ? nullptr : name.constData(),
                                   [](CTestThreadedAction*) { return 0; });
        QSignalSpy finished(&action, &CAction::actionFinished);
        action.start();
        QVERIFY(finished.wait());
        QCOMPARE(finished.size(), 1);
    }
    qInstallMessageHandler(previous);
    QCOMPARE(g_debugLines.size(), 2);
    QCOMPARE(g_debugLines.at(0), QStringLiteral("[THREAD] Action = %1.\n").arg(shown));
    QVERIFY(g_debugLines.at(1).startsWith(QStringLiteral("[THREAD] ThreadId = ")));
    QVERIFY(g_debugLines.at(1).endsWith(QStringLiteral(".\n")));
    bool decimal = false;
    g_debugLines.at(1).mid(20).chopped(2).toULongLong(&decimal);
    QVERIFY(decimal);
}

void tst_ThreadedAction::leavingStopsJobWithoutLateSignals()
{
    CTestActionState state(nullptr, "s");
    auto* action = new CTestThreadedAction(&state, "job", runUntilStopped);
    state.setAction(action);
    QSignalSpy progress(&state, &CState::progress);
    QSignalSpy actionFinished(action, &CAction::actionFinished);
    state.enter();
    QVERIFY(progress.wait());
    state.leave();
    const qsizetype seen = progress.size();
    QTRY_VERIFY(!action->isBusy());
    QCoreApplication::processEvents();
    QCOMPARE(progress.size(), seen);
    QCOMPARE(actionFinished.size(), 0);
    QCOMPARE(state.finishedCalls, 0);
}

void tst_ThreadedAction::reentryWaitsForOldJob()
{
    QSemaphore started;
    QSemaphore gate;
    std::atomic<int> runs {0};
    std::atomic<int> concurrent {0};
    std::atomic<bool> overlapped {false};
    CTestActionState state(nullptr, "s");
    auto* action = new CTestThreadedAction(&state, "job", [&](CTestThreadedAction* a) {
        if (concurrent.fetch_add(1) != 0)
            overlapped = true;
        const int run = ++runs;
        int result;
        if (run == 1) {
            a->setProgress(1);
            started.release();
            // A long step that cannot look at the stop flag; its late news must go nowhere.
            gate.acquire();
            a->setProgress(2);
            a->setFinishEvent(QStringLiteral("failed"));
            result = 111;
        } else {
            a->setProgress(5);
            a->setFinishEvent(QStringLiteral("success"));
            result = 222;
        }
        concurrent.fetch_sub(1);
        return result;
    });
    state.setAction(action);
    QSignalSpy finished(&state, &CState::finished);
    QSignalSpy progress(&state, &CState::progress);
    state.enter();
    started.acquire();
    state.leave();
    state.enter();
    QVERIFY(action->isBusy());
    QCoreApplication::processEvents();
    QCOMPARE(runs.load(), 1);
    const qsizetype before = progress.size();
    gate.release();
    QVERIFY(finished.wait());
    QCOMPARE(runs.load(), 2);
    QVERIFY(!overlapped);
    QCOMPARE(state.results, QList<int> {222});
    QCOMPARE(state.leaveEvent(), QStringLiteral("success"));
    // Only the new job's progress (100 %) and the finish reached the state.
    for (qsizetype i = before; i < progress.size(); ++i)
        QCOMPARE(progress.at(i).at(0).toInt(), 100);
}

void tst_ThreadedAction::rapidEnterLeaveDeliversOnlyLastJob()
{
    std::atomic<int> runs {0};
    CTestActionState state(nullptr, "s");
    auto* action = new CTestThreadedAction(&state, "job", [&](CTestThreadedAction* a) {
        const int run = ++runs;
        for (int i = 0; i < 50 && !a->stopRequested(); ++i) {
            a->setProgress(i % 5);
            QThread::usleep(100);
        }
        a->setFinishEvent(QStringLiteral("success"));
        return run;
    });
    state.setAction(action);
    QSignalSpy finished(&state, &CState::finished);
    for (int i = 0; i < 20; ++i) {
        state.enter();
        if (i % 3 == 0)
            QCoreApplication::processEvents();
        state.leave();
    }
    state.enter();
    QVERIFY(finished.wait());
    QCoreApplication::processEvents();
    QCOMPARE(state.finishedCalls, 1);
    QCOMPARE(state.results.value(0), runs.load());
    QVERIFY(state.finishedOnGuiThread);
}

void tst_ThreadedAction::destroyingStateStopsJob()
{
    auto* state = new CTestActionState(nullptr, "s");
    QPointer<CTestThreadedAction> action = new CTestThreadedAction(state, "job", runUntilStopped);
    state->setAction(action);
    QSignalSpy progress(state, &CState::progress);
    state->enter();
    QVERIFY(progress.wait());
    delete state;
    QVERIFY(action.isNull());
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(tst_ThreadedAction)
#include "tst_threadedaction.moc"
