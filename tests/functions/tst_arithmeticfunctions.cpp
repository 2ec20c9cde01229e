// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "evaluation.h"

#include <QtTest>

class tst_ArithmeticFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void values_data();
    void values();
    void numericKindStaysWithTheNode();
    void divisionByZeroIsTraced();
    void randomStaysInRange();
};

void tst_ArithmeticFunctions::values_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("result");

    QTest::newRow("add integers") << "add(1, 2)" << "LongLong" << "3";
    QTest::newRow("add integer texts") << "add('1', '2')" << "LongLong" << "3";
    QTest::newRow("add negative text") << "add('-4', 1)" << "LongLong" << "-3";
    QTest::newRow("add decimal text") << "add('1.5', '2')" << "Double" << "3.5";
    QTest::newRow("add integer then double") << "add(1, 2.5)" << "Double" << "3.5";
    QTest::newRow("add double then integer") << "add(2.5, 1)" << "Double" << "3.5";
    QTest::newRow("integer text keeps Double") << "add(2.5, '12')" << "Double" << "14.5";
    QTest::newRow("word keeps Double") << "add(2.5, 'x')" << "Double" << "2.5";
    QTest::newRow("exponent reads as decimal") << "add('1e3', 1)" << "Double" << "1001";
    QTest::newRow("any middle character") << "add('3x14', 1)" << "Double" << "1";
    QTest::newRow("middle character may be a sign") << "add('1-2', 1)" << "Double" << "1";
    QTest::newRow("word resets the kind") << "add(1, 'x')" << "Int" << "0";
    QTest::newRow("word first reads as 0") << "add('x', 1)" << "LongLong" << "1";
    QTest::newRow("blank text is no number") << "add(' 5', 1)" << "LongLong" << "6";
    QTest::newRow("unsigned values leave no kind") << "add(len('ab'), len('c'))" << "Int" << "0";
    QTest::newRow("unsigned with integer") << "add(len('ab'), 1)" << "LongLong" << "3";
    QTest::newRow("sum wraps") << "add(9223372036854775807, 1)" << "LongLong" << "-9223372036854775808";

    QTest::newRow("multiply") << "multiply(2, 3, 4)" << "LongLong" << "24";
    QTest::newRow("multiply word") << "multiply('a', 2)" << "LongLong" << "0";
    QTest::newRow("multiply double") << "multiply(1.5, 2)" << "Double" << "3";
    QTest::newRow("multiply unsigned") << "multiply(len('ab'), len('abc'))" << "Int" << "0";
    QTest::newRow("product wraps") << "multiply(4294967296, 4294967296)" << "LongLong" << "0";

    QTest::newRow("divide") << "divide(1, 4)" << "Double" << "0.25";
    QTest::newRow("divide word") << "divide('a', 2)" << "Double" << "0";
    QTest::newRow("divide by zero") << "divide(1, 0)" << "Invalid" << "<invalid>";
    QTest::newRow("divide by word") << "divide(1, 'x')" << "Invalid" << "<invalid>";

    QTest::newRow("negate integer") << "negate(5)" << "LongLong" << "-5";
    QTest::newRow("negate double") << "negate(2.5)" << "Double" << "-2.5";
    QTest::newRow("negate decimal text") << "negate('2.5')" << "LongLong" << "0";
    QTest::newRow("negate smallest") << "negate(-9223372036854775808)" << "LongLong" << "-9223372036854775808";
}

void tst_ArithmeticFunctions::values()
{
    QFETCH(QString, expression);
    QFETCH(QString, type);
    QFETCH(QString, result);

    compareValue(expression, type, result);
}

void tst_ArithmeticFunctions::numericKindStaysWithTheNode()
{
    CPropertyObject source;
    source.setProperty("x", QVariant(QStringLiteral("2.5")));
    Evaluation e = evaluate(QStringLiteral("add($x, 1)"), &source);
    QCOMPARE(e.value(), QVariant(3.5));

    source.setProperty("x", QVariant(qlonglong(2)));
    fillInputs(*e.map, &source);
    QVERIFY(e.map->evaluate());
    QCOMPARE(e.value(), QVariant(3.0));

    // A new node starts without a kind.
    QCOMPARE(evaluate(QStringLiteral("add($x, 1)"), &source).value(), QVariant(qlonglong(3)));
}

void tst_ArithmeticFunctions::divisionByZeroIsTraced()
{
    QStringList lines;
    Trace::setIncludeFilter(QStringLiteral("propertymapfunctions"));
    Trace::setExcludeFilter(QString());
    Trace::resetForTesting();
    Trace::setStderrEnabled(false);
    Trace::setSink([&lines](const QString& text) { lines.append(text); });

    evaluate(QStringLiteral("divide(1, 4)"));
    QCOMPARE(lines.size(), 0);
    evaluate(QStringLiteral("divide(1, 0)"));
    Trace::setSink(nullptr);
    Trace::setStderrEnabled(true);

    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first().trimmed(), QStringLiteral("[propertymapfunctions] ! Division by zero !"));
}

void tst_ArithmeticFunctions::randomStaysInRange()
{
    Evaluation e = evaluate(QStringLiteral("random()"));
    QCOMPARE(e.errors(), QString());
    QSet<int> seen;
    for (int i = 0; i < 200; ++i) {
        QVERIFY(e.map->evaluate());
        const QVariant v = e.value();
        QCOMPARE(Qt3::typeName(v), QStringLiteral("Int"));
        QVERIFY2(v.toInt() >= 0 && v.toInt() <= 32767, qPrintable(render(v)));
        seen.insert(v.toInt());
    }
    QVERIFY(seen.size() > 100);
}

QTEST_GUILESS_MAIN(tst_ArithmeticFunctions)
#include "tst_arithmeticfunctions.moc"
