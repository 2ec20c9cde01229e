#include "pagestate.h"
#include "host.h"

#include "engine/fsm.h"
#include "engine/variantconv.h"

#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString& text)
{
    std::fputs(qPrintable(text), stderr);
    std::fflush(stderr);
}

} // namespace

CPageState::CPageState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

CPageState::~CPageState()
{
    stopPrompt();
}

void CPageState::initialize()
{
    QStringList events = Qt3::toString(property("events")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& e : events)
        e = e.trimmed();
    events.removeAll(QString());
    if (events.isEmpty())
        events << QStringLiteral("next");
    addEvents(events);
}

QStringList CPageState::offeredEvents() const
{
    QStringList offered = events();
    offered.removeAll(QStringLiteral("pageBack"));
    offered << QStringLiteral("pageBack");
    return offered;
}

void CPageState::show() const
{
    if (!Host::instance().humanOutput)
        return;
    const QString title = Qt3::toString(property("title"));
    const QString text = Qt3::toString(property("text"));
    QString out = QStringLiteral("\n== %1 ==\n").arg(title.isEmpty() ? fullName() : title);
    if (!text.isEmpty())
        out += text + QLatin1Char('\n');
    std::fputs(qPrintable(out), stdout);
    std::fflush(stdout);
}

void CPageState::enter()
{
    if (CFsm* fsm = qobject_cast<CFsm*>(parent()))
        fsm->registerCurrentPage();
    show();

    const QString scripted = Host::instance().takeAnswer(objectName(), fullName());
    if (!scripted.isNull()) {
        choose(scripted, QStringLiteral("answer"));
        return;
    }
    const QString preset = Qt3::toString(property("answer"));
    if (!preset.isEmpty()) {
        choose(preset, QStringLiteral("property"));
        return;
    }
    if (isatty(STDIN_FILENO)) {
        prompt();
        m_pendingInput.clear();
        m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_input, &QSocketNotifier::activated, this, &CPageState::slotInput);
        return;
    }
    choose(events().value(0, QStringLiteral("next")), QStringLiteral("default"));
}

void CPageState::prompt() const
{
    const QStringList offered = offeredEvents();
    QString text = QStringLiteral("Choose for page %1:").arg(fullName());
    for (int i = 0; i < offered.size(); ++i)
        text += QStringLiteral("  [%1] %2").arg(i + 1).arg(offered.at(i));
    say(text + QStringLiteral("\n> "));
}

void CPageState::slotInput()
{
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input: take the default rather than waiting for ever.
        stopPrompt();
        choose(events().value(0, QStringLiteral("next")), QStringLiteral("default"));
        return;
    }
    m_pendingInput.append(buffer, int(n));
    const qsizetype feed = m_pendingInput.indexOf('\n');
    if (feed < 0)
        return;
    const QString line = QString::fromLocal8Bit(m_pendingInput.left(feed)).trimmed();
    m_pendingInput.remove(0, feed + 1);

    const QStringList offered = offeredEvents();
    bool isNumber = false;
    const int index = line.toInt(&isNumber);
    QString event;
    if (line.isEmpty())
        event = offered.first();
    else if (isNumber && index >= 1 && index <= offered.size())
        event = offered.at(index - 1);
    else if (offered.contains(line))
        event = line;
    if (event.isEmpty()) {
        say(QStringLiteral("'%1' is not offered here.\n").arg(line));
        prompt();
        return;
    }
    stopPrompt();
    choose(event, QStringLiteral("input"));
}

void CPageState::choose(const QString& event, const QString& how)
{
    if (!hasEvent(event))
        say(QStringLiteral("setupfsm: page %1 does not offer event '%2' (offered: %3)\n")
                .arg(fullName(), event, offeredEvents().join(QStringLiteral(", "))));
    if (Host::instance().humanOutput) {
        std::fputs(qPrintable(QStringLiteral("-> %1 (%2)\n").arg(event, how)), stdout);
        std::fflush(stdout);
    }
    setLeaveEvent(event);
    leaveState();
}

void CPageState::stopPrompt()
{
    if (!m_input)
        return;
    // May run inside the notifier's own signal: defer the deletion.
    m_input->setEnabled(false);
    m_input->deleteLater();
    m_input = nullptr;
}

void CPageState::leave()
{
    stopPrompt();
}
