// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "evaluation.h"

#include <QtTest>

namespace {

CPropertyObject* namedObject(const char* name, CPropertyObject* parent = nullptr)
{
    auto* o = new CPropertyObject(nullptr, name);
    if (parent)
        parent->setObjectProperty(name, o);
    return o;
}

// The from-state of the object rows:
//   files: value "size" = 10; object entries a.txt (value "n" = 1) and b.txt
//   other: object entries a.txt (value "n" = 2) and c.txt
//   obj:   value "state" = "new"; object entry child
//   item:  value "x" = 1
//   text:  "a;b"
void fillSource(CPropertyObject& source)
{
    CPropertyObject* files = namedObject("files", &source);
    files->setProperty("size", QVariant(qlonglong(10)));
    namedObject("a.txt", files)->setProperty("n", QVariant(qlonglong(1)));
    namedObject("b.txt", files);
    CPropertyObject* other = namedObject("other", &source);
    namedObject("a.txt", other)->setProperty("n", QVariant(qlonglong(2)));
    namedObject("c.txt", other);
    CPropertyObject* obj = namedObject("obj", &source);
    obj->setProperty("state", QVariant(QStringLiteral("new")));
    namedObject("child", obj);
    namedObject("item", &source)->setProperty("x", QVariant(qlonglong(1)));
    source.setProperty("text", QVariant(QStringLiteral("a;b")));
}

// An object as the rows write it: its name and its object entries.
QString renderObject(const CPropertyObject* o)
{
    if (!o)
        return QStringLiteral("<null>");
    return o->objectName() + QLatin1Char('{') + o->objects().names().join(QLatin1Char(',')) + QLatin1Char('}');
}

} // namespace

class tst_ListFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void values_data();
    void values();
    void objects_data();
    void objects();
    void inPlaceChanges();
    void nodeOwnsTheObjectsItBuilds();
    void targetDroppedDuringEvaluation();
};

void tst_ListFunctions::values_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("result");

    QTest::newRow("count empty") << "count(list())" << "ULongLong" << "0";
    QTest::newRow("count equal entries") << "count(split('a;b;a', ';'), 'a')" << "Int" << "2";
    QTest::newRow("count converts to entry type") << "count(makelist(1, '1', 2), 1)" << "Int" << "2";
    QTest::newRow("count text is no list") << "count('abc')" << "ULongLong" << "0";
    QTest::newRow("count objects") << "count($files)" << "Int" << "2";
    QTest::newRow("count object names") << "count($files, '\\.txt$')" << "Int" << "2";
    QTest::newRow("count object pattern") << "count($files, '^a')" << "Int" << "1";
    QTest::newRow("count invalid pattern") << "count($files, '(')" << "Int" << "0";

    QTest::newRow("element") << "element(split('x;y', ';'), 1)" << "String" << "y";
    QTest::newRow("element keeps type") << "element(makelist(1, 2.5), 1)" << "Double" << "2.5";
    QTest::newRow("element beyond") << "element(split('x;y', ';'), 5)" << "Invalid" << "<invalid>";
    QTest::newRow("element negative") << "element(split('x;y', ';'), -1)" << "Invalid" << "<invalid>";
    QTest::newRow("element of text") << "element('abc', 0)" << "Invalid" << "<invalid>";

    QTest::newRow("find") << "find(split('ab;cd', ';'), '^c')" << "String" << "cd";
    QTest::newRow("find keeps type") << "find(makelist(1, 22), '2')" << "LongLong" << "22";
    QTest::newRow("find none") << "find(split('a', ';'), 'z')" << "Invalid" << "<invalid>";
    QTest::newRow("find invalid pattern") << "find(split('(', ';'), '(')" << "Invalid" << "<invalid>";
    QTest::newRow("find object name") << "find($files, '^b')" << "String" << "b.txt";

    QTest::newRow("makelist") << "makelist('a', 'b')" << "List" << "[a, b]";
    QTest::newRow("makelist nested") << "makelist(1, split($text, ';'))" << "List" << "[1, [a, b]]";
    QTest::newRow("append") << "append(split($text, ';'), 'c', 3)" << "List" << "[a, b, c, 3]";
    QTest::newRow("append to text") << "append('abc', 'c')" << "List" << "[c]";
    QTest::newRow("remove") << "remove(split('a1;b2;a3', ';'), '^a')" << "StringList" << "[b2]";
    QTest::newRow("remove invalid pattern") << "remove(split('a;(', ';'), '(')" << "StringList" << "[a, (]";
    QTest::newRow("merge") << "merge(split('a', ';'), split('b;c', ';'))" << "List" << "[a, b, c]";
    QTest::newRow("merge missing") << "merge($missing, split('b', ';'))" << "Invalid" << "<invalid>";

    QTest::newRow("property") << "property($obj, 'state')" << "String" << "new";
    QTest::newRow("property missing") << "property($obj, 'none')" << "Invalid" << "<invalid>";
    QTest::newRow("property of value") << "property($text, 'state')" << "Invalid" << "<invalid>";
    QTest::newRow("propertylist") << "propertylist($files)" << "StringList" << "[objectName, size, a.txt, b.txt]";
    QTest::newRow("propertylist of value") << "propertylist($text)" << "StringList" << "[]";
}

