#pragma once
#include <QFile>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>

// Where a host's trace lines go. A script or CI job reading standard error keeps them there; a
// person at a terminal sees the host's own lines, and the trace goes to a log file instead,
// whose last lines are shown when the run fails.
class TraceOutput {
public:
    struct Settings {
        bool verbose = false; // trace on standard error even on a terminal
        bool quiet = false;   // nothing but errors on standard error
        QString logFile;      // "--log FILE": always written
        bool runLog = false;  // without logFile, log to defaultLogPath() when the trace is not shown
    };

    // Decides the destinations; false with an error text when the named log cannot be written.
    // A default log that cannot be written only costs the log (the text says so in *warning).
    bool open(const Settings& settings, bool stderrIsTerminal, QString* error, QString* warning);

    // Receives every trace output; may be called from any thread.
    void write(const QString& text);
    // Shows trace text on standard error; the console host draws it above its progress bar.
    void setEcho(std::function<void(const QString&)> echo) { m_echo = std::move(echo); }

    bool toStderr() const { return m_toStderr; }
    QString logPath() const { return m_logPath; }
    // The last trace lines, oldest first.
    QStringList tail() const;

    // $XDG_STATE_HOME/setupfsm/last-run.log, or ~/.local/state/... when that is unset or relative.
    static QString defaultLogPath();

    static constexpr int kTailLines = 20;

private:
    bool openLog(const QString& path, QString* error);

    bool m_toStderr = true;
    QString m_logPath;
    QFile m_log;
    std::function<void(const QString&)> m_echo;
    mutable QMutex m_lock;
    QStringList m_tail;
};
