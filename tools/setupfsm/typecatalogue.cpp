#include "typecatalogue.h"
#include "host.h"

#include "engine/state.h"
#include "engine/statefactory.h"
#include "engine/trace.h"
#include "propertymap/expression.h"
#include "propertymap/functiontable.h"

#include <QDomNode>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <memory>

namespace {

void collectTypes(CStateFactory* factory, QStringList& types)
{
    for (const QString& name : factory->factoryNames()) {
        if (CStateFactory* f = factory->findFactory(name))
            types += f->ownStateTypes(true, true);
    }
}

// Counts above this stand for "or more": no function of the language takes a fixed number
// this large.
constexpr int kProbedCounts = 9;

} // namespace

QList<TypeInfo> typeCatalogue()
{
    QStringList names;
    for (CStateFactory* f = Host::instance().factory(); f; f = f->fallback())
        collectTypes(f, names);
    names.removeDuplicates();
    names.sort();
    // A state made without a definition may complain (an FSM misses its start); that is expected.
    Trace::setIncludeFilter(QStringLiteral("^$"));
    QList<TypeInfo> out;
    for (const QString& name : std::as_const(names)) {
        std::unique_ptr<CState> state(Host::instance().factory()->createState(name, QDomNode(), nullptr, name));
        TypeInfo info;
        info.name = name;
        if (state) {
            info.fsm = state->isFsm();
            if (!info.fsm)
                info.events = state->events();
            info.required = state->requiredProperties();
            info.optional = Host::instance().factory()->optionalProperties(name);
            info.announced = state->announcedProperties();
        }
        out.append(info);
    }
    return out;
}

QString parameterCountText(const QString& function)
{
    QList<bool> valid;
    for (int n = 0; n < kProbedCounts; ++n) {
        std::unique_ptr<CFuncExpression> f(createFunctionExpression(function, QList<CExpression*>(n, nullptr), nullptr));
        valid.append(f && f->hasValidParameterCount());
    }
    QStringList runs;
    for (int n = 0; n < kProbedCounts; ++n) {
        if (!valid.at(n))
            continue;
        int last = n;
        while (last + 1 < kProbedCounts && valid.at(last + 1))
            ++last;
        if (last == kProbedCounts - 1)
            runs << (n == 0 ? QStringLiteral("any") : QStringLiteral("%1 or more").arg(n));
        else if (last == n)
            runs << QString::number(n);
        else if (last == n + 1)
            runs << QStringLiteral("%1 or %2").arg(n).arg(last);
        else
            runs << QStringLiteral("%1 to %2").arg(n).arg(last);
        n = last;
    }
    return runs.isEmpty() ? QStringLiteral("none") : runs.join(QStringLiteral(" or "));
}

namespace {

QString beginMarker(const QString& name)
{
    return QStringLiteral("<!-- ") + name + QStringLiteral(":begin");
}

QString endMarker(const QString& name)
{
    return QStringLiteral("<!-- ") + name + QStringLiteral(":end -->");
}

// The span between the end of the begin marker's line and the start of the end marker's line.
bool sectionSpan(const QString& text, const QString& name, qsizetype* from, qsizetype* to)
{
    const qsizetype begin = text.indexOf(beginMarker(name));
    if (begin < 0)
        return false;
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), begin);
    const qsizetype end = text.indexOf(endMarker(name), begin);
    if (lineEnd < 0 || end < lineEnd)
        return false;
    *from = lineEnd + 1;
    *to = end;
    return true;
}

} // namespace

QString markedSection(const QString& text, const QString& name)
{
    qsizetype from = 0;
    qsizetype to = 0;
    if (!sectionSpan(text, name, &from, &to))
        return QString();
    return text.mid(from, to - from);
}

bool replaceMarkedSection(const QString& file, const QString& name, const QString& content, QString* error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(file, in.errorString());
        return false;
    }
    QString text = QString::fromUtf8(in.readAll());
    in.close();
    qsizetype from = 0;
    qsizetype to = 0;
    if (!sectionSpan(text, name, &from, &to)) {
        *error = QStringLiteral("%1 has no section marked '%2' and '%3'").arg(file, beginMarker(name), endMarker(name));
        return false;
    }
    text.replace(from, to - from, content);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}
