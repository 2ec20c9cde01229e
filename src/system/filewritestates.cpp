// SPDX-License-Identifier: MIT
#include "system/filewritestates.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/platform.h"
#include "system/filecontent.h"

#include <QFile>
#include <QTextCodec>

namespace {

const QString kFinished = QStringLiteral("finished");
const QString kFailed = QStringLiteral("failed");

// Opening a pipe for writing waits for a reader, with the event loop held up meanwhile.
bool waitsForReader(const QString& path)
{
    return Platform::fileKind(path) == Platform::FileKind::Pipe;
}

void traceOpenFailed()
{
    SFSM_TRACE("fileStates", QStringLiteral("Failed opening file"));
}

} // namespace

CWriteFileState::CWriteFileState(QObject* parent, const char* name, const QDomNode& element)
    : CFileState(parent, name, element)
{
}

void CWriteFileState::initialize()
{
    addEvents({kFinished, kFailed});
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("content"));
}

void CWriteFileState::enter()
{
    const QString path = expandedPath();
    setLeaveEvent(kFailed);
    const auto* content = qobject_cast<const CFileContent*>(objectProperty("content"));
    if (!content) {
        SFSM_TRACE("fileStates", QStringLiteral("Empty content"));
        leaveState();
        return;
    }
    QFile file(path);
    if (waitsForReader(path) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        traceOpenFailed();
        leaveState();
        return;
    }
    if (content->text().isEmpty()) {
        if (!writeAll(file, content->data())) {
            SFSM_TRACE("fileStates", QStringLiteral("Error writing binary content"));
            leaveState();
            return;
        }
    } else if (!writeAll(file, content->text().toUtf8())) {
        SFSM_TRACE("fileStates", QStringLiteral("Error writing text content"));
        leaveState();
        return;
    }
    file.close();
    leaveWith(kFinished);
}

CWriteTextFileState::CWriteTextFileState(QObject* parent, const char* name, const QDomNode& element)
    : CFileState(parent, name, element)
{
}

void CWriteTextFileState::initialize()
{
    addEvents({kFinished, kFailed});
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("content"));
}

void CWriteTextFileState::enter()
{
    writeText(QIODevice::WriteOnly | QIODevice::Truncate, true);
}

void CWriteTextFileState::writeText(QIODevice::OpenMode mode, bool useCodec)
{
    const QString path = expandedPath();
    setLeaveEvent(kFailed);
    const QString content = Qt3::toString(property("content"));
    QFile file(path);
    if (waitsForReader(path) || !file.open(mode)) {
        traceOpenFailed();
        leaveState();
        return;
    }
    QTextCodec* codec = useCodec ? requestedCodec() : nullptr;
    const QByteArray bytes = codec ? codec->fromUnicode(content) : content.toUtf8();
    if (!writeAll(file, bytes)) {
        SFSM_TRACE("fileStates", QStringLiteral("Error writing text content"));
        leaveState();
        return;
    }
    file.close();
    leaveWith(kFinished);
}

CAppendToFileState::CAppendToFileState(QObject* parent, const char* name, const QDomNode& element)
    : CWriteTextFileState(parent, name, element)
{
}

void CAppendToFileState::enter()
{
    writeText(QIODevice::WriteOnly | QIODevice::Append, false);
}
