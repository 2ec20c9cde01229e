// SPDX-License-Identifier: MIT
// The expression parser: which node a text yields, which cells it registers and which error
// lines it records, including texts built to exhaust the stack or the clock.
#include "engine/variantconv.h"
#include "propertymap/expression.h"
#include "propertymap/propertymap.h"

#include <QTest>

namespace {

// The root node as the tables write it: "null", "var", "call N" (N parameters) or "TYPE VALUE"
// for a constant.
QString describe(CExpression* node)
{
    if (!node)
        return QStringLiteral("null");
    if (dynamic_cast<CVarExpression*>(node))
        return QStringLiteral("var");
    if (auto* f = dynamic_cast<CFuncExpression*>(node)) {
        return QStringLiteral("call %1").arg(f->parameterCount());
    }
    const QVariant v = node->value();
    return Qt3::typeName(v) + QLatin1Char(' ') + Qt3::toString(v);
}

// The input cells as "location:name", joined by ";".
QString describeCells(CPropertyMap& map)
{
    QStringList out;
    for (const CProperty* cell : map.variables())
        out.append(QString::number(cell->location()) + QLatin1Char(':') + cell->name());
    return out.join(QLatin1Char(';'));
}

QString repeated(const char* piece, int n)
{
    return QString::fromLatin1(piece).repeated(n);
}

} // namespace

class tst_Parser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void quotes_data();
    void quotes();
    void nestingLimit_data();
    void nestingLimit();
    void longFlatInputs_data();
    void longFlatInputs();
};

void tst_Parser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<QString>("errors");

    // Constants.
    QTest::newRow("empty") << "" << "String " << "" << "";
    QTest::newRow("blank") << " \t " << "String " << "" << "";
    QTest::newRow("lone quote") << "'" << "String " << "" << "";
    QTest::newRow("empty quotes") << "''" << "String " << "" << "";
    QTest::newRow("integer") << "42" << "LongLong 42" << "" << "";
    QTest::newRow("negative") << "-7" << "LongLong -7" << "" << "";
    QTest::newRow("plus sign is a word") << "+7" << "String +7" << "" << "";
    QTest::newRow("largest") << "9223372036854775807" << "LongLong 9223372036854775807" << "" << "";
    QTest::newRow("smallest") << "-9223372036854775808" << "LongLong -9223372036854775808" << "" << "";
    QTest::newRow("one too large") << "9223372036854775808" << "LongLong 0" << "" << "";
    QTest::newRow("25 digits") << "1234567890123456789012345" << "LongLong 0" << "" << "";
    QTest::newRow("decimal") << "3.14" << "Double 3.14" << "" << "";
    QTest::newRow("any separator") << "3x14" << "Double 0" << "" << "";
    QTest::newRow("exponent") << "1e3" << "Double 1000" << "" << "";
    QTest::newRow("exponent without digits") << "1e" << "String 1e" << "" << "";
    QTest::newRow("words") << "hello world" << "String hello world" << "" << "";
    QTest::newRow("dotted word") << "a.b" << "String a.b" << "" << "";
    QTest::newRow("padded word") << "  padded  " << "String padded" << "" << "";
    QTest::newRow("escaped quote") << "'it\\'s'" << "String it's" << "" << "";
    QTest::newRow("quoted parentheses") << "'(x)'" << "String (x)" << "" << "";
    QTest::newRow("inner quote") << " 'a'b' " << "null" << ""
                                 << "Invalid character(s) in constant expression:  'a'b' \n";
    QTest::newRow("double quote") << "a\"b" << "null" << "" << "Invalid expression: a\"b\n";
    QTest::newRow("bare comma") << "x,y" << "null" << "" << "Invalid expression: x,y\n";
    QTest::newRow("open parenthesis") << "(" << "null" << "" << "Invalid expression: (\n";

    // References.
    QTest::newRow("state") << "$count" << "var" << "0:count" << "";
    QTest::newRow("fsm") << "$fsm.count" << "var" << "1:count" << "";
    QTest::newRow("app") << "$app.lang" << "var" << "2:lang" << "";
    QTest::newRow("fsm alone") << "$fsm" << "var" << "0:fsm" << "";
    QTest::newRow("fsm dot") << "$fsm." << "var" << "0:fsm." << "";
    QTest::newRow("empty name") << "$" << "var" << "0:" << "";
    QTest::newRow("blank in name") << "$my var" << "null" << "" << "Invalid character(s) in variable name: $my var\n";
    QTest::newRow("call in name") << "$a(b)" << "null" << "" << "Invalid character(s) in variable name: $a(b)\n";

    // Parentheses and calls.
    QTest::newRow("parenthesised") << "(42)" << "LongLong 42" << "" << "";
    QTest::newRow("twice") << "((42))" << "LongLong 42" << "" << "";
    QTest::newRow("empty parentheses") << "()" << "String " << "" << "";
    QTest::newRow("call") << "add(1, 2)" << "call 2" << "" << "";
    QTest::newRow("too few") << "add(1)" << "call 1" << "" << "'add' function has invalid number of parameters.\n";
    QTest::newRow("too few, wrapped") << "(add(1))" << "call 1" << ""
                                      << "'add' function has invalid number of parameters.\n"
                                         "'add' function has invalid number of parameters.\n";
    QTest::newRow("name is case-sensitive") << "ADD(1,2)" << "null" << "" << "Invalid function name: add\n";
    QTest::newRow("blank before parenthesis") << "add (1,2)" << "null" << "" << "Invalid function name: add \n";
    QTest::newRow("unknown name, bad parameter first") << "nope($a b)" << "null" << "0:a b" << "";
    QTest::newRow("not ending in parenthesis") << "f(a)(b" << "null" << "" << "Invalid expression: f(a)(b\n";
    QTest::newRow("empty call has one parameter") << "random()" << "call 1" << "" << "";
    QTest::newRow("empty pieces count") << "concat(a,,b)" << "call 3" << "" << "";
    QTest::newRow("comma in quotes") << "concat('a,b', 'c')" << "call 2" << "" << "";
    QTest::newRow("nested call") << "concat(add(1,2), 'x')" << "call 2" << "" << "";
    QTest::newRow("parentheses in quotes") << "concat(')(', 'x')" << "call 2" << "" << "";
    QTest::newRow("closing before opening") << "concat(a)(b, c)" << "call 0" << ""
                                            << "Invalid parenthese sequence.\n"
                                               "'concat' function has invalid number of parameters.\n";
    QTest::newRow("unterminated string") << "concat('abc, 1)" << "call 0" << ""
                                         << "'concat' function has invalid number of parameters.\n";
    QTest::newRow("unbalanced parameter") << "concat(add(1, 2, 'x')" << "call 0" << ""
                                          << "'concat' function has invalid number of parameters.\n";
    QTest::newRow("cells in text order") << "concat($a, add($fsm.b, $app.c), $a)" << "call 3" << "0:a;1:b;2:c;0:a" << "";
    QTest::newRow("bad parameter stays null") << "concat($a b, 'x')" << "call 2" << ""
                                              << "Invalid character(s) in variable name: $a b\n";
}

