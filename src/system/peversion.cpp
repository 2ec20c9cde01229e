// SPDX-License-Identifier: MIT
#include "system/peversion.h"

#include "platform/platform.h"

#include <QFile>
#include <QList>
#include <QtEndian>

namespace {

constexpr quint32 kResourceDirectoryIndex = 2;
constexpr quint32 kVersionResourceType = 16;
constexpr quint32 kVersionResourceName = 1;
constexpr quint32 kFixedInfoSignature = 0xFEEF04BD;
constexpr quint32 kFixedInfoSize = 52;
constexpr quint32 kHighBit = 0x80000000u;
// The header, the key and the fixed information lie at the start of the version block.
constexpr quint32 kVersionHeadBytes = 512;

struct Section {
    quint32 virtualAddress;
    quint32 virtualSize;
    quint32 rawPointer;
    quint32 rawSize;
};

struct DirectoryEntry {
    quint32 name;
    quint32 target;
    bool hasId() const { return !(name & kHighBit); }
    bool isDirectory() const { return target & kHighBit; }
    quint32 offset() const { return target & ~kHighBit; }
};

quint16 u16(const QByteArray& b, qint64 at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 u32(const QByteArray& b, qint64 at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

class PeImage {
public:
    explicit PeImage(QIODevice* device) : m_device(device), m_size(device->size()) {}

    bool load();
    // The version resource's data block (its head), or an empty array.
    QByteArray versionBlock();

private:
    // Bytes at a file offset; empty unless all of them lie inside the file.
    QByteArray bytesAt(qint64 offset, qint64 length) const;
    // Bytes at a relative virtual address; empty unless all of them lie in one section's data.
    QByteArray bytesAtRva(quint32 rva, quint32 length) const;
    // Up to `length` bytes at the address, fewer where its section's data ends first.
    QByteArray bytesAtRvaUpTo(quint32 rva, quint32 length) const;
    bool readDirectory(quint32 offset, QList<DirectoryEntry>* entries) const;

    QIODevice* m_device;
    qint64 m_size;
    QList<Section> m_sections;
    quint32 m_resourceRva = 0;
};

QByteArray PeImage::bytesAt(qint64 offset, qint64 length) const
{
    if (offset < 0 || length <= 0 || offset > m_size || length > m_size - offset)
        return QByteArray();
    if (!m_device->seek(offset))
        return QByteArray();
    QByteArray bytes = m_device->read(length);
    return bytes.size() == length ? bytes : QByteArray();
}

QByteArray PeImage::bytesAtRva(quint32 rva, quint32 length) const
{
    for (const Section& s : m_sections) {
        if (rva < s.virtualAddress)
            continue;
        const quint64 into = quint64(rva) - s.virtualAddress;
        if (into + length <= s.rawSize)
            return bytesAt(qint64(s.rawPointer) + qint64(into), length);
    }
    return QByteArray();
}

QByteArray PeImage::bytesAtRvaUpTo(quint32 rva, quint32 length) const
{
    for (const Section& s : m_sections) {
        if (rva < s.virtualAddress || quint64(rva) - s.virtualAddress >= s.rawSize)
            continue;
        const quint32 into = rva - s.virtualAddress;
        const qint64 start = qint64(s.rawPointer) + into;
        const qint64 available = qMin<qint64>(qint64(s.rawSize) - into, m_size - start);
        return bytesAt(start, qMin<qint64>(length, available));
    }
    return QByteArray();
}

bool PeImage::load()
{
    const QByteArray dos = bytesAt(0, 64);
    if (dos.size() != 64 || !dos.startsWith("MZ"))
        return false;
    const qint64 pe = u32(dos, 0x3C);
    const QByteArray coff = bytesAt(pe, 24);
    if (coff.isEmpty() || !coff.startsWith(QByteArray("PE\0\0", 4)))
        return false;
    const quint16 sectionCount = u16(coff, 6);
    const quint16 optionalSize = u16(coff, 20);
    const qint64 optionalStart = pe + 24;
    const QByteArray optional = bytesAt(optionalStart, optionalSize);
    if (optional.size() < 2)
        return false;
    qint64 countAt;
    switch (u16(optional, 0)) {
    case 0x10B: countAt = 92; break;  // PE32
    case 0x20B: countAt = 108; break; // PE32+
    default: return false;
    }
    const qint64 directoryAt = countAt + 4 + 8 * kResourceDirectoryIndex;
    if (directoryAt + 8 > optional.size() || u32(optional, countAt) <= kResourceDirectoryIndex)
        return false;
    m_resourceRva = u32(optional, directoryAt);
    if (m_resourceRva == 0)
        return false;
    const QByteArray table = bytesAt(optionalStart + optionalSize, qint64(sectionCount) * 40);
    if (table.isEmpty())
        return false;
    for (int i = 0; i < sectionCount; ++i) {
        const qint64 at = qint64(i) * 40;
        m_sections.append({u32(table, at + 12), u32(table, at + 8), u32(table, at + 20), u32(table, at + 16)});
    }
    return true;
}

bool PeImage::readDirectory(quint32 offset, QList<DirectoryEntry>* entries) const
{
    const quint64 at = quint64(m_resourceRva) + offset;
    if (at + 16 > 0xFFFFFFFFu)
        return false;
    const QByteArray head = bytesAtRva(quint32(at), 16);
    if (head.isEmpty())
        return false;
    const quint32 count = quint32(u16(head, 12)) + u16(head, 14);
    if (count == 0)
        return false;
    const QByteArray table = bytesAtRva(quint32(at + 16), count * 8);
    if (table.isEmpty())
        return false;
    for (quint32 i = 0; i < count; ++i)
        entries->append({u32(table, i * 8), u32(table, i * 8 + 4)});
    return true;
}

QByteArray PeImage::versionBlock()
{
    QList<DirectoryEntry> types;
    if (!readDirectory(0, &types))
        return QByteArray();
    const DirectoryEntry* version = nullptr;
    for (const DirectoryEntry& e : types) {
        if (e.hasId() && e.name == kVersionResourceType && e.isDirectory())
            version = &e;
    }
    if (!version)
        return QByteArray();

    // Version information sits under name 1; take the first directory when it is missing.
    QList<DirectoryEntry> names;
    if (!readDirectory(version->offset(), &names))
        return QByteArray();
    const DirectoryEntry* name = nullptr;
    for (const DirectoryEntry& e : names) {
        if (e.isDirectory() && (!name || (e.hasId() && e.name == kVersionResourceName)))
            name = &e;
    }
    if (!name)
        return QByteArray();

    QList<DirectoryEntry> languages;
    if (!readDirectory(name->offset(), &languages) || languages.first().isDirectory())
        return QByteArray();
    const quint64 dataEntry = quint64(m_resourceRva) + languages.first().offset();
    if (dataEntry + 16 > 0xFFFFFFFFu)
        return QByteArray();
    const QByteArray entry = bytesAtRva(quint32(dataEntry), 16);
    if (entry.isEmpty())
        return QByteArray();
    const quint32 dataSize = u32(entry, 4);
    return bytesAtRvaUpTo(u32(entry, 0), qMin(dataSize, kVersionHeadBytes));
}

// The fixed file information of a VS_VERSIONINFO block: a length, the value's length, a type,
// the key "VS_VERSION_INFO" in UTF-16, padding to 32 bits, then the value.
bool parseFixedInfo(const QByteArray& block, PeFileVersion* version)
{
    if (block.size() < 6)
        return false;
    const qint64 limit = qMin<qint64>(u16(block, 0), block.size());
    const quint16 valueLength = u16(block, 2);
    static const QString key = QStringLiteral("VS_VERSION_INFO");
    qint64 at = 6;
    for (QChar expected : key) {
        if (at + 2 > limit || u16(block, at) != expected.unicode())
            return false;
        at += 2;
    }
    if (at + 2 > limit || u16(block, at) != 0)
        return false;
    at = (at + 2 + 3) & ~qint64(3);
    if (valueLength < kFixedInfoSize || at + kFixedInfoSize > limit)
        return false;
    if (u32(block, at) != kFixedInfoSignature)
        return false;
    const quint32 high = u32(block, at + 8);
    const quint32 low = u32(block, at + 12);
    version->major = quint16(high >> 16);
    version->minor = quint16(high & 0xFFFF);
    version->revision = quint16(low >> 16);
    version->build = quint16(low & 0xFFFF);
    return true;
}

} // namespace

namespace PeVersion {

bool read(QIODevice* device, PeFileVersion* version)
{
    *version = PeFileVersion();
    if (!device || !device->isOpen() || device->isSequential())
        return false;
    PeImage image(device);
    if (!image.load())
        return false;
    PeFileVersion found;
    if (!parseFixedInfo(image.versionBlock(), &found))
        return false;
    *version = found;
    return true;
}

bool read(const QString& path, PeFileVersion* version)
{
    *version = PeFileVersion();
    // Only a regular file holds a version; opening a pipe would wait for a writer on the
    // event-loop thread, and a device may never end.
    if (Platform::fileKind(path) != Platform::FileKind::Regular)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return read(&file, version);
}

} // namespace PeVersion
