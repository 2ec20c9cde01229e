// SPDX-License-Identifier: MIT
#pragma once
// "checkDiskSpace": leaves with "true" when the file system of "path" has at least "required"
// KiB free for the caller, else "false". "free" and "total" (KiB) are set whenever the path
// could be measured, also when the answer is "false".
#include "engine/state.h"
#include "system/standardpaths.h"

class CCheckDiskSpaceState : public CState, public IStandardPaths {
    Q_OBJECT
public:
    CCheckDiskSpaceState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;

private:
    void leaveWith(const QString& event);
};
