// SPDX-License-Identifier: MIT
#include "engine/definitionreader.h"
#include "engine/simplecodec.h"
#include "engine/trace.h"
#include "teststates.h"
#include "engine/xmldepth.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using Files = QMap<QString, QByteArray>;

namespace {

const char* const kFlow = "<fsm><states><state name='a' type='test'/></states><events><event name='done'/></events>"
                          "<transitions><transition startstate='a'/>"
                          "<transition fromstate='a' event='next' toexit='done'/></transitions></fsm>";

QString states(const QString& s)
{
    return QStringLiteral("<fsm><states>") + s + QStringLiteral("</states><events><event name='done'/></events>");
}

QString transitions(const QString& t)
{
    return QStringLiteral("<transitions>") + t + QStringLiteral("</transitions></fsm>");
}

QByteArray scrambled(const QByteArray& text)
{
    return CSimpleCodec().encode(QString::fromLatin1(text));
}

QByteArray withLengthHeader(QByteArray data, quint32 length)
{
    qToBigEndian(length, data.data());
    return data;
}

} // namespace

class tst_FsmLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void buildMessages_data();
    void buildMessages();
    void fileMessages_data();
    void fileMessages();
    void findingsNameFileAndLine();
    void nestedFileTakesStateElementOnTop();
    void loadFileForHosts();
    void noApplicationPropertiesMeansWorkingDirectory();
    void requiredProperties();
    void codecFormat();
    void codecRoundTrip_data();
    void codecRoundTrip();

private:
    std::unique_ptr<CStateFactory> m_factory;
};

void tst_FsmLoader::initTestCase()
{
    isolateUserFolders();
    Trace::setStderrEnabled(false);
    m_factory = makeTestFactory();
}

void tst_FsmLoader::init()
{
    testJournal().clear();
}

