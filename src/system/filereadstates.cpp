// SPDX-License-Identifier: MIT
#include "system/filereadstates.h"
#include "engine/trace.h"
#include "platform/platform.h"
#include "engine/variantconv.h"
#include "system/filecontent.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace {

// Text in the default encoding; a byte-order mark selects UTF-16 or UTF-32 instead.
QString readDefaultText(QFile& file)
{
    QTextStream stream(&file);
    return stream.readAll();
}

// A read error after a successful open would otherwise pass off a truncated file as its content.
bool readFailed(QFile& file)
{
    if (file.error() == QFileDevice::NoError)
        return false;
    SFSM_TRACE("fileStates", QStringLiteral("Failed reading file"));
    return true;
}

} // namespace

CReadFileState::CReadFileState(QObject* parent, const char* name, const QDomNode& element)
    : CFileState(parent, name, element)
{
}

void CReadFileState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("failed"), QStringLiteral("fileNotFound")});
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("type"));
    addAnnouncedProperty(QStringLiteral("content"));
}

bool CReadFileState::openForReading(QFile& file)
{
    SFSM_TRACE("fileStates", QStringLiteral("Open file: ") + file.fileName());
    if (!file.exists()) {
        leaveWith(QStringLiteral("fileNotFound"));
        return false;
    }
    // A pipe would hold up the event loop waiting for a writer, and a device may never end.
    const Platform::FileKind kind = Platform::fileKind(file.fileName());
    if (kind == Platform::FileKind::Pipe || kind == Platform::FileKind::Device || !file.open(QIODevice::ReadOnly)) {
        SFSM_TRACE("fileStates", QStringLiteral("Failed opening file"));
        leaveWith(QStringLiteral("failed"));
        return false;
    }
    return true;
}

void CReadFileState::enter()
{
    QFile file(expandedPath());
    const QString type = Qt3::toString(property("type")).toLower();
    if (!openForReading(file))
        return;
    auto* content = new CFileContent(file.fileName());
    if (type == QLatin1String("bin"))
        content->setData(file.readAll());
    else
        content->setText(readDefaultText(file));
    if (readFailed(file)) {
        delete content;
        leaveWith(QStringLiteral("failed"));
        return;
    }
    file.close();
    setObjectProperty("content", content);
    leaveWith(QStringLiteral("finished"));
}

CReadTextFileState::CReadTextFileState(QObject* parent, const char* name, const QDomNode& element)
    : CReadFileState(parent, name, element)
{
}

void CReadTextFileState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("failed"), QStringLiteral("fileNotFound")});
    addRequiredProperty(QStringLiteral("path"));
    addAnnouncedProperty(QStringLiteral("content"));
}

void CReadTextFileState::enter()
{
    QFile file(expandedPath());
    if (!openForReading(file))
        return;
    QString text;
    if (QTextCodec* codec = requestedCodec())
        text = codec->toUnicode(file.readAll());
    else
        text = readDefaultText(file);
    if (readFailed(file)) {
        leaveWith(QStringLiteral("failed"));
        return;
    }
    file.close();
    setProperty("content", text);
    leaveWith(QStringLiteral("finished"));
}
