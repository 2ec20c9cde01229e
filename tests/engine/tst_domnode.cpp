// SPDX-License-Identifier: MIT
#include "engine/domnode.h"

#include <QDomDocument>
#include <QTest>

namespace {

const char* const kDocument = "<fsm>"
                              "<states><state name='a'><property key='p1'/></state>"
                              "<group><state name='b' kind='x'/></group></states>"
                              "<states><state name='c'/></states>"
                              "<property key='top'/>"
                              "</fsm>";

QString label(const QDomNode& n)
{
    const QDomElement e = n.toElement();
    QString id = e.attribute(QStringLiteral("name"), e.attribute(QStringLiteral("key")));
    return id.isEmpty() ? e.tagName() : e.tagName() + QLatin1Char(':') + id;
}

} // namespace

class tst_DomNode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void elementsByPath_data();
    void elementsByPath();
    void firstChildElement();
};

void tst_DomNode::elementsByPath_data()
{
    QTest::addColumn<QString>("start"); // "root", "doc", "states" (the first one) or "null"
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("found");

    const QString a = QStringLiteral("state:a"), b = QStringLiteral("state:b"), c = QStringLiteral("state:c");
    QTest::newRow("first section only, any depth") << "root" << "states/state" << QStringList {a, b};
    QTest::newRow("descendants in pre-order") << "root" << "state" << QStringList {a, b, c};
    QTest::newRow("match before its descendants")
        << "root" << "*" << QStringList {QStringLiteral("states"), a, QStringLiteral("property:p1"), QStringLiteral("group"), b,
                                         QStringLiteral("states"), c, QStringLiteral("property:top")};
    QTest::newRow("properties at any depth") << "root" << "property"
                                             << QStringList {QStringLiteral("property:p1"), QStringLiteral("property:top")};
    QTest::newRow("attribute value") << "root" << "state[@name='b']" << QStringList {b};
    QTest::newRow("attribute on a walked path") << "root" << "states/state[@name='c']" << QStringList();
    QTest::newRow("two conditions") << "root" << "state[@name='b'][@kind='x']" << QStringList {b};
    QTest::newRow("repeated name keeps the last") << "root" << "state[@name='a'][@name='b']" << QStringList {b};
    QTest::newRow("text after the conditions is ignored") << "root" << "state[@kind='x']/" << QStringList {b};
    QTest::newRow("attribute absent") << "root" << "property[@name='p1']" << QStringList();
    QTest::newRow("leading step names nothing") << "root" << "nothing/state" << QStringList();
    QTest::newRow("wildcard step") << "root" << "*/state" << QStringList {a, b};
    QTest::newRow("no descent") << "root" << "///state" << QStringList();
    QTest::newRow("no descent, direct children") << "root" << "///states" << QStringList {QStringLiteral("states"), QStringLiteral("states")};
    QTest::newRow("from the document, no descent") << "root" << "/fsm" << QStringList {QStringLiteral("fsm")};
    QTest::newRow("from the document, descent") << "states" << "//state" << QStringList {a, b, c};
    QTest::newRow("this node") << "states" << "./state" << QStringList {a, b};
    QTest::newRow("parent") << "states" << "../states" << QStringList {QStringLiteral("states"), QStringLiteral("states")};
    QTest::newRow("attribute step means any element") << "states" << "group/@name" << QStringList {b};
    QTest::newRow("null start") << "null" << "state" << QStringList();
    QTest::newRow("empty path") << "root" << "" << QStringList();
}

void tst_DomNode::elementsByPath()
{
    QFETCH(QString, start);
    QFETCH(QString, path);
    QFETCH(QStringList, found);

    QDomDocument doc;
    QVERIFY(doc.setContent(QString::fromLatin1(kDocument)));
    CDomNode node;
    if (start == QLatin1String("root"))
        node = doc.documentElement();
    else if (start == QLatin1String("states"))
        node = doc.documentElement().firstChildElement();
    QStringList got;
    for (const CDomNode& n : node.elementsByPath(path))
        got.append(label(n));
    QCOMPARE(got, found);
}

void tst_DomNode::firstChildElement()
{
    QDomDocument doc;
    QVERIFY(doc.setContent(QString::fromLatin1(kDocument)));
    const CDomNode root(doc.documentElement());
    QCOMPARE(label(root.firstChildElementNamed(QStringLiteral("property"))), QStringLiteral("property:top"));
    QCOMPARE(label(root.firstChildElementNamed(QStringLiteral("states")).firstChild()), QStringLiteral("state:a"));
    QVERIFY(root.firstChildElementNamed(QStringLiteral("state")).isNull());
    QVERIFY(CDomNode().firstChildElementNamed(QStringLiteral("x")).isNull());
}

QTEST_GUILESS_MAIN(tst_DomNode)
#include "tst_domnode.moc"
