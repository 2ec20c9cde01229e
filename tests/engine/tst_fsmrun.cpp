// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "engine/transition.h"
#include "teststates.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

QString prop(const QString& key, const QString& value)
{
    return QStringLiteral("<property key='%1' value='%2'/>").arg(key, value);
}

// A test state; extra is its property elements.
QString st(const QString& name, const QString& extra = QString())
{
    return QStringLiteral("<state name='%1' type='test'>%2</state>").arg(name, extra);
}

// An inline nested FSM: a state of type "fsm" whose element holds the definition.
QString sub(const QString& name, const QString& body, const QString& extra = QString())
{
    return QStringLiteral("<state name='%1' type='fsm'>%2%3</state>").arg(name, extra, body);
}

QString start(const QString& path)
{
    return QStringLiteral("<transition startstate='%1'/>").arg(path);
}

QString go(const QString& from, const QString& event, const QString& to)
{
    return QStringLiteral("<transition fromstate='%1' event='%2' tostate='%3'/>").arg(from, event, to);
}

QString out(const QString& from, const QString& event, const QString& exit)
{
    return QStringLiteral("<transition fromstate='%1' event='%2' toexit='%3'/>").arg(from, event, exit);
}

QString body(const QString& states, const QString& exits, const QString& transitions)
{
    QString events;
    for (const QString& e : exits.split(QLatin1Char(','), Qt::SkipEmptyParts))
        events += QStringLiteral("<event name='%1'/>").arg(e);
    return QStringLiteral("<states>%1</states><events>%2</events><transitions>%3</transitions>")
        .arg(states, events, transitions);
}

QString fsm(const QString& states, const QString& exits, const QString& transitions)
{
    return QStringLiteral("<fsm>") + body(states, exits, transitions) + QStringLiteral("</fsm>");
}

QString fatal(const char* text)
{
    return QStringLiteral("[fsm                 ]  ! Fatal Error ! ") + QLatin1String(text) + QLatin1Char('\n');
}

// Records what the root FSM tells its host.
struct Recorder {
    explicit Recorder(CFsm* root)
    {
        QObject::connect(root, &CFsm::started, root, [this](CFsm* f, CState* s) {
            signalLog.append(QStringLiteral("started ") + f->objectName() + QLatin1Char(' ') + s->objectName());
        });
        QObject::connect(root, &CFsm::stateChanged, root, [this](CFsm* f, CState* from, CState* to) {
            signalLog.append(QStringLiteral("changed ") + f->objectName() + QLatin1Char(' ') + from->objectName()
                             + QLatin1Char(' ') + to->objectName());
        });
        QObject::connect(root, &CState::finished, root, [this, root](CState* s, CTransition* t) {
            if (s == root) {
                ++rootFinished;
                exit = root->leaveEvent();
                // A back transition without owner lives only until the event loop runs again.
                exitTransition = t ? QString::fromLatin1(t->metaObject()->className()) : QStringLiteral("null");
            } else {
                signalLog.append(QStringLiteral("finished ") + s->fullName() + QLatin1Char(' ') + s->leaveEvent());
            }
        });
        QObject::connect(root, &CState::progress, root, [this](int p) { progress.append(p); });
    }

    QStringList signalLog;
    QList<int> progress;
    int rootFinished = 0;
    QString exit;
    QString exitTransition;
};

} // namespace

class tst_FsmRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void runs_data();
    void runs();
    void signalsOfNestedFsms();
    void weightedProgress();
    void zeroWeightsReachHundredOnLeaving();
    void secondFinishOfAStateIsIgnored();
    void foreignFinishIsPassedUp();
    void backFromFirstPageLeavesRoot();
    void fatalLines_data();
    void fatalLines();
    void pageStack();
    void transitionCodes_data();
    void transitionCodes();
    void resetDeletesWhatItOwns();
    void signalsReachReceiversConnectedLate();

private:
    std::unique_ptr<CStateFactory> m_factory;
};

void tst_FsmRun::initTestCase()
{
    isolateUserFolders();
    Trace::setStderrEnabled(false);
    m_factory = makeTestFactory();
}

void tst_FsmRun::init()
{
    testJournal().clear();
}

