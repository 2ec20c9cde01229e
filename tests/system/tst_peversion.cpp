// SPDX-License-Identifier: MIT
// The file version reader on PE images built in memory, sound and damaged, and the
// "getFileVersion" state that uses it.
#include "pebuilder.h"
#include "systemflow.h"
#include "system/peversion.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <functional>
#include <sys/stat.h>

using PeTest::put16;
using PeTest::put32;
using SystemTest::Flow;
using SystemTest::singleStateFlow;

namespace {

using Damage = std::function<void(PeTest::Image&)>;
const QByteArray kPipe("<named pipe>");

bool readBytes(const QByteArray& bytes, PeFileVersion* v)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return PeVersion::read(&buffer, v);
}

QString text(const PeFileVersion& v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v.major).arg(v.minor).arg(v.revision).arg(v.build);
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class tst_PeVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void soundImages_data();
    void soundImages();
    void damagedImages_data();
    void damagedImages();
    void toleratedDamage_data();
    void toleratedDamage();
    void truncatedImages();
    void randomDamageStaysInBounds();
    void state_data();
    void state();
};

void tst_PeVersion::soundImages_data()
{
    QTest::addColumn<PeTest::Recipe>("recipe");
    QTest::addColumn<QString>("version");
    PeTest::Recipe s;
    QTest::newRow("pe32, version after other types") << s << "1.2.3.4";
    s.pe32plus = true;
    s.file[0] = 65535;
    s.file[3] = 32768;
    QTest::newRow("pe32+, unsigned halves") << s << "65535.2.3.32768";
    PeTest::Recipe other;
    other.versionName = 7;
    QTest::newRow("version under another name") << other << "1.2.3.4";
}

void tst_PeVersion::soundImages()
{
    QFETCH(PeTest::Recipe, recipe);
    QFETCH(QString, version);
    PeFileVersion v;
    QVERIFY(readBytes(PeTest::build(recipe).bytes, &v));
    QCOMPARE(text(v), version);
}

void tst_PeVersion::damagedImages_data()
{
    QTest::addColumn<Damage>("damage");
    using I = PeTest::Image;
    QTest::newRow("empty") << Damage([](I& i) { i.bytes.clear(); });
    QTest::newRow("no MZ") << Damage([](I& i) { i.bytes[0] = 'X'; });
    QTest::newRow("PE offset past the end") << Damage([](I& i) { put32(i.bytes, 0x3C, 0xFFFFFFF0u); });
    QTest::newRow("PE offset negative as signed") << Damage([](I& i) { put32(i.bytes, 0x3C, 0x80000000u); });
    QTest::newRow("no PE signature") << Damage([](I& i) { i.bytes[i.peHeader + 2] = 'X'; });
    QTest::newRow("unknown optional header") << Damage([](I& i) { put16(i.bytes, i.optionalHeader, 0x107); });
    QTest::newRow("optional header too small") << Damage([](I& i) { put16(i.bytes, i.peHeader + 20, 64); });
    QTest::newRow("optional header past the end") << Damage([](I& i) { put16(i.bytes, i.peHeader + 20, 0xFFFF); });
    QTest::newRow("no resource directory slot")
        << Damage([](I& i) { put32(i.bytes, i.resourceDirEntry - 20, 2); });
    QTest::newRow("no resources") << Damage([](I& i) { put32(i.bytes, i.resourceDirEntry, 0); });
    QTest::newRow("resources outside every section")
        << Damage([](I& i) { put32(i.bytes, i.resourceDirEntry, 0x90000); });
    QTest::newRow("section table past the end") << Damage([](I& i) { put16(i.bytes, i.peHeader + 6, 0xFFFF); });
    QTest::newRow("no sections") << Damage([](I& i) { put16(i.bytes, i.peHeader + 6, 0); });
    QTest::newRow("section data past the end")
        << Damage([](I& i) { put32(i.bytes, i.sectionTable + 40 + 20, 0x7FFFFFF0u); });
    QTest::newRow("huge entry count")
        << Damage([](I& i) { put16(i.bytes, i.resourceRoot + 14, 0xFFFF); });
    QTest::newRow("version type is a leaf") << Damage([](I& i) {
        // The third root entry (after a named and an icon entry) is the version type.
        put32(i.bytes, i.resourceRoot + 16 + 2 * 8 + 4, 0x10);
    });
    QTest::newRow("version directory far outside")
        << Damage([](I& i) { put32(i.bytes, i.resourceRoot + 16 + 2 * 8 + 4, 0xFFFFFFF0u); });
    QTest::newRow("language entry loops to itself")
        << Damage([](I& i) { put32(i.bytes, i.languageDir + 20, 0x80000000u | quint32(i.languageDir - i.resourceRoot)); });
    QTest::newRow("data outside the section") << Damage([](I& i) { put32(i.bytes, i.dataEntry, 0x1FFFFFFF); });
    QTest::newRow("data in the code section's gap")
        << Damage([](I& i) { put32(i.bytes, i.dataEntry, 0x1000 + 0x1F0); });
    QTest::newRow("data too short") << Damage([](I& i) { put32(i.bytes, i.dataEntry + 4, 20); });
    QTest::newRow("wrong key") << Damage([](I& i) { i.bytes[i.versionBlock + 6] = 'W'; });
    QTest::newRow("key not terminated") << Damage([](I& i) { i.bytes[i.versionBlock + 36] = 'X'; });
    QTest::newRow("no fixed information") << Damage([](I& i) { put16(i.bytes, i.versionBlock + 2, 0); });
    QTest::newRow("block shorter than its value") << Damage([](I& i) { put16(i.bytes, i.versionBlock, 60); });
    QTest::newRow("wrong signature") << Damage([](I& i) { i.bytes[i.versionBlock + 40] = 0; });
}

