// SPDX-License-Identifier: MIT
// The installer example as a vendor ships it: checked without findings, installed from scripted
// answers into a temporary prefix, started, and removed again without a trace.
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    // The output goes to a file rather than a pipe: a program the flow started without waiting
    // for writes to it after the host has ended.
    std::shared_ptr<QTemporaryFile> log;
    QString reread() const
    {
        log->seek(0);
        return QString::fromUtf8(log->readAll());
    }
};

Run cli(const QStringList& arguments)
{
    Run r;
    r.log = std::make_shared<QTemporaryFile>();
    if (!r.log->open())
        return r;
    QProcess p;
    p.setProgram(QStringLiteral(SETUPFSM_CLI));
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardOutputFile(r.log->fileName());
    p.start();
    if (p.waitForFinished(120000))
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = r.reread();
    return r;
}

QStringList answers(const QStringList& pairs)
{
    QStringList out;
    for (const QString& a : pairs)
        out << QStringLiteral("--answer") << a;
    return out;
}

// Every file and folder below the directory, relative to it.
QStringList tree(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class tst_Installer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksClean_data();
    void checksClean();
    void installAndUninstall();
};

void tst_Installer::checksClean_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("install") << "main.xml";
    QTest::newRow("uninstall") << "uninstall.xml";
}

void tst_Installer::checksClean()
{
    QFETCH(QString, file);
    const Run r = cli({QStringLiteral("check"), QStringLiteral("--strict"), QStringLiteral("--trace-include"),
                       QStringLiteral("^$"), QStringLiteral(SETUPFSM_EXAMPLES "/installer/") + file});
    QVERIFY2(r.status == 0, qPrintable(r.out));
    QVERIFY2(!r.out.contains(QStringLiteral("warning"), Qt::CaseInsensitive), qPrintable(r.out));
}

void tst_Installer::installAndUninstall()
{
    QTemporaryDir prefix;
    for (const char* folder : {"local", "programs", "desktop", "config"})
        QVERIFY(QDir(prefix.path()).mkpath(QString::fromLatin1(folder)));
    QFile profile(prefix.filePath(QStringLiteral("profile.ini")));
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write(QStringLiteral("[folders]\nLOCAL_APPDATA=%1/local\nPROGRAMS=%1/programs\nDESKTOP=%1/desktop\n"
                                 "APPDATA=%1/config\n").arg(prefix.path()).toUtf8());
    profile.close();
    const QStringList before = tree(prefix.path());
    // Unattended, a licence nobody accepted fails the run before anything is written.
    const Run unanswered = cli({QStringLiteral("run"), QStringLiteral("--unattended"), QStringLiteral("--profile"),
                                profile.fileName(), QStringLiteral("--answer"), QStringLiteral("welcome=next"),
                                QStringLiteral("--answer"), QStringLiteral("licence=next"),
                                QStringLiteral(SETUPFSM_EXAMPLES "/installer/main.xml")});
    QVERIFY2(unanswered.status == 2 && unanswered.out.contains(QStringLiteral("Accept the licence")), qPrintable(unanswered.out));
    QCOMPARE(tree(prefix.path()), before);
    const QStringList common = {QStringLiteral("run"), QStringLiteral("--unattended"), QStringLiteral("--profile"), profile.fileName(),
                                QStringLiteral("--trace-include"), QStringLiteral("^$")};
    const QString target = prefix.filePath(QStringLiteral("local/Suite"));

    const Run install = cli(common + answers({"welcome=next", "licence.licence=accept", "licence=next",
                                              "folder.targetDir=" + target, "folder=next",
                                              "components.components=program,samples",
                                              "components.desktopShortcut=yes", "components=next",
                                              "ready=install", "finish.launch=Start the Example Suite now",
                                              "finish=finish"})
                            + QStringList{QStringLiteral(SETUPFSM_EXAMPLES "/installer/main.xml")});
    QVERIFY2(install.status == 0 && install.out.contains(QStringLiteral("exit: installed")), qPrintable(install.out));
    QTRY_VERIFY2(install.reread().contains(QStringLiteral("Example Suite is running from ") + target + QStringLiteral("/program")),
                 qPrintable(install.reread()));
    const QStringList installed = tree(prefix.path());
    for (const char* expected : {"local/Suite/program/example-suite", "local/Suite/samples/two.txt",
                                 "local/Suite/example-suite.installed", "programs/example-suite.desktop",
                                 "desktop/example-suite.desktop", "config/example-suite.ini"})
        QVERIFY2(installed.contains(QString::fromLatin1(expected)), expected);
    QVERIFY(!installed.contains(QStringLiteral("local/Suite/docs")));
    QFile ini(prefix.filePath(QStringLiteral("config/example-suite.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), QStringLiteral("[General]\nversion=2.1.0\ninstallDir=%1\ncomponents=program,samples\n")
                                .arg(target).toUtf8());

    const Run uninstall = cli(common + answers({"confirm.targetDir=" + target, "confirm=uninstall", "done=finish"})
                              + QStringList{QStringLiteral(SETUPFSM_EXAMPLES "/installer/uninstall.xml")});
    QVERIFY2(uninstall.status == 0 && uninstall.out.contains(QStringLiteral("exit: removed")), qPrintable(uninstall.out));
    QCOMPARE(tree(prefix.path()), before);

    // A folder that holds no installation record is left alone.
    const Run stranger = cli(common + answers({"confirm.targetDir=" + prefix.filePath(QStringLiteral("local")),
                                               "confirm=uninstall", "notInstalled=cancel"})
                             + QStringList{QStringLiteral(SETUPFSM_EXAMPLES "/installer/uninstall.xml")});
    QVERIFY2(stranger.status == 0 && stranger.out.contains(QStringLiteral("exit: cancelled")), qPrintable(stranger.out));
    QCOMPARE(tree(prefix.path()), before);
}

QTEST_GUILESS_MAIN(tst_Installer)
#include "tst_installer.moc"
