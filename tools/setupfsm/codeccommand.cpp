// `setupfsm encode` and `setupfsm decode`: the scrambled definition file format.
#include "cli.h"

#include "engine/simplecodec.h"

#include <QFile>
#include <QTextStream>

namespace {

bool readAll(const QString& path, QByteArray* data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Cli::error(QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
        return false;
    }
    *data = file.readAll();
    return true;
}

bool writeAll(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // Nothing was written: whatever is there (a read-only file, a link) is not ours to delete.
        Cli::error(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return false;
    }
    if (file.write(data) != data.size() || !file.flush()) {
        Cli::error(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        file.remove();
        return false;
    }
    return true;
}

bool twoPaths(const QStringList& arguments, const char* command)
{
    if (arguments.size() == 2)
        return true;
    Cli::usageError(QStringLiteral("%1 needs IN and OUT").arg(QLatin1String(command)));
    return false;
}

} // namespace

int Cli::encodeCommand(const QStringList& arguments)
{
    if (!twoPaths(arguments, "encode"))
        return ExitUsage;
    QByteArray data;
    if (!readAll(arguments.at(0), &data))
        return ExitBuildErrors;
    QTextStream in(&data);
    const QString text = in.readAll();
    // The format holds Latin-1 only; anything else would silently turn into "?".
    for (const QChar c : text) {
        if (c.unicode() > 255) {
            Cli::error(QStringLiteral("'%1' holds characters outside Latin-1 (first: U+%2), which the scrambled format cannot hold")
                           .arg(arguments.at(0))
                           .arg(c.unicode(), 4, 16, QLatin1Char('0')));
            return ExitBuildErrors;
        }
    }
    return writeAll(arguments.at(1), CSimpleCodec().encode(text)) ? ExitOk : ExitBuildErrors;
}

int Cli::decodeCommand(const QStringList& arguments)
{
    if (!twoPaths(arguments, "decode"))
        return ExitUsage;
    QByteArray data;
    if (!readAll(arguments.at(0), &data))
        return ExitBuildErrors;
    QString why;
    const QString text = CSimpleCodec().decode(data, &why);
    if (text.isNull()) {
        Cli::error(QStringLiteral("'%1': %2").arg(arguments.at(0), why));
        return ExitBuildErrors;
    }
    return writeAll(arguments.at(1), text.toUtf8()) ? ExitOk : ExitBuildErrors;
}