void tst_FsmLoader::buildMessages_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QStringList>("entered"); // empty: not run

    const QString start = QStringLiteral("<transition startstate='a'/>");
    const QString aDone = QStringLiteral("<transition fromstate='a' event='next' toexit='done'/>");
    QTest::newRow("clean") << QString::fromLatin1(kFlow) << QString() << QStringList {QStringLiteral("root:a")};
    QTest::newRow("undefined state")
        << states(QStringLiteral("<state name='a' type='test'/><state name='x'/>")) + transitions(start + aDone)
        << QStringLiteral("FSM root: Undefined state; No type or filename specified.\n") << QStringList();
    QTest::newRow("unknown type")
        << states(QStringLiteral("<state name='a' type='test'/><state name='x' type='nope'/>")) + transitions(start + aDone)
        << QStringLiteral("FSM root: State x could not be created. No factory knows the type 'nope'.\n") << QStringList();
    QTest::newRow("duplicate state")
        << states(QStringLiteral("<state name='a' type='test'/><state name='a' type='test'/>")) + transitions(start + aDone)
        << QStringLiteral("FSM root: A state with name a already exists.\n") << QStringList {QStringLiteral("root:a")};
    QTest::newRow("unnamed state")
        << states(QStringLiteral("<state name='a' type='test'/><state type='test'/>")) + transitions(start + aDone)
        << QStringLiteral("Unnamed state.\nState  has no transition attached to event next.\n") << QStringList();
    QTest::newRow("no start transition") << states(QStringLiteral("<state name='a' type='test'/>")) + transitions(aDone)
                                         << QStringLiteral("FSM root: No start transition set.\n") << QStringList();
    QTest::newRow("to missing state")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + QStringLiteral("<transition fromstate='a' event='next' tostate='zz'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state a to state zz on event next: "
                          "To-state doesn't exist.\n")
        << QStringList();
    QTest::newRow("from missing state")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + aDone + QStringLiteral("<transition fromstate='q' event='next' tostate='a'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state q to state a on event next: "
                          "From-state doesn't exist.\n")
        << QStringList();
    QTest::newRow("event missing in from-state")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + aDone + QStringLiteral("<transition fromstate='a' event='other' tostate='a'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state a to state a on event other: "
                          "Event doesn't exist in from-state.\n")
        << QStringList();
    QTest::newRow("event taken")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + aDone + QStringLiteral("<transition fromstate='a' event='next' tostate='a'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state a to state a on event next: "
                          "A transition is already connected to the event.\n")
        << QStringList();
    QTest::newRow("exit missing")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + QStringLiteral("<transition fromstate='a' event='next' toexit='gone'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state a to exit gone on event next: "
                          "Exit event doesn't exist.\n")
        << QStringList();
    QTest::newRow("entry state missing")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(QStringLiteral("<transition startstate='zz'/>") + aDone)
        << QStringLiteral("Failed adding entry transition for FSM root to start in state zz: Entry state doesn't exist.\n")
        << QStringList();
    QTest::newRow("invalid attributes")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + aDone + QStringLiteral("<transition fromstate='a' event='next'/>"))
        << QStringLiteral("Invalid transition attributes in FSM root\n") << QStringList();
    QTest::newRow("tostate wins over toexit")
        << states(QStringLiteral("<state name='a' type='test'/><state name='b' type='test'/>"))
               + transitions(start + QStringLiteral("<transition fromstate='a' event='next' tostate='b' toexit='done'/>"
                                                    "<transition fromstate='b' event='next' toexit='done'/>"))
        << QString() << QStringList {QStringLiteral("root:a"), QStringLiteral("root:b")};
    QTest::newRow("second start replaces the first")
        << states(QStringLiteral("<state name='a' type='test'/><state name='b' type='test'/>"))
               + transitions(start + QStringLiteral("<transition startstate='b'/>") + aDone
                             + QStringLiteral("<transition fromstate='b' event='next' toexit='done'/>"))
        << QString() << QStringList {QStringLiteral("root:b")};
    QTest::newRow("only direct section children count")
        << QStringLiteral("<fsm><states><state name='a' type='test'/><group><state name='deep' type='nope'/></group></states>"
                          "<states><state name='second' type='nope'/></states><events><event name='done'/></events>")
               + transitions(start + aDone)
        << QString() << QStringList {QStringLiteral("root:a")};
    QTest::newRow("pageBack needs no declaration")
        << states(QStringLiteral("<state name='a' type='test'/>"))
               + transitions(start + QStringLiteral("<transition fromstate='a' event='next|pageBack' toexit='done'/>"))
        << QStringLiteral("Failed adding transition for FSM root: from state a to exit done on event next|pageBack: "
                          "A transition is already connected to the event.\n")
        << QStringList();
}

void tst_FsmLoader::buildMessages()
{
    QFETCH(QString, xml);
    QFETCH(QString, errors);
    QFETCH(QStringList, entered);

    std::unique_ptr<CFsm> root(buildFsm(xml, m_factory.get()));
    QVERIFY(root);
    QCOMPARE(root->errors(), errors);
    if (entered.isEmpty())
        return;
    QSignalSpy finished(root.get(), &CState::finished);
    root->enter();
    QTRY_VERIFY(!finished.isEmpty() && finished.last().at(0).value<CState*>() == root.get());
    QCOMPARE(testJournal(), entered);
}

