// SPDX-License-Identifier: MIT
#include "engine/regexp.h"

#include <QTest>

class tst_RegExp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matching_data();
    void matching();
};

void tst_RegExp::matching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("mode"); // letters: i = case-insensitive, w = wildcard, m = minimal
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("cap");

    const struct {
        const char* row;
        const char* pattern;
        const char* mode;
        const char* text;
        int from;
        bool exact;
        int index;
        const char* cap;
    } rows[] = {
        {"whole text", "a.c", "", "abc", 0, true, 0, "abc"},
        {"inside text", "a.c", "", "xabcx", 0, false, 1, "abc"},
        {"alternatives anchored as a whole", "a|b", "", "ab", 0, false, 0, "a"},
        {"second alternative exact", "a|b", "", "b", 0, true, 0, "b"},
        {"case-sensitive", "ABC", "", "abc", 0, false, -1, ""},
        {"case-insensitive", "ABC", "i", "abc", 0, true, 0, "abc"},
        {"greedy", "a.*b", "", "aXbYb", 0, true, 0, "aXbYb"},
        {"minimal", "a.*b", "m", "aXbYb", 0, true, 0, "aXb"},
        {"from an offset", "a", "", "aXa", 1, false, 2, "a"},
        {"negative offset counts from the end", "a", "", "aaa", -1, false, 2, "a"},
        {"offset past the end", "a", "", "aaa", 4, false, -1, ""},
        {"invalid pattern matches nothing", "(", "", "(", 0, false, -1, ""},
        {"star spans folders", "*.txt", "w", "dir/file.txt", 0, true, 0, "dir/file.txt"},
        {"question mark is one character", "file?.txt", "w", "file10.txt", 0, false, -1, ""},
        {"question mark matches one", "file?.txt", "w", "file1.txt", 0, true, 0, "file1.txt"},
        {"set", "[ab]*", "w", "apple", 0, true, 0, "apple"},
        {"set misses", "[ab]*", "w", "cherry", 0, false, -1, ""},
        {"other characters are literal", "a+b(c)", "w", "a+b(c)", 0, true, 0, "a+b(c)"},
        {"lone bracket is literal", "[x", "w", "[x", 0, true, 0, "[x"},
        {"closing bracket first in a set", "[]a]*", "w", "]x", 0, true, 0, "]x"},
        {"closing bracket first in a negated set", "[^]a]*", "w", "bx", 0, true, 0, "bx"},
        {"negated set excludes the bracket", "[^]a]", "w", "]", 0, false, -1, ""},
        {"wildcard case-insensitive", "*.TXT", "iw", "a.txt", 0, true, 0, "a.txt"},
    };
    for (const auto& r : rows) {
        QTest::newRow(r.row) << QString::fromLatin1(r.pattern) << QString::fromLatin1(r.mode) << QString::fromLatin1(r.text)
                             << r.from << r.exact << r.index << QString::fromLatin1(r.cap);
    }
}

void tst_RegExp::matching()
{
    QFETCH(QString, pattern);
    QFETCH(QString, mode);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(bool, exact);
    QFETCH(int, index);
    QFETCH(QString, cap);

    CRegExp re(pattern, !mode.contains(QLatin1Char('i')), mode.contains(QLatin1Char('w')), mode.contains(QLatin1Char('m')));
    QCOMPARE(re.exactMatch(text), exact);
    QCOMPARE(re.indexIn(text, from), index);
    QCOMPARE(re.cap(0), cap);
    QCOMPARE(re.matchedLength(), index < 0 ? -1 : int(cap.size()));
}

QTEST_GUILESS_MAIN(tst_RegExp)
#include "tst_regexp.moc"
