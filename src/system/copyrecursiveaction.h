// SPDX-License-Identifier: MIT
#pragma once
// The action of the "copyDir" state: copies the tree "srcDir" into "destDir" on the worker
// thread. It goes on after a failed entry; the result collects failure bits (1 source folder
// missing, 2 a folder could not be created, 4 a file could not be copied) and the finish event
// collects one failure text per line, fresh for every job.
#include "system/copyfilesaction.h"
#include "system/copywalk.h"

class CActionCopyRecursive : public CActionCopyFiles {
    Q_OBJECT
public:
    CActionCopyRecursive(QObject* parent, const char* name);
    // The job uses the members of this class: it must have ended before they go.
    ~CActionCopyRecursive() override;

    // Reads and expands "srcDir" and "destDir" for the next job and starts fresh. The files are
    // counted by the job itself, so that a large tree does not hold up the event loop.
    void reset() override;

    // Files in the tree, skipping what the copy skips; 0 when the folder does not exist.
    virtual int countAll(const QString& directory);
    virtual int copyDirectory(const QString& source, const QString& destination);
    // Reproduces a symbolic link; returns a CFileCopier::Code.
    int copyLink(const QString& source, const QString& destination);

protected:
    int doAction() override;

private:
    int countAll(const QString& directory, CDirTrail& trail);
    void appendFailure(const QString& text);
    void takeMode(const QString& source, const QString& destination);

    QString m_source;
    QString m_destination;
    CDirTrail m_trail; // of the running job
};
