// SPDX-License-Identifier: MIT
#include "engine/state.h"
#include "engine/trace.h"
#include "evaluation.h"

#include <QtTest>

namespace {

// An owner whose translations are recognisable.
class CBracketState : public CState {
public:
    CBracketState() : CState(nullptr, "bracket", QDomNode()) {}
    void enter() override {}
    QString tr(const char*, const char* text) const override
    {
        return QLatin1Char('[') + QString::fromUtf8(text) + QLatin1Char(']');
    }
};

} // namespace

class tst_TextFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void values_data();
    void values();
    void safexmlEscapesEveryLatin1Letter();
    void trTranslatesThroughTheOwner();
    void hugeInputs_data();
    void hugeInputs();
};

void tst_TextFunctions::values_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("result");

    QTest::newRow("concat") << "concat('a', 'b', 'c')" << "String" << "abc";
    QTest::newRow("concat numbers") << "concat(add(1, 2), 2.5, 'x')" << "String" << "32.5x";
    QTest::newRow("concat list is empty text") << "concat(split('a;b', ';'), 'x')" << "String" << "x";
    QTest::newRow("uppercase") << QStringLiteral("uppercase('äbc')") << "String" << QStringLiteral("ÄBC");
    QTest::newRow("lowercase") << QStringLiteral("lowercase('ÄB')") << "String" << QStringLiteral("äb");

    QTest::newRow("substr to end") << "substr('abcdef', 2)" << "String" << "cdef";
    QTest::newRow("substr length") << "substr('abcdef', 2, 3)" << "String" << "cde";
    QTest::newRow("substr length past end") << "substr('abcdef', 4, 10)" << "String" << "ef";
    QTest::newRow("substr zero length") << "substr('abcdef', 1, 0)" << "String" << "";
    QTest::newRow("substr negative length") << "substr('abcdef', 1, -1)" << "String" << "bcdef";
    QTest::newRow("substr start at end") << "substr('abcdef', 6)" << "String" << "";
    QTest::newRow("substr start beyond end") << "substr('abcdef', 10)" << "String" << "";
    QTest::newRow("substr start past 32 bits") << "substr('abcdef', 4294967298)" << "String" << "";
    QTest::newRow("substr negative start") << "substr('abcdef', -1)" << "String" << "";
    QTest::newRow("substr word start") << "substr('abc', 'x')" << "String" << "abc";
    QTest::newRow("len") << "len('abc')" << "UInt" << "3";
    QTest::newRow("len number") << "len(-42)" << "UInt" << "3";

    QTest::newRow("join") << "join(split('a;b', ';'), '-')" << "String" << "a-b";
    QTest::newRow("join without separator") << "join(split('a;b', ';'))" << "String" << "ab";
    QTest::newRow("join text is no list") << "join('a;b')" << "String" << "";
    QTest::newRow("join values") << "join(makelist(1, 2.5), '+')" << "String" << "1+2.5";
    QTest::newRow("list") << "list()" << "List" << "[]";

    QTest::newRow("replace") << "replace('a1b22', '[0-9]+', '#')" << "String" << "a#b#";
    QTest::newRow("replace groups") << "replace('john smith', '(\\w+) (\\w+)', '\\2 \\1')" << "String"
                                    << "smith john";
    QTest::newRow("replace missing group") << "replace('ab', '(a)', '\\2\\1')" << "String" << "\\2ab";
    QTest::newRow("replace empty matches") << "replace('abc', 'x*', '-')" << "String" << "-a-b-c-";
    QTest::newRow("replace invalid pattern") << "replace('a(b', '(', 'x')" << "String" << "a(b";

    QTest::newRow("pos") << "pos('a.b.c', '\\.')" << "Int" << "1";
    QTest::newRow("pos from") << "pos('a.b.c', '\\.', 2)" << "Int" << "3";
    QTest::newRow("pos from end") << "pos('a.b.c', '\\.', -1)" << "Int" << "3";
    QTest::newRow("pos backwards skips later") << "pos('a.b.c', '\\.', -3)" << "Int" << "1";
    QTest::newRow("pos backwards overlapping") << "pos('aaa', 'aa', -1)" << "Int" << "1";
    QTest::newRow("pos backwards before start") << "pos('abc', 'a', -4)" << "Int" << "-1";
    QTest::newRow("pos from beyond end") << "pos('abc', 'c', 10)" << "Int" << "-1";
    QTest::newRow("pos from past 32 bits") << "pos('abc', 'a', 4294967296)" << "Int" << "-1";
    QTest::newRow("pos none") << "pos('abc', 'x')" << "Int" << "-1";
    QTest::newRow("pos invalid pattern") << "pos('a(b', '(')" << "Int" << "-1";

    QTest::newRow("section from") << "section('a/b/c', '/', 1)" << "String" << "b/c";
    QTest::newRow("section one") << "section('a/b/c', '/', 1, 1)" << "String" << "b";
    QTest::newRow("section last") << "section('a/b/c', '/', -1)" << "String" << "c";
    QTest::newRow("section negative range") << "section('a/b/c', '/', -3, -2)" << "String" << "a/b";
    QTest::newRow("section beyond") << "section('a/b/c', '/', 5)" << "String" << "";
    QTest::newRow("section pattern") << "section('a//b//c', '/+', 1, 1)" << "String" << "b";
    QTest::newRow("section invalid pattern") << "section('a/b', '[', 0)" << "String" << "a/b";
    QTest::newRow("section invalid pattern beyond") << "section('a/b', '[', 1)" << "String" << "";

    QTest::newRow("split drops empty pieces") << "split('a,,b', ',')" << "StringList" << "[a, b]";
    QTest::newRow("split pattern") << "split('a1b22c', '[0-9]')" << "StringList" << "[a, b, c]";
    QTest::newRow("split empty text") << "split('', ';')" << "StringList" << "[]";
    QTest::newRow("split invalid pattern") << "split('a;b', '(')" << "StringList" << "[a;b]";

    QTest::newRow("grep") << "grep(split('ab;cd;ae', ';'), '^a')" << "StringList" << "[ab, ae]";
    QTest::newRow("grep values") << "grep(makelist(12, 3, 42), '2')" << "StringList" << "[12, 42]";
    QTest::newRow("grep text is no list") << "grep('abc', 'a')" << "StringList" << "[]";
    QTest::newRow("grep invalid pattern") << "grep(split('a(;b', ';'), '(')" << "StringList" << "[]";
    QTest::newRow("gres") << "gres(split('a1;b2', ';'), '([a-z])([0-9])', '\\2\\1')" << "StringList" << "[1a, 2b]";
    QTest::newRow("gres invalid pattern") << "gres(split('a;b', ';'), '(', 'x')" << "StringList" << "[a, b]";
}

