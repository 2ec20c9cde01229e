// SPDX-License-Identifier: MIT
// The page model both hosts draw: fields read from "input", their starting values, answers,
// why a page may not go forward, and what reaches the flow.
#include "pagestate.h"
#include "pagetext.h"

#include "engine/fsm.h"
#include "engine/statefactory.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A page object with the given "input" and property values.
std::unique_ptr<CPropertyObject> page(const QString& input, const QVariantMap& values = {})
{
    auto p = std::make_unique<CPropertyObject>(nullptr, "p");
    p->setProperty("input", input);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        p->setProperty(it.key().toLatin1().constData(), it.value());
    return p;
}

} // namespace

class tst_PageModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void parsing_data();
    void parsing();
    void startValues_data();
    void startValues();
    void answers_data();
    void answers();
    void forwardRules_data();
    void forwardRules();
    void written();
    void safeText_data();
    void safeText();
    void pageInFlow();
};

void tst_PageModel::parsing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("fields"); // kind[*]:key:arg per field, joined by "|"
    QTest::addColumn<int>("errors");
    QTest::newRow("all kinds") << "text*:name:Jo; password:pw ;directory:dir:C:\\Prog;choice:mode:a,b;checklist:c:x,y;licence:lic:l.txt"
                               << "0*:name:Jo|1:pw:|2:dir:C:\\Prog|3:mode:a,b|4:c:x,y|5:lic:l.txt" << 0;
    QTest::newRow("empty items") << ";;text:a;" << "0:a:" << 0;
    QTest::newRow("unknown kind") << "slider:a;text:b" << "0:b:" << 1;
    QTest::newRow("options missing") << "choice:a;checklist:b:;licence:c" << "" << 3;
    QTest::newRow("bad keys") << "text:;text:1a;text:a b;text:ä" << "" << 4;
    QTest::newRow("page's own property") << "text:title;text:events" << "" << 2;
    QTest::newRow("key twice") << "text:a;choice:a:x" << "0:a:" << 1;
}

void tst_PageModel::parsing()
{
    QFETCH(QString, fields);
    QFETCH(int, errors);
    QFETCH(QString, input);
    QStringList found;
    QStringList got;
    for (const PageField& f : parsePageFields(input, &found))
        got << QStringLiteral("%1%2:%3:%4").arg(int(f.kind)).arg(f.required ? "*" : "").arg(f.key, f.arg);
    QCOMPARE(got.join(QLatin1Char('|')), fields);
    QCOMPARE(found.size(), errors);
}

void tst_PageModel::startValues_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QString>("value"); // answer text of the first field
    QTest::newRow("text default") << "text:a:hello" << QVariantMap() << "hello";
    QTest::newRow("property wins over default") << "text:a:hello" << QVariantMap{{"a", "set"}} << "set";
    QTest::newRow("password has no default") << "password:a:secret" << QVariantMap() << "";
    QTest::newRow("directory macro") << "directory:a:%TEMP%/x" << QVariantMap() << "/tmp/x";
    QTest::newRow("choice first option") << "choice:a:x,y" << QVariantMap() << "x";
    QTest::newRow("choice kept") << "choice:a:x,y" << QVariantMap{{"a", "y"}} << "y";
    QTest::newRow("choice unknown value") << "choice:a:x,y" << QVariantMap{{"a", "z"}} << "x";
    QTest::newRow("checklist all ticked") << "checklist:a:x,y,z" << QVariantMap() << "x,y,z";
    QTest::newRow("checklist from list") << "checklist:a:x,y,z" << QVariantMap{{"a", QStringList{"z", "q"}}} << "z";
    QTest::newRow("checklist from text") << "checklist:a:x,y,z" << QVariantMap{{"a", "y, x"}} << "y,x";
    QTest::newRow("checklist none") << "checklist:a:x,y" << QVariantMap{{"a", QStringList()}} << "";
    QTest::newRow("licence declined") << "licence:a:l.txt" << QVariantMap() << "decline";
    QTest::newRow("licence accepted before") << "licence:a:l.txt" << QVariantMap{{"a", true}} << "accept";
}

void tst_PageModel::startValues()
{
    QFETCH(QVariantMap, properties);
    QFETCH(QString, value);
    QFETCH(QString, input);
    qputenv("TEMP", "/tmp");
    auto p = page(input, properties);
    const PageModel model(*p, QString());
    QCOMPARE(model.answerText(model.fields().value(0).key), value);
}

