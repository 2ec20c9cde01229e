// `setupfsm run`.
#include "cli.h"
#include "consolepages.h"
#include "findings.h"
#include "options.h"
#include "variantjson.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const QStringList kBuildOptions = {QStringLiteral("set"),       QStringLiteral("property"),
                                   QStringLiteral("app-path"),  QStringLiteral("xml-path"),
                                   QStringLiteral("profile"),   QStringLiteral("trace-include"),
                                   QStringLiteral("trace-exclude"), QStringLiteral("trace-timestamps"),
                                   QStringLiteral("strict"),    QStringLiteral("quiet"),
                                   QStringLiteral("verbose"),   QStringLiteral("log")};

void writeJson(const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString nameOf(const CState* state)
{
    return state ? state->objectName() : QString();
}

// Human output: state changes as lines; on a terminal a progress bar that the trace lines
// and state lines are printed above.
class Console {
public:
    explicit Console(bool enabled) : m_enabled(enabled), m_bar(enabled && isatty(STDOUT_FILENO)) {}

    void line(const QString& text)
    {
        if (!m_enabled)
            return;
        clearBar();
        std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
        drawBar();
    }

    void trace(const QString& text)
    {
        clearBar();
        Cli::showTrace(text);
        drawBar();
    }

    void progress(int value)
    {
        m_progress = qBound(0, value, 100);
        m_barShown = m_bar;
        drawBar();
    }

    void done()
    {
        clearBar();
        m_barShown = false;
    }

private:
    void clearBar()
    {
        if (m_barShown) {
            std::fputs("\r\033[K", stdout);
            std::fflush(stdout);
        }
    }

    void drawBar()
    {
        if (!m_barShown)
            return;
        constexpr int width = 40;
        const int filled = m_progress * width / 100;
        std::fprintf(stdout, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '.').constData(), m_progress);
        std::fflush(stdout);
    }

    bool m_enabled;
    bool m_bar;
    bool m_barShown = false;
    int m_progress = 0;
};

// A person at a terminal saw no trace: a failed run shows how it ended, and every run names
// its log. Quiet runs name the log only when they failed.
void reportLog(const TraceOutput& traces, bool failed, bool quiet)
{
    QString text;
    if (failed && !traces.toStderr() && !quiet) {
        const QStringList tail = traces.tail();
        if (!tail.isEmpty())
            text += QStringLiteral("last trace lines:\n") + tail.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    if (!traces.logPath().isEmpty() && (failed || !quiet))
        text += QStringLiteral("log: %1\n").arg(traces.logPath());
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
}

} // namespace

