// SPDX-License-Identifier: MIT
// `setupfsm eval`: the script author's way to try an expression. It runs the expression through
// a real transition between two states of a small FSM, so what it prints is what a property
// map of a definition file would store, and --trace shows the very trace lines of that map.
#include "eval.h"
#include "cli.h"
#include "host.h"
#include "variantjson.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "propertymap/functiontable.h"
#include "propertymap/propertymap.h"
#include "propertymap/transitionmaps.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: setupfsm eval [OPTIONS] [--] EXPRESSION...\n"
    "Evaluates one expression as a property map of a transition would, and prints TYPE VALUE.\n"
    "\n"
    "Options:\n"
    "  --from KEY=VALUE   a property of the state the transition leaves, read as $KEY\n"
    "  --fsm KEY=VALUE    a property of the FSM, read as $fsm.KEY\n"
    "  --app KEY=VALUE    an application property, read as $app.KEY\n"
    "  --trace            show the property map's trace lines on standard error\n"
    "  --functions        list the function names and exit\n"
    "  -h, --help         show this help and exit\n"
    "\n"
    "Values given by options are strings. The words of EXPRESSION are joined with blanks;\n"
    "quote it for the shell. An expression that starts with \"-\" may follow \"--\".\n"
    "\n"
    "Output: one line TYPE VALUE; lists as a JSON array, Invalid alone, an object as\n"
    "Object NAME followed by its property names. Parse errors go to standard error (exit 1).\n"
    "\n"
    "Examples:\n"
    "  setupfsm eval 'add(1, 2)'                                 LongLong 3\n"
    "  setupfsm eval --from name=World \"concat('Hello ', \\$name)\"  String Hello World\n"
    "  setupfsm eval \"split('a;b;c', ';')\"                       StringList [\"a\",\"b\",\"c\"]\n"
    "  setupfsm eval -- -7                                       LongLong -7\n";

enum ExitCode { ExitOk = 0, ExitErrors = 1, ExitUsage = 64 };

const char kFromState[] = "fromState";
const char kToState[] = "toState";
const char kTarget[] = "value";

// The two states of the transition; they only hold properties.
class CEvalState : public CState {
public:
    CEvalState(QObject* parent, const char* name) : CState(parent, name, QDomNode()) {}
    void enter() override {}
};

struct Options {
    QList<QPair<QString, QString>> from;
    QList<QPair<QString, QString>> fsm;
    QList<QPair<QString, QString>> app;
    QStringList words;
    bool trace = false;
    bool help = false;
    bool functions = false;
};

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usageError(const QString& message)
{
    print(stderr, QStringLiteral("setupfsm eval: ") + message + QStringLiteral("\nTry 'setupfsm eval --help'.\n"));
    return ExitUsage;
}

// Returns an empty text on success, else what is wrong with the arguments.
QString parseArguments(const QStringList& arguments, Options& o)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            o.words += arguments.mid(i + 1);
            break;
        }
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            o.help = true;
            continue;
        }
        if (arg == QLatin1String("--trace")) {
            o.trace = true;
            continue;
        }
        if (arg == QLatin1String("--functions")) {
            o.functions = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            // "-7" and the like are expressions, not options.
            o.words.append(arg);
            continue;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        QList<QPair<QString, QString>>* target = name == QLatin1String("--from") ? &o.from
                                                 : name == QLatin1String("--fsm") ? &o.fsm
                                                 : name == QLatin1String("--app") ? &o.app
                                                                                  : nullptr;
        if (!target)
            return QStringLiteral("unknown option '%1'").arg(arg);
        QString assignment;
        if (eq >= 0) {
            assignment = arg.mid(eq + 1);
        } else if (i + 1 < arguments.size()) {
            assignment = arguments.at(++i);
        } else {
            return QStringLiteral("%1 needs KEY=VALUE").arg(name);
        }
        const qsizetype sep = assignment.indexOf(QLatin1Char('='));
        if (sep <= 0)
            return QStringLiteral("%1 needs KEY=VALUE, not '%2'").arg(name, assignment);
        target->append({assignment.left(sep), assignment.mid(sep + 1)});
    }
    return QString();
}

// The edit distance of two short names, for "did you mean" hints.
int distance(const QString& a, const QString& b)
{
    QList<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = qMin(qMin(row[j] + 1, row[j - 1] + 1), diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1));
            diagonal = above;
        }
    }
    return row[b.size()];
}

QString hintFor(const QString& errorLine)
{
    static const QString unknown = QStringLiteral("Invalid function name: ");
    if (!errorLine.startsWith(unknown))
        return QString();
    const QString name = errorLine.mid(unknown.size()).trimmed();
    if (name.isEmpty() || name.size() > 40)
        return QString();
    QStringList close;
    for (const QString& known : functionNames()) {
        if (known == name) {
            // The table matched nothing only because of the case or the blanks as written.
            return QStringLiteral("function names are lower case and take no blank before \"(\"");
        }
        if (distance(known, name) <= qMax(1, int(name.size()) / 3))
            close.append(known);
    }
    return close.isEmpty() ? QString() : QStringLiteral("did you mean %1?").arg(close.join(QStringLiteral(", ")));
}

