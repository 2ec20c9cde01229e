// SPDX-License-Identifier: MIT
// The fuzz entries of the expression language over the seed corpus, over mutations of it and
// over generated texts. A broken invariant or a crash fails the run; the real fuzzers go much
// further, this keeps the ordinary suite honest in between.
#include "expressionfuzz.h"

#include "engine/trace.h"
#include "support/fuzzcorpus.h"
#include "propertymap/functiontable.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Deterministic, so a failure reproduces.
constexpr quint32 kSeed = 20261206;
constexpr int kMutations = 3000;
constexpr int kGenerated = 2000;

QByteArray mutate(QByteArray input, const QList<QByteArray>& pool, QRandomGenerator& rng)
{
    static const QByteArray alphabet = QByteArrayLiteral("()$',\" \\.-09azAZ;\n\t");
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype at = input.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(input.size() + 1)));
        switch (rng.bounded(5)) {
        case 0:
            input.insert(at, alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size())))));
            break;
        case 1:
            if (!input.isEmpty())
                input.remove(qMin(at, input.size() - 1), 1 + qsizetype(rng.bounded(3)));
            break;
        case 2: // splice in a piece of another input
        {
            const QByteArray& other = pool.at(qsizetype(rng.bounded(quint32(pool.size()))));
            if (!other.isEmpty()) {
                const qsizetype from = qsizetype(rng.bounded(quint32(other.size())));
                input.insert(at, other.mid(from, 1 + qsizetype(rng.bounded(12))));
            }
            break;
        }
        case 3: // nest the whole text once more
            input = QByteArrayLiteral("concat(") + input + QByteArrayLiteral(", $z)");
            break;
        default: // a byte that is no valid UTF-8 on its own
            input.insert(at, char(0x80 + rng.bounded(0x80)));
            break;
        }
    }
    return input;
}

// A random text from the language's pieces: names, parentheses, commas, quotes, references.
QByteArray generate(QRandomGenerator& rng)
{
    static const QStringList names = functionNames();
    static const QList<QByteArray> atoms {"1", "-7", "2.5", "'s'", "'a,b'", "'\\''", "$a", "$fsm.b", "$app.c",
                                          "$obj", "word", "", " ", "'", "(", ")", ",", "\""};
    QByteArray out;
    int depth = 0;
    const int length = 1 + int(rng.bounded(40));
    for (int i = 0; i < length; ++i) {
        const quint32 pick = rng.bounded(10);
        if (pick < 3 && !names.isEmpty()) {
            out += names.at(qsizetype(rng.bounded(quint32(names.size())))).toLatin1() + '(';
            ++depth;
        } else if (pick < 5 && depth > 0) {
            out += ')';
            --depth;
        } else if (pick < 7) {
            out += ',';
        } else {
            out += atoms.at(qsizetype(rng.bounded(quint32(atoms.size()))));
        }
    }
    while (depth-- > 0 && rng.bounded(4) != 0)
        out += ')';
    return out;
}

} // namespace

class tst_FuzzSmoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void corpusSeeds();
    void mutations();
    void generated();
};

void tst_FuzzSmoke::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral("^$"));
    QVERIFY2(readFuzzCorpus(QStringLiteral(SETUPFSM_FUZZ_CORPUS)).size() >= 20, SETUPFSM_FUZZ_CORPUS);
}

void tst_FuzzSmoke::corpusSeeds()
{
    for (const QByteArray& input : readFuzzCorpus(QStringLiteral(SETUPFSM_FUZZ_CORPUS))) {
        fuzzParse(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
        fuzzEvaluate(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    }
}

void tst_FuzzSmoke::mutations()
{
    QRandomGenerator rng(kSeed);
    const QList<QByteArray> seeds = readFuzzCorpus(QStringLiteral(SETUPFSM_FUZZ_CORPUS));
    for (int i = 0; i < kMutations; ++i) {
        const QByteArray input = mutate(seeds.at(i % seeds.size()), seeds, rng);
        fuzzParse(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
        fuzzEvaluate(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    }
}

void tst_FuzzSmoke::generated()
{
    QRandomGenerator rng(kSeed + 1);
    for (int i = 0; i < kGenerated; ++i) {
        const QByteArray input = generate(rng);
        fuzzEvaluate(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    }
}

QTEST_MAIN(tst_FuzzSmoke)
#include "tst_fuzzsmoke.moc"
