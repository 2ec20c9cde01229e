// SPDX-License-Identifier: MIT
#include "engine/object.h"

#include <QMetaMethod>
#include <QPointer>
#include <QTest>

namespace {

// An object with compiled-in properties besides the object name.
class CCounterObject : public CPropertyObject {
    Q_OBJECT
    Q_PROPERTY(int count READ count WRITE setCount)
    Q_PROPERTY(QString label READ label WRITE setLabel)
public:
    using CPropertyObject::CPropertyObject;
    int count() const { return m_count; }
    void setCount(int c) { m_count = c; }
    QString label() const { return m_label; }
    void setLabel(const QString& l) { m_label = l; }

private:
    int m_count = 0;
    QString m_label;
};

// What a name holds before an operation.
enum class Holds { Nothing, Value, Object };

QPointer<CPropertyObject> prepare(CPropertyObject& o, const char* name, Holds holds)
{
    if (holds == Holds::Value)
        o.setProperty(name, QStringLiteral("old"));
    if (holds == Holds::Object) {
        auto* child = new CPropertyObject(nullptr, "child");
        o.setObjectProperty(name, child);
        return child;
    }
    return nullptr;
}

QString describe(const CTag& t)
{
    return t.name() + QLatin1Char('|') + t.value() + QLatin1Char('|') + QString::number(t.isQuoted())
           + QLatin1Char('|') + QString::number(t.translationId());
}

} // namespace

Q_DECLARE_METATYPE(Holds)

class tst_PropertyObject : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setProperty_data();
    void setProperty();
    void setObjectProperty_data();
    void setObjectProperty();
    void removeProperty_data();
    void removeProperty();
    void clearKeepsQtProperties();
    void propertyNamesOrder();
    void copyClonesObjects();
    void addObjectPropertiesKeepsFirst();
    void slotsInvokableByName();
    void setConfig_data();
    void setConfig();
    void configUsesScriptConversions();
    void tokens_data();
    void tokens();
    void tagTranslationForm_data();
    void tagTranslationForm();
};

void tst_PropertyObject::setProperty_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<Holds>("holds");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("readBack");

    QTest::newRow("new dynamic") << QByteArray("x") << Holds::Nothing << QVariant(QStringLiteral("1")) << true
                                 << QVariant(QStringLiteral("1"));
    QTest::newRow("overwrite value") << QByteArray("x") << Holds::Value << QVariant(5) << true << QVariant(5);
    QTest::newRow("over an object") << QByteArray("x") << Holds::Object << QVariant(QStringLiteral("v")) << true
                                    << QVariant(QStringLiteral("v"));
    QTest::newRow("invalid variant") << QByteArray("x") << Holds::Nothing << QVariant() << true << QVariant();
    QTest::newRow("qt int from text") << QByteArray("count") << Holds::Nothing << QVariant(QStringLiteral("7"))
                                      << true << QVariant(7);
    QTest::newRow("qt int from junk") << QByteArray("count") << Holds::Nothing
                                      << QVariant(QStringLiteral("abc")) << false << QVariant(0);
    QTest::newRow("object name") << QByteArray("objectName") << Holds::Nothing << QVariant(QStringLiteral("n"))
                                 << true << QVariant(QStringLiteral("n"));
    QTest::newRow("case sensitive") << QByteArray("Count") << Holds::Nothing << QVariant(3) << true << QVariant(3);
}

void tst_PropertyObject::setProperty()
{
    QFETCH(QByteArray, name);
    QFETCH(Holds, holds);
    QFETCH(QVariant, value);
    QFETCH(bool, ok);
    QFETCH(QVariant, readBack);

    CCounterObject o;
    QPointer<CPropertyObject> child = prepare(o, name.constData(), holds);
    QCOMPARE(o.setProperty(name.constData(), value), ok);
    QCOMPARE(o.property(name.constData()), readBack);
    // A name is never a value and an object at once: the object was deleted.
    QVERIFY(!o.hasObjectProperty(name.constData()));
    QVERIFY(child.isNull());
    QVERIFY(o.hasValueProperty(name.constData()));
    QCOMPARE(o.count(), name == "count" ? readBack.toInt() : 0);
}

void tst_PropertyObject::setObjectProperty_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<Holds>("holds");
    QTest::addColumn<bool>("withObject");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("storedAsObject");

    QTest::newRow("new") << QByteArray("o") << Holds::Nothing << true << true << true;
    QTest::newRow("over a value") << QByteArray("o") << Holds::Value << true << true << true;
    QTest::newRow("replace object") << QByteArray("o") << Holds::Object << true << true << true;
    QTest::newRow("null becomes invalid value") << QByteArray("o") << Holds::Object << false << true << false;
    QTest::newRow("qt property refused") << QByteArray("label") << Holds::Nothing << true << false << false;
}

