// SPDX-License-Identifier: MIT
// The pause state: its length, its progress in whole seconds, and times that are no pause.
#include "actions/action.h"
#include "actions/actionstate.h"
#include "system/systemflow.h"

#include <QElapsedTimer>
#include <QTest>

using SystemTest::Flow;
using SystemTest::singleStateFlow;
using SystemTest::TraceLines;
using Props = QMap<QString, QString>;

class tst_Pause : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void lastsItsTimeAndStepsEachSecond();
    void timesThatAreNoPause_data();
    void timesThatAreNoPause();
};

void tst_Pause::lastsItsTimeAndStepsEachSecond()
{
    Flow flow(singleStateFlow(QStringLiteral("pause"), Props {{"time", "25"}}, {QStringLiteral("finished")}));
    auto* state = qobject_cast<CActionState*>(flow.state());
    QVERIFY(state && state->action());
    QCOMPARE(state->action()->objectName(), QStringLiteral("pause"));
    QElapsedTimer clock;
    QList<qint64> stepTimes;
    QList<int> percents;
    connect(state->action(), &CAction::actionProgress, this, [&](int progress, int total) {
        QCOMPARE(total, 2);
        if (progress > 0)
            stepTimes.append(clock.elapsed());
    });
    connect(state, &CState::progress, this, [&](int percent) { percents.append(percent); });
    clock.start();
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    const qint64 duration = clock.elapsed();
    QCOMPARE(stepTimes.size(), 2);
    QVERIFY2(stepTimes.at(0) >= 990 && stepTimes.at(1) >= 1990, qPrintable(QString::number(stepTimes.at(1))));
    QVERIFY2(duration >= 2490 && duration < 5000, qPrintable(QString::number(duration)));
    QVERIFY(percents.contains(50));
    QCOMPARE(percents.last(), 100);
}

void tst_Pause::timesThatAreNoPause_data()
{
    QTest::addColumn<QString>("time");
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-30";
    QTest::newRow("no number") << "soon";
    QTest::newRow("fraction") << "2.5";
}

void tst_Pause::timesThatAreNoPause()
{
    QFETCH(QString, time);
    TraceLines trace;
    Flow flow(singleStateFlow(QStringLiteral("pause"), Props {{"time", time}}, {QStringLiteral("finished")}));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(flow.run(), QStringLiteral("finished"));
    QVERIFY(clock.elapsed() >= 90);
    QVERIFY(trace.has("action", QStringLiteral("Pause: time \"%1\" is no positive number of tenths of a second; "
                                               "no pause").arg(time)));
}

QTEST_GUILESS_MAIN(tst_Pause)
#include "tst_pause.moc"
