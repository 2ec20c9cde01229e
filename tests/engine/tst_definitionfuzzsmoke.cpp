// SPDX-License-Identifier: MIT
// The definition fuzz entry over its seed corpus and over deterministic mutations of it, plain
// and scrambled. A broken invariant or a crash fails the run; the real fuzzer goes much
// further, this keeps the ordinary suite honest in between.
#include "definitionfuzz.h"

#include "engine/simplecodec.h"
#include "engine/trace.h"

#include "support/fuzzcorpus.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Deterministic, so a failure reproduces.
constexpr quint32 kSeed = 20261207;
constexpr int kMutations = 3000;

// The quoted entries of the fuzzer's dictionary: the names the loader knows.
QList<QByteArray> readDictionary()
{
    QList<QByteArray> tokens;
    QFile f(QStringLiteral(SETUPFSM_DEFINITION_DICT));
    if (!f.open(QIODevice::ReadOnly))
        return tokens;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith('"') || !line.endsWith('"') || line.size() < 3)
            continue;
        QByteArray token = line.mid(1, line.size() - 2);
        token.replace("\\\"", "\"");
        token.replace("\\\\", "\\");
        tokens.append(token);
    }
    return tokens;
}

void run(const QByteArray& input)
{
    fuzzDefinition(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
}

QByteArray pick(const QList<QByteArray>& pool, QRandomGenerator& rng)
{
    return pool.at(qsizetype(rng.bounded(quint32(pool.size()))));
}

QByteArray mutate(QByteArray input, const QList<QByteArray>& seeds, const QList<QByteArray>& tokens,
                  QRandomGenerator& rng)
{
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype at = qsizetype(rng.bounded(quint32(input.size() + 1)));
        switch (rng.bounded(5)) {
        case 0:
            if (!input.isEmpty())
                input[qMin(at, input.size() - 1)] = char(rng.bounded(256));
            break;
        case 1:
            input.remove(at, 1 + qsizetype(rng.bounded(40)));
            break;
        case 2:
            input.insert(at, pick(tokens, rng));
            break;
        case 3: { // a piece of another seed: whole elements often land inside others
            const QByteArray other = pick(seeds, rng);
            const qsizetype from = qsizetype(rng.bounded(quint32(other.size() + 1)));
            input.insert(at, other.mid(from, 1 + qsizetype(rng.bounded(120))));
            break;
        }
        default: // an attribute value replaced by a name the loader knows
        {
            const qsizetype quote = input.indexOf('"', at);
            const qsizetype end = quote < 0 ? -1 : input.indexOf('"', quote + 1);
            if (end > quote)
                input.replace(quote + 1, end - quote - 1, pick(tokens, rng));
            break;
        }
        }
    }
    return input;
}

} // namespace

class tst_DefinitionFuzzSmoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void corpusSeeds();
    void mutations();
    void nestedFilesStayInTheirFolder();

private:
    QList<QByteArray> m_seeds;
    QList<QByteArray> m_tokens;
};

void tst_DefinitionFuzzSmoke::initTestCase()
{
    Trace::setStderrEnabled(false);
    Trace::setIncludeFilter(QStringLiteral("^$"));
    m_seeds = readFuzzCorpus(QStringLiteral(SETUPFSM_DEFINITION_CORPUS));
    m_tokens = readDictionary();
    QVERIFY2(m_seeds.size() >= 10, SETUPFSM_DEFINITION_CORPUS);
    QVERIFY2(m_tokens.size() >= 50, SETUPFSM_DEFINITION_DICT);
}

void tst_DefinitionFuzzSmoke::cleanupTestCase()
{
    Trace::setSink(nullptr);
}

void tst_DefinitionFuzzSmoke::corpusSeeds()
{
    for (const QByteArray& input : std::as_const(m_seeds))
        run(input);
}

void tst_DefinitionFuzzSmoke::mutations()
{
    QRandomGenerator rng(kSeed);
    const CSimpleCodec codec;
    for (int i = 0; i < kMutations; ++i) {
        const QByteArray input = mutate(m_seeds.at(i % m_seeds.size()), m_seeds, m_tokens, rng);
        // Every fourth goes in scrambled, so broken texts also reach the build through the decoder.
        run(i % 4 == 3 ? codec.encode(QString::fromLatin1(input)) : input);
    }
}

void tst_DefinitionFuzzSmoke::nestedFilesStayInTheirFolder()
{
    // A flow that would build cleanly if it were read; the entry aborts when any nested file is.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("real.xml"));
    QFile real(target);
    QVERIFY(real.open(QIODevice::WriteOnly));
    real.write(readFuzzCorpus(QStringLiteral(SETUPFSM_DEFINITION_CORPUS)).value(0));
    real.close();

    const QString climb = QStringLiteral("../").repeated(30) + target.mid(1);
    const QByteArray input = QStringLiteral("<fsm><states><state name='up' file='%1'/><state name='abs' file='%2'/>"
                                            "</states></fsm>")
                                 .arg(climb, target)
                                 .toUtf8();
    QStringList refused;
    Trace::setSink([&refused](const QString& text) {
        if (text.contains(QLatin1String("Could not open file ")))
            refused << text;
    });
    Trace::setIncludeFilter(QStringLiteral("^fsm "));
    run(input);
    Trace::setIncludeFilter(QStringLiteral("^$"));
    Trace::setSink(nullptr);
    // Both were tried, and both were refused.
    refused.removeDuplicates();
    QCOMPARE(refused.size(), 2);
}

QTEST_MAIN(tst_DefinitionFuzzSmoke)
#include "tst_definitionfuzzsmoke.moc"
