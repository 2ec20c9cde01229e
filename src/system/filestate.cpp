// SPDX-License-Identifier: MIT
#include "system/filestate.h"
#include "engine/variantconv.h"

#include <QFile>
#include <QTextCodec>


CFileState::CFileState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

QString CFileState::expandedPath() const
{
    return expandMacros(Qt3::toString(property("path")));
}

void CFileState::leaveWith(const QString& event)
{
    setLeaveEvent(event);
    leaveState();
}

QTextCodec* CFileState::requestedCodec() const
{
    if (!hasValueProperty("codec"))
        return nullptr;
    return QTextCodec::codecForName(Qt3::toString(property("codec")).toLatin1());
}

bool CFileState::writeAll(QFile& file, const QByteArray& bytes)
{
    // A buffered write may succeed while the disk is full; only the flush tells.
    return file.write(bytes) == bytes.size() && file.flush();
}
