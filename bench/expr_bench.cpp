// SPDX-License-Identifier: MIT
// Property-map figures: one map applied by its transition over and over, next to the same value
// computed directly in C++ in the same run; and a loop over a long list with the list
// iterator, two property maps per pass, through the event loop.
#include "bench.h"
#include "engine/fsm.h"
#include "engine/statefactory.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QEventLoop>
#include <memory>

namespace {

long envNumber(const char* name, long fallback)
{
    bool ok = false;
    const long n = qEnvironmentVariable(name).toLong(&ok);
    return ok && n > 0 ? n : fallback;
}

// Profiling runs (valgrind) shorten the figures through these variables.
const long kApplications = envNumber("SETUPFSM_BENCH_EVALS", 300000);
const long kListLength = envNumber("SETUPFSM_BENCH_ITEMS", 100000);

const char kExpression[] = "concat($a, add($b, 1), substr($c, 2, 3))";

class CHolderState : public CState {
public:
    CHolderState(QObject* parent, const char* name) : CState(parent, name, QDomNode()) {}
    void enter() override {}
};

// The expression's value computed by hand on the same variants, read from and stored into the
// same states as the map does.
void computeDirectly(const CState* from, CState* to)
{
    const QVariant a = from->property("a");
    const QVariant b = from->property("b");
    const QVariant c = from->property("c");
    const QString result = Qt3::toString(a) + Qt3::toString(QVariant(Qt3::toLongLong(b) + 1)) + Qt3::toString(c).mid(2, 3);
    to->setProperty("x", QVariant(result));
}

void expressionFigures()
{
    CFsm fsm(nullptr, "bench", nullptr, QDomNode());
    auto* from = new CHolderState(&fsm, "from");
    auto* to = new CHolderState(&fsm, "to");
    fsm.addState(from);
    fsm.addState(to);
    from->setProperty("a", QStringLiteral("hello"));
    from->setProperty("b", QStringLiteral("41"));
    from->setProperty("c", QStringLiteral("abcdefgh"));
    auto* t = new CTransition(&fsm, "t", QStringLiteral("from"), QStringLiteral("to"), QDomNode());
    if (!t->addPropertyMap(QStringLiteral("x"), QString::fromLatin1(kExpression)))
        qFatal("expression does not parse: %s", qPrintable(t->propertyMapErrors()));

    t->applyPropertyMaps();
    const QVariant byMap = to->property("x");
    computeDirectly(from, to);
    if (Qt3::toString(byMap) != Qt3::toString(to->property("x")))
        qFatal("map and direct computation differ: %s / %s", qPrintable(Qt3::toString(byMap)),
               qPrintable(Qt3::toString(to->property("x"))));

    // Alternate the two in rounds, so that a frequency change hits both alike.
    double mapTime = 0, directTime = 0;
    const long rounds = 5;
    const long perRound = qMax(1L, kApplications / rounds);
    for (long r = 0; r < rounds; ++r) {
        double start = Bench::now();
        for (long i = 0; i < perRound; ++i)
            t->applyPropertyMaps();
        mapTime += Bench::now() - start;
        start = Bench::now();
        for (long i = 0; i < perRound; ++i)
            computeDirectly(from, to);
        directTime += Bench::now() - start;
    }
    const double n = double(perRound * rounds);
    Bench::report(QStringLiteral("expr.evals_per_s"), n / mapTime, QStringLiteral("1/s"));
    Bench::report(QStringLiteral("expr.direct_per_s"), n / directTime, QStringLiteral("1/s"));
    Bench::report(QStringLiteral("expr.overhead_ratio"), mapTime / directTime, QStringLiteral("x"));
}

const char kLoop[] = R"~(<fsm type="listIteratorFsm">
  <states>
    <state name="iterator" type="listIterator"/>
    <state name="work" type="work"/>
  </states>
  <events><event name="done"/></events>
  <transitions>
    <transition startstate="iterator"><propertymap target="list" function="$fsm.items"/></transition>
    <transition fromstate="iterator" event="nextItem" tostate="work"><propertymap target="item" function="$currentItem"/></transition>
    <transition fromstate="work" event="next" tostate="iterator"><propertymap target="fsm.last" function="$item"/></transition>
    <transition fromstate="iterator" event="lastItem" toexit="done"/>
  </transitions>
</fsm>)~";

// The loop's work state does no work of its own, like the states of the engine's step figure,
// so the figure shows what iterating and mapping add to plain steps.
class CWorkState : public CState {
public:
    using CState::CState;
    void initialize() override { addEvents({next()}); }
    void enter() override
    {
        setLeaveEvent(next());
        leaveState();
    }
    static const QString& next()
    {
        static const QString e = QStringLiteral("next");
        return e;
    }
};

void loopFigure()
{
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    auto* own = new CStateFactory(QStringLiteral("bench"));
    own->addCreator(QStringLiteral("work"), &createStateOf<CWorkState>);
    factory->addFactory(own);
    QDomDocument doc;
    doc.setContent(QByteArray(kLoop));
    std::unique_ptr<CState> root(factory->createState(QStringLiteral("listIteratorFsm"), doc.documentElement(), nullptr,
                                                      QStringLiteral("loop")));
    auto* fsm = qobject_cast<CFsm*>(root.get());
    if (!fsm || !fsm->errors().isEmpty())
        qFatal("loop definition does not build: %s", fsm ? qPrintable(fsm->errors()) : "no FSM");
    QStringList items;
    items.reserve(kListLength);
    for (long i = 0; i < kListLength; ++i)
        items.append(QStringLiteral("item%1").arg(i));
    fsm->setProperty("items", items);

    QEventLoop loop;
    QObject::connect(fsm, &CState::finished, &loop, [&loop, fsm](CState* s) {
        if (s == fsm)
            loop.quit();
    });
    const double start = Bench::now();
    fsm->enter();
    loop.exec();
    const double seconds = Bench::now() - start;
    if (Qt3::toString(fsm->property("last")) != items.last())
        qFatal("the loop did not reach the last item");
    Bench::report(QStringLiteral("engine.loop_items_per_s"), double(kListLength) / seconds, QStringLiteral("1/s"));
}

const Bench::Register expr("expr.evals_per_s", &expressionFigures);
const Bench::Register loop("engine.loop_items_per_s", &loopFigure);

} // namespace