void tst_FsmLoader::fileMessages_data()
{
    QTest::addColumn<QString>("file");                 // what the host asks for
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("errors");               // DIR stands for the definition directory
    QTest::addColumn<QStringList>("entered");

    const QStringList ran {QStringLiteral("root:flow:a")};
    const QByteArray flow(kFlow);
    const QByteArray enc = scrambled(flow);

    QTest::newRow("plain") << QStringLiteral("f.xml") << Files {{QStringLiteral("f.xml"), flow}} << QString() << ran;
    QTest::newRow("scrambled") << QStringLiteral("f.dat") << Files {{QStringLiteral("f.dat"), enc}} << QString() << ran;
    QTest::newRow("scrambled without extension") << QStringLiteral("f") << Files {{QStringLiteral("f"), enc}} << QString() << ran;
    QTest::newRow("missing .xml falls back to scrambled") << QStringLiteral("f.xml")
                                                          << Files {{QStringLiteral("f"), enc}} << QString() << ran;
    QTest::newRow("present .xml is read plain") << QStringLiteral("f.xml")
                                                << Files {{QStringLiteral("f.xml"), flow}, {QStringLiteral("f"), "junk"}}
                                                << QString() << ran;
    QTest::newRow(".XML is not plain") << QStringLiteral("f.XML") << Files {{QStringLiteral("f.XML"), flow}}
                                       << QStringLiteral("Error parsing DIR/f.XML on line 0, column 0: "
                                                         "the length header of the scrambled data is corrupt\n")
                                       << QStringList();
    QTest::newRow("missing") << QStringLiteral("none.xml") << Files()
                             << QStringLiteral("File none.xml could not be opened: neither DIR/none.xml nor DIR/none exists\n") << QStringList();
    QTest::newRow("directory") << QStringLiteral("sub") << Files {{QStringLiteral("sub/x"), "x"}}
                               << QStringLiteral("File sub could not be opened: DIR/sub is a directory\n") << QStringList();
    QTest::newRow("not xml") << QStringLiteral("bad.xml") << Files {{QStringLiteral("bad.xml"), "<fsm><states>"}}
                             << QStringLiteral("Error parsing DIR/bad.xml on line 1, column 13: Premature end of document.\n")
                             << QStringList();
    QTest::newRow("other root") << QStringLiteral("r.xml") << Files {{QStringLiteral("r.xml"), "<flow/>"}}
                                << QStringLiteral("XML root node is non existent.\n") << QStringList();
    QTest::newRow("truncated scrambled") << QStringLiteral("t") << Files {{QStringLiteral("t"), enc.left(enc.size() / 2)}}
                                         << QStringLiteral("Error parsing DIR/t on line 0, column 0: the scrambled data is corrupt\n")
                                         << QStringList();
    QTest::newRow("header claims gigabytes") << QStringLiteral("g") << Files {{QStringLiteral("g"), withLengthHeader(enc, 0xFFFFFFF0u)}}
                                             << QStringLiteral("Error parsing DIR/g on line 0, column 0: "
                                                               "the length header of the scrambled data is corrupt\n")
                                             << QStringList();
    QTest::newRow("header claims too little") << QStringLiteral("s") << Files {{QStringLiteral("s"), withLengthHeader(enc, 3)}}
                                              << QStringLiteral("Error parsing DIR/s on line 0, column 0: the scrambled data is corrupt\n")
                                              << QStringList();
    // 8 MiB of zeros squeezed into a few kilobytes behind a header that claims 100 bytes.
    QTest::newRow("stream larger than its header")
        << QStringLiteral("b") << Files {{QStringLiteral("b"), withLengthHeader(qCompress(QByteArray(8 << 20, 0), 9), 100)}}
        << QStringLiteral("Error parsing DIR/b on line 0, column 0: the scrambled data is corrupt\n") << QStringList();
    QTest::newRow("too short") << QStringLiteral("z") << Files {{QStringLiteral("z"), "ab"}}
                               << QStringLiteral("Error parsing DIR/z on line 0, column 0: "
                                                 "the file is too short to be a scrambled definition\n")
                               << QStringList();
    QTest::newRow("empty scrambled") << QStringLiteral("e") << Files {{QStringLiteral("e"), QByteArray()}}
                                     << QStringLiteral("Error parsing DIR/e on line 0, column 0: "
                                                       "the file is too short to be a scrambled definition\n")
                                     << QStringList();
    QTest::newRow("zlib garbage") << QStringLiteral("j") << Files {{QStringLiteral("j"), withLengthHeader(QByteArray(64, 'x'), 100)}}
                                  << QStringLiteral("Error parsing DIR/j on line 0, column 0: the scrambled data is corrupt\n")
                                  << QStringList();
    QTest::newRow("nested plain in scrambled")
        << QStringLiteral("outer")
        << Files {{QStringLiteral("outer"), scrambled("<fsm><states><state name='in' file='inner.xml'/></states>"
                                                      "<events><event name='done'/></events><transitions>"
                                                      "<transition startstate='in'/><transition fromstate='in' "
                                                      "event='done' toexit='done'/></transitions></fsm>")},
                  {QStringLiteral("inner.xml"), flow}}
        << QString() << QStringList {QStringLiteral("root:flow:in:a")};
    QTest::newRow("nested file missing")
        << QStringLiteral("outer.xml")
        << Files {{QStringLiteral("outer.xml"), "<fsm><states><state name='in' file='gone.xml'/></states></fsm>"}}
        << QStringLiteral("File gone.xml could not be opened: neither DIR/gone.xml nor DIR/gone exists\n"
                          "FSM flow: No start transition set.\n")
        << QStringList();
    QTest::newRow("nested file of a plain type")
        << QStringLiteral("outer.xml")
        << Files {{QStringLiteral("outer.xml"), "<fsm><states><state name='in' file='t.xml' type='fsm'/></states></fsm>"},
                  {QStringLiteral("t.xml"), "<fsm type='test'/>"}}
        << QStringLiteral("Couldn't create FSM 't.xml'.\nFSM flow: No start transition set.\n")
        << QStringList();
    // Without a limit these nested until the stack ran out; one line says why the build stopped.
    const QByteArray selfInclusion("<fsm><states><state name='again' file='a.xml'/></states><events><event name='done'/>"
                                   "</events><transitions><transition startstate='again'/><transition fromstate='again' "
                                   "event='done' toexit='done'/></transitions></fsm>");
    QTest::newRow("file includes itself")
        << QStringLiteral("a.xml") << Files {{QStringLiteral("a.xml"), selfInclusion}}
        << QStringLiteral("FSM again: Nested deeper than 64 levels; does a definition file include itself?\n")
        << QStringList();
    QByteArray other = selfInclusion;
    other.replace("'a.xml'", "'b.xml'");
    QTest::newRow("two files include each other")
        << QStringLiteral("a.xml") << Files {{QStringLiteral("a.xml"), other}, {QStringLiteral("b.xml"), selfInclusion}}
        << QStringLiteral("FSM again: Nested deeper than 64 levels; does a definition file include itself?\n")
        << QStringList();
    QTest::newRow("nested build errors reach the parent")
        << QStringLiteral("outer.xml")
        << Files {{QStringLiteral("outer.xml"), "<fsm><states><state name='in' file='i.xml'/></states></fsm>"},
                  {QStringLiteral("i.xml"), "<fsm><states><state name='x'/></states></fsm>"}}
        << QStringLiteral("FSM in: Undefined state; No type or filename specified.\nFSM in: No start transition set.\n"
                          "FSM flow: No start transition set.\n")
        << QStringList();
}

