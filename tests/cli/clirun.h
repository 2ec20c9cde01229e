#pragma once
// Runs the command-line host as a script author would, with nothing on standard input.
#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

struct CliResult {
    int status = -1;
    QByteArray out;
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

inline CliResult runSetupFsm(const QStringList& arguments, const QString& workingDir = QString())
{
    QProcess p;
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