void tst_PropertyObject::setObjectProperty()
{
    QFETCH(QByteArray, name);
    QFETCH(Holds, holds);
    QFETCH(bool, withObject);
    QFETCH(bool, ok);
    QFETCH(bool, storedAsObject);

    CCounterObject o;
    QPointer<CPropertyObject> previous = prepare(o, name.constData(), holds);
    QPointer<CPropertyObject> object = withObject ? new CPropertyObject(nullptr, "obj") : nullptr;
    QCOMPARE(o.setObjectProperty(name.constData(), object), ok);
    QCOMPARE(o.hasObjectProperty(name.constData()), storedAsObject);
    QVERIFY(previous.isNull()); // a replaced or displaced object is deleted
    if (storedAsObject) {
        QCOMPARE(o.objectProperty(name.constData()), object.data());
        QVERIFY(!o.property(name.constData()).isValid());
        QVERIFY(!o.values().contains(QString::fromLatin1(name)));
    } else if (!withObject) {
        QVERIFY(o.hasValueProperty(name.constData()));
        QVERIFY(!o.property(name.constData()).isValid());
    } else {
        delete object.data(); // refused: still ours
    }
}

void tst_PropertyObject::removeProperty_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<Holds>("holds");
    QTest::addColumn<bool>("ok");

    QTest::newRow("absent") << QByteArray("x") << Holds::Nothing << true;
    QTest::newRow("value") << QByteArray("x") << Holds::Value << true;
    QTest::newRow("object") << QByteArray("x") << Holds::Object << true;
    QTest::newRow("qt property") << QByteArray("count") << Holds::Nothing << false;
}

void tst_PropertyObject::removeProperty()
{
    QFETCH(QByteArray, name);
    QFETCH(Holds, holds);
    QFETCH(bool, ok);

    CCounterObject o;
    QPointer<CPropertyObject> child = prepare(o, name.constData(), holds);
    QCOMPARE(o.removeProperty(name.constData()), ok);
    QVERIFY(child.isNull());
    QCOMPARE(o.hasProperty(name.constData()), !ok);
}

void tst_PropertyObject::clearKeepsQtProperties()
{
    CCounterObject o(nullptr, "me");
    o.setCount(4);
    o.setProperty("v", 1);
    QPointer<CPropertyObject> child = prepare(o, "obj", Holds::Object);
    o.clearProperties();
    QVERIFY(child.isNull());
    QVERIFY(!o.hasProperty("v"));
    QVERIFY(!o.hasProperty("obj"));
    QCOMPARE(o.property("count"), QVariant(4));
    QCOMPARE(o.property("objectName"), QVariant(QStringLiteral("me")));
}

void tst_PropertyObject::propertyNamesOrder()
{
    CCounterObject o;
    o.setProperty("b", 1);
    o.setProperty("a", 2);
    o.setObjectProperty("z", new CPropertyObject(nullptr, "z"));
    o.setObjectProperty("y", new CPropertyObject(nullptr, "y"));
    const QStringList expected {QStringLiteral("objectName"), QStringLiteral("count"), QStringLiteral("label"),
                                QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("z"), QStringLiteral("y")};
    QCOMPARE(o.propertyNames(), expected);
}