void tst_FsmLoader::fileMessages()
{
    QFETCH(QString, file);
    QFETCH(Files, files);
    QFETCH(QString, errors);
    QFETCH(QStringList, entered);

    QTemporaryDir dir;
    for (auto it = files.constBegin(); it != files.constEnd(); ++it)
        QVERIFY(!writeFile(dir, it.key(), it.value()).isEmpty());
    CPropertyObject app;
    app.setProperty("applicationPath", dir.path());
    app.setProperty("xmlPath", QStringLiteral("."));

    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    CFsm root(nullptr, "root", m_factory.get(), QDomNode());
    root.errors().clear();
    root.setApplicationProperties(&app);
    CFsm* flow = root.createSubFsm(QStringLiteral("flow"), m_factory.get(), file);
    QString got = root.errors();
    if (flow)
        got += flow->errors();
    got.replace(dir.path() + QStringLiteral("/./"), QStringLiteral("DIR/")).replace(dir.path() + QLatin1Char('/'), QStringLiteral("DIR/"));
    QCOMPARE(got, errors);
    // Errors of an FSM's build, its own or nested ones, come from a flow that was created.
    QCOMPARE(flow != nullptr, !entered.isEmpty() || errors.contains(QLatin1String("FSM ")));
    if (entered.isEmpty())
        return;
    QVERIFY(root.addState(flow));
    QCOMPARE(root.addEntryTransition(QStringLiteral("flow"), QString(), QDomNode()), 0);
    QSignalSpy finished(flow, &CState::finished);
    root.enter();
    QTRY_VERIFY(!finished.isEmpty() && finished.last().at(0).value<CState*>() == flow);
    QCOMPARE(testJournal(), entered);
}

