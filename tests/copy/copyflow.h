// SPDX-License-Identifier: MIT
#pragma once
// Runs small definition files through the library's own factory, as a host does, and collects
// the trace output of every thread.
#include "actions/actionstate.h"
#include "engine/fsm.h"
#include "engine/trace.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QMap>
#include <QMutex>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <memory>

namespace CopyTest {

// A definition file with one state of the type, its properties, and one exit per event of the
// state, named like the event.
inline QString singleStateFlow(const QString& type, const QMap<QString, QString>& properties,
                               const QStringList& events)
{
    QString xml = QStringLiteral("<fsm><states><state name=\"s\" type=\"%1\">").arg(type);
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        xml += QStringLiteral("<property key=\"%1\" value=\"%2\"/>").arg(it.key().toHtmlEscaped(), it->toHtmlEscaped());
    xml += QStringLiteral("</state></states><events>");
    for (const QString& e : events)
        xml += QStringLiteral("<event name=\"%1\"/>").arg(e);
    xml += QStringLiteral("</events><transitions><transition name=\"go\" startstate=\"s\"/>");
    for (const QString& e : events)
        xml += QStringLiteral("<transition name=\"to_%1\" fromstate=\"s\" event=\"%1\" toexit=\"%1\"/>").arg(e);
    return xml + QStringLiteral("</transitions></fsm>");
}

class Flow {
public:
    explicit Flow(const QString& xml) : m_factory(createFactory(nullptr)), m_app(new CPropertyObject(nullptr, "app"))
    {
        m_app->setProperty("applicationPath", QStringLiteral("."));
        m_app->setProperty("xmlPath", QStringLiteral("."));
        QDomDocument doc;
        if (!doc.setContent(xml))
            return;
        m_fsm.reset(qobject_cast<CFsm*>(
            m_factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr, QStringLiteral("root"))));
        if (m_fsm)
            m_fsm->setApplicationProperties(m_app.get());
    }

    CFsm* fsm() const { return m_fsm.get(); }
    CState* state(const char* name = "s") const { return m_fsm ? m_fsm->state(QLatin1String(name)) : nullptr; }

    // Enters the FSM and waits for it to finish; returns the exit taken, empty on time-out.
    QString run(int timeoutMs = 60000)
    {
        if (!m_fsm)
            return QStringLiteral("<not built>");
        QSignalSpy finished(m_fsm.get(), &CState::finished);
        m_fsm->enter();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return QString();
        return m_fsm->leaveEvent();
    }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CPropertyObject> m_app;
    std::unique_ptr<CFsm> m_fsm;
};

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

// Every trace message written while the object lives, whatever thread wrote it.
class TraceLines {
public:
    TraceLines()
    {
        Trace::setIncludeFilter(QStringLiteral(".*"));
        Trace::setExcludeFilter(QString());
        Trace::setStderrEnabled(false);
        Trace::setSink([this](const QString& text) {
            QMutexLocker lock(&m_mutex);
            m_lines.append(text);
        });
    }
    ~TraceLines() { Trace::setSink(nullptr); }
    TraceLines(const TraceLines&) = delete;
    TraceLines& operator=(const TraceLines&) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    bool contains(const QString& text) const
    {
        QMutexLocker lock(&m_mutex);
        for (const QString& line : m_lines)
            if (line.contains(text))
                return true;
        return false;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace CopyTest
