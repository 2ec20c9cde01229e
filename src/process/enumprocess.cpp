// SPDX-License-Identifier: MIT
#include "process/enumprocess.h"
#include "platform/process.h"

CEnumProcess::CEnumProcess()
{
    const QList<Platform::ProcessEntry> running = Platform::runningProcesses();
    m_entries.reserve(running.size());
    for (const Platform::ProcessEntry& e : running)
        m_entries.append({e.pid, e.name.left(256)});
}

qint64 CEnumProcess::findProcess(const QString& fileName)
{
    return Platform::findProcess(fileName);
}
