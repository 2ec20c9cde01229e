// SPDX-License-Identifier: MIT
#include "engine/trace.h"
#include "evaluation.h"
#include "propertymap/arithmeticfunctions.h"
#include "propertymap/functiontable.h"
#include "propertymap/graphicfunctions.h"
#include "propertymap/listfunctions.h"
#include "propertymap/objectfunctions.h"
#include "propertymap/regexpfunctions.h"
#include "propertymap/stringfunctions.h"

#include <QtTest>
#include <typeinfo>

using IsClass = bool (*)(const CExpression*);
Q_DECLARE_METATYPE(IsClass)

namespace {

template <class T>
bool isExactly(const CExpression* e)
{
    return e && typeid(*e) == typeid(T);
}

const QString objectRefused = QStringLiteral("function does not take object parameters.\n");

QList<CExpression*> objectParameters(int n)
{
    QList<CExpression*> parameters;
    for (int i = 0; i < n; ++i)
        parameters.append(createFunctionExpression(QStringLiteral("objectlist"), {nullptr}, nullptr));
    return parameters;
}

} // namespace

class tst_FunctionTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Trace::setStderrEnabled(false); }
    void classAndParameterCount_data() { functionRows(); }
    void classAndParameterCount();
    void objectParameters_data() { functionRows(); }
    void objectParameters();
    void anyParameterCountEvaluates_data() { functionRows(); }
    void anyParameterCountEvaluates();

private:
    static void functionRows();
};

void tst_FunctionTable::functionRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<IsClass>("isClass");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most"); // -1: no limit
    QTest::addColumn<bool>("takesObjects");

    auto row = [](const char* name, IsClass isClass, int least, int most, bool takesObjects) {
        QTest::newRow(name) << QString::fromLatin1(name) << isClass << least << most << takesObjects;
    };
    row("add", &isExactly<CFunctionAdd>, 2, -1, false);
    row("multiply", &isExactly<CFunctionMultiply>, 2, -1, false);
    row("divide", &isExactly<CFunctionDivide>, 2, 2, false);
    row("negate", &isExactly<CFunctionNegate>, 1, 1, false);
    row("random", &isExactly<CFuntionRandom>, 1, 1, false);
    row("concat", &isExactly<CFunctionConcat>, 2, -1, false);
    row("uppercase", &isExactly<CFunctionUppercase>, 1, 1, false);
    row("lowercase", &isExactly<CFunctionLowercase>, 1, 1, false);
    row("replace", &isExactly<CFunctionReplace>, 3, 3, false);
    row("substr", &isExactly<CFunctionSubstr>, 2, 3, false);
    row("pos", &isExactly<CFunctionPos>, 2, 3, false);
    row("len", &isExactly<CFunctionLen>, 1, 1, false);
    row("section", &isExactly<CFunctionSection>, 3, 4, false);
    row("safexml", &isExactly<CFunctionSafeXML>, 1, 1, false);
    row("tr", &isExactly<CFunctionTr>, 1, 1, false);
    row("split", &isExactly<CFunctionSplit>, 2, 2, false);
    row("join", &isExactly<CFunctionJoin>, 1, 2, false);
    row("grep", &isExactly<CFunctionGrep>, 2, 2, false);
    row("gres", &isExactly<CFunctionGres>, 3, 3, false);
    row("list", &isExactly<CFunctionList>, 1, 1, false);
    row("color", &isExactly<CFunctionColor>, 1, 3, false); // 2 is refused below
    row("pixmap", &isExactly<CFunctionPixmap>, 1, 1, false);
    row("font", &isExactly<CFunctionFont>, 0, 4, false);
    row("point", &isExactly<CFunctionPoint>, 2, 2, false);
    row("size", &isExactly<CFunctionSize>, 2, 2, false);
    row("count", &isExactly<CFunctionCount>, 1, 2, true);
    row("element", &isExactly<CFunctionElement>, 2, 2, true);
    row("find", &isExactly<CFunctionFind>, 2, 2, true);
    row("objectlist", &isExactly<CFunctionObjectList>, 1, 1, true);
    row("makelist", &isExactly<CFunctionMakeList>, 1, -1, true);
    row("append", &isExactly<CFunctionAppend>, 2, -1, true);
    row("remove", &isExactly<CFunctionRemove>, 2, 2, true);
    row("merge", &isExactly<CFunctionMerge>, 2, 2, true);
    row("property", &isExactly<CFunctionGetproperty>, 2, 2, true);
    row("setproperty", &isExactly<CFunctionSetproperty>, 3, 3, true);
    row("propertylist", &isExactly<CFunctionPropertyList>, 1, 1, true);
}

void tst_FunctionTable::classAndParameterCount()
{
    QFETCH(QString, name);
    QFETCH(IsClass, isClass);
    QFETCH(int, least);
    QFETCH(int, most);

    QVERIFY(functionNames().contains(name));
    QCOMPARE(createFunctionExpression(name.toUpper(), {}, nullptr), nullptr);
    const QString countError = QStringLiteral("'%1' function has invalid number of parameters.\n").arg(name);
    for (int n = 0; n <= 6; ++n) {
        // Null entries stand for parameters whose text yielded no node; they still count.
        std::unique_ptr<CFuncExpression> f(createFunctionExpression(name, QList<CExpression*>(n, nullptr), nullptr));
        QVERIFY(isClass(f.get()));
        QCOMPARE(f->parameterCount(), n);
        bool valid = n >= least && (most < 0 || n <= most);
        if (name == QLatin1String("color") && n == 2)
            valid = false;
        QCOMPARE(f->errors(), valid ? QString() : countError);
    }
}

void tst_FunctionTable::objectParameters()
{
    QFETCH(QString, name);
    QFETCH(int, least);
    QFETCH(bool, takesObjects);

    std::unique_ptr<CFuncExpression> f(createFunctionExpression(name, ::objectParameters(qMax(least, 1)), nullptr));
    QCOMPARE(f->errors().contains(objectRefused), !takesObjects);
    QCOMPARE(f->errors().count(objectRefused), takesObjects ? 0 : 1);
}

void tst_FunctionTable::anyParameterCountEvaluates()
{
    // Parameters a broken rule leaves out read as invalid values with no object; any number of
    // them, of any kind, must evaluate without harm (this program has no GUI application, so
    // "pixmap" must manage without one too).
    QFETCH(QString, name);

    CPropertyObject source;
    auto* list = new CPropertyObject(nullptr, "list");
    list->setObjectProperty("entry", new CPropertyObject(nullptr, "entry"));
    source.setObjectProperty("list", list);
    const QStringList argumentLists = {
        QString(), QStringLiteral("'x'"), QStringLiteral("'x', 1"), QStringLiteral("$list, 0, $list"),
        QStringLiteral("$list, '.', $list, 2.5, -1"), QStringLiteral("-1, -1, -1, -1"),
    };
    for (const QString& arguments : argumentLists) {
        Evaluation e = evaluate(name + QLatin1Char('(') + arguments + QLatin1Char(')'), &source);
        QVERIFY2(e.evaluated, qPrintable(arguments));
        QVERIFY(e.map->evaluate());
    }
    QCOMPARE(source.objectProperty("list"), list);
}

QTEST_GUILESS_MAIN(tst_FunctionTable)
#include "tst_functiontable.moc"
