// SPDX-License-Identifier: MIT
#pragma once
// One child process: the program and its arguments, the start (also with the rights of the
// administrator), the handle to wait for it and its exit code. A poll timer of the creating
// thread reports the end with processExited(). Deleting the object never stops the child.
#include "platform/process.h"

#include <QObject>
#include <QStringList>

class QTimer;

class CProcess : public QObject {
    Q_OBJECT
public:
    explicit CProcess(QObject* parent = nullptr);
    ~CProcess() override;

    virtual bool isRunning() const;
    // The first entry is the program; the others are passed to it as they stand.
    virtual void setArguments(const QStringList& arguments);
    virtual void addArgument(const QString& argument);
    // Callable from any thread; the poll timer starts on the thread that created the object.
    virtual bool start();
    // Already administrator: a plain start. Otherwise through pkexec, which asks for the
    // password; without pkexec the start fails.
    virtual bool startAsAdministrator();

    QStringList arguments() const { return m_arguments; }
    Platform::ProcessHandle& handle() { return m_handle; }
    int exitCode() const { return m_handle.exitCode(); }
    bool normalExit() const { return m_handle.exitedNormally(); }
    // Whether the last start went through pkexec, whose exit codes 126 and 127 say that the
    // rights were not granted.
    bool startedThroughPkexec() const { return m_throughPkexec; }
    // Why the last start failed.
    QString errorString() const { return m_error; }

public Q_SLOTS:
    // Asks the child to end (SIGTERM).
    void tryTerminate();
    // Ends the child (SIGKILL).
    void kill();
    // The poll: stops the timer and reports the end once the child has ended.
    void timeout();

Q_SIGNALS:
    void processExited();
    // Carries a start on another thread over to the poll timer's own thread.
    void startedElsewhere(QPrivateSignal);

private:
    bool startProgram(const QString& program, const QStringList& arguments);

    Platform::ProcessHandle m_handle;
    QStringList m_arguments;
    QString m_error;
    bool m_throughPkexec = false;
    QTimer* m_pollTimer = nullptr;
};
