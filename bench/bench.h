#pragma once
// setupfsm-bench: each figure is a named function that prints "name value unit" lines.
#include <QString>
#include <functional>

namespace Bench {

using Figure = std::function<void()>;

// Registers a figure under a name; FILTER words on the command line select figures whose
// name contains one of them.
struct Register {
    Register(const char* name, Figure figure);
};

// Prints one result line: "name value unit".
void report(const QString& name, double value, const QString& unit);

// Seconds of a monotonic clock.
double now();

// Peak resident set size of this process so far, in KiB.
long peakRssKib();
// Current resident set size in KiB.
long currentRssKib();
// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), -1 when unreadable.
long statusKib(const char* field);
// Restarts the peak that "VmHWM:" reports at the current size; false when the system cannot.
bool restartPeakRss();

} // namespace Bench
