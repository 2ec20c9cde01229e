// SPDX-License-Identifier: MIT
#include "checks/createshortcutstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/connectionquery.h"

#include <QFileInfo>

namespace {

void trace(const QString& text)
{
    SFSM_TRACE("shortcutStates", text);
}

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The name a desktop shows under the icon: the link's file name without its extension.
QString displayName(const QString& linkPath)
{
    const QFileInfo info(linkPath);
    const QString base = info.completeBaseName();
    return base.isEmpty() ? info.fileName() : base;
}

} // namespace

CCreateShortcutState::CCreateShortcutState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
    , m_query(new Platform::ConnectionQuery(this))
{
    connect(m_query, &Platform::ConnectionQuery::finished, this, &CCreateShortcutState::connectionsKnown);
}

void CCreateShortcutState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("failed")});
    addRequiredProperty(QStringLiteral("objectPath"));
    addRequiredProperty(QStringLiteral("linkPath"));
}

void CCreateShortcutState::leaveWith(const QString& event)
{
    setLeaveEvent(event);
    leaveState();
}

void CCreateShortcutState::enter()
{
    m_query->abort();
    const QString type = Qt3::toString(property("type")).toLower();
    m_linkPath = expandMacros(Qt3::toString(property("linkPath")));
    m_shortcut = Platform::Shortcut();
    m_shortcut.target = expandMacros(Qt3::toString(property("objectPath")));
    m_shortcut.arguments = Qt3::toString(property("arguments"));
    m_shortcut.comment = Qt3::toString(property("comment"));
    m_shortcut.iconPath = expandMacros(Qt3::toString(property("iconPath")));
    m_shortcut.name = displayName(m_linkPath);
    trace(QStringLiteral("Create shortcut ") + quoted(m_linkPath) + QStringLiteral(" to ") + quoted(m_shortcut.target)
          + (type.isEmpty() ? QString() : QStringLiteral(" (") + type + QLatin1Char(')')));
    if (m_shortcut.target.isEmpty() || m_linkPath.isEmpty()) {
        trace(QStringLiteral("  error: the shortcut needs both an object path and a link path"));
        leaveWith(QStringLiteral("failed"));
        return;
    }
    if (type == QLatin1String("url")) {
        m_shortcut.kind = Platform::Shortcut::Kind::Url;
    } else if (type == QLatin1String("connection")) {
        m_shortcut.kind = Platform::Shortcut::Kind::Connection;
        m_query->start();
        return;
    }
    write();
}

void CCreateShortcutState::connectionsKnown(const QStringList& names, const QString& error)
{
    if (!error.isEmpty())
        trace(QStringLiteral("  error: ") + error);
    for (const QString& name : names) {
        if (name.compare(m_shortcut.target, Qt::CaseInsensitive) == 0) {
            // nmcli finds a connection only by its exact name.
            m_shortcut.target = name;
            write();
            return;
        }
    }
    trace(QStringLiteral("  connection ") + quoted(m_shortcut.target) + QStringLiteral(" not found: no shortcut written"));
    leaveWith(QStringLiteral("finished"));
}

void CCreateShortcutState::write()
{
    QString error;
    if (!Platform::writeShortcut(m_linkPath, m_shortcut, &error)) {
        trace(QStringLiteral("  error: cannot write ") + quoted(m_linkPath) + QStringLiteral(": ") + error);
        leaveWith(QStringLiteral("failed"));
        return;
    }
    leaveWith(QStringLiteral("finished"));
}

void CCreateShortcutState::leave()
{
    m_query->abort();
    CState::leave();
}
