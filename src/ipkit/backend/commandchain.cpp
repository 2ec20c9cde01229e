// SPDX-License-Identifier: MIT
#include "ipkit/backend/commandchain.h"

#include <QTimer>

CommandChain::CommandChain(QObject* context, QList<Command> commands, Finished finished)
    : QObject(context), m_commands(std::move(commands)), m_finished(std::move(finished))
{
    QTimer::singleShot(0, this, &CommandChain::runNext);
}

CommandChain::~CommandChain()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void CommandChain::runNext()
{
    if (m_commands.isEmpty()) {
        finish(QString());
        return;
    }
    const Command command = m_commands.takeFirst();
    if (command.before)
        command.before();
    // The previous process may still be inside its own finished signal.
    if (m_process)
        m_process->deleteLater();
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::finished, this, [this, command](int code, QProcess::ExitStatus status) {
        if ((status != QProcess::NormalExit || code != 0) && !command.mayFail) {
            const QString said = QString::fromLocal8Bit(m_process->readAll()).trimmed();
            finish(QStringLiteral("\"%1\" failed (exit code %2)%3")
                       .arg(command.argv.join(QLatin1Char(' ')))
                       .arg(code)
                       .arg(said.isEmpty() ? QString() : QStringLiteral(": ") + said.section(QLatin1Char('\n'), -3)));
            return;
        }
        runNext();
    });
    connect(m_process, &QProcess::errorOccurred, this, [this, command](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (command.mayFail)
            runNext();
        else
            finish(QStringLiteral("\"%1\" could not be started").arg(command.argv.constFirst()));
    });
    m_process->start(command.argv.constFirst(), command.argv.mid(1));
}

void CommandChain::finish(const QString& error)
{
    const Finished finished = std::move(m_finished);
    m_finished = nullptr;
    deleteLater();
    if (finished)
        finished(error);
}
