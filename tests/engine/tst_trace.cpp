// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "teststates.h"

#include <QRegularExpression>
#include <QTest>
#include <thread>
#include <vector>
#include <QTime>

class tst_Trace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void lineFormat_data();
    void lineFormat();
    void filters_data();
    void filters();
    void hostFiltersSeeTheName();
    void filteredCategoryComposesNothing();
    void timestampFormat_data();
    void timestampFormat();
    void timestampPrecedesEachLine();
    void lockedMessageParts();
    void messagesFromThreadsStayWhole();

private:
    QStringList m_out;
};

namespace {
QTime g_clock;
QTime fixedClock()
{
    return g_clock;
}

// Composing the message must not happen for a filtered category.
int g_composed = 0;
QString composed(const QString& text)
{
    ++g_composed;
    return text;
}
} // namespace

void tst_Trace::initTestCase()
{
    isolateUserFolders();
}

void tst_Trace::init()
{
    m_out.clear();
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QString());
    Trace::setTimestamps(false);
    Trace::setStderrEnabled(false);
    Trace::setSink([this](const QString& text) { m_out.append(text); });
}

void tst_Trace::cleanup()
{
    Trace::setSink(nullptr);
    Trace::setClockForTesting(nullptr);
}

void tst_Trace::lineFormat_data()
{
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("written");

    const QString indent(23, QLatin1Char(' '));
    QTest::newRow("short category padded") << QByteArray("fsm") << QStringLiteral("hello")
                                           << QStringLiteral("[fsm                 ]hello\n");
    QTest::newRow("exactly 20") << QByteArray("abcdefghijklmnopqrst") << QStringLiteral("x")
                                << QStringLiteral("[abcdefghijklmnopqrst]x\n");
    QTest::newRow("long category cut") << QByteArray("actionCopyRecursiveXYZ") << QStringLiteral("x")
                                       << QStringLiteral("[actionCopyRecursiveX]x\n");
    // The message gets its own line feed, so a text that ends with one is a multi-line text.
    QTest::newRow("text with its own feed") << QByteArray("state") << QStringLiteral("done\n")
                                            << (QStringLiteral("[state               ]") + indent + QStringLiteral("done\n"));
    QTest::newRow("continuation lines") << QByteArray("fsm") << QStringLiteral("head:\na\n\nb")
                                        << (QStringLiteral("[fsm                 ]") + indent + QStringLiteral("head:\n")
                                            + indent + QStringLiteral("a\n") + indent + QStringLiteral("b\n"));
}

void tst_Trace::lineFormat()
{
    QFETCH(QByteArray, category);
    QFETCH(QString, message);
    QFETCH(QString, written);

    Trace::line(category.constData(), message);
    QCOMPARE(m_out, QStringList {written});
}

void tst_Trace::filters_data()
{
    QTest::addColumn<QString>("include");
    QTest::addColumn<QString>("exclude");
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<bool>("written");

    QTest::newRow("defaults") << QStringLiteral(".*") << QString() << QByteArray("fsm") << true;
    QTest::newRow("empty include takes all") << QString() << QStringLiteral("fsm") << QByteArray("fsm") << true;
    QTest::newRow("include matches") << QStringLiteral("^fsm ") << QString() << QByteArray("fsm") << true;
    QTest::newRow("include sees the padding") << QStringLiteral("state {15}") << QString() << QByteArray("state")
                                              << true;
    QTest::newRow("include misses") << QStringLiteral("^fsm") << QString() << QByteArray("state") << false;
    QTest::newRow("include is case-sensitive") << QStringLiteral("FSM") << QString() << QByteArray("fsm") << false;
    QTest::newRow("regular expression, not wildcard") << QStringLiteral("f*m") << QString() << QByteArray("fsm")
                                                      << true;
    QTest::newRow("exclude wins") << QStringLiteral(".*") << QStringLiteral("copy") << QByteArray("copyStates")
                                  << false;
    QTest::newRow("exclude misses") << QStringLiteral(".*") << QStringLiteral("copy") << QByteArray("fileStates")
                                    << true;
    QTest::newRow("invalid include matches nothing") << QStringLiteral("(") << QString() << QByteArray("fsm")
                                                     << false;
}

void tst_Trace::filters()
{
    QFETCH(QString, include);
    QFETCH(QString, exclude);
    QFETCH(QByteArray, category);
    QFETCH(bool, written);

    Trace::setIncludeFilter(include);
    Trace::setExcludeFilter(exclude);
    QCOMPARE(Trace::enabled(category.constData()), written);
    Trace::line(category.constData(), QStringLiteral("text"));
    // A rejected category writes neither its tag nor its text.
    QCOMPARE(m_out.size(), written ? 1 : 0);
}

