// SPDX-License-Identifier: MIT
// The console host asks for page fields on a terminal: the installer example answered through
// a pseudo-terminal, with a refused licence, a number list and a password-free run to the end.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One child on a pseudo-terminal; what it prints is collected as it is awaited.
class Terminal {
public:
    explicit Terminal(const QStringList& arguments)
    {
        QList<QByteArray> args;
        args << QByteArrayLiteral(SETUPFSM_CLI);
        for (const QString& a : arguments)
            args << a.toLocal8Bit();
        m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (QByteArray& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Terminal()
    {
        if (m_pid > 0 && m_status < 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0)
            close(m_master);
    }

    // Reads until the text has appeared after the last match; false on time-out or end.
    bool expect(const QByteArray& text, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_seen.indexOf(text, m_from) < 0) {
            if (clock.elapsed() > timeoutMs || !readSome(int(timeoutMs - clock.elapsed())))
                return false;
        }
        m_from = m_seen.indexOf(text, m_from) + text.size();
        return true;
    }
    void send(const QByteArray& line) { (void)!write(m_master, line.constData(), size_t(line.size())); }
    int wait()
    {
        while (readSome(30000)) {
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return m_status;
    }
    const QByteArray& output() const { return m_seen; }

private:
    bool readSome(int timeoutMs)
    {
        pollfd p {m_master, POLLIN, 0};
        if (poll(&p, 1, qMax(timeoutMs, 0)) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_seen.append(buffer, int(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_master = -1;
    int m_status = -1;
    QByteArray m_seen;
    qsizetype m_from = 0;
};

} // namespace

class tst_ConsolePages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void installerOnTerminal();
};

void tst_ConsolePages::installerOnTerminal()
{
    QTemporaryDir prefix;
    for (const char* folder : {"local", "programs", "desktop", "config"})
        QDir(prefix.path()).mkpath(QString::fromLatin1(folder));
    QFile profile(prefix.filePath(QStringLiteral("profile.ini")));
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write(QStringLiteral("[folders]\nLOCAL_APPDATA=%1/local\nPROGRAMS=%1/programs\nDESKTOP=%1/desktop\n"
                                 "APPDATA=%1/config\n").arg(prefix.path()).toUtf8());
    profile.close();

    Terminal t({QStringLiteral("run"), QStringLiteral("--profile"), profile.fileName(),
                QStringLiteral("--trace-include"), QStringLiteral("^$"),
                QStringLiteral(SETUPFSM_EXAMPLES "/installer/main.xml")});
    const QList<QPair<QByteArray, QByteArray>> dialogue = {
        {"Choose for page main:welcome:  [1] next  [2] cancel  [3] pageBack", "\n"},
        {"Do you accept the licence agreement? accept or decline [decline]", "\n"},
        {"Choose for page main:licence:", "next\n"},
        {"cannot go on with 'next': Accept the licence agreement to continue.", ""},
        {"accept or decline [decline]", "accept\n"},
        {"Choose for page main:licence:", "\n"},
        {"Target dir (required) [" + prefix.filePath(QStringLiteral("local/Example Suite")).toUtf8() + "]", "\n"},
        {"Choose for page main:options:folder:", "1\n"},
        {"[1] program  [2] docs  [3] samples", "2,nonsense\n"},
        {"'nonsense' is not one of program, docs, samples", ""},
        {"[program,docs,samples]", "1, 2\n"},
        {"Desktop shortcut:  [1] yes  [2] no", "2\n"},
        {"Choose for page main:options:components:", "\n"},
        {"Setup will install program, docs into", ""},
        {"Choose for page main:ready:  [1] install", "\n"},
        {"Start the Example Suite now", "-\n"},
        {"Choose for page main:finish:", "\n"},
    };
    for (const auto& [prompt, answer] : dialogue) {
        QVERIFY2(t.expect(prompt), qPrintable(QStringLiteral("waiting for '%1' in:\n%2")
                                                   .arg(QString::fromUtf8(prompt), QString::fromUtf8(t.output()))));
        t.send(answer);
    }
    QCOMPARE(t.wait(), 0);
    QVERIFY2(t.output().contains("exit: installed"), t.output().constData());
    QVERIFY(QFileInfo::exists(prefix.filePath(QStringLiteral("local/Example Suite/docs/guide.txt"))));
    QVERIFY(!QFileInfo::exists(prefix.filePath(QStringLiteral("local/Example Suite/samples"))));
    QVERIFY(!QFileInfo::exists(prefix.filePath(QStringLiteral("desktop/example-suite.desktop"))));
}

QTEST_GUILESS_MAIN(tst_ConsolePages)
#include "tst_consolepages.moc"
