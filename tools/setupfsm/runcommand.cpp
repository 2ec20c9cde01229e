// `setupfsm run` and `setupfsm check`.
#include "cli.h"
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
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const QStringList kBuildOptions = {QStringLiteral("set"),       QStringLiteral("property"),
                                   QStringLiteral("app-path"),  QStringLiteral("xml-path"),
                                   QStringLiteral("profile"),   QStringLiteral("trace-include"),
                                   QStringLiteral("trace-exclude"), QStringLiteral("trace-timestamps"),
                                   QStringLiteral("strict"),    QStringLiteral("quiet")};

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
        std::fputs(qPrintable(text), stderr);
        std::fflush(stderr);
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

bool buildFlow(const CommandOptions& options, std::unique_ptr<CFsm>& fsm)
{
    QString error;
    if (!Host::instance().load(&error)) {
        Cli::error(error);
        return false;
    }
    fsm.reset(Host::instance().build(options.build, &error));
    if (!fsm) {
        Cli::error(error);
        return false;
    }
    if (!fsm->errors().isEmpty()) {
        std::fputs(qPrintable(fsm->errors()), stderr);
        return false;
    }
    return true;
}

// Runs the required-property check; its failures are warnings unless strict.
bool requiredPropertiesPass(CFsm* fsm, bool strict)
{
    const int before = int(fsm->errors().size());
    if (fsm->checkRequiredProperties())
        return true;
    const QString found = fsm->errors().mid(before);
    const QString label = strict ? QStringLiteral("error: ") : QStringLiteral("warning: ");
    for (const QString& line : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        std::fputs(qPrintable(label + line + QLatin1Char('\n')), stderr);
    return !strict;
}

} // namespace

int Cli::checkCommand(const QStringList& arguments)
{
    CommandOptions options;
    QString error;
    if (!parseCommandOptions(arguments, kBuildOptions, &options, &error))
        return usageError(error);
    applyEnvironmentOptions(options);
    std::unique_ptr<CFsm> fsm;
    if (!buildFlow(options, fsm))
        return ExitBuildErrors;
    const bool clean = requiredPropertiesPass(fsm.get(), true);
    if (clean && !options.quiet)
        std::printf("%s: OK\n", qPrintable(options.build.file));
    return clean ? ExitOk : ExitBuildErrors;
}

int Cli::runCommand(const QStringList& arguments)
{
    CommandOptions options;
    QString error;
    QStringList allowed = kBuildOptions;
    allowed << QStringLiteral("timeout") << QStringLiteral("json") << QStringLiteral("answer");
    if (!parseCommandOptions(arguments, allowed, &options, &error))
        return usageError(error);
    applyEnvironmentOptions(options);

    Host& host = Host::instance();
    host.humanOutput = !options.quiet && !options.json;
    for (const auto& [name, event] : options.answers)
        host.addAnswer(name, event);

    Console console(host.humanOutput);
    bool fatalSeen = false;
    QTimer stallTimer;
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(300);
    // Fatal lines stop a run without any further signal; the sink is where we learn of them.
    Trace::setStderrEnabled(false);
    Trace::setSink([&](const QString& text) {
        console.trace(text);
        if (text.contains(QLatin1String("  ! Fatal Error ! "))) {
            fatalSeen = true;
            QMetaObject::invokeMethod(&stallTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
        }
    });
    struct SinkReset {
        ~SinkReset()
        {
            Trace::setSink(nullptr);
            Trace::setStderrEnabled(true);
        }
    } sinkReset;

    std::unique_ptr<CFsm> fsm;
    if (!buildFlow(options, fsm))
        return ExitBuildErrors;
    if (!requiredPropertiesPass(fsm.get(), options.strict))
        return ExitBuildErrors;

    CFsm* root = fsm.get();
    int status = -1;
    int lastProgress = -1;
    auto activity = [&] {
        if (fatalSeen)
            stallTimer.start();
    };

    QObject::connect(root, &CFsm::started, [&](CFsm* f, CState* s) {
        activity();
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("started")},
                       {QStringLiteral("fsm"), f->fullName()},
                       {QStringLiteral("state"), nameOf(s)}});
        else
            console.line(QStringLiteral("* %1: start in %2").arg(f->fullName(), nameOf(s)));
    });
    QObject::connect(root, &CFsm::stateChanged, [&](CFsm* f, CState* from, CState* to) {
        activity();
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("stateChanged")},
                       {QStringLiteral("fsm"), f->fullName()},
                       {QStringLiteral("from"), nameOf(from)},
                       {QStringLiteral("to"), nameOf(to)}});
        else
            console.line(QStringLiteral("  %1: %2 -> %3").arg(f->fullName(), nameOf(from), nameOf(to)));
    });
    QObject::connect(root, &CState::progress, [&](int value) {
        activity();
        if (value == lastProgress)
            return;
        lastProgress = value;
        if (options.json)
            writeJson({{QStringLiteral("event"), QStringLiteral("progress")}, {QStringLiteral("value"), value}});
        else
            console.progress(value);
    });
    QObject::connect(root, &CState::finished, [&](CState* s, CTransition*) {
        activity();
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
        status = Cli::ExitOk;
        QCoreApplication::exit(status);
    });

    QObject::connect(&stallTimer, &QTimer::timeout, [&] {
        console.done();
        Cli::error(QStringLiteral("the run stalled after a fatal error"));
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
    const QStringList unused = host.unusedAnswers();
    if (!unused.isEmpty() && status == Cli::ExitOk)
        Cli::error(QStringLiteral("warning: answers not used: %1").arg(unused.join(QStringLiteral(", "))));
    return status < 0 ? Cli::ExitStalled : status;
}
