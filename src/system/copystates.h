// SPDX-License-Identifier: MIT
#pragma once
// The copy states. Each owns its copy action, which runs on a worker thread; leaving the state
// stops the job and nothing it still reports reaches the state.
#include "actions/actionstate.h"

// "copyFiles": copies the files named by "copyFile1", "copyFile2", ... (each
// "source folders/mask::destination folder"). Leaves with "success" when every file was copied
// or only skipped because its destination could not be opened, otherwise "failed".
class CCopyFilesState : public CActionState {
    Q_OBJECT
public:
    CCopyFilesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;

public Q_SLOTS:
    void slot_actionFinished(int result) override;
};

// "copyRenameFiles": like copyFiles, but each destination is a file path of its own.
class CCopyRenameFilesState : public CCopyFilesState {
    Q_OBJECT
public:
    CCopyRenameFilesState(QObject* parent, const char* name, const QDomNode& element);
};

// "copyDir": copies the tree "srcDir" into "destDir". Leaves with "success" when nothing
// failed; otherwise with "failed" and the failures, one per line, in "errorString".
class CCopyRecursiveState : public CActionState {
    Q_OBJECT
public:
    CCopyRecursiveState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;

public Q_SLOTS:
    void slot_actionFinished(int result) override;
};