void tst_FsmRun::runs_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QStringList>("entered");
    QTest::addColumn<QString>("exit");

    const QString page = prop(QStringLiteral("page"), QStringLiteral("1"));
    auto answers = [](const char* a) { return prop(QStringLiteral("answers"), QLatin1String(a)); };
    const QString chain = go("p1", "next", "p2") + go("p2", "next", "p3") + out("p3", "next", "done");

    QTest::newRow("chain to an exit")
        << fsm(st("a") + st("b"), "done", start("a") + go("a", "next", "b") + out("b", "next", "done"))
        << QStringList {QStringLiteral("root:a"), QStringLiteral("root:b")} << QStringLiteral("done");
    QTest::newRow("loop until the answers run out")
        << fsm(st("a", prop("events", "again;next") + answers("again;again;next")), "done",
               start("a") + go("a", "again", "a") + out("a", "next", "done"))
        << QStringList {QStringLiteral("root:a"), QStringLiteral("root:a"), QStringLiteral("root:a")}
        << QStringLiteral("done");
    QTest::newRow("two exits, one taken")
        << fsm(st("a", prop("events", "yes;no") + prop("leaveWith", "no")), "ok,cancel",
               start("a") + out("a", "yes", "ok") + out("a", "no", "cancel"))
        << QStringList {QStringLiteral("root:a")} << QStringLiteral("cancel");
    QTest::newRow("several events on one transition")
        << fsm(st("a", prop("events", "x;y") + prop("leaveWith", "y")) + st("b"), "done",
               start("a") + go("a", "x|y", "b") + out("b", "next", "done"))
        << QStringList {QStringLiteral("root:a"), QStringLiteral("root:b")} << QStringLiteral("done");
    const QString inner = body(st("x") + st("y"), "out", start("x") + go("x", "next", "y") + out("y", "next", "out"));
    QTest::newRow("nested fsm")
        << fsm(st("a") + sub("s", inner) + st("b"), "done",
               start("a") + go("a", "next", "s") + go("s", "out", "b") + out("b", "next", "done"))
        << QStringList {QStringLiteral("root:a"), QStringLiteral("root:s:x"), QStringLiteral("root:s:y"),
                        QStringLiteral("root:b")}
        << QStringLiteral("done");
    QTest::newRow("start path into nested fsm")
        << fsm(sub("s", inner) + st("b"), "done", start("s:y") + go("s", "out", "b") + out("b", "next", "done"))
        << QStringList {QStringLiteral("root:s:y"), QStringLiteral("root:b")} << QStringLiteral("done");
    QTest::newRow("transition into nested fsm")
        << fsm(st("a") + sub("s", inner), "done", start("a") + go("a", "next", "s:y") + out("s", "out", "done"))
        << QStringList {QStringLiteral("root:a"), QStringLiteral("root:s:y")} << QStringLiteral("done");
    QTest::newRow("nested fsm leaves from its start path")
        << fsm(sub("s", body(sub("t", inner), "out", start("t") + out("t", "out", "out"))), "done",
               start("s:t:y") + out("s", "out", "done"))
        << QStringList {QStringLiteral("root:s:t:y")} << QStringLiteral("done");

    QTest::newRow("back one page")
        << fsm(st("p1", page) + st("p2", page) + st("p3", page + answers("pageBack;next")), "done", start("p1") + chain)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:p2"), QStringLiteral("root:p3"),
                        QStringLiteral("root:p2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");
    QTest::newRow("back twice")
        << fsm(st("p1", page) + st("p2", page + answers("next;pageBack;next")) + st("p3", page + answers("pageBack;next")),
               "done", start("p1") + chain)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:p2"), QStringLiteral("root:p3"),
                        QStringLiteral("root:p2"), QStringLiteral("root:p1"), QStringLiteral("root:p2"),
                        QStringLiteral("root:p3")}
        << QStringLiteral("done");
    QTest::newRow("states that are no pages are skipped")
        << fsm(st("p1", page) + st("p2") + st("p3", page + answers("pageBack;next")), "done", start("p1") + chain)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:p2"), QStringLiteral("root:p3"),
                        QStringLiteral("root:p1"), QStringLiteral("root:p2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");

    const QString pagesInside = body(st("q1", page) + st("q2", page), "out", start("q1") + go("q1", "next", "q2") + out("q2", "next", "out"));
    const QString outer = go("p1", "next", "s") + go("s", "out", "p3") + out("p3", "next", "done");
    QTest::newRow("back from the first page of a nested fsm")
        << fsm(st("p1", page) + sub("s", body(st("q1", page + answers("pageBack;next")) + st("q2", page), "out",
                                             start("q1") + go("q1", "next", "q2") + out("q2", "next", "out")))
                   + st("p3", page),
               "done", start("p1") + outer)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:s:q1"), QStringLiteral("root:p1"),
                        QStringLiteral("root:s:q1"), QStringLiteral("root:s:q2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");
    QTest::newRow("back into a nested fsm")
        << fsm(st("p1", page) + sub("s", pagesInside) + st("p3", page + answers("pageBack;next")), "done",
               start("p1") + outer)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:s:q1"), QStringLiteral("root:s:q2"),
                        QStringLiteral("root:p3"), QStringLiteral("root:s:q2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");
    QTest::newRow("cleanStack drops the nested pages")
        << fsm(st("p1", page) + sub("s", pagesInside, prop("cleanStack", "true"))
                   + st("p3", page + answers("pageBack;next")),
               "done", start("p1") + outer)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:s:q1"), QStringLiteral("root:s:q2"),
                        QStringLiteral("root:p3"), QStringLiteral("root:p1"), QStringLiteral("root:s:q1"),
                        QStringLiteral("root:s:q2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");
    QTest::newRow("cleanStack false keeps them")
        << fsm(st("p1", page) + sub("s", pagesInside, prop("cleanStack", "FALSE"))
                   + st("p3", page + answers("pageBack;next")),
               "done", start("p1") + outer)
        << QStringList {QStringLiteral("root:p1"), QStringLiteral("root:s:q1"), QStringLiteral("root:s:q2"),
                        QStringLiteral("root:p3"), QStringLiteral("root:s:q2"), QStringLiteral("root:p3")}
        << QStringLiteral("done");
}

