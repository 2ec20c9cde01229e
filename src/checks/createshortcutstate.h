// SPDX-License-Identifier: MIT
#pragma once
// "createShortcut": writes a shortcut to "linkPath" that starts the program "objectPath" with
// "arguments", opens the address "objectPath" (type "url"), or brings up the network
// connection named "objectPath" (type "connection"). Leaves with "finished", or "failed" when
// the shortcut cannot be written. A connection that NetworkManager does not know is no
// failure: nothing is written and the state leaves with "finished". Looking the connection up
// takes a moment, so that case leaves after enter() has returned.
#include "engine/state.h"
#include "platform/desktopentry.h"
#include "system/standardpaths.h"

namespace Platform {
class ConnectionQuery;
}

class CCreateShortcutState : public CState, public IStandardPaths {
    Q_OBJECT
public:
    CCreateShortcutState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
    void leave() override;

private:
    void connectionsKnown(const QStringList& names, const QString& error);
    void write();
    void leaveWith(const QString& event);

    Platform::ConnectionQuery* m_query = nullptr;
    Platform::Shortcut m_shortcut;
    QString m_linkPath;
};
