// What the host says about itself — state types, expression functions, the schema of
// definition files — and the README's copies of it.
#include "clirun.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* const kRegenerate = "the README's reference is stale: regenerate it with ./scripts/update-readme.sh";

QString section(const QString& text, const QString& name)
{
    const qsizetype begin = text.indexOf(QStringLiteral("<!-- ") + name + QStringLiteral(":begin"));
    const qsizetype from = text.indexOf(QLatin1Char('\n'), begin) + 1;
    const qsizetype to = text.indexOf(QStringLiteral("<!-- ") + name + QStringLiteral(":end -->"));
    return begin < 0 || to < from ? QString() : text.mid(from, to - from);
}

// Every definition file of the examples and the tests: what the schema must accept.
QStringList definitionFiles()
{
    QStringList files;
    for (const char* root : {SETUPFSM_SOURCE "/examples", SETUPFSM_SOURCE "/tests"}) {
        QDirIterator it(QString::fromUtf8(root), {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            QFile f(file);
            // Deliberately broken definitions live in folders named "broken".
            if (file.contains(QLatin1String("/broken/")) || !f.open(QIODevice::ReadOnly))
                continue;
            if (f.readAll().contains("<fsm"))
                files << file;
        }
    }
    return files;
}

} // namespace

class TestReference : public QObject {
    Q_OBJECT

private slots:
    void readmeReferenceIsCurrent_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("section");
        QTest::newRow("state types") << "types" << "state-types";
        QTest::newRow("functions") << "functions" << "functions";
    }

    void readmeReferenceIsCurrent()
    {
        QFETCH(QString, command);
        QFETCH(QString, section);
        const CliResult r = runSetupFsm({command, QStringLiteral("--markdown")});
        QCOMPARE(r.status, 0);
        QFile readme(QStringLiteral(SETUPFSM_SOURCE "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString copy = ::section(QString::fromUtf8(readme.readAll()), section);
        QVERIFY2(!copy.isEmpty(), "README.md has lost its marked section");
        QVERIFY2(copy == QString::fromUtf8(r.out), kRegenerate);
    }

    // The host's own page type is listed with the library's, with what a flow author needs.
    void typesDescribeWhatTheHostCreates()
    {
        const CliResult r = runSetupFsm({QStringLiteral("types")});
        QCOMPARE(r.status, 0);
        const QString out = QString::fromUtf8(r.out);
        QVERIFY2(out.contains(QStringLiteral("page\n  events:    next\n  required:  \n  optional:  title, text, events, input, answer\n")),
                 r.out.constData());
        QVERIFY(out.contains(QStringLiteral("httpRequest\n  events:    finished, httpError, networkError\n  required:  host, path\n")));
        QVERIFY(out.contains(QStringLiteral("listIteratorFsm  (FSM)\n")));
    }

    void functionsShowTheirParameterCounts()
    {
        const CliResult r = runSetupFsm({QStringLiteral("functions")});
        QCOMPARE(r.status, 0);
        QStringList lines;
        for (const QByteArray& line : r.out.split('\n'))
            lines << QString::fromUtf8(line).simplified();
        for (const char* expected : {"add 2 or more", "divide 2", "color 1 or 3", "font 0 to 4", "count 1 or 2"})
            QVERIFY2(lines.contains(QLatin1String(expected)), expected);
    }

    void schemaAcceptsEveryDefinitionFile()
    {
        QTemporaryDir dir;
        const QString xsd = dir.filePath(QStringLiteral("setupfsm.xsd"));
        QCOMPARE(runSetupFsm({QStringLiteral("schema"), xsd}).status, 0);
        const QStringList files = definitionFiles();
        QVERIFY(files.size() >= 3);
        QProcess lint;
        lint.start(QStringLiteral("xmllint"), QStringList {QStringLiteral("--noout"), QStringLiteral("--schema"), xsd} + files);
        QVERIFY2(lint.waitForFinished(60000), "xmllint (libxml2-utils) did not run");
        QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());

        // And it is no schema that accepts anything.
        const QString wrong = dir.filePath(QStringLiteral("wrong.xml"));
        QVERIFY(writeText(wrong, R"(<fsm><states><state name="a" type="noSuchType" wieght="1"/></states></fsm>)"));
        lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"), xsd, wrong});
        QVERIFY(lint.waitForFinished(60000));
        const QByteArray complaints = lint.readAllStandardError();
        QVERIFY(lint.exitCode() != 0);
        QVERIFY2(complaints.contains("noSuchType") && complaints.contains("wieght"), complaints.constData());
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "tst_reference.moc"
