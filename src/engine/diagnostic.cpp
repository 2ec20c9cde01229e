#include "engine/diagnostic.h"

#include <QDir>

QString CDiagnostic::severityName() const
{
    return severity == Error ? QStringLiteral("error") : QStringLiteral("warning");
}

QString CDiagnostic::toText() const
{
    QString where = file.isEmpty() ? QStringLiteral("setupfsm") : file;
    if (line > 0)
        where += QLatin1Char(':') + QString::number(line);
    return where + QStringLiteral(": ") + severityName() + QStringLiteral(": ") + message;
}

QString diagnosticPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString clean = QDir::cleanPath(path);
    if (!QDir::isAbsolutePath(clean))
        return clean;
    const QString here = QDir::currentPath();
    if (here != QLatin1String("/") && clean.startsWith(here + QLatin1Char('/')))
        return clean.mid(here.size() + 1);
    return clean;
}