void tst_FsmRun::runs()
{
    QFETCH(QString, xml);
    QFETCH(QStringList, entered);
    QFETCH(QString, exit);

    std::unique_ptr<CFsm> root(buildFsm(xml, m_factory.get()));
    QVERIFY(root);
    QCOMPARE(root->errors(), QString());
    Recorder rec(root.get());
    root->enter();
    QTRY_COMPARE(rec.rootFinished, 1);
    QCOMPARE(testJournal(), entered);
    QCOMPARE(rec.exit, exit);
    QVERIFY(root->currentState() == nullptr);
    QCOMPARE(root->progressValue(), 100.0);
    // Nothing is left running.
    QCoreApplication::processEvents();
    QCOMPARE(testJournal(), entered);
    QCOMPARE(rec.rootFinished, 1);
}

void tst_FsmRun::signalsOfNestedFsms()
{
    const QString inner = body(st("x") + st("y"), "out", start("x") + go("x", "next", "y") + out("y", "next", "out"));
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a") + sub("s", inner), "done",
                                            start("a") + go("a", "next", "s") + out("s", "out", "done")),
                                        m_factory.get()));
    Recorder rec(root.get());
    root->enter();
    QTRY_COMPARE(rec.rootFinished, 1);
    QCOMPARE(rec.signalLog, QStringList({
                                QStringLiteral("started root a"),
                                QStringLiteral("finished root:a next"),
                                QStringLiteral("changed root a s"),
                                QStringLiteral("started s x"),
                                QStringLiteral("finished root:s:x next"),
                                QStringLiteral("changed s x y"),
                                QStringLiteral("finished root:s:y next"),
                                QStringLiteral("finished root:s out"),
                            }));
    QCOMPARE(rec.exitTransition, QStringLiteral("null"));

    // Entered again, the FSM runs the same course from its current properties.
    rec.signalLog.clear();
    root->enter();
    QTRY_COMPARE(rec.rootFinished, 2);
    QCOMPARE(rec.signalLog.size(), 8);
}

