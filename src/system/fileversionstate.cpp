// SPDX-License-Identifier: MIT
#include "system/fileversionstate.h"
#include "system/peversion.h"

#include <QCoreApplication>

CGetFileVersionState::CGetFileVersionState(QObject* parent, const char* name, const QDomNode& element)
    : CFileState(parent, name, element)
{
}

void CGetFileVersionState::initialize()
{
    addEvents({QStringLiteral("finished")});
    addRequiredProperty(QStringLiteral("path"));
    for (const char* output : {"major", "minor", "revision", "build", "version"})
        addAnnouncedProperty(QLatin1String(output));
}

void CGetFileVersionState::enter()
{
    QString path = expandedPath();
    if (path.isEmpty())
        path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                            : QStringLiteral("/proc/self/exe");
    PeFileVersion v;
    PeVersion::read(path, &v);
    setProperty("major", int(v.major));
    setProperty("minor", int(v.minor));
    setProperty("revision", int(v.revision));
    setProperty("build", int(v.build));
    setProperty("version", QString::asprintf("%d.%d.%d.%d", v.major, v.minor, v.revision, v.build));
    setLeaveEvent(QStringLiteral("finished"));
    leaveState();
}
