// SPDX-License-Identifier: MIT
// A startProcess state that starts /bin/true and waits for it, beside a bare posix_spawn and
// waitpid of the same program in the same run. The state adds the look for a running copy in
// /proc, the worker thread and the hand-over of the end to the event loop.
#include "bench.h"
#include "engine/state.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <algorithm>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kRounds = 300;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Milliseconds of one bare start and wait; negative on a failure.
double bareStartWait()
{
    char program[] = "/bin/true";
    char* argv[] = {program, nullptr};
    const double start = Bench::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) != pid)
        return -1.0;
    return (Bench::now() - start) * 1000.0;
}

// Milliseconds of one entry of the state up to its leave; negative on a failure.
double stateStartWait(CState* state)
{
    QEventLoop loop;
    QObject::connect(state, &CState::finished, &loop, &QEventLoop::quit);
    const double start = Bench::now();
    state->enter();
    loop.exec();
    const double ms = (Bench::now() - start) * 1000.0;
    return state->leaveEvent() == QLatin1String("success") ? ms : -1.0;
}

const Bench::Register startWait("process.start_wait_ms", [] {
    // The worker's "[THREAD]" lines would measure the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> state(factory->createState(QStringLiteral("startProcess"), QDomNode(), nullptr, QStringLiteral("bench")));
    state->setProperty("command", QStringLiteral("/bin/true"));
    state->setProperty("timeout", -1);
    std::vector<double> ours, bare;
    // Alternating rounds share whatever else the machine does.
    for (int i = 0; i < kRounds; ++i) {
        const double o = stateStartWait(state.get()), b = bareStartWait();
        if (o < 0 || b < 0) {
            Bench::report(QStringLiteral("process.start_wait_ms.failed"), 1, QStringLiteral("x"));
            return;
        }
        ours.push_back(o);
        bare.push_back(b);
    }
    QLoggingCategory::setFilterRules(QString());
    const double o = median(ours), b = median(bare);
    Bench::report(QStringLiteral("process.start_wait_ms"), o, QStringLiteral("ms"));
    Bench::report(QStringLiteral("process.start_wait_ms.bare"), b, QStringLiteral("ms"));
    Bench::report(QStringLiteral("process.start_wait_ms.limit"), 1.5 * b + 0.2, QStringLiteral("ms"));
});

} // namespace
