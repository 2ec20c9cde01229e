// SPDX-License-Identifier: MIT
#pragma once
// Runs small definition files through the library's "generic" factory, as a host does.
#include "engine/fsm.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QSignalSpy>
#include <memory>

namespace XmlTest {

class Flow {
public:
    explicit Flow(const QString& xml) : m_factory(createFactory(nullptr))
    {
        QDomDocument doc;
        if (!doc.setContent(xml))
            return;
        m_fsm.reset(qobject_cast<CFsm*>(
            m_factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr, QStringLiteral("root"))));
    }

    CFsm* fsm() const { return m_fsm.get(); }
    CState* state(const QString& name) const { return m_fsm ? m_fsm->state(name) : nullptr; }

    // Enters the FSM and waits until it finishes; the exit taken, or empty when it does not.
    // The FSM also reports each of its states finishing through the same signal.
    QString run()
    {
        if (!m_fsm)
            return QStringLiteral("<not built>");
        QSignalSpy finished(m_fsm.get(), &CState::finished);
        m_fsm->enter();
        qsizetype seen = 0;
        for (;;) {
            for (; seen < finished.size(); ++seen) {
                if (finished.at(seen).at(0).value<CState*>() == m_fsm.get())
                    return m_fsm->leaveEvent();
            }
            if (!finished.wait(10000))
                return QString();
        }
    }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CFsm> m_fsm;
};

// A flow of one state of the type whose events each leave through an exit of the same name.
inline QString singleStateFlow(const QString& type, const QString& properties, const QStringList& events)
{
    QString xml = QStringLiteral("<fsm><states><state name=\"s\" type=\"%1\">%2</state></states><events>")
                      .arg(type, properties);
    for (const QString& e : events)
        xml += QStringLiteral("<event name=\"%1\"/>").arg(e);
    xml += QStringLiteral("</events><transitions><transition name=\"go\" startstate=\"s\"/>");
    for (const QString& e : events)
        xml += QStringLiteral("<transition name=\"to_%1\" fromstate=\"s\" event=\"%1\" toexit=\"%1\"/>").arg(e);
    return xml + QStringLiteral("</transitions></fsm>");
}

} // namespace XmlTest
