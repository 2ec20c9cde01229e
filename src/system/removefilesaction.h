// SPDX-License-Identifier: MIT
#pragma once
// The action of the "removeFiles" state: removes the entries of "path" that match
// "fileFilter" on the worker thread. A matching folder goes with everything in it. The result
// collects bits: 1 the folder does not exist, 2 a file stayed, 3 a folder stayed.
#include "actions/action.h"
#include "system/copywalk.h"
#include "system/standardpaths.h"

#include <QFileInfo>

// A file as removal sees it: its read-only mark can be cleared first.
class CFileInfo : public QFileInfo {
public:
    using QFileInfo::QFileInfo;
    virtual ~CFileInfo() = default;

    // Gives the owner write permission when the file has none. A link needs no change: its
    // target is not part of what is removed.
    virtual bool clearReadOnly();
};

class CActionRemoveFiles : public CThreadedAction, public IStandardPaths {
    Q_OBJECT
public:
    CActionRemoveFiles(QObject* parent, const char* name);
    // The job uses the members of this class: it must have ended before they go.
    ~CActionRemoveFiles() override;

    // Reads "path" (expanded) and "fileFilter" for the next job and starts fresh. The entries
    // are counted by the job itself, so that a large tree does not hold up the event loop.
    void reset() override;

    virtual int countMatching(const QString& directory, const QString& filter);
    virtual int removeMatching(const QString& directory, const QString& filter);

protected:
    int doAction() override;

private:
    int countMatching(const QString& directory, const QString& filter, CDirTrail& trail);
    int removeEntry(const QFileInfo& entry);

    QString m_path;
    QString m_filter;
    CDirTrail m_trail; // of the running job
};