// Hosts read a whole definition as DOM; a file nested deep enough to make that take minutes is
// refused like a parse error.
void tst_FsmLoader::loadFileForHosts()
{
    QTemporaryDir dir;
    const QByteArray deep = "<fsm>" + QByteArray("<a>").repeated(kMaxXmlDepth) + QByteArray("</a>").repeated(kMaxXmlDepth)
        + "</fsm>";
    writeFile(dir, QStringLiteral("deep.xml"), deep);
    writeFile(dir, QStringLiteral("flow.xml"), kFlow);
    CPropertyObject app;
    app.setProperty("applicationPath", dir.path());
    app.setProperty("xmlPath", QStringLiteral("."));
    CFsm root(nullptr, "root", m_factory.get(), QDomNode());
    root.errors().clear();
    root.setApplicationProperties(&app);

    QDomElement element;
    QVERIFY(root.loadFile(QStringLiteral("flow.xml"), element));
    QCOMPARE(element.tagName(), QStringLiteral("fsm"));
    QVERIFY(root.errors().isEmpty());
    QVERIFY(!root.loadFile(QStringLiteral("deep.xml"), element));
    QVERIFY2(root.errors().endsWith(QStringLiteral(": elements are nested deeper than 1024 levels\n")), qPrintable(root.errors()));
}

// Each finding once, where its author wrote the cause; what a state that failed to build
// drags along (transitions from and to it, its start) is not repeated.
void tst_FsmLoader::findingsNameFileAndLine()
{
    QTemporaryDir dir;
    writeFile(dir, QStringLiteral("outer.xml"),
              "<fsm>\n<states>\n  <state name='a' type='test'/>\n  <state name='bad' type='nope'/>\n"
              "  <state name='in' file='inner.xml'/>\n  <state name='gone' file='gone.xml'/>\n"
              "  <state name='br' file='broken.xml'/>\n  <state name='il' type='fsm'><states>\n"
              "    <state name='q' type='nope3'/>\n  </states></state>\n</states>\n<events><event name='done'/></events>\n<transitions>\n"
              "  <transition startstate='a'/>\n  <transition fromstate='a' event='next' tostate='bad'/>\n"
              "  <transition fromstate='bad' event='next' toexit='done'/>\n"
              "  <transition fromstate='in' event='out' tostate='zz'/>\n"
              "  <transition fromstate='gone' event='x' toexit='done'/>\n</transitions>\n</fsm>\n");
    writeFile(dir, QStringLiteral("inner.xml"),
              "<fsm>\n<states>\n  <state\n    name='p' type='nope2'/>\n</states>\n<events><event name='out'/></events>\n"
              "<transitions><transition startstate='p'/></transitions>\n</fsm>\n");
    writeFile(dir, QStringLiteral("broken.xml"), "<fsm>\n<states>");
    CPropertyObject app;
    app.setProperty("applicationPath", dir.path());
    app.setProperty("xmlPath", QStringLiteral("."));
    CFsm root(nullptr, "root", m_factory.get(), QDomNode());
    root.errors().clear();
    root.diagnostics().clear();
    root.setApplicationProperties(&app);
    std::unique_ptr<CFsm> flow(root.createSubFsm(QStringLiteral("flow"), m_factory.get(), QStringLiteral("outer.xml")));
    QVERIFY(flow);
    QStringList got;
    for (const CDiagnostic& d : root.diagnostics() + flow->diagnostics())
        got << d.toText().replace(dir.path() + QLatin1Char('/'), QStringLiteral("DIR/"));
    const QStringList expected = {
        QStringLiteral("DIR/outer.xml:4: error: FSM flow: State bad could not be created. No factory knows the type 'nope'."),
        QStringLiteral("DIR/inner.xml:3: error: FSM in: State p could not be created. No factory knows the type 'nope2'."),
        QStringLiteral("DIR/outer.xml:6: error: File gone.xml could not be opened: neither DIR/gone.xml nor DIR/gone exists"),
        QStringLiteral("DIR/broken.xml:2: error: Error parsing DIR/broken.xml on line 2, column 8: Premature end of document."),
        QStringLiteral("DIR/outer.xml:9: error: FSM il: State q could not be created. No factory knows the type 'nope3'."),
        QStringLiteral("DIR/outer.xml:8: error: FSM il: No start transition set."),
        QStringLiteral("DIR/outer.xml:17: error: Failed adding transition for FSM flow: from state in to state zz on event out: "
                       "To-state doesn't exist."),
    };
    QCOMPARE(got, expected);
    // The same problems as the error text, no more and no fewer.
    QCOMPARE(flow->errors().count(QLatin1Char('\n')) + root.errors().count(QLatin1Char('\n')), qsizetype(expected.size()));
}

