// SPDX-License-Identifier: MIT
#pragma once
// Runs system commands one after another without blocking the event loop; the first failure
// of a command that must succeed ends the chain. It lives as a child of the caller's context,
// so destroying the context kills what still runs and reports nothing.
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <functional>

class CommandChain : public QObject {
public:
    struct Command {
        QStringList argv;
        bool mayFail = false;
        std::function<void()> before; // runs just before the command (file work between steps)
    };
    // error is empty on success, else the failed command and what it said.
    using Finished = std::function<void(const QString& error)>;

    CommandChain(QObject* context, QList<Command> commands, Finished finished);
    ~CommandChain() override;

private:
    void runNext();
    void finish(const QString& error);

    QList<Command> m_commands;
    Finished m_finished;
    QProcess* m_process = nullptr;
};
