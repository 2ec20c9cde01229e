// SPDX-License-Identifier: MIT
#include "maptestutil.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QDomDocument>
#include <QEventLoop>
#include <QTimer>

std::unique_ptr<CStateFactory> makeFactory()
{
    std::unique_ptr<CStateFactory> generic(createFactory(nullptr));
    generic->addFactory(makeTestFactory().release());
    return generic;
}

QStringList categoryLines(const QStringList& messages, const char* category)
{
    const QString tag = QLatin1Char('[') + QString::fromLatin1(category).leftJustified(20, QLatin1Char(' '), true)
                        + QLatin1Char(']');
    const QString indent(23, QLatin1Char(' '));
    QStringList out;
    for (const QString& message : messages) {
        if (!message.startsWith(tag))
            continue;
        QStringList lines = message.mid(tag.size()).split(QLatin1Char('\n'));
        if (lines.last().isEmpty())
            lines.removeLast();
        for (QString line : lines) {
            if (line.startsWith(indent))
                line = line.mid(indent.size());
            out.append(line);
        }
    }
    return out;
}

QDomElement elementOf(const QString& xml)
{
    // The document lives as long as any node of it.
    static QList<QDomDocument> documents;
    QDomDocument doc;
    doc.setContent(xml);
    documents.append(doc);
    return doc.documentElement();
}

bool runToEnd(CFsm* fsm, int timeoutMs)
{
    // The FSM passes on the finish of each of its states; its own comes last.
    bool done = false;
    QEventLoop loop;
    const auto connection = QObject::connect(fsm, &CState::finished, &loop, [&](CState* state, CTransition*) {
        if (state == fsm) {
            done = true;
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    fsm->enter();
    if (!done)
        loop.exec();
    QObject::disconnect(connection);
    return done;
}
