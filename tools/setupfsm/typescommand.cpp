// `setupfsm types` and `setupfsm functions`: what a definition file can use, as a listing or
// as the README's reference tables.
#include "cli.h"
#include "host.h"
#include "typecatalogue.h"

#include "propertymap/functiontable.h"

#include <cstdio>

namespace {

// `--markdown [FILE]`: the table on standard output, or written into FILE's marked section.
struct MarkdownRequest {
    bool markdown = false;
    QString file;
};

bool parseMarkdownRequest(const QString& command, const QStringList& arguments, MarkdownRequest* request, QString* error)
{
    QStringList rest = arguments;
    if (!rest.isEmpty() && rest.first() == QLatin1String("--markdown")) {
        request->markdown = true;
        rest.removeFirst();
        if (!rest.isEmpty() && !rest.first().startsWith(QLatin1Char('-')))
            request->file = rest.takeFirst();
    }
    if (!rest.isEmpty()) {
        *error = QStringLiteral("%1 takes only --markdown [FILE], not '%2'").arg(command, rest.first());
        return false;
    }
    return true;
}

QString cell(const QStringList& names)
{
    return names.join(QStringLiteral(", "));
}

int writeMarkdown(const MarkdownRequest& request, const QString& section, const QString& table)
{
    if (request.file.isEmpty()) {
        std::fputs(table.toUtf8().constData(), stdout);
        return Cli::ExitOk;
    }
    QString error;
    if (!replaceMarkedSection(request.file, section, table, &error)) {
        Cli::error(error);
        return 1;
    }
    return Cli::ExitOk;
}

} // namespace

int Cli::typesCommand(const QStringList& arguments)
{
    MarkdownRequest request;
    QString error;
    if (!parseMarkdownRequest(QStringLiteral("types"), arguments, &request, &error))
        return usageError(error);
    if (!Host::instance().load(&error)) {
        Cli::error(error);
        return ExitBuildErrors;
    }
    const QList<TypeInfo> types = typeCatalogue();
    QString out;
    if (request.markdown) {
        out = QStringLiteral("| type | events | required | optional | announced |\n|---|---|---|---|---|\n");
        for (const TypeInfo& t : types) {
            out += QStringLiteral("| `%1` | %2 | %3 | %4 | %5 |\n")
                       .arg(t.name, t.fsm ? QStringLiteral("(its exit events)") : cell(t.events), cell(t.required),
                            cell(t.optional), cell(t.announced));
        }
        return writeMarkdown(request, QStringLiteral("state-types"), out);
    }
    for (const TypeInfo& t : types) {
        out += t.name + (t.fsm ? QStringLiteral("  (FSM)\n") : QStringLiteral("\n"));
        if (!t.fsm)
            out += QStringLiteral("  events:    ") + cell(t.events) + QLatin1Char('\n');
        out += QStringLiteral("  required:  ") + cell(t.required) + QLatin1Char('\n');
        out += QStringLiteral("  optional:  ") + cell(t.optional) + QLatin1Char('\n');
        out += QStringLiteral("  announced: ") + cell(t.announced) + QLatin1Char('\n');
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return ExitOk;
}

int Cli::functionsCommand(const QStringList& arguments)
{
    MarkdownRequest request;
    QString error;
    if (!parseMarkdownRequest(QStringLiteral("functions"), arguments, &request, &error))
        return usageError(error);
    // Modules add their function families when the plug-in registers them.
    if (!Host::instance().load(&error)) {
        Cli::error(error);
        return ExitBuildErrors;
    }
    QString out;
    if (request.markdown)
        out = QStringLiteral("| function | parameters |\n|---|---|\n");
    for (const QString& name : functionNames()) {
        if (request.markdown)
            out += QStringLiteral("| `%1` | %2 |\n").arg(name, parameterCountText(name));
        else
            out += name.leftJustified(22) + QLatin1Char(' ') + parameterCountText(name) + QLatin1Char('\n');
    }
    if (request.markdown)
        return writeMarkdown(request, QStringLiteral("functions"), out);
    std::fputs(out.toUtf8().constData(), stdout);
    return ExitOk;
}
