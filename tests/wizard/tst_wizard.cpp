// SPDX-License-Identifier: MIT
// The desktop wizard driven as a user drives it, through the installer example: every page is
// grabbed as a PNG into the build folder (the README's screenshots).
#include "wizardrun.h"
#include "wizardwindow.h"

#include "engine/fsm.h"
#include "engine/trace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The installer with its system folders inside a temporary prefix.
class Installer {
public:
    explicit Installer(const QStringList& properties = {})
    {
        for (const char* folder : {"local", "programs", "desktop", "config"})
            QDir(m_prefix.path()).mkpath(QString::fromLatin1(folder));
        QFile profile(m_prefix.filePath(QStringLiteral("profile.ini")));
        if (profile.open(QIODevice::WriteOnly))
            profile.write(QStringLiteral("[folders]\nLOCAL_APPDATA=%1/local\nPROGRAMS=%1/programs\n"
                                         "DESKTOP=%1/desktop\nAPPDATA=%1/config\n")
                              .arg(m_prefix.path()).toUtf8());
        profile.close();
        WizardOptions options;
        options.build.file = QStringLiteral(SETUPFSM_EXAMPLES "/installer/main.xml");
        options.profile = profile.fileName();
        for (const QString& p : properties)
            options.build.properties.append(qMakePair(p.section(QLatin1Char('='), 0, 0), p.section(QLatin1Char('='), 1)));
        run = std::make_unique<WizardRun>(&window, options);
        QString error;
        started = run->start(&error);
        if (!started)
            qWarning("%s", qPrintable(error));
        window.show();
    }
    ~Installer() { run.reset(); }

    QString path(const QString& relative) const { return m_prefix.filePath(relative); }
    QString title() const { return window.findChild<QLabel*>(QStringLiteral("pageTitle"))->text(); }
    QString problems() const { return window.findChild<QLabel*>(QStringLiteral("pageProblems"))->text(); }
    QPushButton* button(const QString& name) const { return window.findChild<QPushButton*>(name); }
    template <class T>
    T* field(const QString& name) const { return window.findChild<T*>(QStringLiteral("field:") + name); }
    void click(const QString& name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    // Saves the window as the README shows it.
    void grab(const QString& name)
    {
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots");
        QDir().mkpath(dir);
        window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    WizardWindow window;
    std::unique_ptr<WizardRun> run;
    bool started = false;

private:
    QTemporaryDir m_prefix;
};

} // namespace

class tst_Wizard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void installWithBackAcrossNestedFlow();
    void licenceRefusedThenCancelled();
    void requiredFolderEmpty();
    void failingDiskCheck();
};

void tst_Wizard::installWithBackAcrossNestedFlow()
{
    Installer w;
    QVERIFY(w.started);
    QTRY_COMPARE(w.title(), QStringLiteral("Welcome to the Example Suite Setup"));
    QVERIFY(!w.button(QStringLiteral("back"))->isEnabled());
    QVERIFY(w.button(QStringLiteral("cancel"))->isVisible());
    QVERIFY(w.button(QStringLiteral("event:next"))->isDefault());
    QVERIFY(w.button(QStringLiteral("event:next"))->isVisible());
    w.grab(QStringLiteral("1-welcome"));
    QTest::keyClick(&w.window, Qt::Key_Return);

    QTRY_COMPARE(w.title(), QStringLiteral("Licence agreement"));
    QVERIFY(!w.button(QStringLiteral("event:next"))->isEnabled());
    QVERIFY(w.problems().contains(QStringLiteral("Accept the licence")));
    QVERIFY(w.button(QStringLiteral("back"))->isEnabled());
    w.field<QCheckBox>(QStringLiteral("licence"))->setChecked(true);
    QVERIFY(w.button(QStringLiteral("event:next"))->isEnabled());
    w.grab(QStringLiteral("2-licence"));
    w.click(QStringLiteral("event:next"));

    QTRY_COMPARE(w.title(), QStringLiteral("Installation folder"));
    QCOMPARE(w.field<QLineEdit>(QStringLiteral("targetDir"))->text(), w.path(QStringLiteral("local/Example Suite")));
    w.field<QLineEdit>(QStringLiteral("targetDir"))->setText(w.path(QStringLiteral("local/Suite")));
    w.grab(QStringLiteral("3-folder"));
    w.click(QStringLiteral("event:next"));

    QTRY_COMPARE(w.title(), QStringLiteral("Components"));
    w.field<QCheckBox>(QStringLiteral("components:samples"))->setChecked(false);
    w.field<QComboBox>(QStringLiteral("desktopShortcut"))->setCurrentText(QStringLiteral("no"));
    w.grab(QStringLiteral("4-components"));
    w.click(QStringLiteral("event:next"));

    QTRY_COMPARE(w.title(), QStringLiteral("Ready to install"));
    w.grab(QStringLiteral("5-ready"));
    // Back through the nested flow and out of it to the licence, which stays accepted.
    for (const char* page : {"Components", "Installation folder", "Licence agreement"}) {
        w.click(QStringLiteral("back"));
        QTRY_COMPARE(w.title(), QString::fromLatin1(page));
    }
    QVERIFY(w.field<QCheckBox>(QStringLiteral("licence"))->isChecked());
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Installation folder"));
    QCOMPARE(w.field<QLineEdit>(QStringLiteral("targetDir"))->text(), w.path(QStringLiteral("local/Suite")));
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Components"));
    QVERIFY(!w.field<QCheckBox>(QStringLiteral("components:samples"))->isChecked());
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Ready to install"));
    w.click(QStringLiteral("event:install"));

    QTRY_COMPARE(w.title(), QStringLiteral("Installation complete"));
    w.grab(QStringLiteral("6-finish"));
    // The copies ran in the progress view, which named them and kept their trace lines.
    QVERIFY(w.window.findChild<QLabel*>(QStringLiteral("stateName"))->text().startsWith(QStringLiteral("Working: main:")));
    QVERIFY(w.window.findChild<QProgressBar*>(QStringLiteral("progress"))->value() > 50);
    QTRY_VERIFY(w.window.findChild<QPlainTextEdit*>(QStringLiteral("detailsText"))->toPlainText().contains(QStringLiteral("copyStates")));
    QVERIFY(QFileInfo::exists(w.path(QStringLiteral("local/Suite/program/example-suite"))));
    QVERIFY(QFileInfo::exists(w.path(QStringLiteral("local/Suite/docs/guide.txt"))));
    QVERIFY(!QFileInfo::exists(w.path(QStringLiteral("local/Suite/samples"))));
    QVERIFY(QFileInfo::exists(w.path(QStringLiteral("programs/example-suite.desktop"))));
    QVERIFY(!QFileInfo::exists(w.path(QStringLiteral("desktop/example-suite.desktop"))));
    QCOMPARE(w.run->root()->property("components").toStringList(), (QStringList{"program", "docs"}));
    w.click(QStringLiteral("event:finish"));

    QTRY_COMPARE(w.run->status(), 0);
    QCOMPARE(w.title(), QStringLiteral("Setup complete"));
    QVERIFY(w.button(QStringLiteral("close"))->isVisible());
    w.grab(QStringLiteral("7-outcome"));
}

