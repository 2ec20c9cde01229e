// SPDX-License-Identifier: MIT
#pragma once
// Runs small definition files through the library's own factory, as a host does, and collects
// the trace output of every thread.
#include "actions/actionstate.h"
#include "engine/fsm.h"
#include "engine/trace.h"
#include "plugin/plugin.h"
#include "support/flowrunner.h"

#include <QDomDocument>
#include <QMap>
#include <QMutex>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <memory>

namespace CopyTest {

using FlowTest::Flow;
using FlowTest::singleStateFlow;
using FlowTest::TraceLines;

// One state of a type, outside any FSM, as a host would drive it.
class SingleState {
public:
    explicit SingleState(const char* type) : m_factory(createFactory(nullptr))
    {
        m_state.reset(m_factory->createState(QLatin1String(type), QDomNode(), nullptr, QStringLiteral("s")));
    }
    CState* state() const { return m_state.get(); }
    CAction* action() const
    {
        auto* actionState = qobject_cast<CActionState*>(m_state.get());
        return actionState ? actionState->action() : nullptr;
    }
    // Enters the state and waits for it to finish; returns the leave event, empty on time-out.
    QString run(int timeoutMs = 30000)
    {
        QSignalSpy finished(m_state.get(), &CState::finished);
        m_state->enter();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return QString();
        return m_state->leaveEvent();
    }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CState> m_state;
};

} // namespace CopyTest