void tst_PropertyObject::copyClonesObjects()
{
    CPropertyObject original(nullptr, "orig");
    original.setProperty("v", QStringLiteral("x"));
    auto* inner = new CPropertyObject(nullptr, "inner");
    inner->setProperty("deep", 1);
    original.setObjectProperty("first", inner);
    original.setObjectProperty("second", new CPropertyObject(nullptr, "s"));

    std::unique_ptr<CPropertyObject> copy(original.clone());
    QCOMPARE(copy->objectName(), QStringLiteral("orig"));
    QCOMPARE(copy->property("v"), QVariant(QStringLiteral("x")));
    QCOMPARE(copy->objects().names(), QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    CPropertyObject* cloned = copy->objectProperty("first");
    QVERIFY(cloned && cloned != inner);
    QCOMPARE(cloned->property("deep"), QVariant(1));
    // The copy is independent of the original from now on.
    copy->setProperty("v", QStringLiteral("changed"));
    QCOMPARE(original.property("v"), QVariant(QStringLiteral("x")));
}

void tst_PropertyObject::addObjectPropertiesKeepsFirst()
{
    auto* a = new CPropertyObject(nullptr, "a");
    auto* b = new CPropertyObject(nullptr, "b");
    auto* a2 = new CPropertyObject(nullptr, "a");
    QPointer<CPropertyObject> guardA = a;
    {
        CPropertyObject list(QList<CPropertyObject*> {a, b, nullptr});
        list.addObjectProperties({a2});
        QCOMPARE(list.objects().names(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(list.objectProperty("a"), a);
    }
    QVERIFY(guardA.isNull()); // owned by the holder
    delete a2;                // skipped: never taken over
}

void tst_PropertyObject::slotsInvokableByName()
{
    // The slot table is part of the host interface: exactly these four, in this order.
    const QMetaObject& mo = CPropertyObject::staticMetaObject;
    QStringList slotSignatures;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        if (mo.method(i).methodType() == QMetaMethod::Slot)
            slotSignatures.append(QString::fromLatin1(mo.method(i).methodSignature()));
    }
    QCOMPARE(slotSignatures, QStringList({QStringLiteral("setConfig(QString)"), QStringLiteral("config()"),
                                          QStringLiteral("setDataField(QString,QVariant)"),
                                          QStringLiteral("dataField(QString)")}));

    CCounterObject o;
    bool ok = false;
    QVERIFY(QMetaObject::invokeMethod(&o, "setConfig", Q_RETURN_ARG(bool, ok),
                                      Q_ARG(QString, QStringLiteral("count=3 free=\"a b\""))));
    QVERIFY(ok);
    QCOMPARE(o.count(), 3);
    QVERIFY(QMetaObject::invokeMethod(&o, "setDataField", Q_RETURN_ARG(bool, ok), Q_ARG(QString, QStringLiteral("n")),
                                      Q_ARG(QVariant, QVariant(42))));
    QVERIFY(ok);
    QVariant read;
    QVERIFY(QMetaObject::invokeMethod(&o, "dataField", Q_RETURN_ARG(QVariant, read), Q_ARG(QString, QStringLiteral("n"))));
    QCOMPARE(read, QVariant(42));
    QVERIFY(QMetaObject::invokeMethod(&o, "dataField", Q_RETURN_ARG(QVariant, read),
                                      Q_ARG(QString, QStringLiteral("count"))));
    QCOMPARE(read, QVariant(3));
    QStringList config;
    QVERIFY(QMetaObject::invokeMethod(&o, "config", Q_RETURN_ARG(QStringList, config)));
    QCOMPARE(config, QStringList({QStringLiteral("objectName="), QStringLiteral("count=3"), QStringLiteral("label="),
                                  QStringLiteral("free=a b"), QStringLiteral("n=42")}));
}

void tst_PropertyObject::setConfig_data()
{
    QTest::addColumn<QString>("tokens");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("config");

    QTest::newRow("dynamic and qt") << QStringLiteral("count=2 label=\"x y\" a=1 b") << true
                                    << QStringList {QStringLiteral("objectName="), QStringLiteral("count=2"),
                                                    QStringLiteral("label=x y"), QStringLiteral("a=1"), QStringLiteral("b=")};
    QTest::newRow("failing qt property keeps the rest") << QStringLiteral("a=1 count=abc b=2") << false
                                                        << QStringList {QStringLiteral("objectName="), QStringLiteral("count=0"),
                                                                        QStringLiteral("label="), QStringLiteral("a=1"),
                                                                        QStringLiteral("b=2")};
    QTest::newRow("unterminated quote ends the string")
        << QStringLiteral("a=1 b=\"open c=3") << true
        << QStringList {QStringLiteral("objectName="), QStringLiteral("count=0"), QStringLiteral("label="),
                        QStringLiteral("a=1"), QStringLiteral("b=")};
    QTest::newRow("translation stores the text") << QStringLiteral("t=\"tr(4, Hello world)\"") << true
                                                 << QStringList {QStringLiteral("objectName="), QStringLiteral("count=0"),
                                                                 QStringLiteral("label="), QStringLiteral("t=Hello world")};
}

void tst_PropertyObject::setConfig()
{
    QFETCH(QString, tokens);
    QFETCH(bool, ok);
    QFETCH(QStringList, config);

    CCounterObject o;
    QCOMPARE(o.setConfig(tokens), ok);
    QCOMPARE(o.config(), config);
}

void tst_PropertyObject::configUsesScriptConversions()
{
    CPropertyObject o;
    o.setProperty("d", 1.0 / 3.0);
    o.setProperty("list", QStringList {QStringLiteral("only")});
    o.setProperty("flag", true);
    QCOMPARE(o.config(), QStringList({QStringLiteral("objectName="), QStringLiteral("d=0.333333333333333"),
                                      QStringLiteral("flag=true"), QStringLiteral("list=")}));
}

void tst_PropertyObject::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tags"); // name|value|quoted|translation id

    const QString n1023(1023, QLatin1Char('n'));
    const QString v1023(1023, QLatin1Char('v'));
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("blanks only") << QStringLiteral(" \t ") << QStringList();
    QTest::newRow("plain, quoted, bare")
        << QStringLiteral("a=1 b=\"x y\" c")
        << QStringList {QStringLiteral("a|1|0|-2"), QStringLiteral("b|x y|1|-2"), QStringLiteral("c||0|-2")};
    QTest::newRow("blanks and tabs around =") << QStringLiteral("\ta \t= \t1   b=2")
                                              << QStringList {QStringLiteral("a|1|0|-2"), QStringLiteral("b|2|0|-2")};
    QTest::newRow("tab ends a name, not a value") << QStringLiteral("a=1\tb")
                                                  << QStringList {QStringLiteral("a|1\tb|0|-2")};
    QTest::newRow("escaped quotes stay") << QStringLiteral("a=\"say \\\"hi\\\"\" b=2")
                                         << QStringList {QStringLiteral("a|say \\\"hi\\\"|1|-2"), QStringLiteral("b|2|0|-2")};
    QTest::newRow("empty quoted") << QStringLiteral("a=\"\" b") << QStringList {QStringLiteral("a||1|-2"), QStringLiteral("b||0|-2")};
    QTest::newRow("empty value") << QStringLiteral("a= b=1") << QStringList {QStringLiteral("a|b=1|0|-2")};
    QTest::newRow("value at the end") << QStringLiteral("a=") << QStringList {QStringLiteral("a||0|-2")};
    QTest::newRow("unterminated quote") << QStringLiteral("a=1 b=\"x c=2")
                                        << QStringList {QStringLiteral("a|1|0|-2"), QStringLiteral("b||1|-2")};
    QTest::newRow("translation") << QStringLiteral("t=\"tr(5, hi you)\" u=tr(x)")
                                 << QStringList {QStringLiteral("t|hi you|1|5"), QStringLiteral("u|x|0|-1")};
    QTest::newRow("long name is cut") << (n1023 + QStringLiteral("nn=1"))
                                      << QStringList {n1023 + QStringLiteral("||0|-2"), QStringLiteral("nn|1|0|-2")};
    QTest::newRow("long value is cut") << (QStringLiteral("a=") + v1023 + QStringLiteral("vv"))
                                       << QStringList {QStringLiteral("a|") + v1023 + QStringLiteral("|0|-2"),
                                                       QStringLiteral("vv||0|-2")};
    QTest::newRow("long quoted value is cut") << (QStringLiteral("a=\"") + v1023 + QStringLiteral("vv\" b=1"))
                                              << QStringList {QStringLiteral("a|") + v1023 + QStringLiteral("|1|-2"),
                                                              QStringLiteral("b|1|0|-2")};
    QTest::newRow("stray = makes an unnamed tag") << QStringLiteral("=5 a") << QStringList {QStringLiteral("|5|0|-2"), QStringLiteral("a||0|-2")};
}

void tst_PropertyObject::tokens()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tags);

    CTagToken tokens(text);
    QStringList got;
    while (!tokens.atEnd() && got.size() < 100)
        got.append(describe(tokens.next()));
    QCOMPARE(got, tags);
}

