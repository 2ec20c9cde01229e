// SPDX-License-Identifier: MIT
// The property maps of a transition: built from the definition, announcing what they will
// supply, and applied when the transition fires.
#include "propertymap/transitionmaps.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "propertymap/propertymap.h"

namespace {

const char kCategory[] = "transition";
constexpr int kMaxValueText = 200;

// The trace of a firing is long; every line is composed only when the category passes.
class MapTrace {
public:
    MapTrace() : m_on(category().enabled()) {}
    bool on() const { return m_on; }
    void line(const QString& text) const
    {
        if (m_on)
            Trace::line(kCategory, text);
    }

private:
    static const Trace::Category& category()
    {
        static const Trace::Category c(kCategory);
        return c;
    }

    bool m_on;
};

// "|¯propertymap", the macron being the Latin-1 byte 0xAF once the trace writes it.
const QString& macronLine()
{
    static const QString line = QStringLiteral("|") + QChar(0xAF) + QStringLiteral("propertymap");
    return line;
}

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The value part of an input line ("|   ...") or a target line ("|_Set property "T" ...").
QString valueLine(const QVariant& v, const QString* target)
{
    const QString head = target ? QStringLiteral("|_Set property ") + quoted(*target) + QLatin1Char(' ')
                                : QStringLiteral("|   ");
    QString s = Qt3::toString(v);
    if (!s.isEmpty()) {
        s.remove(QLatin1Char('\n'));
        if (s.size() > kMaxValueText)
            s = s.left(kMaxValueText) + QStringLiteral("...");
        return head + QStringLiteral("value as string = ") + s;
    }
    const qsizetype count = Qt3::toList(v).size();
    if (count > 0)
        return head + QStringLiteral("list with ") + QString::number(count) + QStringLiteral(" items");
    return head + QStringLiteral("empty string or list");
}

// Looks a state of the FSM up once per firing, on first use.
class LazyState {
public:
    LazyState(CFsm* fsm, const QString& name) : m_fsm(fsm), m_name(name) {}
    CState* get()
    {
        if (!m_looked) {
            m_state = m_fsm ? m_fsm->state(m_name) : nullptr;
            m_looked = true;
        }
        return m_state;
    }

private:
    CFsm* m_fsm;
    const QString& m_name;
    CState* m_state = nullptr;
    bool m_looked = false;
};

void gatherInput(CProperty* cell, CFsm* fsm, LazyState& from, const QString& fromName, const MapTrace& trace)
{
    CPropertyObject* source = nullptr;
    switch (cell->location()) {
    case CProperty::LocationState:
        if (trace.on())
            trace.line(QStringLiteral("| - get value from property ") + quoted(cell->name()) + QStringLiteral(" from state ")
                       + quoted(fromName) + QLatin1Char('.'));
        source = from.get();
        if (!source)
            trace.line(QStringLiteral("| ! Warning ! No from-state."));
        break;
    case CProperty::LocationFsm:
        if (trace.on())
            trace.line(QStringLiteral("| - get value from property ") + quoted(cell->name()) + QStringLiteral(" from FSM."));
        source = fsm;
        break;
    case CProperty::LocationApp:
        source = fsm ? fsm->applicationProperties() : nullptr;
        if (!source)
            trace.line(QStringLiteral("| ! Warning ! No application properties available."));
        else if (trace.on())
            trace.line(QStringLiteral("| - get value from property ") + quoted(cell->name())
                       + QStringLiteral(" from application."));
        break;
    default:
        trace.line(QStringLiteral("| ! Warning ! Unsupported input property location."));
        break;
    }

    if (source) {
        const QVariant v = source->property(cell->latin1Name());
        if (v.isValid()) {
            if (trace.on())
                trace.line(valueLine(v, nullptr));
            cell->setValue(v);
            return;
        }
        if (CPropertyObject* o = source->objectProperty(cell->latin1Name())) {
            if (trace.on())
                trace.line(QStringLiteral("|   object name = ") + o->objectName());
            cell->setObject(o);
            return;
        }
    }
    trace.line(QStringLiteral("|   ! Warning ! Property not found"));
    cell->setValue(QVariant(QString(QLatin1String(""))));
}

// The to-state of the transition, or null. An exit transition holds an exit event where others
// hold the to-state name; a state that happens to share that name is not its target.
CState* toState(const CTransition* t, CFsm* fsm)
{
    if (!fsm || qobject_cast<const CExitTransition*>(t))
        return nullptr;
    return fsm->state(t->target());
}

} // namespace

