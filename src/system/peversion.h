// SPDX-License-Identifier: MIT
#pragma once
// A portable reader of the fixed file information in the version resource of PE files (.exe,
// .dll), so that file versions of Windows binaries can be read on any system. Every offset
// read from the file is checked against the file and the section it lies in: a malformed or
// hostile file yields "no version", never a crash or a read outside the file.
#include <QtGlobal>

class QIODevice;
class QString;

struct PeFileVersion {
    quint16 major = 0;
    quint16 minor = 0;
    quint16 revision = 0;
    quint16 build = 0;
};

namespace PeVersion {

// The file version of the fixed file information; false (and zeros) when the file is no PE
// file or has no version resource or no fixed file information.
bool read(const QString& path, PeFileVersion* version);
// The same over a random-access device that is open for reading.
bool read(QIODevice* device, PeFileVersion* version);

} // namespace PeVersion