void tst_FsmLoader::nestedFileTakesStateElementOnTop()
{
    QTemporaryDir dir;
    writeFile(dir, QStringLiteral("i.xml"),
              "<fsm weight='9'><property key='a' value='file'/><property key='b' value='file'/>"
              "<states><state name='x' type='test'/></states><events><event name='out'/></events>"
              "<transitions><transition startstate='x'/><transition fromstate='x' event='next' toexit='out'/>"
              "</transitions></fsm>");
    CPropertyObject app;
    app.setProperty("applicationPath", dir.path());
    app.setProperty("xmlPath", QStringLiteral("."));
    CFsmBuildScope scope(&app);
    std::unique_ptr<CFsm> root(buildFsm(
        QStringLiteral("<fsm><states><state name='in' file='i.xml' type='nope' weight='2' navigation='tr(Step)'>"
                       "<property key='b' value='state'/></state><state name='p' type='test' navigation='Plain' weight='x'/>"
                       "</states><events><event name='done'/></events><transitions><transition startstate='in'/>"
                       "<transition fromstate='in' event='out' tostate='p'/><transition fromstate='p' event='next' toexit='done'/>"
                       "</transitions></fsm>"),
        m_factory.get()));
    QCOMPARE(root->errors(), QString());
    auto* in = qobject_cast<CFsm*>(root->state(QStringLiteral("in")));
    QVERIFY(in);
    QCOMPARE(in->fileName(), QStringLiteral("i.xml"));
    QCOMPARE(in->translationContext(), QStringLiteral("i.xml"));
    QCOMPARE(in->property("a"), QVariant(QStringLiteral("file")));
    QCOMPARE(in->property("b"), QVariant(QStringLiteral("state")));
    QCOMPARE(in->weight(), 2);
    QCOMPARE(root->navigation(), QStringList({QStringLiteral("in;Step;2"), QStringLiteral("p;Plain;x")}));
    QCOMPARE(root->state(QStringLiteral("p"))->weight(), 0);
}

