#pragma once
// Runs the command-line host as a script author would, with nothing on standard input.
#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStringList>

struct CliResult {
    int status = -1; // exit code; -2 for a crash, -1 when it did not finish in time
    QByteArray out;  // on a terminal: everything the terminal showed
    QByteArray err;

    QList<QJsonObject> json() const
    {
        QList<QJsonObject> lines;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.trimmed().isEmpty())
                lines << QJsonDocument::fromJson(line).object();
        }
        return lines;
    }
};

// Environment changes: a value replaces the variable, a null value removes it.
using CliEnvironment = QMap<QString, QString>;

inline CliResult runSetupFsm(const QStringList& arguments, const QString& workingDir = QString(),
                             const CliEnvironment& environment = {})
{
    QProcess p;
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = environment.begin(); it != environment.end(); ++it) {
            if (it.value().isNull())
                env.remove(it.key());
            else
                env.insert(it.key(), it.value());
        }
        p.setProcessEnvironment(env);
    }
    p.setProgram(QStringLiteral(SETUPFSM_CLI));
    p.setArguments(arguments);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    CliResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline bool writeText(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