void tst_PeVersion::damagedImages()
{
    QFETCH(Damage, damage);
    PeTest::Image image = PeTest::build();
    PeFileVersion v;
    QVERIFY(readBytes(image.bytes, &v));
    damage(image);
    QVERIFY(!readBytes(image.bytes, &v));
    QCOMPARE(text(v), QStringLiteral("0.0.0.0"));
}

void tst_PeVersion::toleratedDamage_data()
{
    QTest::addColumn<Damage>("damage");
    using I = PeTest::Image;
    // Sizes that overstate what is there: only the bytes that exist are read.
    QTest::newRow("section larger than the file")
        << Damage([](I& i) { put32(i.bytes, i.sectionTable + 40 + 16, 0xFFFFFFFFu); });
    QTest::newRow("huge version data size") << Damage([](I& i) { put32(i.bytes, i.dataEntry + 4, 0xFFFFFFFFu); });
    QTest::newRow("block length beyond its data") << Damage([](I& i) { put16(i.bytes, i.versionBlock, 0xFFFF); });
}

void tst_PeVersion::toleratedDamage()
{
    QFETCH(Damage, damage);
    PeTest::Image image = PeTest::build();
    damage(image);
    PeFileVersion v;
    QVERIFY(readBytes(image.bytes, &v));
    QCOMPARE(text(v), QStringLiteral("1.2.3.4"));
}

void tst_PeVersion::truncatedImages()
{
    const QByteArray whole = PeTest::build().bytes;
    const PeTest::Image image = PeTest::build();
    // Cut anywhere: the version is either read whole or not at all.
    for (int size = 0; size < whole.size(); ++size) {
        PeFileVersion v;
        const bool found = readBytes(whole.left(size), &v);
        QCOMPARE(text(v), found ? QStringLiteral("1.2.3.4") : QStringLiteral("0.0.0.0"));
        // Everything up to the fixed information must be there.
        if (size < image.versionBlock + 60)
            QVERIFY2(!found, qPrintable(QString::number(size)));
    }
}

void tst_PeVersion::randomDamageStaysInBounds()
{
    // Run under the address sanitizer, this finds reads outside the image; here it also shows
    // that damage never produces a version out of thin air.
    const QByteArray whole = PeTest::build().bytes;
    QRandomGenerator random(4711);
    int found = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = whole;
        const int changes = 1 + random.bounded(4);
        for (int c = 0; c < changes; ++c)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        PeFileVersion v;
        if (readBytes(bytes, &v))
            ++found;
        else
            QCOMPARE(text(v), QStringLiteral("0.0.0.0"));
    }
    // Most single changes hit bytes that do not matter.
    QVERIFY(found > 1500);
}

void tst_PeVersion::state_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all; kPipe: a named pipe
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("version");
    QTest::newRow("pe") << PeTest::build().bytes << QList<int> {1, 2, 3, 4} << "1.2.3.4";
    QTest::newRow("text file") << QByteArray("MZ but no more") << QList<int> {0, 0, 0, 0} << "0.0.0.0";
    QTest::newRow("missing file") << QByteArray() << QList<int> {0, 0, 0, 0} << "0.0.0.0";
    // Opening a pipe would wait for a writer on the event-loop thread, so the flow never ended.
    QTest::newRow("named pipe") << kPipe << QList<int> {0, 0, 0, 0} << "0.0.0.0";
}

void tst_PeVersion::state()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, version);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.exe"));
    if (content == kPipe) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (!content.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    Flow flow(singleStateFlow(QStringLiteral("getFileVersion"), {{QStringLiteral("path"), path}},
                              {QStringLiteral("finished")}));
    QCOMPARE(flow.run(10000), QStringLiteral("finished"));
    CState* s = flow.state();
    const char* names[] = {"major", "minor", "revision", "build"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(s->property(names[i]).userType(), QMetaType::Int);
        QCOMPARE(s->property(names[i]).toInt(), numbers.at(i));
    }
    QCOMPARE(s->property("version").toString(), version);
}

QTEST_GUILESS_MAIN(tst_PeVersion)
#include "tst_peversion.moc"