void tst_PageModel::answers_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("value");
    QTest::newRow("text trimmed") << "text:a" << " Jo " << true << "Jo";
    QTest::newRow("password as typed") << "password:a" << " p w " << true << " p w ";
    QTest::newRow("choice any case") << "choice:a:Full,Minimal" << "minimal" << true << "Minimal";
    QTest::newRow("choice unknown") << "choice:a:Full,Minimal" << "Tiny" << false << "Full";
    QTest::newRow("checklist in option order") << "checklist:a:x,y,z" << "z, x" << true << "x,z";
    QTest::newRow("checklist empty") << "checklist:a:x,y,z" << "" << true << "";
    QTest::newRow("checklist unknown keeps all") << "checklist:a:x,y" << "x,w" << false << "x,y";
    QTest::newRow("licence accept") << "licence:a:l" << "accept" << true << "accept";
    QTest::newRow("licence other word") << "licence:a:l" << "yes" << false << "decline";
}

void tst_PageModel::answers()
{
    QFETCH(QString, input);
    QFETCH(QString, answer);
    QFETCH(QString, value);
    auto p = page(input);
    PageModel model(*p, QString());
    QString why;
    QFETCH(bool, ok);
    QCOMPARE(model.setAnswer(QStringLiteral("a"), answer, &why), ok);
    QCOMPARE(why.isEmpty(), ok);
    QCOMPARE(model.answerText(QStringLiteral("a")), value);
}

void tst_PageModel::forwardRules_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("answers"); // key=value
    QTest::addColumn<QString>("problems");
    QTest::newRow("optional empty") << "text:a" << QStringList() << "";
    QTest::newRow("required empty") << "text*:userName" << QStringList() << "User name is required.";
    QTest::newRow("required blank") << "directory*:a" << QStringList{"a=  "} << "A is required.";
    QTest::newRow("required filled") << "text*:a" << QStringList{"a=x"} << "";
    QTest::newRow("required checklist none") << "checklist*:parts:x,y" << QStringList{"parts="}
                                             << "Choose at least one item of Parts.";
    QTest::newRow("required checklist ticked") << "checklist*:parts:x,y" << QStringList{"parts=y"} << "";
    QTest::newRow("optional checklist none") << "checklist:parts:x,y" << QStringList{"parts="} << "";
    QTest::newRow("licence not accepted") << "licence:a:LICENCE" << QStringList()
                                          << "Accept the licence agreement to continue.";
    QTest::newRow("licence accepted") << "licence:a:LICENCE" << QStringList{"a=accept"} << "";
    QTest::newRow("licence unreadable") << "licence:a:missing.txt" << QStringList{"a=accept"}
                                        << "The licence text DIR/missing.txt cannot be read.";
}

void tst_PageModel::forwardRules()
{
    QFETCH(QString, input);
    QFETCH(QStringList, answers);
    QFETCH(QString, problems);
    QTemporaryDir dir;
    QFile licence(dir.filePath(QStringLiteral("LICENCE")));
    QVERIFY(licence.open(QIODevice::WriteOnly));
    licence.write("Terms.\n");
    licence.close();
    auto p = page(input);
    PageModel model(*p, dir.path());
    for (const QString& a : answers) {
        QString why;
        QVERIFY2(model.setAnswer(a.section(QLatin1Char('='), 0, 0), a.section(QLatin1Char('='), 1), &why), qPrintable(why));
    }
    QString expected = problems;
    expected.replace(QLatin1String("DIR"), dir.path());
    QCOMPARE(model.problems().join(QLatin1Char(' ')), expected);
    if (model.fields().first().kind == PageField::Licence && expected.isEmpty())
        QCOMPARE(model.licenceText(QStringLiteral("a")), QStringLiteral("Terms.\n"));
}

void tst_PageModel::written()
{
    auto p = page(QStringLiteral("checklist:c:x,y;licence:l:/dev/null;directory:d;choice:m:a,b"));
    PageModel model(*p, QString());
    model.setChecked(QStringLiteral("c"), QStringLiteral("x"), false);
    model.setChecked(QStringLiteral("c"), QStringLiteral("nope"), true);
    model.setAccepted(QStringLiteral("l"), true);
    model.setText(QStringLiteral("d"), QStringLiteral(" /opt/app "));
    model.writeTo(p.get());
    QCOMPARE(p->property("c"), QVariant(QStringList{"y"}));
    QCOMPARE(p->property("l"), QVariant(true));
    QCOMPARE(p->property("d"), QVariant(QStringLiteral("/opt/app")));
    QCOMPARE(p->property("m"), QVariant(QStringLiteral("a")));
    // Shown again (after "pageBack"), the page starts from what it wrote.
    const PageModel again(*p, QString());
    QCOMPARE(again.answerText(QStringLiteral("c")), QStringLiteral("y"));
    QCOMPARE(again.answerText(QStringLiteral("l")), QStringLiteral("accept"));
}

