// SPDX-License-Identifier: MIT
#pragma once
// The actions of the "copyFiles" and "copyRenameFiles" states. Entering the state builds the
// copy list from the numbered "copyFile" properties (on the event-loop thread); the job then
// copies the entries in order on the worker thread.
//
// The list is shared by construction only: the job takes its own copy when it begins and
// never looks at the action's list again, so abort() may empty that list at any moment.
#include "actions/action.h"
#include "system/filecopier.h"
#include "system/standardpaths.h"

#include <QMap>
#include <QMutex>
#include <QPair>

class CActionCopyFiles : public CThreadedAction, public IStandardPaths {
    Q_OBJECT
public:
    // Entries by running number, in the order they were added: source and destination path.
    using CopyList = QMap<uint, QPair<QString, QString>>;

    // Status codes of the job besides the copy codes of CFileCopier.
    enum { DirectoryNotCreated = 5 };

    CActionCopyFiles(QObject* parent, const char* name);
    // The job uses the members of this class: it must have ended before they go.
    ~CActionCopyFiles() override;

    // Starts a fresh list and progress, then adds the entries of the numbered properties.
    void reset() override;
    // Empties the list and asks the job to stop after the chunk in hand.
    void abort() override;

    // Adds the files of a source pattern ("dir|dir/mask", macros allowed) to a destination folder.
    virtual void addFile(const QString& source, const QString& destination);
    // Creates the folder and any missing parents; true when it exists afterwards.
    virtual bool ensureDirectory(const QString& path);
    // Copies one file; returns a CFileCopier::Code.
    virtual int copyFile(const QString& source, const QString& destination);

    CopyList copyList() const;

protected:
    int doAction() override;

    // Appends one entry and writes its trace line.
    void addEntry(const QString& source, const QString& destination);
    void clearList();

    CFileCopier m_copier; // the job's own: used on the worker thread only

private:
    mutable QMutex m_listMutex;
    CopyList m_list;
    uint m_nextNumber = 1;
};

// Each "copyFile" value names files one by one, "source|source::destination file", so a file
// can take a new name. Sources are not checked when the list is built.
class CActionCopyRenameFiles : public CActionCopyFiles {
    Q_OBJECT
public:
    CActionCopyRenameFiles(QObject* parent, const char* name);

    void addFile(const QString& source, const QString& destination) override;
};