int Cli::runCommand(const QStringList& arguments)
{
    CommandOptions options;
    QString error;
    QStringList allowed = kBuildOptions;
    allowed << QStringLiteral("timeout") << QStringLiteral("json") << QStringLiteral("answer") << QStringLiteral("answers")
            << QStringLiteral("unattended") << QStringLiteral("fail-on");
    if (!parseCommandOptions(arguments, allowed, &options, &error))
        return usageError(error);
    options.output.runLog = true;
    if (!applyEnvironmentOptions(options, &error))
        return usageError(error);

    Host& host = Host::instance();
    host.humanOutput = !options.output.quiet && !options.json;
    host.policy = options.policy;
    const bool quiet = options.output.quiet;
    TraceOutput& traces = traceOutput();

    Console console(host.humanOutput);
    // Trace lines are shown above the progress bar.
    traces.setEcho([&](const QString& text) { console.trace(text); });
    struct EchoReset {
        ~EchoReset() { traceOutput().setEcho(&Cli::showTrace); }
    } echoReset;

    std::unique_ptr<CFsm> fsm;
    CDiagnostics found;
    if (!buildFlow(options, fsm, &found)) {
        printFindings(found);
        return ExitBuildErrors;
    }
    // A broken path may lie on a branch this run never takes: a warning, as for properties.
    found = checkFindings(fsm.get(), &CFsm::checkStatePaths, options.strict);
    found += checkFindings(fsm.get(), &CFsm::checkRequiredProperties, options.strict);
    if (quiet)
        found.erase(std::remove_if(found.begin(), found.end(), [](const CDiagnostic& d) { return d.severity != CDiagnostic::Error; }),
                    found.end());
    printFindings(found);
    if (hasErrors(found))
        return ExitBuildErrors;
    // Names are known once the tree is built; a misspelt one must not let the run guess.
    const QString mismatch = host.policy.mismatch(fsm.get());
    if (!mismatch.isEmpty())
        return usageError(mismatch);

    CFsm* root = fsm.get();
    int status = -1;
    int lastProgress = -1;

    ConsolePages pages(host.humanOutput);
    PageHost& pageHost = PageHost::instance();
    pageHost.presenter = &pages;
    pageHost.takeAnswer = [&host](const QString& name, const QString& fullName) {
        return host.policy.answers.take(name, fullName);
    };
    pageHost.unattended = host.policy.unattended;
    pageHost.chosen = [&](CPageState*, const QString& event, const QString& how) {
        console.line(QStringLiteral("-> %1 (%2)").arg(event, how));
    };
    pageHost.badAnswer = [](CPageState*, const QString& why) { Cli::error(QStringLiteral("warning: ") + why); };
    pageHost.unanswered = [&](CPageState*, const QString& why) {
        if (status >= 0)
            return;
        console.done();
        Cli::error(why);
        status = Cli::ExitFailure;
        QCoreApplication::exit(status);
    };
    struct PageHostReset {
        ~PageHostReset() { PageHost::instance() = PageHost(); }
    } pageHostReset;

    QObject::connect(root, &CFsm::started, [&](CFsm* f, CState* s) {
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("started")},
                       {QStringLiteral("fsm"), f->fullName()},
                       {QStringLiteral("state"), nameOf(s)}});
        else
            console.line(QStringLiteral("* %1: start in %2").arg(f->fullName(), nameOf(s)));
    });
    QObject::connect(root, &CFsm::stateChanged, [&](CFsm* f, CState* from, CState* to) {
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("stateChanged")},
                       {QStringLiteral("fsm"), f->fullName()},
                       {QStringLiteral("from"), nameOf(from)},
                       {QStringLiteral("to"), nameOf(to)}});
        else
            console.line(QStringLiteral("  %1: %2 -> %3").arg(f->fullName(), nameOf(from), nameOf(to)));
    });
    QObject::connect(root, &CState::progress, [&](int value) {
        if (value == lastProgress)
            return;
        lastProgress = value;
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("progress")}, {QStringLiteral("value"), value}});
        else
            console.progress(value);
    });
    QObject::connect(root, &CState::finished, [&](CState* s, CTransition*) {
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("finished")},
                       {QStringLiteral("state"), s->fullName()},
                       {QStringLiteral("leaveEvent"), s->leaveEvent()}});
        if (s != root)
            return;
        const QString exitEvent = root->leaveEvent();
        if (options.json) {
            QJsonObject properties;
            for (const QString& name : root->propertyNames()) {
                const QByteArray latin1 = name.toLatin1();
                if (!root->hasValueProperty(latin1.constData()))
                    continue;
                properties.insert(name, VariantJson::typedValue(root->property(latin1.constData())));
            }
            writeJson({{QStringLiteral("event"), QStringLiteral("exit")},
                       {QStringLiteral("exit"), exitEvent},
                       {QStringLiteral("properties"), properties}});
        } else {
            console.done();
            console.line(QStringLiteral("exit: %1").arg(exitEvent));
        }
        status = host.policy.exitStatus(root, exitEvent);
        if (status != Cli::ExitOk)
            Cli::error(QStringLiteral("the flow ended with the failure exit '%1'").arg(exitEvent));
        QCoreApplication::exit(status);
    });

    QObject::connect(root, &CFsm::stalled, [&](CFsm* f, const QString& message) {
        if (status >= 0)
            return;
        console.done();
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("stalled")},
                       {QStringLiteral("fsm"), f->fullName()},
                       {QStringLiteral("message"), message}});
        Cli::error(QStringLiteral("the run stopped in %1: %2").arg(f->fullName(), message));
        status = Cli::ExitStalled;
        QCoreApplication::exit(status);
    });
    QTimer timeout;
    if (options.timeoutSeconds > 0) {
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, [&] {
            console.done();
            Cli::error(QStringLiteral("timed out after %1 s").arg(options.timeoutSeconds));
            status = Cli::ExitTimeout;
            QCoreApplication::exit(status);
        });
        timeout.start(int(qMin(options.timeoutSeconds * 1000.0, 2147483647.0)));
    }

    // Entering from the event loop keeps the start symmetric with every later step.
    QTimer::singleShot(0, root, [root] { root->enter(); });
    QCoreApplication::exec();
    root->leave();
    fsm.reset();
    // A scripted answer that no page asked for is usually a misspelt page name.
    const QStringList unused = host.policy.answers.unused();
    if (!unused.isEmpty() && status == Cli::ExitOk && !quiet)
        Cli::error(QStringLiteral("warning: answers not used: %1").arg(unused.join(QStringLiteral(", "))));
    if (status < 0)
        status = Cli::ExitStalled;
    reportLog(traces, status != Cli::ExitOk, quiet);
    return status;
}
