// SPDX-License-Identifier: MIT
#pragma once
#include "actions/actionstate.h"

// "removeFiles": removes the entries of "path" that match "fileFilter", read-only files
// included, on a worker thread. Leaves with "success", "notFound" when the folder does not
// exist, or "failed" when something stayed.
class CRemoveFilesState : public CActionState {
    Q_OBJECT
public:
    CRemoveFilesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;

public Q_SLOTS:
    void slot_actionFinished(int result) override;
};