void tst_FsmLoader::noApplicationPropertiesMeansWorkingDirectory()
{
    QTemporaryDir dir;
    writeFile(dir, QStringLiteral("w.xml"), kFlow);
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    CFsm root(nullptr, "root", m_factory.get(), QDomNode());
    root.errors().clear();
    std::unique_ptr<CFsm> flow(root.createSubFsm(QStringLiteral("flow"), m_factory.get(), QStringLiteral("w.xml")));
    QDir::setCurrent(previous);
    QVERIFY(flow);
    QCOMPARE(root.errors(), QString());
}

void tst_FsmLoader::requiredProperties()
{
    TraceCapture trace;
    std::unique_ptr<CFsm> root(buildFsm(
        QStringLiteral("<fsm><states><state name='a' type='test'><property key='need' required='yes'/>"
                       "<property key='have' value='1' required='yes'/></state>"
                       "<state name='s' type='fsm'><states><state name='x' type='test'><property key='inner' required='yes'/>"
                       "</state></states></state></states></fsm>"),
        m_factory.get()));
    root->errors().clear();
    root->state(QStringLiteral("s"))->errors().clear();
    QVERIFY(!root->checkRequiredProperties());
    QCOMPARE(root->errors(), QStringLiteral("PFC check failed for required property 'need' of state 'a' in FSM 'root'.\n"
                                            "PFC check failed for required property 'inner' of state 'x' in FSM 's'.\n"));
    QVERIFY(trace.contains(QStringLiteral("]! PFC check failed for required property 'need' of state 'a' in FSM 'root'.")));

    // A property that an incoming transition will supply counts as present.
    root->state(QStringLiteral("a"))->addSuppliedProperty(QStringLiteral("need"));
    root->state(QStringLiteral("s"))->setProperty("unused", 1);
    qobject_cast<CFsm*>(root->state(QStringLiteral("s")))->state(QStringLiteral("x"))->setProperty("inner", 1);
    root->errors().clear();
    QVERIFY(root->checkRequiredProperties());
    QCOMPARE(root->errors(), QString());
}

void tst_FsmLoader::codecFormat()
{
    // Existing scrambled files must stay readable: byte i is shifted by key character i mod 17.
    const QString key = CSimpleCodec::defaultKey();
    QCOMPARE(key, QStringLiteral("qRt^mzw81pLXOaZ_]"));
    const QString text = QStringLiteral("AAAAAAAAAAAAAAAAAAB\xe9");
    const QByteArray raw = qUncompress(CSimpleCodec().encode(text));
    QCOMPARE(raw.size(), text.size());
    for (int i = 0; i < raw.size(); ++i)
        QCOMPARE(uchar(raw.at(i)), uchar((text.at(i).unicode() + key.at(i % 17).unicode()) % 256));
}

void tst_FsmLoader::codecRoundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");

    const QString longText = QString::fromLatin1(kFlow).repeated(20);
    QTest::newRow("empty") << CSimpleCodec::defaultKey() << QString() << QString();
    QTest::newRow("longer than the key") << CSimpleCodec::defaultKey() << longText << longText;
    QTest::newRow("latin-1") << CSimpleCodec::defaultKey() << QStringLiteral("\xe4\xf6\xfc\xff\x01") << QStringLiteral("\xe4\xf6\xfc\xff\x01");
    QTest::newRow("stops at a zero byte") << CSimpleCodec::defaultKey() << QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")
                                          << QStringLiteral("ab");
    QTest::newRow("key character above latin-1 shifts nothing") << QStringLiteral("\x263a") << QStringLiteral("abc")
                                                                 << QStringLiteral("abc");
}

void tst_FsmLoader::codecRoundTrip()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, decoded);

    const CSimpleCodec codec(key);
    const QByteArray data = codec.encode(text);
    QString error;
    QCOMPARE(codec.decode(data, &error), decoded);
    QCOMPARE(error, QString());
    if (key.size() == 1 && key.at(0).unicode() > 255)
        QCOMPARE(qUncompress(data), text.toLatin1());
}

QTEST_GUILESS_MAIN(tst_FsmLoader)
#include "tst_fsmloader.moc"