void tst_Wizard::licenceRefusedThenCancelled()
{
    Installer w;
    QTRY_COMPARE(w.title(), QStringLiteral("Welcome to the Example Suite Setup"));
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Licence agreement"));
    QCheckBox* accept = w.field<QCheckBox>(QStringLiteral("licence"));
    accept->setChecked(true);
    accept->setChecked(false);
    QVERIFY(!w.button(QStringLiteral("event:next"))->isEnabled());
    // Enter on a disabled default button does nothing; Esc is the page's cancel event.
    QTest::keyClick(&w.window, Qt::Key_Return);
    QCOMPARE(w.title(), QStringLiteral("Licence agreement"));
    QTest::keyClick(&w.window, Qt::Key_Escape);
    QTRY_COMPARE(w.run->status(), 0);
    QCOMPARE(w.run->root()->leaveEvent(), QStringLiteral("cancelled"));
    QVERIFY(!QFileInfo::exists(w.path(QStringLiteral("local/Example Suite"))));
}

void tst_Wizard::requiredFolderEmpty()
{
    Installer w;
    QTRY_COMPARE(w.title(), QStringLiteral("Welcome to the Example Suite Setup"));
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Licence agreement"));
    w.field<QCheckBox>(QStringLiteral("licence"))->setChecked(true);
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Installation folder"));
    QLineEdit* folder = w.field<QLineEdit>(QStringLiteral("targetDir"));
    folder->clear();
    QVERIFY(!w.button(QStringLiteral("event:next"))->isEnabled());
    QCOMPARE(w.problems(), QStringLiteral("Target dir is required."));
    QTest::keyClicks(folder, w.path(QStringLiteral("x")));
    QVERIFY(w.button(QStringLiteral("event:next"))->isEnabled());
    QVERIFY(w.problems().isEmpty());
}

void tst_Wizard::failingDiskCheck()
{
    Installer w({QStringLiteral("requiredKiB=999999999999")});
    QTRY_COMPARE(w.title(), QStringLiteral("Welcome to the Example Suite Setup"));
    w.click(QStringLiteral("event:next"));
    QTRY_COMPARE(w.title(), QStringLiteral("Licence agreement"));
    w.field<QCheckBox>(QStringLiteral("licence"))->setChecked(true);
    for (const char* page : {"Installation folder", "Components", "Not enough disk space"}) {
        w.click(QStringLiteral("event:next"));
        QTRY_COMPARE(w.title(), QString::fromLatin1(page));
    }
    QVERIFY(w.window.findChild<QLabel*>(QStringLiteral("pageText"))->text().contains(QStringLiteral("999999999999 KiB")));
    QVERIFY(w.button(QStringLiteral("back"))->isEnabled());
    QVERIFY(!w.button(QStringLiteral("event:next")));
    w.grab(QStringLiteral("8-no-space"));
    w.click(QStringLiteral("cancel"));
    QTRY_COMPARE(w.run->status(), 0);
    QCOMPARE(w.run->root()->leaveEvent(), QStringLiteral("cancelled"));
}

QTEST_MAIN(tst_Wizard)
#include "tst_wizard.moc"