CTransitionMaps::CTransitionMaps(CTransition* transition)
    : m_transition(transition)
{
}

CTransitionMaps::~CTransitionMaps()
{
    qDeleteAll(m_maps);
}

bool CTransitionMaps::add(const QString& target, const QString& function)
{
    auto* map = new CPropertyMap(qobject_cast<CObject*>(m_transition->parent()), target, function);
    m_maps.append(map);
    return map->isValid();
}

QString CTransitionMaps::errors() const
{
    QString errors;
    for (const CPropertyMap* map : m_maps)
        errors += map->errors();
    return errors;
}

void CTransitionMaps::announce()
{
    CFsm* f = m_transition->fsm();
    if (!f)
        return;
    const QString fromName = m_transition->fromState();
    LazyState from(f, fromName);
    for (CPropertyMap* map : std::as_const(m_maps)) {
        if (!map->isValid())
            continue;
        const CProperty& target = map->targetCell();
        CState* destination = nullptr;
        if (target.location() == CProperty::LocationState)
            destination = toState(m_transition, f);
        else if (target.location() == CProperty::LocationFsm)
            destination = f;
        if (!destination)
            continue;

        bool available = true;
        for (const CProperty* cell : std::as_const(map->variables())) {
            const QString name = cell->name();
            switch (cell->location()) {
            case CProperty::LocationState: {
                CState* source = from.get();
                available = source && (source->isAnnouncedProperty(name) || source->hasProperty(cell->latin1Name()));
                break;
            }
            case CProperty::LocationFsm:
                available = f->isRequiredProperty(name) || f->isAnnouncedProperty(name) || f->hasProperty(cell->latin1Name());
                break;
            case CProperty::LocationApp:
                break;
            default:
                available = false;
                break;
            }
            if (!available)
                break;
        }
        if (available) {
            destination->addSuppliedProperty(target.name());
            destination->addAnnouncedProperty(target.name());
        }
    }
}

void CTransitionMaps::apply()
{
    const MapTrace trace;
    CFsm* f = m_transition->fsm();
    const QString fromName = m_transition->fromState();
    LazyState from(f, fromName);
    bool toLooked = false;
    CState* to = nullptr;
    for (CPropertyMap* map : std::as_const(m_maps)) {
        trace.line(macronLine());
        for (CProperty* cell : std::as_const(map->variables()))
            gatherInput(cell, f, from, fromName, trace);

        const CProperty& target = map->targetCell();
        const QString targetName = target.name();
        if (!map->evaluate()) {
            if (trace.on())
                trace.line(QStringLiteral("|_Property ") + quoted(targetName) + QStringLiteral(" will not be set."));
            continue;
        }
        // The target never shares an object with the source: it gets its own copy.
        CPropertyObject* clone = target.object() ? target.object()->clone() : nullptr;
        if (trace.on()) {
            if (clone)
                trace.line(QStringLiteral("|_Set object property ") + quoted(targetName) + QStringLiteral(" object name = ")
                           + clone->objectName());
            else
                trace.line(valueLine(target.value(), &targetName));
        }

        CPropertyObject* destination = nullptr;
        switch (target.location()) {
        case CProperty::LocationState:
            if (!toLooked) {
                to = toState(m_transition, f);
                toLooked = true;
            }
            destination = to;
            break;
        case CProperty::LocationFsm:
            destination = f;
            break;
        case CProperty::LocationApp:
            destination = f ? f->applicationProperties() : nullptr;
            break;
        default:
            trace.line(QStringLiteral("    ! Warning ! Unsupported target property location."));
            break;
        }
        if (!destination) {
            trace.line(QStringLiteral("    ! Warning ! No target to set property in."));
            delete clone;
            continue;
        }
        if (clone) {
            // A refused object (the name is a Qt property of the target) stays ours to free.
            if (!destination->setObjectProperty(target.latin1Name(), clone))
                delete clone;
        } else {
            destination->setProperty(target.latin1Name(), target.value());
        }
    }
}

ITransitionMaps* makeTransitionMaps(CTransition* transition)
{
    return new CTransitionMaps(transition);
}