void tst_ListFunctions::values()
{
    QFETCH(QString, expression);
    QFETCH(QString, type);
    QFETCH(QString, result);

    CPropertyObject source;
    fillSource(source);
    const Evaluation e = evaluate(expression, &source);
    QCOMPARE(e.errors(), QString());
    QVERIFY(e.evaluated);
    QCOMPARE(e.object(), nullptr);
    QCOMPARE(Qt3::typeName(e.value()), type);
    QCOMPARE(render(e.value()), result);
}

void tst_ListFunctions::objects_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("result");

    QTest::newRow("element") << "element($files, 1)" << "b.txt{}";
    QTest::newRow("element beyond") << "element($files, 2)" << "<null>";
    QTest::newRow("element negative") << "element($files, -1)" << "<null>";
    QTest::newRow("objectlist") << "objectlist()" << "{}";
    QTest::newRow("makelist") << "makelist($obj, 'x', $item)" << "{obj,item}";
    QTest::newRow("append") << "append(objectlist(), $item, 'x', $obj)" << "{item,obj}";
    QTest::newRow("remove") << "remove($files, '^a')" << "files{b.txt}";
    QTest::newRow("remove values too") << "remove($files, 'size|b')" << "files{a.txt}";
    QTest::newRow("remove invalid pattern") << "remove($files, '(')" << "files{a.txt,b.txt}";
    QTest::newRow("merge keeps existing names") << "merge($files, $other)" << "files{a.txt,b.txt,c.txt}";
    QTest::newRow("merge value") << "merge($files, 'x')" << "files{a.txt,b.txt}";
    QTest::newRow("property") << "property($obj, 'child')" << "child{}";
    QTest::newRow("setproperty object") << "setproperty(objectlist(), 'sub', $obj)" << "{sub}";
    QTest::newRow("setproperty on value") << "setproperty($text, 'sub', 1)" << "<null>";
}

void tst_ListFunctions::objects()
{
    QFETCH(QString, expression);
    QFETCH(QString, result);

    CPropertyObject source;
    fillSource(source);
    const Evaluation e = evaluate(expression, &source);
    QCOMPARE(e.errors(), QString());
    QVERIFY(e.evaluated);
    QVERIFY(e.map->expression()->isObject());
    QCOMPARE(renderObject(e.object()), result);
}

void tst_ListFunctions::inPlaceChanges()
{
    CPropertyObject source;
    fillSource(source);
    CPropertyObject* files = source.objectProperty("files");
    CPropertyObject* item = source.objectProperty("item");

    // "append" stores a clone into the object of its first parameter and yields that object.
    Evaluation e = evaluate(QStringLiteral("append($files, $item)"), &source);
    QCOMPARE(e.object(), files);
    CPropertyObject* stored = files->objectProperty("item");
    QVERIFY(stored && stored != item);
    QCOMPARE(stored->property("x"), QVariant(qlonglong(1)));

    // "merge" never replaces a name the target has.
    CPropertyObject* a = files->objectProperty("a.txt");
    QCOMPARE(evaluate(QStringLiteral("merge($files, $other)"), &source).object(), files);
    QCOMPARE(files->objectProperty("a.txt"), a);
    QCOMPARE(a->property("n"), QVariant(qlonglong(1)));
    QVERIFY(files->objectProperty("c.txt") != source.objectProperty("other")->objectProperty("c.txt"));

    // "setproperty" changes the source object itself; object contents are cloned.
    CPropertyObject* obj = source.objectProperty("obj");
    QCOMPARE(evaluate(QStringLiteral("setproperty($obj, 'state', 'done')"), &source).object(), obj);
    QCOMPARE(obj->property("state"), QVariant(QStringLiteral("done")));
    evaluate(QStringLiteral("setproperty($obj, 'state', $item)"), &source);
    QVERIFY(obj->hasObjectProperty("state") && obj->objectProperty("state") != item);
    QVERIFY(!obj->values().contains(QStringLiteral("state")));

    // "remove" leaves its source alone.
    evaluate(QStringLiteral("remove($files, '.')"), &source);
    QCOMPARE(files->objects().size(), 4);
}

void tst_ListFunctions::nodeOwnsTheObjectsItBuilds()
{
    CPropertyObject source;
    fillSource(source);
    for (const char* text : {"objectlist()", "makelist($obj, $item)", "remove($files, 'a')"}) {
        Evaluation e = evaluate(QString::fromLatin1(text), &source);
        QPointer<CPropertyObject> first = e.object();
        QVERIFY2(first, text);
        QVERIFY(e.map->evaluate());
        QVERIFY2(!first, text); // the next evaluation drops the last result
        QPointer<CPropertyObject> second = e.object();
        QVERIFY2(second, text);
        e.map.reset();
        QVERIFY2(!second, text); // and so does the node's destruction
    }
}

void tst_ListFunctions::targetDroppedDuringEvaluation()
{
    // The later parameter replaces the object the first one yielded; the result must not point
    // into freed memory.
    CPropertyObject source;
    fillSource(source);
    Evaluation e = evaluate(QStringLiteral("append(element($files, 0), setproperty($files, 'a.txt', 1))"), &source);
    QCOMPARE(e.errors(), QString());
    QCOMPARE(e.object(), nullptr);
    QCOMPARE(source.objectProperty("files")->property("a.txt"), QVariant(qlonglong(1)));

    e = evaluate(QStringLiteral("merge(element($files, 0), setproperty($files, 'b.txt', 1))"), &source);
    QCOMPARE(e.object(), nullptr);
}

QTEST_GUILESS_MAIN(tst_ListFunctions)
#include "tst_listfunctions.moc"
