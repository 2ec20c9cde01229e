// SPDX-License-Identifier: MIT
#pragma once
// "createDirectory": creates one folder, "directoryName", inside an existing folder "path".
#include "system/filestate.h"

class CCreateDirState : public CFileState {
    Q_OBJECT
public:
    CCreateDirState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};