void tst_Trace::hostFiltersSeeTheName()
{
    // Anchored on both ends: the padded tag "fsm" followed by 17 blanks must not decide.
    Trace::setIncludeFilter(QStringLiteral("^fsm$"), Trace::FilterOn::Name);
    QVERIFY(Trace::enabled("fsm"));
    QVERIFY(!Trace::enabled("fsmx"));
    Trace::setIncludeFilter(QStringLiteral(".*"), Trace::FilterOn::Name);
    Trace::setExcludeFilter(QStringLiteral("^state$"), Trace::FilterOn::Name);
    QVERIFY(!Trace::enabled("state"));
    QVERIFY(Trace::enabled("fsm"));
    // A store-style filter on the same pattern sees the padding and matches nothing.
    Trace::setIncludeFilter(QStringLiteral("^fsm$"));
    QVERIFY(!Trace::enabled("fsm"));
}

void tst_Trace::filteredCategoryComposesNothing()
{
    Trace::setIncludeFilter(QStringLiteral("^state"));
    g_composed = 0;
    for (int i = 0; i < 2; ++i) {
        SFSM_TRACE("fsm", composed(QStringLiteral("dropped")));
        SFSM_TRACE("state", composed(QStringLiteral("kept")));
    }
    QCOMPARE(g_composed, 2);
    QCOMPARE(m_out.size(), 2);
    // A per-call-site decision follows a later filter change.
    Trace::setIncludeFilter(QStringLiteral(".*"));
    SFSM_TRACE("fsm", composed(QStringLiteral("now")));
    QCOMPARE(g_composed, 3);
}

void tst_Trace::timestampFormat_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("blank padded, no zeros") << QTime(9, 5, 7, 12) << QStringLiteral(" 9: 5: 7. 12 ");
    QTest::newRow("two digits") << QTime(23, 59, 58, 999) << QStringLiteral("23:59:58.999 ");
    QTest::newRow("midnight") << QTime(0, 0, 0, 0) << QStringLiteral(" 0: 0: 0.  0 ");
}

void tst_Trace::timestampFormat()
{
    QFETCH(QTime, time);
    QFETCH(QString, prefix);

    g_clock = time;
    Trace::setClockForTesting(&fixedClock);
    Trace::setTimestamps(true);
    Trace::line("fsm", QStringLiteral("m"));
    QCOMPARE(m_out, QStringList {prefix + QStringLiteral("[fsm                 ]m\n")});
}

void tst_Trace::timestampPrecedesEachLine()
{
    g_clock = QTime(10, 1, 2, 3);
    Trace::setClockForTesting(&fixedClock);
    Trace::setTimestamps(true);
    Trace::line("fsm", QStringLiteral("a\nb"));
    const QString stamp = QStringLiteral("10: 1: 2.  3 ");
    const QString indent(23, QLatin1Char(' '));
    QCOMPARE(m_out, QStringList {stamp + QStringLiteral("[fsm                 ]") + indent + QStringLiteral("a\n") + stamp
                                 + indent + QStringLiteral("b\n")});
}

void tst_Trace::lockedMessageParts()
{
    Trace::lock();
    const bool tagged = Trace::header("xpath");
    Trace::write("first part, ");
    Trace::write("second part\n");
    Trace::unlock();
    QVERIFY(tagged);
    QCOMPARE(m_out, QStringList {QStringLiteral("[xpath               ]first part, second part\n")});

    m_out.clear();
    Trace::setExcludeFilter(QStringLiteral("xpath"));
    Trace::lock();
    QVERIFY(!Trace::header("xpath"));
    Trace::unlock();
    QVERIFY(m_out.isEmpty());
}

void tst_Trace::messagesFromThreadsStayWhole()
{
    constexpr int kThreads = 4;
    constexpr int kMessages = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const QByteArray me = QByteArray::number(t);
            for (int i = 0; i < kMessages; ++i) {
                if (i % 2) {
                    Trace::line("action", QStringLiteral("thread %1 line %2").arg(t).arg(i));
                    continue;
                }
                // A message composed in parts under the lock must not be split by others.
                Trace::lock();
                Trace::header("action");
                Trace::write("thread " + me + " part one, ");
                Trace::write("part two " + QByteArray::number(i) + '\n');
                Trace::unlock();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    QCOMPARE(m_out.size(), kThreads * kMessages);
    const QRegularExpression whole(QStringLiteral("^\\[action {14}\\]thread \\d (line \\d+|part one, part two \\d+)\n$"));
    for (const QString& m : std::as_const(m_out))
        QVERIFY2(whole.match(m).hasMatch(), qPrintable(m));
}

QTEST_GUILESS_MAIN(tst_Trace)
#include "tst_trace.moc"
