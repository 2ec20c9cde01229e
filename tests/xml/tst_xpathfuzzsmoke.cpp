// SPDX-License-Identifier: MIT
// The node path fuzz entry over its seed corpus, over mutations of the seeds and over paths
// put together from the language's own tokens. A broken invariant or a crash fails the run;
// the real fuzzer goes much further.
#include "engine/trace.h"
#include "support/fuzzcorpus.h"
#include "xpathfuzz.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

namespace {

void run(const QByteArray& input)
{
    fuzzNodePath(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
}

} // namespace

class tst_XPathFuzzSmoke : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void corpusSeeds();
    void mutatedSeeds();
    void tokenSoup();
};

void tst_XPathFuzzSmoke::initTestCase()
{
    Trace::setIncludeFilter(QStringLiteral("^$"));
    QVERIFY2(readFuzzCorpus(QStringLiteral(SETUPFSM_XPATH_CORPUS)).size() >= 20, SETUPFSM_XPATH_CORPUS);
}

void tst_XPathFuzzSmoke::corpusSeeds()
{
    for (const QByteArray& input : readFuzzCorpus(QStringLiteral(SETUPFSM_XPATH_CORPUS)))
        run(input);
}

void tst_XPathFuzzSmoke::mutatedSeeds()
{
    // A fixed seed keeps a failure reproducible.
    QRandomGenerator random(20261206);
    const QList<QByteArray> seeds = readFuzzCorpus(QStringLiteral(SETUPFSM_XPATH_CORPUS));
    for (int i = 0; i < 3000; ++i) {
        QByteArray input = seeds.at(random.bounded(int(seeds.size())));
        switch (random.bounded(4)) {
        case 0:
            input[random.bounded(int(input.size()))] = char(random.bounded(256));
            break;
        case 1:
            input.truncate(random.bounded(int(input.size()) + 1));
            break;
        case 2:
            input += seeds.at(random.bounded(int(seeds.size())));
            break;
        default:
            input.insert(random.bounded(int(input.size()) + 1), "/../");
            break;
        }
        run(input);
    }
}

void tst_XPathFuzzSmoke::tokenSoup()
{
    const char* const tokens[] = {"/", "//", "./", "../", "..", "@", "*", "[", "]", "'", "\\'", "=", " ",
                                  "or", "and", "OR", "first", "last", "0", "2", "b", "c", "name", "id", "Joe"};
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        QByteArray input;
        const int length = random.bounded(1, 16);
        for (int j = 0; j < length; ++j)
            input += tokens[random.bounded(int(std::size(tokens)))];
        run(input);
    }
}

QTEST_GUILESS_MAIN(tst_XPathFuzzSmoke)
#include "tst_xpathfuzzsmoke.moc"