void tst_PropertyObject::tagTranslationForm_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("translationValue");

    QTest::newRow("plain") << QStringLiteral("plain") << QStringLiteral("plain") << -2 << QStringLiteral("plain");
    QTest::newRow("no number") << QStringLiteral("tr( hello )") << QStringLiteral("hello") << -1
                               << QStringLiteral("tr(-1, hello)");
    QTest::newRow("number") << QStringLiteral("tr(7,  hi there )") << QStringLiteral("hi there") << 7
                            << QStringLiteral("tr(7, hi there)");
    QTest::newRow("first comma splits") << QStringLiteral("tr(3,a,b)") << QStringLiteral("a,b") << 3
                                        << QStringLiteral("tr(3, a,b)");
    QTest::newRow("empty") << QStringLiteral("tr()") << QString() << -1 << QStringLiteral("tr(-1, )");
    QTest::newRow("no closing parenthesis") << QStringLiteral("tr(x") << QStringLiteral("tr(x") << -2
                                            << QStringLiteral("tr(x");
    QTest::newRow("not at the start") << QStringLiteral("xtr(a)") << QStringLiteral("xtr(a)") << -2
                                      << QStringLiteral("xtr(a)");
}

void tst_PropertyObject::tagTranslationForm()
{
    QFETCH(QString, written);
    QFETCH(QString, value);
    QFETCH(int, id);
    QFETCH(QString, translationValue);

    CTag tag(QStringLiteral("n"), written);
    QCOMPARE(tag.value(), value);
    QCOMPARE(tag.translationId(), id);
    QCOMPARE(tag.translationValue(), translationValue);
}

QTEST_GUILESS_MAIN(tst_PropertyObject)
#include "tst_propertyobject.moc"
