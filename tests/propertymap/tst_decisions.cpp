// SPDX-License-Identifier: MIT
// The decision states "compare", "switch" and "match": the event each picks for its inputs,
// and the trace lines of compare and switch.
#include "maptestutil.h"

#include "engine/trace.h"
#include "propertymap/switchstate.h"

#include <QTest>

namespace {

// Creates a state of the type through the factory, sets the properties, enters it and
// returns the event it chose.
QString decide(CStateFactory* factory, const QString& type, const QVariantMap& properties, QStringList* trace = nullptr)
{
    std::unique_ptr<CState> state(factory->createState(type, QDomNode(), nullptr, QStringLiteral("decision")));
    if (!state)
        return QStringLiteral("<not created>");
    for (auto it = properties.constBegin(); it != properties.constEnd(); ++it)
        state->setProperty(it.key().toLatin1().constData(), it.value());
    TraceCapture capture;
    state->enter();
    if (trace)
        *trace = categoryLines(capture.lines, "compareStates");
    return state->leaveEvent();
}

QVariantMap props(std::initializer_list<std::pair<QString, QVariant>> entries)
{
    QVariantMap map;
    for (const auto& e : entries)
        map.insert(e.first, e.second);
    return map;
}

const QVariant kEmpty = QVariant(QString(QLatin1String("")));

} // namespace

class tst_Decisions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void declarations_data();
    void declarations();
    void compare_data();
    void compare();
    void switchOutputs_data();
    void switchOutputs();
    void switchOutputsAreFixed();
    void match_data();
    void match();

private:
    std::unique_ptr<CStateFactory> m_factory;
};

void tst_Decisions::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral(".*"));
    Trace::setExcludeFilter(QString());
    m_factory = makeFactory();
}

void tst_Decisions::declarations_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("required");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("compare") << "compare" << QStringList {"input1", "input2"} << QStringList {"true", "false"};
    QTest::newRow("switch") << "switch" << QStringList {"input", "outputs"} << QStringList {"default"};
    QTest::newRow("match") << "match" << QStringList {"input", "expression"} << QStringList {"true", "false"};
}

void tst_Decisions::declarations()
{
    QFETCH(QString, type);
    QFETCH(QStringList, required);
    QFETCH(QStringList, events);

    std::unique_ptr<CState> state(m_factory->createState(type, QDomNode(), nullptr, QStringLiteral("s")));
    QVERIFY(state);
    QCOMPARE(state->typeName(), type);
    QCOMPARE(state->requiredProperties(), required);
    QCOMPARE(state->events(), events);
}

void tst_Decisions::compare_data()
{
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QStringList>("trace");

    const QStringList strings {"Compare strings."};
    const QStringList numbers {"Compare numbers."};
    const QStringList badStrings {"Compare strings.", " ! Warning ! Invalid operator."};
    const QStringList badNumbers {"Compare numbers.", " ! Warning ! Invalid operator."};

    QTest::newRow("default is equal ignoring case") << props({{"input1", "Yes"}, {"input2", "yes"}}) << "true" << strings;
    QTest::newRow("equalcase") << props({{"input1", "Yes"}, {"input2", "yes"}, {"operator", "equalcase"}}) << "false" << strings;
    QTest::newRow("float reads integers") << props({{"input1", "2.5"}, {"input2", "1"}, {"operator", ">"}, {"type", "float"}})
                                          << "false" << numbers;
    QTest::newRow("numbers greater") << props({{"input1", "10"}, {"input2", "9"}, {"operator", "greater"}, {"type", "number"}})
                                     << "true" << numbers;
    QTest::newRow("strings greater") << props({{"input1", "10"}, {"input2", "9"}, {"operator", "greater"}}) << "false" << strings;
    QTest::newRow("unknown operator") << props({{"input1", "a"}, {"input2", "a"}, {"operator", "between"}}) << "false" << badStrings;
    QTest::newRow("equalcase is no number operator")
        << props({{"input1", "1"}, {"input2", "1"}, {"operator", "equalcase"}, {"type", "int"}}) << "false" << badNumbers;
    QTest::newRow("unknown kind compares strings") << props({{"input1", "b"}, {"input2", "a"}, {"operator", ">"}, {"type", "date"}})
                                                   << "true" << strings;
    QTest::newRow("operator ignores case") << props({{"input1", "b"}, {"input2", "a"}, {"operator", "GREATER"}}) << "true" << strings;
    QTest::newRow("comparisonType wins") << props({{"input1", "1"}, {"input2", "2"}, {"comparisonType", "<"}, {"operator", ">"}, {"type", "int"}})
                                         << "true" << numbers;
    QTest::newRow("empty comparisonType is invalid") << props({{"input1", "1"}, {"input2", "1"}, {"comparisonType", kEmpty}, {"operator", "=="}})
                                                     << "false" << badStrings;
    QTest::newRow("both unset, equal") << props({}) << "true" << strings;
    QTest::newRow("both unset, notequal") << props({{"operator", "notequal"}}) << "false" << strings;
    QTest::newRow("unset and empty, notequal") << props({{"input2", kEmpty}, {"operator", "!="}}) << "true" << strings;
    QTest::newRow("unset and empty, equalcase") << props({{"input1", kEmpty}, {"operator", "equalcase"}}) << "false" << strings;
    QTest::newRow("unset and empty, notequalcase") << props({{"input1", kEmpty}, {"operator", "notequalcase"}}) << "true" << strings;
    QTest::newRow("character codes order") << props({{"input1", "a"}, {"input2", "B"}, {"operator", ">"}}) << "true" << strings;
    QTest::newRow("prefix orders first") << props({{"input1", "ab"}, {"input2", "a"}, {"operator", "<"}}) << "false" << strings;
    QTest::newRow("strings smallerorequal") << props({{"input1", "b"}, {"input2", "a"}, {"operator", "smallerorequal"}}) << "false" << strings;
    QTest::newRow("numbers notequal") << props({{"input1", "3"}, {"input2", " 3 "}, {"operator", "!="}, {"type", "int"}}) << "false" << numbers;
    QTest::newRow("typed values") << props({{"input1", qlonglong(5)}, {"input2", 5.9}, {"operator", "=="}, {"type", "number"}})
                                  << "true" << numbers;
    QTest::newRow("beyond 32 bits") << props({{"input1", "4294967296"}, {"input2", "1"}, {"operator", ">"}, {"type", "int"}})
                                    << "true" << numbers;
}