void tst_TextFunctions::values()
{
    QFETCH(QString, expression);
    QFETCH(QString, type);
    QFETCH(QString, result);

    compareValue(expression, type, result);
}

void tst_TextFunctions::safexmlEscapesEveryLatin1Letter()
{
    const Evaluation e = evaluate(QStringLiteral("safexml('<a href=\"x\">\u00C4 & \u20AC</a>')"));
    QCOMPARE(e.errors(), QString());
    QCOMPARE(e.value().toString(),
             QStringLiteral("&lt;a href=&quot;x&quot;&gt;&Auml; &amp; &euro;&lt;/a&gt;"));

    CPropertyObject source;
    QString all;
    for (char16_t c = 0xA0; c <= 0xFF; ++c)
        all += QChar(c);
    source.setProperty("text", QVariant(all + QStringLiteral("'")));
    const QString escaped = evaluate(QStringLiteral("safexml($text)"), &source).value().toString();
    QVERIFY(escaped.startsWith(QStringLiteral("\u00A0&iexcl;&cent;&pound;")));
    QVERIFY(escaped.contains(QStringLiteral("&times;&Oslash;")));
    QVERIFY(escaped.contains(QStringLiteral("&eacute;")));
    QVERIFY(escaped.endsWith(QStringLiteral("&divide;&oslash;&ugrave;&uacute;&ucirc;&uuml;&yacute;&thorn;&yuml;&apos;")));
    QCOMPARE(escaped.count(QLatin1Char('&')), 96);
}

void tst_TextFunctions::trTranslatesThroughTheOwner()
{
    QCOMPARE(evaluate(QStringLiteral("tr('Hello')")).value(), QVariant(QStringLiteral("Hello")));
    CBracketState owner;
    QCOMPARE(evaluate(QStringLiteral("tr('Hello')"), nullptr, &owner).value(), QVariant(QStringLiteral("[Hello]")));
}

void tst_TextFunctions::hugeInputs_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("result");

    // $big holds a megabyte of "ab".
    QTest::newRow("concat") << "len(concat($big, $big))" << "2097152";
    QTest::newRow("substr far start") << "substr($big, 99999999999)" << "";
    QTest::newRow("substr tail") << "substr($big, 1048574, 2147483648)" << "ab";
    QTest::newRow("pos backwards empty matches") << "pos($big, 'x*', -1)" << "1048575";
    QTest::newRow("pos backwards last") << "pos($big, 'ba', -1)" << "1048573";
    QTest::newRow("section empty separator") << "len(section($big, 'x*', 2, 3))" << "2";
    QTest::newRow("split") << "count(split($big, 'b'))" << "524288";
    QTest::newRow("replace") << "len(replace($big, 'b', 'cc'))" << "1572864";
    QTest::newRow("safexml") << "len(safexml(replace($big, 'b', '&')))" << "3145728";
    QTest::newRow("catastrophic backtracking") << "pos(substr($big, 0, 4000), '(a|b|ab)*c')" << "-1";
    // Text that is not valid UTF-16 cannot be searched; it matches nothing instead of crashing.
    QTest::newRow("lone surrogate") << "split(concat($surrogate, 'x'), 'x')"
                                    << QString(QStringLiteral("[") + QChar(0xD800) + QStringLiteral("x]"));
}

void tst_TextFunctions::hugeInputs()
{
    QFETCH(QString, expression);
    QFETCH(QString, result);

    CPropertyObject source;
    source.setProperty("big", QVariant(QStringLiteral("ab").repeated(512 * 1024)));
    source.setProperty("surrogate", QVariant(QString(QChar(0xD800))));
    const Evaluation e = evaluate(expression, &source);
    QCOMPARE(e.errors(), QString());
    QVERIFY(e.evaluated);
    QCOMPARE(render(e.value()), result);
}

QTEST_GUILESS_MAIN(tst_TextFunctions)
#include "tst_textfunctions.moc"
