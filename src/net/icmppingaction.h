// SPDX-License-Identifier: MIT
#pragma once
#include "actions/action.h"

class CIcmp;

// Sends one echo request to "address" on the worker thread and waits "timeout" milliseconds
// at most ("ttl" and "packetSize" one byte each, 0 meaning 32). Stores "roundTripTime" in every
// case and finishes with "reply" or "noReply"; the result is the library's status. Leaving the
// state stops the wait within a few milliseconds.
class CActionIcmpPing : public CThreadedAction {
    Q_OBJECT
public:
    CActionIcmpPing(QObject* parent, const char* name);
    ~CActionIcmpPing() override;

    void reset() override;
    void abort() override;

protected:
    int doAction() override;

private:
    CIcmp* m_icmp;
};
