// SPDX-License-Identifier: MIT
#include "pagestate.h"

#include "engine/fsm.h"
#include "engine/variantconv.h"

namespace {

const QString kPageBack = QStringLiteral("pageBack");

CFsm* rootOf(const CState* state)
{
    CFsm* root = nullptr;
    for (CState* s = state->parentState(); s; s = s->parentState()) {
        if (CFsm* fsm = qobject_cast<CFsm*>(s))
            root = fsm;
    }
    return root;
}

} // namespace

PageHost& PageHost::instance()
{
    static PageHost host;
    return host;
}

CPageState::CPageState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

CPageState::~CPageState()
{
    if (m_shown && PageHost::instance().presenter)
        PageHost::instance().presenter->pageLeft(this);
}

void CPageState::initialize()
{
    // Read once here so that a definition with a broken "input" fails its build (and check)
    // rather than the run.
    PageModel model(*this, QString());
    addEvents(model.events());
    for (const QString& e : model.inputErrors())
        errors() += QStringLiteral("page %1: %2\n").arg(objectName(), e);
    for (const PageField& f : model.fields())
        addAnnouncedProperty(f.key);
}

QStringList CPageState::offeredEvents() const
{
    QStringList offered = events();
    offered.removeAll(kPageBack);
    offered << kPageBack;
    return offered;
}

bool CPageState::canGoBack() const
{
    const CFsm* root = rootOf(this);
    if (!root)
        return false;
    for (const QString& page : root->pageStack()) {
        if (page != fullName())
            return true;
    }
    return false;
}

void CPageState::enter()
{
    if (CFsm* fsm = qobject_cast<CFsm*>(parent()))
        fsm->registerCurrentPage();
    const CPropertyObject* app = applicationProperties();
    m_chosen = false;
    m_model = std::make_unique<PageModel>(*this, app ? Qt3::toString(app->property("applicationPath")) : QString());

    PageHost& host = PageHost::instance();
    applyFieldAnswers(host);
    QString event;
    if (host.takeAnswer)
        event = host.takeAnswer(objectName(), fullName());
    QString how = QStringLiteral("answer");
    if (event.isNull()) {
        event = Qt3::toString(property("answer"));
        how = QStringLiteral("property");
    }
    if (!event.isEmpty()) {
        QString why;
        if (choose(event, &why, how))
            return;
        if (!hasEvent(event)) {
            // A script that names an event the page lacks is the script's fault: the engine
            // stops the run and says so, rather than the page guessing another way.
            if (host.badAnswer)
                host.badAnswer(this, why);
            m_model->writeTo(this);
            m_chosen = true;
            setLeaveEvent(event);
            leaveState();
            return;
        }
        if (host.unattended && host.unanswered) {
            host.unanswered(this, why);
            return;
        }
        if (host.badAnswer)
            host.badAnswer(this, why);
    } else if (host.unattended && host.unanswered) {
        host.unanswered(this, QStringLiteral("page %1 has no answer").arg(fullName()));
        return;
    }
    m_shown = true;
    if (host.presenter)
        host.presenter->showPage(this);
    else
        chooseDefault();
}

void CPageState::chooseDefault()
{
    QString why;
    if (!choose(m_model->events().first(), &why, QStringLiteral("default")) && PageHost::instance().unanswered)
        PageHost::instance().unanswered(this, why);
}

void CPageState::applyFieldAnswers(PageHost& host)
{
    if (!host.takeAnswer)
        return;
    for (const PageField& f : m_model->fields()) {
        const QString answer = host.takeAnswer(objectName() + QLatin1Char('.') + f.key,
                                               fullName() + QLatin1Char('.') + f.key);
        QString why;
        if (!answer.isNull() && !m_model->setAnswer(f.key, answer, &why) && host.badAnswer)
            host.badAnswer(this, QStringLiteral("%1.%2: %3").arg(fullName(), f.key, why));
    }
}

bool CPageState::choose(const QString& event, QString* why, const QString& how)
{
    QString reason;
    if (!m_model || m_chosen)
        reason = QStringLiteral("page %1 is not shown").arg(fullName());
    else if (!hasEvent(event) || event.contains(QLatin1Char('|')))
        reason = QStringLiteral("page %1 does not offer event '%2' (offered: %3)")
                     .arg(fullName(), event, offeredEvents().join(QStringLiteral(", ")));
    else if (m_model->isForward(event) && !m_model->complete())
        reason = QStringLiteral("page %1 cannot go on with '%2': %3")
                     .arg(fullName(), event, m_model->problems().join(QLatin1Char(' ')));
    if (!reason.isEmpty()) {
        if (why)
            *why = reason;
        return false;
    }
    // Values are kept on Back too, so the page shows them again when it comes back round.
    m_model->writeTo(this);
    m_chosen = true;
    PageHost& host = PageHost::instance();
    if (m_shown && host.presenter)
        host.presenter->pageLeft(this);
    if (host.chosen)
        host.chosen(this, event, how);
    m_shown = false;
    setLeaveEvent(event);
    leaveState();
    return true;
}

void CPageState::leave()
{
    if (m_shown && PageHost::instance().presenter)
        PageHost::instance().presenter->pageLeft(this);
    m_shown = false;
    m_model.reset();
}
