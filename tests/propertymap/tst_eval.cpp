// SPDX-License-Identifier: MIT
// `setupfsm eval` as a script author uses it: output line, errors, warnings and exit status.
#include <QProcess>
#include <QTest>

class tst_Eval : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eval_data();
    void eval();
};

void tst_Eval::eval_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");   // standard output; "prefix*" matches the beginning only
    QTest::addColumn<QStringList>("errors"); // lines expected on standard error, in order
    QTest::addColumn<int>("status");

    const QStringList none;
    QTest::newRow("integer sum") << QStringList {"add(1, 2)"} << "LongLong 3\n" << none << 0;
    QTest::newRow("negative after --") << QStringList {"--", "-7"} << "LongLong -7\n" << none << 0;
    QTest::newRow("negative in parentheses") << QStringList {"(-7)"} << "LongLong -7\n" << none << 0;
    QTest::newRow("double") << QStringList {"3.14"} << "Double 3.14\n" << none << 0;
    QTest::newRow("words are joined") << QStringList {"hello", "world"} << "String hello world\n" << none << 0;
    QTest::newRow("string list") << QStringList {"split('a;b;c', ';')"} << "StringList [\"a\",\"b\",\"c\"]\n" << none << 0;
    QTest::newRow("mixed list") << QStringList {"makelist(1, 'a', 2.5)"} << "List [1,\"a\",2.5]\n" << none << 0;
    QTest::newRow("from-state input") << QStringList {"--from", "name=World", "concat('Hello ', $name)"}
                                      << "String Hello World\n" << none << 0;
    QTest::newRow("application input") << QStringList {"--app=lang=de", "$app.lang"} << "String de\n" << none << 0;
    QTest::newRow("graphic value") << QStringList {"color('red')"} << "Color #ff0000\n" << none << 0;
    QTest::newRow("object") << QStringList {"objectlist()"} << "Object *" << none << 0;
    QTest::newRow("missing input")
        << QStringList {"concat($missing, 'x')"} << "String x\n"
        << QStringList {"warning: $missing is not set and reads as the empty string (set it with --from missing=VALUE)"} << 0;
    QTest::newRow("unknown function")
        << QStringList {"ADD(1,2)"} << ""
        << QStringList {"error: Invalid function name: add",
                        "  hint: function names are lower case and take no blank before \"(\""}
        << 1;
    QTest::newRow("misspelt function") << QStringList {"concta(1, 2)"} << ""
                                       << QStringList {"error: Invalid function name: concta", "  hint: did you mean concat?"} << 1;
    QTest::newRow("parameter count") << QStringList {"add(1)"} << ""
                                     << QStringList {"error: 'add' function has invalid number of parameters."} << 1;
    QTest::newRow("several errors") << QStringList {"concat($a b, x\"y)"} << ""
                                    << QStringList {"error: Invalid character(s) in variable name: $a b",
                                                    "error: Invalid expression:  x\"y"}
                                    << 1;
    QTest::newRow("trace") << QStringList {"--trace", "--from", "a=hi", "$a"} << "String hi\n"
                           << QStringList {"[transition          ]|   value as string = hi",
                                           "[transition          ]|_Set property \"value\" value as string = hi"}
                           << 0;
    QTest::newRow("help") << QStringList {"--help"} << "Usage: setupfsm eval*" << none << 0;
    QTest::newRow("unknown option") << QStringList {"--frm", "x=1", "1"} << ""
                                    << QStringList {"setupfsm eval: unknown option '--frm'"} << 64;
    QTest::newRow("no expression") << QStringList {"--from", "a=1"} << ""
                                   << QStringList {"setupfsm eval: no expression given"} << 64;
}

void tst_Eval::eval()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(QStringList, errors);
    QFETCH(int, status);

    QProcess p;
    p.start(QStringLiteral(SETUPFSM_CLI), QStringList {QStringLiteral("eval")} + arguments);
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QStringList err = QString::fromLatin1(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (output.endsWith(QLatin1Char('*')))
        QVERIFY2(out.startsWith(output.chopped(1)), qPrintable(out));
    else
        QCOMPARE(out, output);
    // Expected lines appear in order; other lines (trace around them) may come between.
    qsizetype at = 0;
    for (const QString& line : errors) {
        while (at < err.size() && err.at(at) != line)
            ++at;
        QVERIFY2(at < err.size(), qPrintable(QStringLiteral("missing: ") + line + QStringLiteral("\nin:\n") + err.join(QLatin1Char('\n'))));
    }
    if (errors.isEmpty() && status == 0 && !arguments.contains(QStringLiteral("--trace")))
        QVERIFY2(err.isEmpty(), qPrintable(err.join(QLatin1Char('\n'))));
    QCOMPARE(p.exitCode(), status);
}

QTEST_GUILESS_MAIN(tst_Eval)
#include "tst_eval.moc"
