// SPDX-License-Identifier: MIT
#include "platform/connectionquery.h"

#include <QProcess>
#include <QTimer>

namespace Platform {

ConnectionQuery::ConnectionQuery(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        report({}, QStringLiteral("nmcli did not answer within %1 s").arg(kTimeoutSeconds));
    });
}

ConnectionQuery::~ConnectionQuery()
{
    abort();
}

void ConnectionQuery::start()
{
    abort();
    m_process = new QProcess(this);
    // The names are read by their position in the terse listing, whatever the user's language.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    m_process->setProcessEnvironment(env);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            report({}, QStringLiteral("nmcli cannot be started: ") + m_process->errorString());
    });
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) {
            const QString why = QString::fromUtf8(m_process->readAllStandardError()).trimmed();
            report({}, QStringLiteral("nmcli failed (exit code %1)%2")
                           .arg(code)
                           .arg(why.isEmpty() ? QString() : QStringLiteral(": ") + why));
            return;
        }
        report(parseNames(m_process->readAllStandardOutput()), QString());
    });
    m_timer->start(kTimeoutSeconds * 1000);
    m_process->start(QStringLiteral("nmcli"),
                     {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME"), QStringLiteral("connection"),
                      QStringLiteral("show")});
}

void ConnectionQuery::abort()
{
    m_timer->stop();
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        // A hung nmcli is not waited for: the object goes once the child has been reaped.
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->setParent(nullptr);
        process->kill();
    } else {
        process->deleteLater();
    }
}

void ConnectionQuery::report(const QStringList& names, const QString& error)
{
    abort();
    Q_EMIT finished(names, error);
}

QStringList ConnectionQuery::parseNames(const QByteArray& terseOutput)
{
    QStringList names;
    for (const QByteArray& line : terseOutput.split('\n')) {
        if (line.isEmpty())
            continue;
        QString name;
        const QString text = QString::fromUtf8(line);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size())
                ++i;
            name += text.at(i);
        }
        names.append(name);
    }
    return names;
}

} // namespace Platform