void tst_PageModel::safeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("plain escaped") << "a < b & c\nd" << "a &lt; b &amp; c<br>d";
    QTest::newRow("kept tags lose attributes") << "<p style=\"x\">Hi <b onclick=\"f()\">you</b></p>"
                                               << "<p>Hi <b>you</b></p>";
    QTest::newRow("script and its content") << "<p>a</p><script>alert(1)</script>b" << "<p>a</p>b";
    QTest::newRow("remote content") << "<p><img src=\"http://x/y.png\"><a href=\"http://x\">link</a></p>"
                                    << "<p>link</p>";
    QTest::newRow("comment and style") << "<b>x</b><!-- <b>y</b> --><style>b{}</style>" << "<b>x</b>";
    QTest::newRow("entities") << "<i>&amp; &copy; &#169; & &bogus</i>" << "<i>&amp; &copy; &#169; &amp; &amp;bogus</i>";
    QTest::newRow("unclosed script") << "<b>x</b><script>rest" << "<b>x</b>";
}

void tst_PageModel::safeText()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(PageText::toSafeHtml(text), html);
}

// Through a flow: answers set the fields, the transition's maps read them, and a page that
// cannot go on is reported instead of leaving.
void tst_PageModel::pageInFlow()
{
    const QString xml = QStringLiteral(R"X(<fsm><states>
      <state name="ask" type="page"><property key="input" value="text*:who;checklist:parts:a,b,c"/>
        <property key="events" value="next;cancel"/></state>
      </states><events><event name="done"/><event name="cancelled"/></events><transitions>
      <transition startstate="ask"/>
      <transition fromstate="ask" event="next" toexit="done">
        <propertymap target="fsm.who" function="$who"/>
        <propertymap target="fsm.parts" function="join($parts, '+')"/></transition>
      <transition fromstate="ask" event="cancel" toexit="cancelled"/>
      </transitions></fsm>)X");
    struct Case {
        QMap<QString, QString> answers;
        bool unattended;
        QString exit;
        QString parts;
        bool reported;
    };
    const QList<Case> cases = {
        {{{"ask.who", "Jo"}, {"ask.parts", "c,a"}, {"ask", "next"}}, true, "done", "a+c", false},
        {{{"ask.who", "Jo"}}, true, "", "", true},                  // no event answer
        {{{"ask", "next"}}, false, "", "", true},                    // required field empty
        {{{"ask", "cancel"}}, true, "cancelled", "", false},         // cancel needs no fields
        {{{"ask.who", "Jo"}, {"ask.parts", "z"}, {"ask", "next"}}, false, "done", "a+b+c", false},
    };
    CStateFactory host(QStringLiteral("host"));
    host.addCreator(QStringLiteral("page"), &createStateOf<CPageState>);
    std::unique_ptr<CStateFactory> generic(createFactory(&host));
    for (const Case& c : cases) {
        QDomDocument doc;
        QVERIFY(doc.setContent(xml));
        std::unique_ptr<CFsm> fsm(qobject_cast<CFsm*>(
            generic->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr, QStringLiteral("root"))));
        QVERIFY(fsm && fsm->errors().isEmpty());
        QMap<QString, QString> answers = c.answers;
        bool reported = false;
        PageHost& ph = PageHost::instance();
        ph = PageHost();
        ph.unattended = c.unattended;
        ph.takeAnswer = [&](const QString& name, const QString&) {
            return answers.contains(name) ? answers.take(name) : QString();
        };
        ph.unanswered = [&](CPageState*, const QString&) { reported = true; };
        ph.badAnswer = [](CPageState*, const QString&) {};
        bool done = false;
        connect(fsm.get(), &CState::finished, this, [&](CState* s) { done = done || s == fsm.get(); });
        fsm->enter();
        QTRY_VERIFY(reported || done);
        QCOMPARE(reported, c.reported);
        if (!c.reported) {
            QCOMPARE(fsm->leaveEvent(), c.exit);
            QCOMPARE(fsm->property("parts").toString(), c.parts);
        }
        fsm->leave();
    }
    PageHost::instance() = PageHost();
}

QTEST_MAIN(tst_PageModel)
#include "tst_pagemodel.moc"