void tst_FsmRun::weightedProgress()
{
    std::unique_ptr<CFsm> root(buildFsm(
        fsm(QStringLiteral("<state name='a' type='test' weight='1'/><state name='b' type='test' weight='3'>")
                + prop("hold", "1") + QStringLiteral("</state>"),
            "done", start("a") + go("a", "next", "b") + out("b", "next", "done")),
        m_factory.get()));
    Recorder rec(root.get());
    auto* b = qobject_cast<CTestState*>(root->state(QStringLiteral("b")));
    root->enter();
    QTRY_COMPARE(b->enterCount, 1);
    QCOMPARE(root->totalWeight(), 4);
    QCOMPARE(rec.progress, QList<int>({25, 25}));
    b->emitProgress(50);
    QCOMPARE(rec.progress.last(), 62);
    QCOMPARE(root->progressValue(), 25.0); // reports do not move the stored progress
    b->finish(QStringLiteral("next"));
    QTRY_COMPARE(rec.rootFinished, 1);
    QCOMPARE(rec.progress, QList<int>({25, 25, 62, 100, 100, 100}));
}

void tst_FsmRun::zeroWeightsReachHundredOnLeaving()
{
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a") + st("b"), "done", start("a") + go("a", "next", "b") + out("b", "next", "done")),
                                        m_factory.get()));
    Recorder rec(root.get());
    root->enter();
    QTRY_COMPARE(rec.rootFinished, 1);
    QCOMPARE(root->totalWeight(), 1);
    QCOMPARE(rec.progress, QList<int>({0, 0, 0, 0, 100}));
}

void tst_FsmRun::secondFinishOfAStateIsIgnored()
{
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a", prop("hold", "1")) + st("b"), "done",
                                            start("a") + go("a", "next", "b") + out("b", "next", "done")),
                                        m_factory.get()));
    Recorder rec(root.get());
    auto* a = qobject_cast<CTestState*>(root->state(QStringLiteral("a")));
    QSignalSpy aFinished(a, &CState::finished);
    root->enter();
    a->finish(QStringLiteral("next"));
    a->finish(QStringLiteral("next"));
    QTRY_COMPARE(rec.rootFinished, 1);
    QTRY_COMPARE(aFinished.size(), 2);
    QCOMPARE(testJournal(), QStringList({QStringLiteral("root:a"), QStringLiteral("root:b")}));
}

void tst_FsmRun::foreignFinishIsPassedUp()
{
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a", prop("hold", "1")) + st("b"), "done",
                                            start("a") + go("a", "next", "b") + out("b", "next", "done")),
                                        m_factory.get()));
    root->enter();
    CState* b = root->state(QStringLiteral("b"));
    CTransition* t = b->transition(QStringLiteral("next"));
    QSignalSpy spy(root.get(), &CState::finished);
    root->slot_stateFinished(b, t);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<CState*>(), b);
    QCOMPARE(spy.at(0).at(1).value<CTransition*>(), t);
    // Nothing was fired: the current state is still the first one.
    QCOMPARE(root->currentState(), root->state(QStringLiteral("a")));
    QCOMPARE(testJournal(), QStringList {QStringLiteral("root:a")});
}

void tst_FsmRun::backFromFirstPageLeavesRoot()
{
    std::unique_ptr<CFsm> root(buildFsm(
        fsm(st("p1", prop("page", "1") + prop("answers", "pageBack")), "done", start("p1") + out("p1", "next", "done")),
        m_factory.get()));
    Recorder rec(root.get());
    root->enter();
    QTRY_COMPARE(rec.rootFinished, 1);
    QCOMPARE(rec.exit, QStringLiteral("pageBack"));
    // The host is handed a back transition without an FSM to go back in.
    QCOMPARE(rec.exitTransition, QStringLiteral("CBackTransition"));
    QVERIFY(root->pageStack().isEmpty());
}

void tst_FsmRun::fatalLines_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("entered");
    QTest::addColumn<bool>("leaves");

    const QString ab = st("a") + st("b");
    QTest::newRow("no start transition") << fsm(ab, "done", QString()) << QString()
                                         << fatal("Start transition doesn't exist.") << QStringList() << false;
    QTest::newRow("start state missing") << fsm(ab, "done", QString()) << QStringLiteral("start nowhere")
                                         << fatal("Start state doesn't exist.") << QStringList() << false;
    QTest::newRow("to-state missing") << fsm(ab, "done", start("a")) << QStringLiteral("a to nowhere")
                                      << fatal("to-state doesn't exist.") << QStringList {QStringLiteral("root:a")}
                                      << false;
    QTest::newRow("leave event without transition")
        << fsm(st("a", prop("events", "next;other") + prop("leaveWith", "other")), "done", start("a") + out("a", "next", "done"))
        << QString() << fatal("Transition is not effective.") << QStringList {QStringLiteral("root:a")} << false;
    QTest::newRow("path through a plain state") << fsm(ab, "done", start("a:b")) << QString()
                                                << fatal("State must be an FSM but isn't one.") << QStringList() << false;
    QTest::newRow("undeclared exit still leaves") << fsm(ab, "done", start("a")) << QStringLiteral("a exits nowhere")
                                                  << fatal("Exit event does not exist.")
                                                  << QStringList {QStringLiteral("root:a")} << true;
    QTest::newRow("progress without current state") << fsm(ab, "done", start("a")) << QStringLiteral("progress only")
                                                    << fatal("Current state not set.") << QStringList() << false;
}

