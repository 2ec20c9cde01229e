// SPDX-License-Identifier: MIT
#include "process/process.h"

#include <QThread>
#include <QTimer>
#include <csignal>

CProcess::CProcess(QObject* parent) : QObject(parent), m_pollTimer(new QTimer(this))
{
    m_pollTimer->setInterval(100);
    connect(m_pollTimer, &QTimer::timeout, this, &CProcess::timeout);
    // A queued connection rather than a posted call: the connection keeps its slot object, so
    // nothing made on the worker is freed there after the event-loop thread used it.
    connect(this, &CProcess::startedElsewhere, m_pollTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

CProcess::~CProcess() = default;

bool CProcess::isRunning() const
{
    return m_handle.isRunning();
}

void CProcess::setArguments(const QStringList& arguments)
{
    m_arguments = arguments;
}

void CProcess::addArgument(const QString& argument)
{
    m_arguments.append(argument);
}

bool CProcess::start()
{
    m_throughPkexec = false;
    QString program = Platform::resolveProgram(m_arguments.value(0), &m_error);
    return !program.isEmpty() && startProgram(program, m_arguments.mid(1));
}

bool CProcess::startAsAdministrator()
{
    if (Platform::isAdministrator())
        return start();
    const QString program = Platform::resolveProgram(m_arguments.value(0), &m_error);
    if (program.isEmpty())
        return false;
    const QString pkexec = Platform::findInPath(QStringLiteral("pkexec"));
    if (pkexec.isEmpty()) {
        m_error = QStringLiteral("not administrator, and pkexec is not installed to ask for the rights");
        return false;
    }
    m_throughPkexec = true;
    return startProgram(pkexec, QStringList(program) + m_arguments.mid(1));
}

bool CProcess::startProgram(const QString& program, const QStringList& arguments)
{
    if (!m_handle.start(program, arguments, &m_error))
        return false;
    // A timer only runs on its own thread; the start may come from a worker.
    if (thread() == QThread::currentThread())
        m_pollTimer->start();
    else
        Q_EMIT startedElsewhere(QPrivateSignal());
    return true;
}

void CProcess::tryTerminate()
{
    m_handle.sendSignal(SIGTERM);
}

void CProcess::kill()
{
    m_handle.sendSignal(SIGKILL);
}

void CProcess::timeout()
{
    if (m_handle.isRunning())
        return;
    m_pollTimer->stop();
    Q_EMIT processExited();
}
