// SPDX-License-Identifier: MIT
// Whole definition files with real control flow, run by the engine from enter() to an exit
// event: a counting loop over property maps and a compare state, branches through switch and
// match, and a nested iterating FSM summing a list. The same files run through the command-
// line host when it is built.
#include "maptestutil.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QDomDocument>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

QString dataDir()
{
    return QStringLiteral(SETUPFSM_FLOW_DATA);
}

struct Run {
    QString errors;
    bool requiredClean = false;
    bool finished = false;
    QString exit;
    QStringList path;               // full names of the states changed to (not the start states), in order
    QMap<QString, QString> properties; // root FSM values as "TYPE VALUE"
};

Run runFile(const QString& file, const QVariantMap& settings)
{
    Run run;
    CPropertyObject app;
    app.setProperty("applicationPath", dataDir());
    app.setProperty("xmlPath", QStringLiteral("."));
    for (auto it = settings.constBegin(); it != settings.constEnd(); ++it)
        app.setProperty(it.key().toLatin1().constData(), it.value());

    QString text, resolved, error;
    if (!CFsm::readDefinition(dataDir() + QLatin1Char('/') + file, text, resolved, error)) {
        run.errors = error;
        return run;
    }
    QDomDocument doc;
    doc.setContent(text);
    auto factory = makeFactory();
    std::unique_ptr<CFsm> fsm;
    {
        const CFsmBuildScope scope(&app);
        fsm.reset(qobject_cast<CFsm*>(factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr,
                                                           QStringLiteral("main"))));
    }
    if (!fsm)
        return run;
    fsm->setApplicationProperties(&app);
    run.errors = fsm->errors();
    run.requiredClean = fsm->checkRequiredProperties();
    QObject::connect(fsm.get(), &CFsm::stateChanged, fsm.get(),
                     [&](CFsm*, CState*, CState* to) { run.path.append(to->fullName()); });
    run.finished = runToEnd(fsm.get());
    run.exit = fsm->leaveEvent();
    for (auto it = fsm->values().constBegin(); it != fsm->values().constEnd(); ++it)
        run.properties.insert(it.key(), Qt3::typeName(it.value()) + QLatin1Char(' ') + Qt3::toString(it.value()));
    return run;
}

QStringList repeat(const QStringList& pass, int times)
{
    QStringList out;
    for (int i = 0; i < times; ++i)
        out += pass;
    return out;
}

} // namespace

class tst_Flows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void flows_data();
    void flows();
    void commandLine_data();
    void commandLine();
};

void tst_Flows::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral("^$"));
}

void tst_Flows::flows_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("properties"); // "name=TYPE VALUE" that must be among the FSM's
    // An iterator's "currentItem" is required and announced but supplied by no map, and a
    // nested FSM's inputs arrive only when it runs, so loops fail the check (as warnings).
    QTest::addColumn<bool>("requiredClean");

    QTest::newRow("counting loop")
        << "counter.xml" << QVariantMap() << "done" << repeat({"main:step", "main:check"}, 5)
        << QStringList {"count=LongLong 5", "reached=LongLong 5", "trail=String 12345", "limit=String 5"} << true;
    QTest::newRow("switch and match")
        << "decisions.xml" << QVariantMap {{"os", "Linux"}} << "matched" << QStringList {"main:name"}
        << QStringList {"branch=String linux", "file=String setup_Linux.exe"} << true;
    QTest::newRow("switch default")
        << "decisions.xml" << QVariantMap {{"os", "BeOS"}} << "other" << QStringList() << QStringList {"branch=String none"} << true;
    QTest::newRow("switch to an exit")
        << "decisions.xml" << QVariantMap {{"os", "MAC"}} << "other" << QStringList() << QStringList {"branch=String none"} << true;
    const QStringList pass {"main:loop:work", "main:loop:iterator"};
    QTest::newRow("iterating sum")
        << "iterate.xml" << QVariantMap {{"items", "3;4;5"}} << "done" << repeat(pass, 3)
        << QStringList {"total=LongLong 12", "passes=LongLong 3"} << false;
    QTest::newRow("repeated items end")
        << "iterate.xml" << QVariantMap {{"items", "2;2;2"}} << "done" << repeat(pass, 3)
        << QStringList {"total=LongLong 6", "passes=LongLong 3"} << false;
    QTest::newRow("empty list")
        << "iterate.xml" << QVariantMap {{"items", ""}} << "done" << QStringList()
        << QStringList {"total=LongLong 0", "passes=LongLong 0"} << false;
}

void tst_Flows::flows()
{
    QFETCH(QString, file);
    QFETCH(QVariantMap, settings);
    QFETCH(QString, exit);
    QFETCH(QStringList, path);
    QFETCH(QStringList, properties);
    QFETCH(bool, requiredClean);

    const Run run = runFile(file, settings);
    QCOMPARE(run.errors, QString());
    QCOMPARE(run.requiredClean, requiredClean);
    QVERIFY(run.finished);
    QCOMPARE(run.exit, exit);
    QCOMPARE(run.path, path);
    for (const QString& expected : properties) {
        const QString name = expected.section(QLatin1Char('='), 0, 0);
        QVERIFY2(run.properties.value(name) == expected.section(QLatin1Char('='), 1), qPrintable(name + QLatin1Char('=') + run.properties.value(name, QStringLiteral("<missing>")) + QStringLiteral(" among ") + QStringList(run.properties.keys()).join(QLatin1Char(' '))));
    }
}

void tst_Flows::commandLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("sets");
    QTest::addColumn<QString>("exit");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("value"); // JSON of {"type":..., "value":...}

    QTest::newRow("counting loop") << "counter.xml" << QStringList() << "done" << "trail"
                                   << R"~({"type":"String","value":"12345"})~";
    QTest::newRow("switch and match") << "decisions.xml" << QStringList {"os=windows"} << "matched" << "file"
                                      << R"~({"type":"String","value":"setup_windows.exe"})~";
    QTest::newRow("iterating sum") << "iterate.xml" << QStringList {"items=1;1;40"} << "done" << "total"
                                   << R"~({"type":"LongLong","value":42})~";
}

void tst_Flows::commandLine()
{
#ifndef SETUPFSM_CLI
    QSKIP("the command-line host is not built");
#else
    QFETCH(QString, file);
    QFETCH(QStringList, sets);
    QFETCH(QString, exit);
    QFETCH(QString, property);
    QFETCH(QString, value);

    QStringList arguments {QStringLiteral("run"), QStringLiteral("--json"), QStringLiteral("--timeout"), QStringLiteral("60")};
    for (const QString& s : sets)
        arguments << QStringLiteral("--set") << s;
    arguments << dataDir() + QLatin1Char('/') + file;
    QProcess p;
    p.start(QStringLiteral(SETUPFSM_CLI), arguments);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);

    QJsonObject last;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value(QStringLiteral("event")).toString() == QLatin1String("exit"))
            last = o;
    }
    QCOMPARE(last.value(QStringLiteral("exit")).toString(), exit);
    const QJsonValue got = last.value(QStringLiteral("properties")).toObject().value(property);
    QCOMPARE(QString::fromUtf8(QJsonDocument(got.toObject()).toJson(QJsonDocument::Compact)), value);
#endif
}

QTEST_MAIN(tst_Flows)
#include "tst_flows.moc"
