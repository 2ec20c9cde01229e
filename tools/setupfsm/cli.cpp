#include "cli.h"
#include "options.h"

#include "engine/trace.h"
#include "platform/platform.h"

#ifdef SETUPFSM_HAVE_EVAL
#include "eval.h"
#endif

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace Cli {
namespace {

const char* kUsage =
    "Usage: setupfsm COMMAND [options] ...\n"
    "\n"
    "Commands:\n"
    "  run [options] FILE      build the flow of a definition file and run it to its exit event\n"
    "  check [options] FILE    report build errors, broken state paths and missing required properties\n"
    "                          (errors), and states never reached, unused exit events and states\n"
    "                          with no way out (warnings), each with its file and line\n"
    "  graph [options] FILE    print the flow as a Graphviz DOT graph\n"
    "  eval [--from K=V] [--fsm K=V] [--app K=V] EXPR\n"
    "                          evaluate one property-map expression and print TYPE VALUE\n"
    "  encode IN OUT           scramble a definition file\n"
    "  decode IN OUT           unscramble a definition file\n"
    "  types [--markdown [FILE]]\n"
    "                          list the state types with their events and properties (as a\n"
    "                          Markdown table, or into FILE's marked section)\n"
    "  functions [--markdown [FILE]]\n"
    "                          list the expression functions with their parameter counts\n"
    "  schema [FILE]           write an XML Schema of definition files\n"
    "  --version               print the version\n"
    "\n"
    "Build options (run, check, graph):\n"
    "  --set KEY=VALUE         application property (repeatable)\n"
    "  --property KEY=VALUE    property of the root FSM, set before it is entered (repeatable)\n"
    "  --app-path DIR          application path (default: the file's directory)\n"
    "  --xml-path DIR          directory of nested definition files below the application path (default .)\n"
    "  --profile FILE          emulation profile of the system (sets SETUPFSM_PROFILE)\n"
    "\n"
    "Run options (check takes --strict and --json too):\n"
    "  --answer NAME=EVENT     answer for the page NAME (name or full name; repeatable, used in order)\n"
    "  --answer PAGE.KEY=VALUE value of the input field KEY of a page (checklists: items separated by ',',\n"
    "                          licences: accept)\n"
    "  --answers FILE          answers from a file: one NAME=EVENT or PAGE.KEY=VALUE a line, '#' comments\n"
    "  --unattended            a page without an answer fails the run (exit status 2)\n"
    "  --fail-on EVENT[,EVENT...]\n"
    "                          these exit events of the flow are failures (exit status 2; repeatable)\n"
    "  --timeout SECONDS       give up after this time (exit status 4)\n"
    "  --strict                missing required properties and broken state paths stop the run (exit 1)\n"
    "  --json                  one JSON object per line on standard output (check: one per finding)\n"
    "\n"
    "Output options (run, check, graph):\n"
    "  --quiet                 print nothing but errors\n"
    "  -v, --verbose           trace lines on standard error, also on a terminal\n"
    "  --log FILE              write the trace lines to FILE\n"
    "  --trace-include RE      trace categories to show (regular expression on the category name)\n"
    "  --trace-exclude RE      trace categories to hide (regular expression on the category name)\n"
    "  --trace-timestamps      time stamps in front of trace lines\n"
    "Trace lines go to standard error when it is no terminal (unless --quiet), or with -v; check\n"
    "shows them only with -v or --trace-include. Otherwise run keeps them in its log (--log FILE,\n"
    "default $XDG_STATE_HOME/setupfsm/last-run.log), names the log at the end and shows its last\n"
    "lines when the run fails; --log FILE keeps them for check and graph too.\n"
    "\n"
    "Exit status:\n"
    "  0   the flow left with an exit event that is no failure; check found no error\n"
    "  1   build errors, or errors found by check or by run --strict\n"
    "  2   the flow left with a failure exit event, or a page could not go on without a person\n"
    "  3   the run stalled after a fatal error\n"
    "  4   the time-out passed\n"
    "  64  usage error\n";

struct OptionInfo {
    const char* name;
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"set", true},      {"property", true},        {"app-path", true},        {"xml-path", true},
    {"profile", true},  {"timeout", true},         {"json", false},           {"quiet", false},
    {"strict", false},  {"trace-include", true},   {"trace-exclude", true},   {"trace-timestamps", false},
    {"answer", true},   {"answers", true},         {"unattended", false},     {"fail-on", true},
    {"log", true},      {"verbose", false},
};

} // namespace

