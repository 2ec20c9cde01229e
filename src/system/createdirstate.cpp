// SPDX-License-Identifier: MIT
#include "system/createdirstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QDir>

CCreateDirState::CCreateDirState(QObject* parent, const char* name, const QDomNode& element)
    : CFileState(parent, name, element)
{
}

void CCreateDirState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("failed"), QStringLiteral("pathNotFound")});
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("directoryName"));
}

void CCreateDirState::enter()
{
    const QString path = expandedPath();
    const QString name = Qt3::toString(property("directoryName"));
    SFSM_TRACE("dirStates", QStringLiteral("Create directory: ") + path + QLatin1Char('/') + name);
    const QDir parentDir(path);
    if (!parentDir.exists()) {
        leaveWith(QStringLiteral("pathNotFound"));
        return;
    }
    // Only the one folder: missing parents inside the name are not created, and an existing
    // folder counts as a failure.
    leaveWith(parentDir.mkdir(name) ? QStringLiteral("finished") : QStringLiteral("failed"));
}
