#include "engine/trace.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QReadWriteLock>
#include <QRegularExpression>
#include <QSettings>
#include <QTime>
#include <cstdio>

namespace Trace {
namespace {

struct Settings {
    bool loaded = false;
    bool includeSet = false;
    bool excludeSet = false;
    bool timestampsSet = false;
    QString include = QStringLiteral(".*");
    QString exclude;
    bool timestamps = false;
    QRegularExpression includeRe;
    QRegularExpression excludeRe;
    bool includeOnName = false;
    bool excludeOnName = false;
};

// The trace lock serialises whole messages; it is not recursive on purpose, so a message is
// never composed from inside another one.
QMutex g_traceLock;
QReadWriteLock g_settingsLock;
Settings g_settings;
QAtomicInt g_generation {1};
QHash<QByteArray, bool> g_decisions; // guarded by g_settingsLock
Sink g_sink;
bool g_stderr = true;
QTime (*g_clock)() = nullptr;

void loadSettingsLocked()
{
    Settings& s = g_settings;
    if (s.loaded)
        return;
    s.loaded = true;
    QSettings store(QStringLiteral("Korvane"), QStringLiteral("qt"));
    if (!s.includeSet)
        s.include = store.value(QStringLiteral("debug/filter/include"), QStringLiteral(".*")).toString();
    if (!s.excludeSet)
        s.exclude = store.value(QStringLiteral("debug/filter/exclude"), QString()).toString();
    if (!s.timestampsSet) {
        const QVariant v = store.value(QStringLiteral("debug/includeTimeStamp"), false);
        const QString t = v.toString().toLower();
        s.timestamps = !(t.isEmpty() || t == QLatin1String("0") || t == QLatin1String("false"));
    }
    store.setValue(QStringLiteral("debug/version"), QStringLiteral("1.0.0"));
    s.includeRe = QRegularExpression(s.include);
    s.excludeRe = QRegularExpression(s.exclude);
}

QByteArray paddedCategory(const char* category)
{
    QByteArray c(category);
    c = c.leftJustified(20, ' ', true);
    return c;
}

bool decide(const char* category)
{
    const Settings& s = g_settings;
    if (s.include.isEmpty())
        return true;
    if (s.include == QLatin1String(".*") && s.exclude.isEmpty())
        return true;
    const QString padded = QString::fromLatin1(paddedCategory(category));
    const QString name = QString::fromLatin1(category);
    // An invalid pattern matches nothing.
    if (!s.includeRe.isValid() || !s.includeRe.match(s.includeOnName ? name : padded).hasMatch())
        return false;
    if (s.exclude.isEmpty())
        return true;
    return !(s.excludeRe.isValid() && s.excludeRe.match(s.excludeOnName ? name : padded).hasMatch());
}

QByteArray timestampPrefix()
{
    const QTime t = g_clock ? g_clock() : QTime::currentTime();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2d:%2d:%2d.%3d ", t.hour(), t.minute(), t.second(), t.msec());
    return QByteArray(buf);
}

// The pending output of the message under construction; only touched with the trace lock held.
// It keeps the whole text: standard error receives Latin-1 bytes, but a host's sink may show
// names and paths that Latin-1 cannot hold.
QString g_pending;

void flushLocked()
{
    if (g_pending.isEmpty())
        return;
    if (g_stderr) {
        const QByteArray bytes = g_pending.toLatin1();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }
    if (g_sink)
        g_sink(g_pending);
    g_pending.clear();
}

bool atLineStart()
{
    return g_pending.isEmpty() || g_pending.endsWith(QLatin1Char('\n'));
}

bool timestampsOn()
{
    QReadLocker locker(&g_settingsLock);
    return g_settings.timestamps;
}

void writeText(const QString& text)
{
    const bool stamps = timestampsOn();
    const qsizetype firstFeed = text.indexOf(QLatin1Char('\n'));
    if (firstFeed >= 0 && firstFeed != text.size() - 1) {
        const QStringList pieces = text.split(QLatin1Char('\n'));
        for (const QString& piece : pieces) {
            if (piece.isEmpty())
                continue;
            if (stamps && atLineStart())
                g_pending += QLatin1String(timestampPrefix());
            g_pending += QString(23, QLatin1Char(' '));
            g_pending += piece;
            g_pending += QLatin1Char('\n');
        }
        return;
    }
    // The stamp precedes a line once: text that follows a tag continues that line.
    if (stamps && atLineStart())
        g_pending += QLatin1String(timestampPrefix());
    g_pending += text;
}


} // namespace

bool enabled(const char* category)
{
    const QByteArray key(category);
    {
        QReadLocker locker(&g_settingsLock);
        if (g_settings.loaded) {
            auto it = g_decisions.constFind(key);
            if (it != g_decisions.constEnd())
                return it.value();
        }
    }
    QWriteLocker locker(&g_settingsLock);
    loadSettingsLocked();
    const bool on = decide(category);
    g_decisions.insert(key, on);
    return on;
}

bool Category::enabled() const
{
    const int generation = g_generation.loadAcquire();
    const int cached = m_cached.loadRelaxed();
    if ((cached >> 1) == generation)
        return cached & 1;
    const bool on = Trace::enabled(m_name);
    m_cached.storeRelaxed((generation << 1) | (on ? 1 : 0));
    return on;
}

void lock()
{
    g_traceLock.lock();
}

void unlock()
{
    flushLocked();
    g_traceLock.unlock();
}

bool header(const char* category)
{
    if (!enabled(category))
        return false;
    const QByteArray tag = '[' + paddedCategory(category) + ']';
    write(tag);
    return true;
}

void write(const QByteArray& text)
{
    writeText(QString::fromLatin1(text));
}

void line(const char* category, const QString& message)
{
    if (!enabled(category))
        return;
    // Every message is ended with a line feed, so one that already ends with one takes the
    // multi-line form.
    lock();
    header(category);
    writeText(message + QLatin1Char('\n'));
    unlock();
}

static void changed()
{
    g_decisions.clear();
    g_generation.fetchAndAddOrdered(1);
}

void setIncludeFilter(const QString& pattern, FilterOn on)
{
    QWriteLocker locker(&g_settingsLock);
    g_settings.includeSet = true;
    g_settings.includeOnName = on == FilterOn::Name;
    g_settings.include = pattern;
    g_settings.includeRe = QRegularExpression(pattern);
    changed();
}

void setExcludeFilter(const QString& pattern, FilterOn on)
{
    QWriteLocker locker(&g_settingsLock);
    g_settings.excludeSet = true;
    g_settings.excludeOnName = on == FilterOn::Name;
    g_settings.exclude = pattern;
    g_settings.excludeRe = QRegularExpression(pattern);
    changed();
}

void setTimestamps(bool on)
{
    QWriteLocker locker(&g_settingsLock);
    g_settings.timestampsSet = true;
    g_settings.timestamps = on;
    changed();
}

void setSink(Sink sink)
{
    QMutexLocker locker(&g_traceLock);
    g_sink = std::move(sink);
}

void setStderrEnabled(bool on)
{
    QMutexLocker locker(&g_traceLock);
    g_stderr = on;
}

void setClockForTesting(QTime (*clock)())
{
    QMutexLocker locker(&g_traceLock);
    g_clock = clock;
}

void resetForTesting()
{
    QWriteLocker locker(&g_settingsLock);
    changed();
}

} // namespace Trace