void tst_Decisions::compare()
{
    QFETCH(QVariantMap, properties);
    QFETCH(QString, event);
    QFETCH(QStringList, trace);

    QStringList lines;
    QCOMPARE(decide(m_factory.get(), QStringLiteral("compare"), properties, &lines), event);
    QCOMPARE(lines, trace);
}

void tst_Decisions::switchOutputs_data()
{
    QTest::addColumn<QVariant>("outputs");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("event");

    const QStringList abc {"a", "b", "c", "default"};
    QTest::newRow("text outputs") << QVariant("a;b;;c") << "b" << abc << "b";
    QTest::newRow("case-sensitive") << QVariant("a;b;;c") << "B" << abc << "default";
    QTest::newRow("empty input") << QVariant("a;b;;c") << "" << abc << "default";
    QTest::newRow("list outputs") << QVariant(QStringList {"x", "", "y"}) << "y" << QStringList {"x", "y", "default"} << "y";
    QTest::newRow("no outputs") << QVariant() << "a" << QStringList {"default"} << "default";
    QTest::newRow("an output named default") << QVariant("default;a") << "default" << QStringList {"default", "a", "default"}
                                             << "default";
}

void tst_Decisions::switchOutputs()
{
    QFETCH(QVariant, outputs);
    QFETCH(QString, input);
    QFETCH(QStringList, events);
    QFETCH(QString, event);

    // As the factory does it: the definition's properties are in place before initialize().
    CSwitchState state(nullptr, "switch", QDomNode());
    if (outputs.isValid())
        state.setProperty("outputs", outputs);
    TraceCapture capture;
    state.initialize();
    QCOMPARE(state.events(), events);
    QStringList added;
    for (const QString& e : events.mid(0, events.size() - 1))
        added.append(QStringLiteral("Add output for switch: ") + e);
    QCOMPARE(categoryLines(capture.lines, "compareStates"), added);

    state.setProperty("input", input);
    state.enter();
    QCOMPARE(state.leaveEvent(), event);
}

void tst_Decisions::switchOutputsAreFixed()
{
    std::unique_ptr<CState> state(m_factory->createState(
        QStringLiteral("switch"),
        elementOf(QStringLiteral(R"(<state><property key="outputs" value="on;off"/></state>)")), nullptr,
        QStringLiteral("s")));
    QVERIFY(state);
    QCOMPARE(state->events(), (QStringList {"on", "off", "default"}));
    state->setProperty("outputs", QStringLiteral("later"));
    state->setProperty("input", QStringLiteral("later"));
    state->enter();
    QCOMPARE(state->leaveEvent(), QStringLiteral("default"));
    state->setProperty("input", QStringLiteral("off"));
    state->enter();
    QCOMPARE(state->leaveEvent(), QStringLiteral("off"));
}

void tst_Decisions::match_data()
{
    QTest::addColumn<QVariantMap>("properties");
    QTest::addColumn<QString>("event");

    auto row = [](const char* name, const char* expression, const char* input, QVariant wildcard, QVariant ignoreCase,
                  const char* event) {
        QVariantMap p = props({{"expression", expression}, {"input", input}});
        if (wildcard.isValid())
            p.insert(QStringLiteral("wildcard"), wildcard);
        if (ignoreCase.isValid())
            p.insert(QStringLiteral("ignoreCase"), ignoreCase);
        QTest::newRow(name) << p << QString::fromLatin1(event);
    };
    row("wildcard ignoring case", "setup*.exe", "SETUP_v2.EXE", true, true, "true");
    row("same as a regular expression", "setup*.exe", "SETUP_v2.EXE", false, true, "false");
    row("whole text only", "abc", "xabcx", QVariant(), QVariant(), "false");
    row("case counts by default", "abc", "ABC", QVariant(), QVariant(), "false");
    row("ignore case as text", "abc", "ABC", QVariant(), "yes", "true");
    row("zero as text", "a*", "abc", "0", QVariant(), "false");
    row("wildcard as number", "a?c", "abc", 1, QVariant(), "true");
    row("wildcard star crosses slashes", "*.txt", "dir/file.txt", true, QVariant(), "true");
    row("wildcard set", "[ab]x", "bx", true, QVariant(), "true");
    row("broken pattern matches nothing", "(", "(", QVariant(), QVariant(), "false");
    row("alternatives are anchored too", "a|ab", "ab", QVariant(), QVariant(), "true");
}

void tst_Decisions::match()
{
    QFETCH(QVariantMap, properties);
    QFETCH(QString, event);
    QCOMPARE(decide(m_factory.get(), QStringLiteral("match"), properties), event);
}

QTEST_GUILESS_MAIN(tst_Decisions)
#include "tst_decisions.moc"
