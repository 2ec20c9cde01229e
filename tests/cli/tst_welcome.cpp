// SPDX-License-Identifier: MIT
// The bundled example as a new user meets it: it passes its own check, its progress reads like
// a progress bar, and what it installs arrives as it is in the payload.
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kExample = QStringLiteral(SETUPFSM_EXAMPLES "/welcome/");

struct Run {
    int status = -1;
    QList<QJsonObject> lines;
    QByteArray err;
};

Run runCli(const QStringList& arguments)
{
    QProcess p;
    p.setProgram(QStringLiteral(SETUPFSM_CLI));
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (line.startsWith('{'))
            r.lines << QJsonDocument::fromJson(line).object();
    }
    r.err = p.readAllStandardError();
    return r;
}

QStringList answers(const QStringList& list)
{
    QStringList arguments;
    for (const QString& a : list)
        arguments << QStringLiteral("--answer") << a;
    return arguments;
}

} // namespace

class tst_Welcome : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("status");
        // The nested flow reads the folder that the outer flow's transition hands it.
        QTest::newRow("whole example") << "main.xml" << 0;
        // On its own nobody supplies it, and the check must still say so.
        QTest::newRow("nested flow alone") << "install.xml" << 1;
    }

    void check()
    {
        QFETCH(QString, file);
        QFETCH(int, status);
        const Run r = runCli({QStringLiteral("check"), kExample + file});
        QVERIFY2(r.status == status, r.err.constData());
        QCOMPARE(r.err.contains("PFC check failed for required property 'destDir'"), status != 0);
    }

    void progress_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<int>>("milestones");
        const QStringList forward {"welcome=next", "options=next", "confirm=install", "done=finish"};
        QTest::newRow("straight through") << forward << QList<int> {10, 30, 50, 70, 90, 100};
        // Out of the nested flow and in again: back to the welcome page's 0, then forward.
        QTest::newRow("back to the start") << QStringList {"welcome=next", "options=next", "confirm=pageBack",
                                                           "options=pageBack", "welcome=next", "options=next",
                                                           "confirm=install", "done=finish"}
                                           << QList<int> {10, 30, 10, 0, 10, 30, 50, 70, 90, 100};
    }

    // A loop over three components inside a weighted nested flow: the JSON stream, which the
    // bar shows too, never passes 100 and falls only when the flow walks back. Milestones are the
    // values reached as a page or a copy ends, in order; copies report more on their way.
    void progress()
    {
        QFETCH(QStringList, answers);
        QFETCH(QList<int>, milestones);
        QTemporaryDir target;
        const QString dir = target.filePath(QStringLiteral("suite"));
        const Run r = runCli(QStringList {QStringLiteral("run"), QStringLiteral("--json"), QStringLiteral("--property"),
                                          QStringLiteral("targetDir=") + dir}
                             + ::answers(answers) + QStringList {kExample + QStringLiteral("main.xml")});
        QVERIFY2(r.status == 0, r.err.constData());
        QList<int> values;
        bool back = false;
        for (const QJsonObject& o : r.lines) {
            const QString event = o.value(QStringLiteral("event")).toString();
            if (event == QLatin1String("finished")) {
                back = back || o.value(QStringLiteral("leaveEvent")) == QLatin1String("pageBack");
            } else if (event == QLatin1String("progress")) {
                const int value = o.value(QStringLiteral("value")).toInt();
                QVERIFY2(value <= 100 && (values.isEmpty() || value >= values.last() || back), qPrintable(QString::number(value)));
                values << value;
                back = false;
            }
        }
        qsizetype next = 0;
        for (int value : std::as_const(values)) {
            if (next < milestones.size() && value == milestones.at(next))
                ++next;
        }
        QVERIFY2(next == milestones.size(), qPrintable(QStringLiteral("reported: %1").arg(QVariant::fromValue(values).toStringList().join(QLatin1Char(' ')))));
        QCOMPARE(values.last(), 100);
        // The payload's script is still a script once installed.
        QVERIFY(QFileInfo(dir + QStringLiteral("/tools/tool.sh")).isExecutable());
        QVERIFY(!QFileInfo(dir + QStringLiteral("/docs/manual.txt")).isExecutable());
    }
};

QTEST_GUILESS_MAIN(tst_Welcome)
#include "tst_welcome.moc"
