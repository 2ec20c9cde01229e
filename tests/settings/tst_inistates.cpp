// SPDX-License-Identifier: MIT
// "readIniValue" and "constructIni" in small flows run through the library's own factory.
#include "engine/variantconv.h"
#include "support/flowrunner.h"
#include "system/filecontent.h"

#include <QtTest>

using FlowTest::Flow;
using FlowTest::singleStateFlow;

namespace {

using Properties = QMap<QString, QString>;

// "Type:value" of each entry, so that a test sees the variant's type as a script does.
QStringList typed(const QVariant& list)
{
    QStringList out;
    for (const QVariant& v : Qt3::toList(list))
        out.append(Qt3::typeName(v) + QLatin1Char(':') + Qt3::toString(v));
    return out;
}

const char* const kIni = "top=1\n"
                         "[app]\n"
                         "name = Example Suite\n"
                         "size=4294967296\n"
                         "count=-7\n"
                         "[net]\n"
                         "port=8080\n"
                         "host=router.lan\n";

} // namespace

class tst_IniStates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readIniValue_data();
    void readIniValue();
    void constructIni_data();
    void constructIni();
};

void tst_IniStates::readIniValue_data()
{
    QTest::addColumn<QString>("content"); // text, bytes, none or another object
    QTest::addColumn<Properties>("properties");
    QTest::addColumn<QStringList>("expected"); // empty: "failed"
    QTest::newRow("each type")
        << "text"
        << Properties {{"section1", "app"}, {"key1", "name"}, {"type1", "text"}, {"key2", "size"},
                       {"type2", "long"}, {"key3", "count"}, {"type3", "int"}}
        << QStringList {"String:Example Suite", "ULongLong:4294967296", "Int:-7"};
    QTest::newRow("a key without type takes the type before it")
        << "text" << Properties {{"section1", "app"}, {"key1", "count"}, {"type1", "int"}, {"key2", "size"}}
        << QStringList {"Int:-7", "Int:0"};
    QTest::newRow("missing section or key is empty or 0")
        << "text"
        << Properties {{"section1", "none"}, {"key1", "name"}, {"type1", "text"}, {"key2", "x"}, {"type2", "long"}}
        << QStringList {"String:", "ULongLong:0"};
    QTest::newRow("negative long and unknown type")
        << "text"
        << Properties {{"section1", "app"}, {"key1", "count"}, {"type1", "long"}, {"key2", "name"}, {"type2", "Text"}}
        << QStringList {"ULongLong:0", "Invalid:"};
    QTest::newRow("keys before any header are in _default")
        << "text" << Properties {{"section1", "_default"}, {"key1", "top"}, {"type1", "int"}} << QStringList {"Int:1"};
    QTest::newRow("keys stop at the first missing number")
        << "text" << Properties {{"section1", "app"}, {"key1", "count"}, {"type1", "int"}, {"key3", "size"}}
        << QStringList {"Int:-7"};
    QTest::newRow("a key with a section number reads there, later keys follow it")
        << "text"
        << Properties {{"section1", "app"}, {"key1", "count"}, {"type1", "int"}, {"section2", "net"},
                       {"key2", "port"}, {"key3", "host"}, {"type3", "text"}}
        << QStringList {"Int:-7", "Int:8080", "String:router.lan"};
    const Properties port {{"section1", "net"}, {"key1", "port"}, {"type1", "int"}};
    QTest::newRow("content read as bytes") << "bytes" << port << QStringList {"Int:8080"};
    QTest::newRow("no content") << "none" << port << QStringList();
    QTest::newRow("content that is no file content") << "object" << port << QStringList();
}

void tst_IniStates::readIniValue()
{
    QFETCH(QString, content);
    QFETCH(Properties, properties);
    QFETCH(QStringList, expected);
    Flow flow(singleStateFlow(QStringLiteral("readIniValue"), properties, {"success", "failed"}));
    flow.state()->setProperty("valueList", QStringLiteral("before"));
    auto* file = new CFileContent(QStringLiteral("setup.ini"));
    if (content == QLatin1String("text"))
        file->setText(QString::fromUtf8(kIni));
    else
        file->setData(QByteArray(kIni));
    if (content == QLatin1String("object"))
        flow.state()->setObjectProperty("content", new CPropertyObject(nullptr, "content"));
    if (content == QLatin1String("text") || content == QLatin1String("bytes"))
        flow.state()->setObjectProperty("content", file);
    else
        delete file;
    QCOMPARE(flow.run(), expected.isEmpty() ? QStringLiteral("failed") : QStringLiteral("success"));
    const QVariant valueList = flow.state()->property("valueList");
    if (expected.isEmpty())
        QCOMPARE(valueList, QVariant(QStringLiteral("before")));
    else
        QCOMPARE(typed(valueList), expected);
}

void tst_IniStates::constructIni_data()
{
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QString>("expected");
    const QStringList ab {"a", "b"};
    QTest::newRow("fewer values than keys")
        << QVariantMap {{"section1", "s"}, {"keyList1", ab}, {"valueList1", QStringList {"1"}}} << "[s]\na=1\nb=\n";
    QTest::newRow("sections in name order, _default first")
        << QVariantMap {{"section1", "z"}, {"keyList1", ab}, {"valueList1", ab}, {"section2", "_default"},
                        {"keyList2", QStringList {"top"}}, {"valueList2", QStringList {"x"}}}
        << "top=x\n[z]\na=a\nb=b\n";
    QTest::newRow("a section without keys is not written")
        << QVariantMap {{"section1", "empty"}, {"section2", "s"}, {"keyList2", ab}} << "[s]\na=\nb=\n";
    QTest::newRow("sections stop at the first missing number")
        << QVariantMap {{"section1", "s"}, {"keyList1", ab}, {"section3", "t"}, {"keyList3", ab}} << "[s]\na=\nb=\n";
}

void tst_IniStates::constructIni()
{
    QFETCH(QVariantMap, properties);
    QFETCH(QString, expected);
    Flow flow(singleStateFlow(QStringLiteral("constructIni"), QString(), {"success"}));
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        flow.state()->setProperty(it.key().toLatin1().constData(), it.value());
    QCOMPARE(flow.run(), QStringLiteral("success"));
    QCOMPARE(flow.state()->property("iniContent"), QVariant(expected));
}

QTEST_GUILESS_MAIN(tst_IniStates)
#include "tst_inistates.moc"