void tst_Parser::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, node);
    QFETCH(QString, cells);
    QFETCH(QString, errors);

    CPropertyMap map(nullptr, QStringLiteral("x"), text);
    QCOMPARE(describe(map.expression()), node);
    if (QByteArray(QTest::currentDataTag()) == "unknown name, bad parameter first") {
        // The parameters are parsed before the name is looked up, and their errors come first.
        QCOMPARE(map.errors(), QStringLiteral("Invalid character(s) in variable name: $a b\nInvalid function name: nope\n"));
        return;
    }
    QCOMPARE(describeCells(map), cells);
    QCOMPARE(map.errors(), errors);
    QCOMPARE(map.isValid(), errors.isEmpty());
}

void tst_Parser::quotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token");
    QTest::addColumn<int>("quotes");
    QTest::addColumn<int>("outside");

    QTest::newRow("empty") << "" << "(" << 0 << 0;
    QTest::newRow("one") << "'" << "(" << 1 << 0;
    QTest::newRow("two") << "''" << "(" << 2 << 0;
    QTest::newRow("three") << "'''" << "(" << 3 << 0;
    QTest::newRow("escaped") << "\\'" << "(" << 0 << 0;
    QTest::newRow("escaped then closing") << "'a\\''" << "(" << 2 << 0;
    QTest::newRow("plain") << "a(b(c" << "(" << 0 << 2;
    QTest::newRow("inside quotes") << "'('" << "(" << 2 << 0;
    QTest::newRow("after a string") << "a')(' (" << "(" << 2 << 1;
    // The tail is counted from the character after the token, so a quote right behind it
    // opens a string even when it closes one.
    QTest::newRow("quote right behind") << "x('" << "(" << 1 << 0;
    QTest::newRow("longer token") << "ab'ab'ab" << "ab" << 2 << 2;
}