void tst_FsmRun::fatalLines()
{
    QFETCH(QString, xml);
    QFETCH(QString, setup);
    QFETCH(QString, line);
    QFETCH(QStringList, entered);
    QFETCH(bool, leaves);

    TraceCapture trace;
    std::unique_ptr<CFsm> root(buildFsm(xml, m_factory.get()));
    QVERIFY(root);
    CState* a = root->state(QStringLiteral("a"));
    if (setup == QLatin1String("start nowhere"))
        QCOMPARE(root->attachStartTransition(new CEntryTransition(root.get(), "", QStringLiteral("nowhere"), QDomNode())), 0);
    if (setup == QLatin1String("a to nowhere"))
        a->attachTransition(new CTransition(root.get(), "", QStringLiteral("a"), QStringLiteral("nowhere"), QDomNode()),
                            QStringLiteral("next"));
    if (setup == QLatin1String("a exits nowhere"))
        a->attachTransition(new CExitTransition(root.get(), "", QStringLiteral("a"), QStringLiteral("nowhere"), QDomNode()),
                            QStringLiteral("next"));
    Recorder rec(root.get());
    if (setup == QLatin1String("progress only"))
        root->slot_stateProgress(10);
    else
        root->enter();
    QTRY_VERIFY(trace.lines.contains(line));
    QCoreApplication::processEvents();
    QCOMPARE(testJournal(), entered);
    QCOMPARE(rec.rootFinished, leaves ? 1 : 0);
    if (leaves)
        QCOMPARE(rec.exit, QStringLiteral("nowhere"));
}

void tst_FsmRun::pageStack()
{
    CFsm root(nullptr, "root", nullptr, QDomNode());
    auto* sub = new CFsm(&root, "sub", nullptr, QDomNode());
    root.registerPage(QStringLiteral("root:a"), 10);
    root.registerPage(QStringLiteral("root:a"), 11); // same top: stored once
    sub->registerPage(QStringLiteral("root:sub:b"), 20);
    root.registerPage(QStringLiteral("root:a"), 30);
    QVERIFY(sub->pageStack().isEmpty()); // kept by the root only
    QCOMPARE(root.pageStack(), QStringList({QStringLiteral("root:a"), QStringLiteral("root:sub:b"), QStringLiteral("root:a")}));
    QCOMPARE(sub->topPage(false), QStringLiteral("root:a"));

    sub->unRegisterPage(QStringLiteral("root:a"));
    QCOMPARE(root.pageStack(), QStringList {QStringLiteral("root:sub:b")});
    QCOMPARE(root.popPageProgress(), 20);
    QCOMPARE(root.popPageProgress(), 0);
    QCOMPARE(root.topPage(true), QStringLiteral("root:sub:b"));
    QVERIFY(root.topPage(true).isNull());
}

void tst_FsmRun::transitionCodes_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("code");

    QTest::newRow("ordinary") << QStringLiteral("a x b") << 0;
    QTest::newRow("into a nested path") << QStringLiteral("a x s:y") << 0;
    QTest::newRow("to-state missing") << QStringLiteral("a x nowhere") << 3;
    QTest::newRow("from-state missing") << QStringLiteral("nowhere x b") << 2;
    QTest::newRow("event missing") << QStringLiteral("a z b") << 7;
    QTest::newRow("one of two events missing") << QStringLiteral("a x|z b") << 7;
    QTest::newRow("event taken") << QStringLiteral("a next b") << 6;
    QTest::newRow("one of two events taken") << QStringLiteral("a x|next b") << 6;
    QTest::newRow("exit") << QStringLiteral("a x >done") << 0;
    QTest::newRow("exit event missing") << QStringLiteral("a x >nowhere") << 5;
    QTest::newRow("exit, event taken before exit checked") << QStringLiteral("a next >nowhere") << 6;
    QTest::newRow("exit, from-state missing") << QStringLiteral("nowhere x >done") << 2;
    QTest::newRow("entry") << QStringLiteral("* b") << 0;
    QTest::newRow("entry into a nested path") << QStringLiteral("* s:y") << 0;
    QTest::newRow("entry state missing") << QStringLiteral("* nowhere") << 4;
}