void printErrors(const QString& errors)
{
    const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        print(stderr, QStringLiteral("error: ") + line + QLatin1Char('\n'));
        const QString hint = hintFor(line);
        if (!hint.isEmpty())
            print(stderr, QStringLiteral("  hint: ") + hint + QLatin1Char('\n'));
    }
}

// Inputs the options did not give read as the empty string; say so, since a typo in a name
// would otherwise go unnoticed.
void warnAboutMissingInputs(CPropertyMap& map, const Options& o)
{
    auto given = [](const QList<QPair<QString, QString>>& list, const QString& key) {
        for (const auto& p : list) {
            if (p.first == key)
                return true;
        }
        return false;
    };
    QSet<QString> warned;
    for (const CProperty* cell : map.variables()) {
        QString reference;
        QString option;
        bool present = false;
        switch (cell->location()) {
        case CProperty::LocationFsm:
            reference = QStringLiteral("$fsm.") + cell->name();
            option = QStringLiteral("--fsm");
            present = given(o.fsm, cell->name());
            break;
        case CProperty::LocationApp:
            reference = QStringLiteral("$app.") + cell->name();
            option = QStringLiteral("--app");
            present = given(o.app, cell->name());
            break;
        default:
            reference = QLatin1Char('$') + cell->name();
            option = QStringLiteral("--from");
            present = given(o.from, cell->name());
            break;
        }
        if (present || warned.contains(reference))
            continue;
        warned.insert(reference);
        print(stderr, QStringLiteral("warning: %1 is not set and reads as the empty string (set it with %2 %3=VALUE)\n")
                          .arg(reference, option, cell->name()));
    }
}

QString valueText(const QVariant& v)
{
    const QString type = Qt3::typeName(v);
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
        return type;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
        return type + QLatin1Char(' ')
               + QString::fromUtf8(QJsonDocument(VariantJson::toJson(v).toArray()).toJson(QJsonDocument::Compact));
    case QMetaType::QColor:
    case QMetaType::QFont:
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QPixmap:
        return type + QLatin1Char(' ') + VariantJson::graphicText(v);
    default:
        return type + QLatin1Char(' ') + Qt3::toString(v);
    }
}

QString objectText(const CPropertyObject* o)
{
    QJsonArray names;
    for (const QString& name : o->propertyNames()) {
        if (name != QLatin1String("objectName")) // that is NAME already
            names.append(name);
    }
    return QStringLiteral("Object ") + o->objectName() + QLatin1Char(' ')
           + QString::fromUtf8(QJsonDocument(names).toJson(QJsonDocument::Compact));
}

void setAll(CPropertyObject* object, const QList<QPair<QString, QString>>& values)
{
    for (const auto& p : values)
        object->setProperty(p.first.toLatin1().constData(), QVariant(p.second));
}

} // namespace

int runEval(const QStringList& arguments)
{
    Options o;
    const QString problem = parseArguments(arguments, o);
    if (!problem.isEmpty())
        return usageError(problem);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return ExitOk;
    }
    // The expression language and its function families arrive with the plug-in's modules.
    QString loadError;
    if (!Host::instance().load(&loadError)) {
        print(stderr, loadError + QLatin1Char('\n'));
        return ExitErrors;
    }
    if (o.functions) {
        print(stdout, functionNames().join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return ExitOk;
    }
    if (o.words.isEmpty())
        return usageError(QStringLiteral("no expression given"));
    const QString expression = o.words.join(QLatin1Char(' '));

    // Building the stand-in FSM traces its own complaints (it has no start transition); only
    // the map's lines are of interest, and only when asked for.
    Trace::setSink(nullptr);
    CFsm fsm(nullptr, "eval", nullptr, QDomNode());
    auto* from = new CEvalState(&fsm, kFromState);
    auto* to = new CEvalState(&fsm, kToState);
    fsm.addState(from);
    fsm.addState(to);
    CPropertyObject app(nullptr, "application");
    fsm.setApplicationProperties(&app);
    setAll(from, o.from);
    setAll(&fsm, o.fsm);
    setAll(&app, o.app);

    auto* transition = new CTransition(&fsm, "eval", QString::fromLatin1(kFromState), QString::fromLatin1(kToState), QDomNode());
    if (!transition->addPropertyMap(QString::fromLatin1(kTarget), expression)) {
        printErrors(transition->propertyMapErrors());
        return ExitErrors;
    }
    CPropertyMap* map = static_cast<CTransitionMaps*>(transition->propertyMaps())->maps().constFirst();
    warnAboutMissingInputs(*map, o);

    if (o.trace) {
        Trace::setIncludeFilter(QStringLiteral(".*"));
        Trace::setExcludeFilter(QString());
        Trace::setSink(&Cli::showTrace);
    }
    transition->applyPropertyMaps();
    std::fflush(stderr);

    if (const CPropertyObject* object = to->objectProperty(kTarget)) {
        print(stdout, objectText(object) + QLatin1Char('\n'));
        return ExitOk;
    }
    if (!to->hasProperty(kTarget))
        print(stderr, QStringLiteral("warning: the expression yields nothing; a property map would leave its target as it is\n"));
    print(stdout, valueText(to->property(kTarget)) + QLatin1Char('\n'));
    return ExitOk;
}
