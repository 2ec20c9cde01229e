// SPDX-License-Identifier: MIT
#pragma once
// Builds small PE images in memory: a DOS header, the PE headers, a code section and a resource
// section whose tree holds an icon and a version resource. The offsets of the parts are
// returned too, so that tests can damage exactly the part they mean.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

namespace PeTest {

struct Spec {
    bool pe32plus = false;
    quint16 file[4] = {1, 2, 3, 4};
    quint16 product[4] = {9, 8, 7, 6};
    bool versionTypeFirst = false;  // otherwise an icon type and a named type come before it
    quint32 versionName = 1;        // the name (id) of the version resource
    bool decoyNameFirst = false;    // another name directory listed before the version's
};

struct Image {
    QByteArray bytes;
    int peHeader = 0;          // "PE\0\0"
    int optionalHeader = 0;
    int resourceDirEntry = 0;  // the resource entry of the data directories (RVA, size)
    int sectionTable = 0;
    int resourceSection = 0;   // file offset of the resource root
    int namesDir = 0;          // file offsets: the names under the version type, their languages
    int languageDir = 0;
    int dataEntry = 0;
    int versionBlock = 0;
};

inline void put16(QByteArray& b, int at, quint16 v) { qToLittleEndian(v, b.data() + at); }
inline void put32(QByteArray& b, int at, quint32 v) { qToLittleEndian(v, b.data() + at); }

// A resource section under construction; offsets are relative to its start.
class Resources {
public:
    int directory(int named, int ids)
    {
        align();
        const int at = int(m_b.size());
        m_b.append(QByteArray(16 + 8 * (named + ids), '\0'));
        put16(m_b, at + 12, quint16(named));
        put16(m_b, at + 14, quint16(ids));
        return at;
    }
    void entry(int dir, int index, quint32 name, quint32 target)
    {
        put32(m_b, dir + 16 + 8 * index, name);
        put32(m_b, dir + 16 + 8 * index + 4, target);
    }
    int blob(const QByteArray& bytes)
    {
        align();
        const int at = int(m_b.size());
        m_b.append(bytes);
        return at;
    }
    int name(const QString& text)
    {
        QByteArray b(2, '\0');
        put16(b, 0, quint16(text.size()));
        for (QChar c : text) {
            b.append(char(c.unicode() & 0xFF));
            b.append(char(c.unicode() >> 8));
        }
        return blob(b);
    }
    QByteArray& bytes() { return m_b; }

private:
    void align()
    {
        while (m_b.size() % 4)
            m_b.append('\0');
    }
    QByteArray m_b;
};

inline QByteArray versionInfo(const Spec& s)
{
    QByteArray b(6, '\0');
    for (QChar c : QStringLiteral("VS_VERSION_INFO")) {
        b.append(char(c.unicode()));
        b.append('\0');
    }
    b.append(QByteArray(2, '\0'));
    while (b.size() % 4)
        b.append('\0');
    const int fixed = int(b.size());
    b.append(QByteArray(52, '\0'));
    put32(b, fixed, 0xFEEF04BD);
    put32(b, fixed + 4, 0x10000);
    put32(b, fixed + 8, quint32(s.file[0]) << 16 | s.file[1]);
    put32(b, fixed + 12, quint32(s.file[2]) << 16 | s.file[3]);
    put32(b, fixed + 16, quint32(s.product[0]) << 16 | s.product[1]);
    put32(b, fixed + 20, quint32(s.product[2]) << 16 | s.product[3]);
    // A child block as real files have (its content does not matter here).
    b.append(QByteArray(36, 'c'));
    put16(b, 0, quint16(b.size()));
    put16(b, 2, 52);
    return b;
}

inline Image build(const Spec& s = Spec())
{
    constexpr quint32 kResourceRva = 0x2000;
    constexpr int kResourceFile = 0x600;
    constexpr quint32 kHigh = 0x80000000u;

    // The resource tree: root, one directory per type, names, languages, data entries, data.
    Resources r;
    const int root = r.directory(s.versionTypeFirst ? 0 : 1, s.versionTypeFirst ? 1 : 2);
    const int iconDir = r.directory(0, 1);
    const int iconLang = r.directory(0, 1);
    const int iconData = r.blob(QByteArray(40, 'i'));
    const int iconEntry = r.blob(QByteArray(16, '\0'));
    put32(r.bytes(), iconEntry, kResourceRva + iconData);
    put32(r.bytes(), iconEntry + 4, 40);
    r.entry(iconDir, 0, 1, kHigh | iconLang);
    r.entry(iconLang, 0, 1033, iconEntry);

    const int versionDir = r.directory(0, s.decoyNameFirst ? 2 : 1);
    const int langDir = r.directory(0, 1);
    const int data = r.blob(versionInfo(s));
    const int dataEntry = r.blob(QByteArray(16, '\0'));
    put32(r.bytes(), dataEntry, kResourceRva + data);
    put32(r.bytes(), dataEntry + 4, quint32(versionInfo(s).size()));
    r.entry(langDir, 0, 1033, dataEntry);
    if (s.decoyNameFirst) {
        Spec decoy = s;
        decoy.file[0] = 66;
        const int decoyLang = r.directory(0, 1);
        const int decoyData = r.blob(versionInfo(decoy));
        const int decoyEntry = r.blob(QByteArray(16, '\0'));
        put32(r.bytes(), decoyEntry, kResourceRva + decoyData);
        put32(r.bytes(), decoyEntry + 4, quint32(versionInfo(decoy).size()));
        r.entry(decoyLang, 0, 1033, decoyEntry);
        r.entry(versionDir, 0, s.versionName + 1, kHigh | decoyLang);
        r.entry(versionDir, 1, s.versionName, kHigh | langDir);
    } else {
        r.entry(versionDir, 0, s.versionName, kHigh | langDir);
    }
    if (s.versionTypeFirst) {
        r.entry(root, 0, 16, kHigh | versionDir);
    } else {
        const int named = r.name(QStringLiteral("CUSTOM"));
        r.entry(root, 0, kHigh | named, kHigh | iconDir);
        r.entry(root, 1, 3, kHigh | iconDir);
        r.entry(root, 2, 16, kHigh | versionDir);
    }
    QByteArray rsrc = r.bytes();
    while (rsrc.size() % 0x200)
        rsrc.append('\0');

    Image img;
    QByteArray& b = img.bytes;
    b = QByteArray(kResourceFile, '\0');
    b[0] = 'M';
    b[1] = 'Z';
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
    put32(b, img.resourceDirEntry, kResourceRva);
    put32(b, img.resourceDirEntry + 4, quint32(r.bytes().size()));
    img.sectionTable = img.optionalHeader + optionalSize;
    const struct {
        const char* name;
        quint32 va, vsize, raw, rawSize;
    } sections[] = {{".text", 0x1000, 0x100, 0x400, 0x200},
                    {".rsrc", kResourceRva, quint32(r.bytes().size()), quint32(kResourceFile), quint32(rsrc.size())}};
    for (int i = 0; i < 2; ++i) {
        const int at = img.sectionTable + 40 * i;
        b.replace(at, int(qstrlen(sections[i].name)), sections[i].name);
        put32(b, at + 8, sections[i].vsize);
        put32(b, at + 12, sections[i].va);
        put32(b, at + 16, sections[i].rawSize);
        put32(b, at + 20, sections[i].raw);
    }
    b.append(rsrc);
    img.resourceSection = kResourceFile;
    img.namesDir = kResourceFile + versionDir;
    img.languageDir = kResourceFile + langDir;
    img.dataEntry = kResourceFile + dataEntry;
    img.versionBlock = kResourceFile + data;
    return img;
}

} // namespace PeTest