void showTrace(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
    std::fflush(stderr);
}

void error(const QString& text)
{
    std::fprintf(stderr, "setupfsm: %s\n", qPrintable(text));
}

int usageError(const QString& text)
{
    error(text);
    std::fputs("Try 'setupfsm --help'.\n", stderr);
    return ExitUsage;
}

int main(int argc, char** argv)
{
    // The graphic values of expressions need a GUI application; this host never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime directory and warns on every start when there is none.
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(getuid());
        if (::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST)
            qputenv("XDG_RUNTIME_DIR", dir);
    }
    // Worker threads announce themselves on the debug output; a host shows it only on request.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "default.debug=false");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("setupfsm"));
    Trace::setStderrEnabled(false);
    Trace::setSink(&showTrace);

    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs(kUsage, stderr);
        return ExitUsage;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return ExitOk;
    }
    if (command == QLatin1String("--version")) {
        std::printf("setupfsm %s\n", SETUPFSM_VERSION);
        return ExitOk;
    }
    if (command == QLatin1String("run"))
        return runCommand(arguments);
    if (command == QLatin1String("check"))
        return checkCommand(arguments);
    if (command == QLatin1String("graph"))
        return graphCommand(arguments);
    if (command == QLatin1String("encode"))
        return encodeCommand(arguments);
    if (command == QLatin1String("decode"))
        return decodeCommand(arguments);
    if (command == QLatin1String("types"))
        return typesCommand(arguments);
    if (command == QLatin1String("functions"))
        return functionsCommand(arguments);
    if (command == QLatin1String("schema"))
        return schemaCommand(arguments);
#ifdef SETUPFSM_HAVE_EVAL
    if (command == QLatin1String("eval"))
        return runEval(arguments);
#endif
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace Cli

