#include "traceoutput.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

QString TraceOutput::defaultLogPath()
{
    // XDG base directories must be absolute; a relative XDG_STATE_HOME is ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/setupfsm/last-run.log");
}

bool TraceOutput::openLog(const QString& path, QString* error)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot write the log '%1': cannot create its directory").arg(path);
        return false;
    }
    m_log.setFileName(path);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write the log '%1': %2").arg(path, m_log.errorString());
        return false;
    }
    m_logPath = path;
    return true;
}

bool TraceOutput::open(const Settings& settings, bool stderrIsTerminal, QString* error, QString* warning)
{
    m_toStderr = !settings.quiet && (settings.verbose || !stderrIsTerminal);
    if (!settings.logFile.isEmpty())
        return openLog(settings.logFile, error);
    // A run whose trace reaches nobody keeps it, so a failure can be explained afterwards.
    if (settings.runLog && (!m_toStderr || stderrIsTerminal)) {
        QString why;
        if (!openLog(defaultLogPath(), &why) && warning)
            *warning = why;
    }
    return true;
}

void TraceOutput::write(const QString& text)
{
    {
        QMutexLocker locker(&m_lock);
        if (m_log.isOpen()) {
            m_log.write(text.toUtf8());
            m_log.flush();
        }
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_tail << line;
        if (m_tail.size() > kTailLines)
            m_tail.erase(m_tail.begin(), m_tail.end() - kTailLines);
    }
    if (m_toStderr && m_echo)
        m_echo(text);
}

QStringList TraceOutput::tail() const
{
    QMutexLocker locker(&m_lock);
    return m_tail;
}
