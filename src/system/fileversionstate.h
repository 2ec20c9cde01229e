// SPDX-License-Identifier: MIT
#pragma once
// "getFileVersion": the file version from the version resource of a PE file ("path"; empty
// means the host's own executable) as four numbers and "major.minor.revision.build". A file
// without one yields zeros; the state always leaves with "finished".
#include "system/filestate.h"

class CGetFileVersionState : public CFileState {
    Q_OBJECT
public:
    CGetFileVersionState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};
