#pragma once
// Runs small definition files through the library's own factory, as a host does, and collects
// the trace output of every thread meanwhile. Shared by the state tests of every subsystem.
#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QTest>
#include <memory>

namespace FlowTest {

// One property element. Line feeds are written as references: an attribute value would read
// them back as blanks.
inline QString propertyElement(const QString& key, const QString& value)
{
    QString escaped = value.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QLatin1String("&#10;"));
    return QStringLiteral("<property key=\"%1\" value=\"%2\"/>").arg(key.toHtmlEscaped(), escaped);
}

inline QString propertyElements(const QMap<QString, QString>& properties)
{
    QString xml;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        xml += propertyElement(it.key(), it.value());
    return xml;
}

// One state "s" of the type with the given property elements; each event of the list leaves
// the FSM through an exit named like the event.
inline QString singleStateFlow(const QString& type, const QString& propertyXml, const QStringList& events)
{
    QString xml = QStringLiteral("<fsm><states><state name=\"s\" type=\"%1\">").arg(type);
    xml += propertyXml + QStringLiteral("</state></states><events>");
    for (const QString& e : events)
        xml += QStringLiteral("<event name=\"%1\"/>").arg(e);
    xml += QStringLiteral("</events><transitions><transition name=\"go\" startstate=\"s\"/>");
    for (const QString& e : events)
        xml += QStringLiteral("<transition name=\"to_%1\" fromstate=\"s\" event=\"%1\" toexit=\"%1\"/>").arg(e);
    return xml + QStringLiteral("</transitions></fsm>");
}

inline QString singleStateFlow(const QString& type, const QMap<QString, QString>& properties,
                               const QStringList& events)
{
    return singleStateFlow(type, propertyElements(properties), events);
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
    CState* state(const QString& name = QStringLiteral("s")) const { return m_fsm ? m_fsm->state(name) : nullptr; }
    QString errors() const { return m_fsm ? m_fsm->errors() : QStringLiteral("<not built>"); }

    // Enters the FSM and waits for it to finish; returns the exit taken, empty on time-out.
    QString run(int timeoutMs = 60000)
    {
        if (!m_fsm)
            return QStringLiteral("<not built>");
        // The root FSM passes on the finish of every state inside it; its own comes last.
        bool done = false;
        const QMetaObject::Connection c = QObject::connect(
            m_fsm.get(), &CState::finished, m_fsm.get(), [&](CState* s, CTransition*) { done = done || s == m_fsm.get(); });
        m_fsm->enter();
        const bool finished = QTest::qWaitFor([&] { return done; }, timeoutMs);
        QObject::disconnect(c);
        return finished ? m_fsm->leaveEvent() : QString();
    }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CPropertyObject> m_app;
    std::unique_ptr<CFsm> m_fsm;
};

// Every trace message written while the object lives, whatever thread wrote it; each entry as
// written ("[category            ]text\n").
class TraceLines {
public:
    TraceLines()
    {
        Trace::setIncludeFilter(QStringLiteral(".*"));
        Trace::setExcludeFilter(QString());
        Trace::resetForTesting();
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
    QString all() const { return lines().join(QString()); }
    // Some message holds the text.
    bool contains(const QString& text) const
    {
        const QStringList copy = lines();
        for (const QString& line : copy) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    // The exact one-line message of the category.
    bool has(const char* category, const QString& text) const
    {
        const QString tag = QLatin1Char('[') + QString::fromLatin1(category).leftJustified(20, QLatin1Char(' '), true)
                            + QLatin1Char(']');
        return lines().contains(tag + text + QLatin1Char('\n'));
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace FlowTest
