// SPDX-License-Identifier: MIT
#include "propertymap/switchstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

CSwitchState::CSwitchState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

CSwitchState::~CSwitchState() = default;

// Runs after the definition's properties are set, so "outputs" is known here; later changes of
// the property do not add events.
void CSwitchState::initialize()
{
    addRequiredProperty(QStringLiteral("input"));
    addRequiredProperty(QStringLiteral("outputs"));
    const QVariant outputs = property("outputs");
    m_outputs = Qt3::toStringList(outputs);
    if (m_outputs.isEmpty())
        m_outputs = Qt3::toString(outputs).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& output : std::as_const(m_outputs)) {
        if (output.isEmpty())
            continue;
        SFSM_TRACE("compareStates", QStringLiteral("Add output for switch: ") + output);
        addEvents({output});
    }
    addEvents({QStringLiteral("default")});
}

void CSwitchState::enter()
{
    const QString in = Qt3::toString(property("input"));
    QString event = QStringLiteral("default");
    for (const QString& output : std::as_const(m_outputs)) {
        if (!output.isEmpty() && output == in) {
            event = output;
            break;
        }
    }
    setLeaveEvent(event);
    leaveState();
}