void tst_Parser::quotes()
{
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(int, quotes);
    QFETCH(int, outside);
    QCOMPARE(quoteCount(text), quotes);
    QCOMPARE(countOutsideQuotes(text, token), outside);
}

void tst_Parser::nestingLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("refused");

    const int limit = CPropertyMap::kMaxNesting;
    QTest::newRow("parentheses at the limit") << repeated("(", limit - 1) + QStringLiteral("42")
                                                     + repeated(")", limit - 1)
                                              << "LongLong 42" << false;
    QTest::newRow("parentheses past the limit") << repeated("(", limit) + QStringLiteral("42")
                                                       + repeated(")", limit)
                                                << "null" << true;
    QTest::newRow("calls at the limit") << repeated("negate(", limit - 1) + QStringLiteral("1")
                                               + repeated(")", limit - 1)
                                        << "call 1" << false;
    QTest::newRow("calls past the limit") << repeated("negate(", limit) + QStringLiteral("1")
                                                 + repeated(")", limit)
                                          << "call 1" << true;
    // Deep enough to overflow any stack if the parser recursed without limit.
    QTest::newRow("a million parentheses") << repeated("(", 1000000) + QStringLiteral("1")
                                                  + repeated(")", 1000000)
                                           << "null" << true;
    QTest::newRow("a million open calls") << repeated("f(", 500000) << "null" << false;
    QTest::newRow("deep parameter lists") << repeated("concat(1,", 20000) + QStringLiteral("2")
                                                 + repeated(")", 20000)
                                          << "call 2" << true;
}

void tst_Parser::nestingLimit()
{
    QFETCH(QString, text);
    QFETCH(QString, node);
    QFETCH(bool, refused);

    CPropertyMap map(nullptr, QStringLiteral("x"), text);
    QCOMPARE(describe(map.expression()), node);
    const QString line = QStringLiteral("Expression nested deeper than %1 levels: ").arg(CPropertyMap::kMaxNesting);
    // One line per branch that went too deep; a branch stops there.
    if (refused)
        QVERIFY(map.errors().count(line) >= 1 && map.errors().count(line) <= 2);
    else
        QCOMPARE(map.errors().count(line), 0);
    if (refused) {
        // The line names where the text went too deep, not the whole text.
        const QString error = map.errors().section(line, 1).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(error.size() <= 43, qPrintable(error));
    }
    if (map.expression() && map.isValid())
        QVERIFY(map.evaluate());
}

void tst_Parser::longFlatInputs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("errorLines");

    const int n = 200000;
    QTest::newRow("many parameters") << QStringLiteral("concat(") + repeated("'ab',", n)
                                            + QStringLiteral("'c')")
                                     << QStringLiteral("call %1").arg(n + 1) << 0;
    QTest::newRow("one long string parameter") << QStringLiteral("concat('") + repeated("a,b(", n)
                                                      + QStringLiteral("', 'x')")
                                               << "call 2" << 0;
    QTest::newRow("unterminated string") << QStringLiteral("concat('") + repeated("a,", n)
                                                + QStringLiteral(")")
                                         << "call 0" << 1;
    QTest::newRow("many broken parameters") << QStringLiteral("concat(") + repeated("a'b,", n)
                                                   + QStringLiteral("x)")
                                            << QStringLiteral("call %1").arg(n / 2 + 1) << n / 2;
    QTest::newRow("closing parentheses") << QStringLiteral("concat(") + repeated(")", 5 * n)
                                                + QStringLiteral(")")
                                         << "call 1" << 2;
}

// Megabyte texts parse in linear time; quadratic behaviour would show as a test time-out.
void tst_Parser::longFlatInputs()
{
    QFETCH(QString, text);
    QFETCH(QString, node);
    QFETCH(int, errorLines);

    CPropertyMap map(nullptr, QStringLiteral("x"), text);
    QVERIFY(describe(map.expression()).startsWith(node));
    QCOMPARE(map.errors().count(QLatin1Char('\n')), errorLines);
}

QTEST_GUILESS_MAIN(tst_Parser)
#include "tst_parser.moc"