bool parseCommandOptions(const QStringList& arguments, const QStringList& allowed, CommandOptions* o, QString* error)
{
    QStringList positional;
    for (int i = 0; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        if (arg == QLatin1String("-v"))
            arg = QStringLiteral("--verbose");
        if (arg == QLatin1String("--")) {
            positional += arguments.mid(i + 1);
            break;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg.size() == 2) {
            positional << arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        bool inlineValue = false;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            inlineValue = true;
        }
        const Cli::OptionInfo* option = nullptr;
        for (const auto& s : Cli::kOptions) {
            if (name == QLatin1String(s.name))
                option = &s;
        }
        if (!option || !allowed.contains(name)) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return false;
        }
        if (option->takesValue && !inlineValue) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
            value = arguments.at(++i);
        } else if (!option->takesValue && inlineValue) {
            *error = QStringLiteral("option '--%1' takes no value").arg(name);
            return false;
        }

        QString key, assigned;
        const bool assignment = name == QLatin1String("set") || name == QLatin1String("property") || name == QLatin1String("answer");
        if (assignment && !splitAssignment(value, &key, &assigned)) {
            *error = QStringLiteral("option '--%1' needs NAME=VALUE, not '%2'").arg(name, value);
            return false;
        }
        if (name == QLatin1String("set")) {
            o->build.settings.append(qMakePair(key, assigned));
        } else if (name == QLatin1String("property")) {
            o->build.properties.append(qMakePair(key, assigned));
        } else if (name == QLatin1String("answer")) {
            o->policy.answers.add(key, assigned);
        } else if (name == QLatin1String("answers")) {
            if (!o->policy.answers.addFile(value, error))
                return false;
        } else if (name == QLatin1String("unattended")) {
            o->policy.unattended = true;
        } else if (name == QLatin1String("fail-on")) {
            if (!o->policy.addFailOn(value, error))
                return false;
        } else if (name == QLatin1String("log")) {
            if (value.isEmpty()) {
                *error = QStringLiteral("--log needs a file name");
                return false;
            }
            o->output.logFile = value;
        } else if (name == QLatin1String("verbose")) {
            o->output.verbose = true;
        } else if (name == QLatin1String("app-path")) {
            o->build.appPath = value;
        } else if (name == QLatin1String("xml-path")) {
            o->build.xmlPath = value;
        } else if (name == QLatin1String("profile")) {
            // A misspelt profile would silently describe the real system instead.
            if (!QFileInfo(value).isFile()) {
                *error = QStringLiteral("profile '%1' does not exist").arg(value);
                return false;
            }
            o->profile = value;
        } else if (name == QLatin1String("timeout")) {
            bool ok = false;
            o->timeoutSeconds = value.toDouble(&ok);
            // Written as "not greater" so that "nan" is refused too: it would start no timer at all.
            if (!ok || !(o->timeoutSeconds > 0)) {
                *error = QStringLiteral("--timeout needs a positive number of seconds, not '%1'").arg(value);
                return false;
            }
        } else if (name == QLatin1String("json")) {
            o->json = true;
        } else if (name == QLatin1String("quiet")) {
            o->output.quiet = true;
        } else if (name == QLatin1String("strict")) {
            o->strict = true;
        } else if (name == QLatin1String("trace-include") || name == QLatin1String("trace-exclude")) {
            // An invalid pattern would silently hide every line.
            const QRegularExpression re(value);
            if (!re.isValid()) {
                *error = QStringLiteral("--%1: '%2' is no valid regular expression: %3 (at offset %4)")
                             .arg(name, value, re.errorString())
                             .arg(re.patternErrorOffset());
                return false;
            }
        }
        if (name == QLatin1String("trace-include")) {
            o->traceInclude = value;
            o->traceIncludeSet = true;
        } else if (name == QLatin1String("trace-exclude")) {
            o->traceExclude = value;
            o->traceExcludeSet = true;
        } else if (name == QLatin1String("trace-timestamps")) {
            o->timestamps = true;
        }
    }
    if (o->output.quiet && o->output.verbose) {
        *error = QStringLiteral("--quiet and --verbose exclude each other");
        return false;
    }
    if (positional.size() != 1) {
        *error = positional.isEmpty() ? QStringLiteral("no definition file given")
                                      : QStringLiteral("one definition file expected, got: %1").arg(positional.join(QLatin1Char(' ')));
        return false;
    }
    o->build.file = positional.first();
    return true;
}

TraceOutput& traceOutput()
{
    static TraceOutput output;
    return output;
}

bool applyEnvironmentOptions(const CommandOptions& o, QString* error)
{
    if (!o.profile.isEmpty()) {
        qputenv("SETUPFSM_PROFILE", o.profile.toLocal8Bit());
        Platform::reloadProfile();
    }
    if (o.traceIncludeSet)
        Trace::setIncludeFilter(o.traceInclude, Trace::FilterOn::Name);
    if (o.traceExcludeSet)
        Trace::setExcludeFilter(o.traceExclude, Trace::FilterOn::Name);
    if (o.timestamps)
        Trace::setTimestamps(true);
    TraceOutput& output = traceOutput();
    QString warning;
    if (!output.open(o.output, isatty(STDERR_FILENO), error, &warning))
        return false;
    if (!warning.isEmpty() && !o.output.quiet)
        Cli::error(QStringLiteral("warning: ") + warning);
    output.setEcho(&Cli::showTrace);
    Trace::setSink([](const QString& text) { traceOutput().write(text); });
    return true;
}
