#pragma once
// The operating-system services that the state types use sit behind this layer. The Linux
// backend gives real answers for this machine; an emulation profile (an INI file named by
// SETUPFSM_PROFILE) overrides what a script sees, so flows written for Windows run in tests.
#include <QString>
#include <QVariant>

class QSettings;

namespace Platform {

// The emulation profile, or null when none is configured. Owned by the platform layer.
QSettings* profile();

// A key of the profile ("group/key"), or an invalid variant when no profile sets it.
QVariant profileValue(const QString& key);

// Forgets the cached profile and everything derived from it; the next call reads
// SETUPFSM_PROFILE again. Meant for hosts that switch profiles and for tests.
void reloadProfile();

// Registers a function that drops a cache derived from the profile; reloadProfile() calls it.
void onProfileReload(void (*dropCache)());

// What stands at a path, links followed. A pipe or socket makes open() wait for a partner at
// the other end; a device may never end (/dev/zero). Missing when nothing can be reached.
enum class FileKind { Missing, Regular, Directory, Pipe, Device, Other };
FileKind fileKind(const QString& path);

// The process's file creation mask. umask() can only be read by setting it, which races with
// threads creating files, so the mask is read from the process status instead.
unsigned fileCreationMask();

// Asks the system to back a large buffer with huge pages where it can. The first touch of each
// small page costs a fault, and in a virtual machine the faults of a buffer of many megabytes
// cost more than filling it; a hint the system cannot follow changes nothing.
void preferHugePages(void* address, qint64 length);

} // namespace Platform
