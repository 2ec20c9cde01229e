#pragma once
// The process-wide trace output. Every line carries a category tag; categories rejected by the
// include/exclude filters write nothing and cost nothing, because callers test the category
// (through SFSM_TRACE) before they compose their message.
#include <QAtomicInt>
#include <QString>
#include <QTime>
#include <functional>

namespace Trace {

// Whether lines of this category pass the filters (settings read on first use).
bool enabled(const char* category);

// Writes one message under the trace lock: the tag of the category, then the text, which is
// ended with a line feed when it has none. Continuation lines are indented by 23 blanks.
void line(const char* category, const QString& message);

// The two steps of a message, for callers that compose it themselves under lock().
// header() writes the tag when the category passes and returns whether it did.
void lock();
void unlock();
bool header(const char* category);
void write(const QByteArray& latin1Text);

// Settings a host may fix before the first trace line; they override the settings store.
// A filter sees the tag's padded category, as filters from the settings store do, or, for
// hosts whose users write "^fsm$", the category name as written.
enum class FilterOn { PaddedTag, Name };
void setIncludeFilter(const QString& pattern, FilterOn on = FilterOn::PaddedTag);
void setExcludeFilter(const QString& pattern, FilterOn on = FilterOn::PaddedTag);
void setTimestamps(bool on);

// A host callback that receives every finished trace output (tag and text, as written).
using Sink = std::function<void(const QString& text)>;
void setSink(Sink sink);

// Whether standard error receives the trace (on by default).
void setStderrEnabled(bool on);

// Replaces the clock of the time stamps (null: the local time), so tests can pin the format.
void setClockForTesting(QTime (*clock)());

// Forgets the filter decisions, so filters changed at run time take effect. Tests use it.
void resetForTesting();

// A per-call-site cache of the filter decision; valid until the filters change.
class Category {
public:
    explicit constexpr Category(const char* name) : m_name(name) {}
    bool enabled() const;
    const char* name() const { return m_name; }

private:
    const char* m_name;
    mutable QAtomicInt m_cached {0}; // generation << 1 | decision, 0 = unknown
};

} // namespace Trace

// Composes and writes the message only when the category passes the filters.
#define SFSM_TRACE(category, message)                                                              \
    do {                                                                                           \
        static const ::Trace::Category sfsmTraceCategory_(category);                               \
        if (sfsmTraceCategory_.enabled())                                                          \
            ::Trace::line(category, (message));                                                    \
    } while (false)
