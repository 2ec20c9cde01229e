// SPDX-License-Identifier: MIT
#pragma once
// Shared by the process tests: copies of the helper program under names of their own (a
// process is found by the file name of its executable, and tests of other programs may run at
// the same time), states run on their own, and the check that no child stays a zombie.
#include "engine/state.h"
#include "engine/statefactory.h"
#include "plugin/plugin.h"
#include "support/flowrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

namespace ProcessTest {

using FlowTest::TraceLines;

// The helper program copied to `dir` as `name`; empty when it cannot be made.
inline QString helperCopy(const QTemporaryDir& dir, const QString& name)
{
    const QString source = QCoreApplication::applicationDirPath() + QStringLiteral("/process-helper");
    const QString target = dir.filePath(name);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return target;
}

// A name no other test of this run uses.
inline QString uniqueName(const char* tag)
{
    return QStringLiteral("sfsm%1-%2").arg(getpid()).arg(QLatin1String(tag));
}

// One state of the library's factory, entered on its own with the given properties.
class StateRun {
public:
    StateRun(const QString& type, const QVariantMap& properties)
        : m_factory(createFactory(nullptr))
        , m_state(m_factory->createState(type, QDomNode(), nullptr, QStringLiteral("s")))
    {
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            m_state->setProperty(it.key().toLatin1().constData(), it.value());
    }

    CState* state() const { return m_state.get(); }
    void enter() { m_state->enter(); }
    // Enters the state and waits for its leave event; empty when it did not leave in time.
    QString run(int timeoutMs = 30000)
    {
        QSignalSpy finished(m_state.get(), &CState::finished);
        m_state->enter();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return QString();
        return m_state->leaveEvent();
    }
    QVariant property(const char* name) const { return m_state->property(name); }
    void destroy() { m_state.reset(); }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CState> m_state;
};

// The children of this process that have ended but were not reaped.
inline QStringList zombieChildren()
{
    QStringList zombies;
    const QString self = QString::number(getpid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(0) == "Z" && fields.at(1) == self.toLatin1())
            zombies.append(pid);
    }
    return zombies;
}

} // namespace ProcessTest
