// SPDX-License-Identifier: MIT
#pragma once
// What the copy, remove and count states share when they walk folders: how a folder and a
// name are joined, how a folder is listed, and which subfolders a walk may enter.
#include <QDir>
#include <QFileInfoList>
#include <QList>
#include <QPair>
#include <QString>

namespace CopyWalk {

// Appends the name after a "/" unless the directory already ends with one.
QString join(const QString& directory, const QString& name);

// The entries of a directory that match the name filter (wildcards; several patterns separated
// by ";" or blanks; empty for all), sorted by name ignoring case, never "." or "..".
QFileInfoList list(const QString& directory, const QString& nameFilter, QDir::Filters filters);

// One entry of a folder as a tree walk needs it: a file, a folder or a symbolic link.
struct Entry {
    QString name;
    bool isDirectory = false;
    bool isLink = false; // whatever it leads to, broken links included; never a directory
};

// Every file, folder and symbolic link of a folder (names beginning with "." included, never
// "." or ".."; pipes, sockets and devices are left out), sorted like list(). Links are
// entries of their own, never followed: a tree copy reproduces them as links, as cp -r does. Read with readdir: listing a folder through QDir cost more than copying a small file
// from it, and a tree walk lists every folder twice (counting, then copying).
QList<Entry> treeEntries(const QString& directory);

// Subfolders whose names begin with "." are never entered.
bool mayEnter(const QFileInfo& subdirectory);
bool mayEnter(const QString& subdirectoryName);

// The entry kinds a tree walk takes: files and folders, those whose names begin with "."
// included. Leaving them out would make a copied tree incomplete and a folder that holds one
// impossible to remove.
constexpr QDir::Filters kTreeEntries = QDir::AllEntries | QDir::Hidden;

} // namespace CopyWalk

// The folders from the top of a walk down to where it is. A folder that is a link back to one
// of them would make the walk endless, so it is not entered a second time.
class CDirTrail {
public:
    // Whether the walk may go into the folder; when it may, the folder joins the trail.
    [[nodiscard]] bool enter(const QFileInfo& directory);
    // Takes the folder entered last off the trail.
    void leave();
    bool isEmpty() const { return m_ids.isEmpty(); }

private:
    QList<QPair<quint64, quint64>> m_ids; // device and inode of each folder
};

// Pairs enter() with leave() for a scope.
class CDirTrailStep {
public:
    CDirTrailStep(CDirTrail& trail, const QFileInfo& directory) : m_trail(trail), m_entered(trail.enter(directory)) {}
    ~CDirTrailStep()
    {
        if (m_entered)
            m_trail.leave();
    }
    CDirTrailStep(const CDirTrailStep&) = delete;
    CDirTrailStep& operator=(const CDirTrailStep&) = delete;

    bool entered() const { return m_entered; }

private:
    CDirTrail& m_trail;
    bool m_entered;
};
