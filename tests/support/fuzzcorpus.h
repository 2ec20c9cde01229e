#pragma once
// The seed inputs of a fuzz target, for the smoke tests that run its entry in the ordinary suite.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

// Every file of the folder, in name order, so a failing mutation reproduces.
inline QList<QByteArray> readFuzzCorpus(const QString& directory)
{
    QList<QByteArray> inputs;
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            inputs.append(f.readAll());
    }
    return inputs;
}