void tst_FsmRun::transitionCodes()
{
    QFETCH(QString, operation);
    QFETCH(int, code);

    const QString inner = body(st("y"), "out", start("y") + out("y", "next", "out"));
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a", prop("events", "next;x")) + st("b") + sub("s", inner), "done",
                                            start("a") + go("a", "next", "b")),
                                        m_factory.get()));
    const QStringList parts = operation.split(QLatin1Char(' '));
    const int transitionsBefore = root->transitionTable().size();
    int got = -1;
    if (parts.at(0) == QLatin1String("*"))
        got = root->addEntryTransition(parts.at(1), QString(), QDomNode());
    else if (parts.at(2).startsWith(QLatin1Char('>')))
        got = root->addExitTransition(parts.at(0), parts.at(1), parts.at(2).mid(1), QString(), QDomNode());
    else
        got = root->addTransition(parts.at(0), parts.at(1), parts.at(2), QString(), QDomNode());
    QCOMPARE(got, code);
    QCOMPARE(root->transitionErrorText(got).isEmpty(), code == 0);
    // A refused transition is attached nowhere; an entry transition replaces the previous one.
    const int added = parts.at(0) == QLatin1String("*") ? 0 : parts.at(1).split(QLatin1Char('|')).size();
    QCOMPARE(root->transitionTable().size(), transitionsBefore + (code == 0 ? added : 0));
}

void tst_FsmRun::resetDeletesWhatItOwns()
{
    const QString inner = body(st("y"), "out", start("y") + out("y", "next", "out"));
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a") + sub("s", inner), "done",
                                            start("a") + go("a", "next", "s") + out("s", "out", "done")
                                                + go("a", "next", "nowhere")),
                                        m_factory.get()));
    QPointer<CState> a = root->state(QStringLiteral("a"));
    QPointer<CState> s = root->state(QStringLiteral("s"));
    QPointer<CTransition> toS = a->transition(QStringLiteral("next"));
    QPointer<CTransition> exitOfS = s->transition(QStringLiteral("out")); // ours, held by the nested FSM
    QPointer<CTransition> start = root->transition(QStringLiteral("__start"));
    QPointer<QObject> hostObject = new QObject(root.get());
    root->reset();
    QVERIFY(a.isNull() && s.isNull() && toS.isNull() && exitOfS.isNull() && start.isNull());
    QVERIFY(root->stateNames().isEmpty());
    QVERIFY(!hostObject.isNull()); // not the engine's to delete
}

void tst_FsmRun::signalsReachReceiversConnectedLate()
{
    std::unique_ptr<CFsm> root(buildFsm(fsm(st("a", prop("hold", "1")) + st("b"), "done",
                                            start("a") + go("a", "next", "b") + out("b", "next", "done")),
                                        m_factory.get()));
    auto* a = qobject_cast<CTestState*>(root->state(QStringLiteral("a")));
    root->enter();
    // Nobody listened so far; receivers that come now, by any means of connecting, are served.
    QSignalSpy stateProgress(a, SIGNAL(progress(int)));
    QSignalSpy stateFinished(a, &CState::finished);
    QSignalSpy changed(root.get(), &CFsm::stateChanged);
    int fsmProgress = 0;
    QMetaObject::Connection c = connect(root.get(), &CState::progress, this, [&fsmProgress] { ++fsmProgress; });
    disconnect(c);
    connect(root.get(), &CState::progress, this, [&fsmProgress] { ++fsmProgress; });
    a->finish(QStringLiteral("next"));
    QTRY_COMPARE(root->leaveEvent(), QStringLiteral("done"));
    QCOMPARE(stateProgress.size(), 1);
    QCOMPARE(stateFinished.size(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(fsmProgress, 5);
}

QTEST_GUILESS_MAIN(tst_FsmRun)
#include "tst_fsmrun.moc"
