// SPDX-License-Identifier: MIT
#pragma once
// Builds small PE images in memory: a DOS header, the PE headers, a code section and a resource
// section whose tree holds a named type, an icon and the version resource, in that order. The
// offsets of the parts are returned too, so that tests can damage exactly the part they mean.
#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace PeTest {

struct Recipe {
    bool pe32plus = false;
    quint16 file[4] = {1, 2, 3, 4};
    quint16 product[4] = {9, 8, 7, 6};
    quint32 versionName = 1; // the id the version resource is filed under
};

struct Image {
    QByteArray bytes;
    int peHeader = 0;         // file offsets of: "PE\0\0",
    int optionalHeader = 0;   // the optional header,
    int resourceDirEntry = 0; // the resource slot of its data directories,
    int sectionTable = 0;     // the section table,
    int resourceRoot = 0;     // the root resource directory,
    int languageDir = 0;      // the version's language directory,
    int dataEntry = 0;        // its data entry,
    int versionBlock = 0;     // and the VS_VERSIONINFO block
};

inline void put16(QByteArray& b, int at, quint16 v) { qToLittleEndian(v, b.data() + at); }
inline void put32(QByteArray& b, int at, quint32 v) { qToLittleEndian(v, b.data() + at); }

// Appends 4-byte aligned pieces; offsets are relative to the start of the resource section.
inline int append(QByteArray& b, const QByteArray& piece)
{
    while (b.size() % 4)
        b.append('\0');
    const int at = int(b.size());
    b.append(piece);
    return at;
}

inline int directory(QByteArray& r, int named, int ids)
{
    const int at = append(r, QByteArray(16 + 8 * (named + ids), '\0'));
    put16(r, at + 12, quint16(named));
    put16(r, at + 14, quint16(ids));
    return at;
}

inline void entry(QByteArray& r, int dir, int index, quint32 name, quint32 target)
{
    put32(r, dir + 16 + 8 * index, name);
    put32(r, dir + 16 + 8 * index + 4, target);
}

inline QByteArray utf16(const QString& text)
{
    QByteArray b;
    for (QChar c : text)
        b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return b;
}

inline QByteArray versionInfo(const Recipe& s)
{
    QByteArray b = QByteArray(6, '\0') + utf16(QStringLiteral("VS_VERSION_INFO")) + QByteArray(4, '\0');
    const int fixed = int(b.size()); // 6 + 32 bytes of key and terminator, padded to 40
    b.append(QByteArray(52, '\0'));
    const quint32 words[] = {0xFEEF04BD, 0x10000, quint32(s.file[0]) << 16 | s.file[1],
                             quint32(s.file[2]) << 16 | s.file[3], quint32(s.product[0]) << 16 | s.product[1],
                             quint32(s.product[2]) << 16 | s.product[3]};
    for (int i = 0; i < 6; ++i)
        put32(b, fixed + 4 * i, words[i]);
    b.append(QByteArray(36, 'c')); // a child block, as real files have
    put16(b, 0, quint16(b.size()));
    put16(b, 2, 52);
    return b;
}

inline Image build(const Recipe& s = Recipe())
{
    constexpr quint32 kRva = 0x2000;
    constexpr int kFile = 0x600;
    constexpr quint32 kDir = 0x80000000u;

    QByteArray r;
    const int root = directory(r, 1, 2);
    const int iconNames = directory(r, 0, 1);
    const int iconLanguages = directory(r, 0, 1);
    const int iconEntry = append(r, QByteArray(16, '\0'));
    put32(r, iconEntry, kRva + quint32(append(r, QByteArray(40, 'i'))));
    put32(r, iconEntry + 4, 40);
    entry(r, iconNames, 0, 1, kDir | iconLanguages);
    entry(r, iconLanguages, 0, 1033, iconEntry);

    const int names = directory(r, 0, 1);
    const int languages = directory(r, 0, 1);
    const QByteArray info = versionInfo(s);
    const int data = append(r, info);
    const int dataEntry = append(r, QByteArray(16, '\0'));
    put32(r, dataEntry, kRva + quint32(data));
    put32(r, dataEntry + 4, quint32(info.size()));
    entry(r, names, 0, s.versionName, kDir | languages);
    entry(r, languages, 0, 1033, dataEntry);
    const QByteArray typeName = QByteArray(2, '\0') + utf16(QStringLiteral("CUSTOM"));
    const int named = append(r, typeName);
    put16(r, named, 6);
    entry(r, root, 0, kDir | named, kDir | iconNames);
    entry(r, root, 1, 3, kDir | iconNames);
    entry(r, root, 2, 16, kDir | names);
    const quint32 usedSize = quint32(r.size());
    while (r.size() % 0x200)
        r.append('\0');

    Image img;
    QByteArray& b = img.bytes;
    b = QByteArray(kFile, '\0');
    b.replace(0, 2, "MZ");
    img.peHeader = 0x80;
    put32(b, 0x3C, quint32(img.peHeader));
    b.replace(img.peHeader, 4, QByteArray("PE\0\0", 4));
    const int coff = img.peHeader + 4;
    const quint16 optionalSize = s.pe32plus ? 240 : 224;
    put16(b, coff, s.pe32plus ? 0x8664 : 0x14C);
    put16(b, coff + 2, 2);
    put16(b, coff + 16, optionalSize);
    img.optionalHeader = coff + 20;
    put16(b, img.optionalHeader, s.pe32plus ? 0x20B : 0x10B);
    const int countAt = img.optionalHeader + (s.pe32plus ? 108 : 92);
    put32(b, countAt, 16);
    img.resourceDirEntry = countAt + 4 + 2 * 8;
    put32(b, img.resourceDirEntry, kRva);
    put32(b, img.resourceDirEntry + 4, usedSize);
    img.sectionTable = img.optionalHeader + optionalSize;
    const quint32 sections[2][4] = {{0x1000, 0x100, 0x400, 0x200}, {kRva, usedSize, kFile, quint32(r.size())}};
    for (int i = 0; i < 2; ++i) {
        const int at = img.sectionTable + 40 * i;
        b.replace(at, 5, i ? ".rsrc" : ".text");
        put32(b, at + 8, sections[i][1]);
        put32(b, at + 12, sections[i][0]);
        put32(b, at + 16, sections[i][3]);
        put32(b, at + 20, sections[i][2]);
    }
    b.append(r);
    img.resourceRoot = kFile + root;
    img.languageDir = kFile + languages;
    img.dataEntry = kFile + dataEntry;
    img.versionBlock = kFile + data;
    return img;
}

} // namespace PeTest
