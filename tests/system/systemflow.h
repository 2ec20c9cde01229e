// SPDX-License-Identifier: MIT
#pragma once
// Runs small definition files through the library's own factory, as a host does, and collects
// the trace lines written meanwhile.
#include "engine/fsm.h"
#include "engine/transition.h"
#include "engine/trace.h"
#include "platform/platform.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <memory>

namespace SystemTest {

inline QString propertyElements(const QMap<QString, QString>& properties)
{
    QString xml;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        xml += QStringLiteral("<property key=\"%1\" value=\"%2\"/>").arg(it.key().toHtmlEscaped(), it->toHtmlEscaped());
    return xml;
}

// One state "s" of the type with its properties; each event of the list leaves the FSM through
// an exit named like the event.
inline QString singleStateFlow(const QString& type, const QMap<QString, QString>& properties,
                               const QStringList& events)
{
    QString xml = QStringLiteral("<fsm><states><state name=\"s\" type=\"%1\">").arg(type);
    xml += propertyElements(properties) + QStringLiteral("</state></states><events>");
    for (const QString& e : events)
        xml += QStringLiteral("<event name=\"%1\"/>").arg(e);
    xml += QStringLiteral("</events><transitions><transition name=\"go\" startstate=\"s\"/>");
    for (const QString& e : events)
        xml += QStringLiteral("<transition name=\"to_%1\" fromstate=\"s\" event=\"%1\" toexit=\"%1\"/>").arg(e);
    return xml + QStringLiteral("</transitions></fsm>");
}

class Flow {
public:
    explicit Flow(const QString& xml)
        : m_factory(createFactory(nullptr))
        , m_app(new CPropertyObject(nullptr, "app"))
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
    QString errors() const { return m_fsm ? m_fsm->errors() : QStringLiteral("<not built>"); }

    // Enters the FSM and waits for it to finish; returns the exit taken, empty on time-out.
    QString run()
    {
        if (!m_fsm)
            return QStringLiteral("<not built>");
        // The root FSM passes on the finish of every state inside it; its own comes last.
        bool done = false;
        const QMetaObject::Connection c = QObject::connect(
            m_fsm.get(), &CState::finished, m_fsm.get(), [&](CState* s, CTransition*) { done = done || s == m_fsm.get(); });
        m_fsm->enter();
        const bool finished = QTest::qWaitFor([&] { return done; }, 10000);
        QObject::disconnect(c);
        return finished ? m_fsm->leaveEvent() : QString();
    }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CPropertyObject> m_app;
    std::unique_ptr<CFsm> m_fsm;
};

// The trace messages written while the object lives, without their category tags' padding
// concerns: each entry is the line as written ("[category            ]text\n").
class TraceLines {
public:
    TraceLines()
    {
        Trace::setIncludeFilter(QStringLiteral(".*"));
        Trace::setExcludeFilter(QString());
        Trace::resetForTesting();
        Trace::setStderrEnabled(false);
        Trace::setSink([this](const QString& text) { m_lines.append(text); });
    }
    ~TraceLines() { Trace::setSink(nullptr); }
    TraceLines(const TraceLines&) = delete;
    TraceLines& operator=(const TraceLines&) = delete;

    bool has(const char* category, const QString& text) const
    {
        const QString tag = QLatin1Char('[') + QString::fromLatin1(category).leftJustified(20, QLatin1Char(' '), true)
                            + QLatin1Char(']');
        return m_lines.contains(tag + text + QLatin1Char('\n'));
    }
    QString all() const { return m_lines.join(QString()); }

private:
    QStringList m_lines;
};

// An emulation profile written to a temporary file and made current; the previous state is
// restored when the object goes.
class Profile {
public:
    explicit Profile(const QString& iniText)
    {
        if (!iniText.isNull()) {
            const QString file = m_dir.filePath(QStringLiteral("profile.ini"));
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write(iniText.toUtf8());
            qputenv("SETUPFSM_PROFILE", file.toUtf8());
        } else {
            qunsetenv("SETUPFSM_PROFILE");
        }
        Platform::reloadProfile();
    }
    ~Profile()
    {
        qunsetenv("SETUPFSM_PROFILE");
        Platform::reloadProfile();
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

private:
    QTemporaryDir m_dir;
};

} // namespace SystemTest
