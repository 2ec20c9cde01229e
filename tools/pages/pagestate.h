// SPDX-License-Identifier: MIT
#pragma once
#include "pagemodel.h"

#include "engine/state.h"

#include <functional>
#include <memory>

class CPageState;

// How a host draws pages. showPage is asynchronous: the host shows the page and, once the
// user has chosen, calls CPageState::choose. pageLeft tells it the page is gone, whether
// chosen or left from outside.
class IPagePresenter {
public:
    virtual ~IPagePresenter() = default;
    virtual void showPage(CPageState* page) = 0;
    virtual void pageLeft(CPageState* page) = 0;
};

// What the running host lends its pages: scripted answers, whether a person is there to ask,
// and where pages that cannot go on without one are reported. One per process, like the host.
struct PageHost {
    // The next scripted answer for a name ("PAGE" for the event, "PAGE.KEY" for a field),
    // asked by the page's name and its full name; a null string when there is none.
    std::function<QString(const QString& name, const QString& fullName)> takeAnswer;
    // Whether an unanswered page fails instead of asking.
    bool unattended = false;
    IPagePresenter* presenter = nullptr;
    // A page that can go on only with a person: no answer, or answers that leave it incomplete.
    std::function<void(CPageState* page, const QString& why)> unanswered;
    // Tells how a page left: "answer", "property", "input" or "default".
    std::function<void(CPageState* page, const QString& event, const QString& how)> chosen;
    // Scripted answers that are no value of their field; the page goes on as if not answered.
    std::function<void(CPageState* page, const QString& why)> badAnswer;

    static PageHost& instance();
};

// The host state type "page": a wizard page with a title, a text, events and input fields.
// Its fields are written into its own properties just before it leaves forward, so the next
// transition's property maps read them as "$KEY".
class CPageState : public CState {
    Q_OBJECT
public:
    CPageState(QObject* parent, const char* name, const QDomNode& element);
    ~CPageState() override;

    void initialize() override;
    void enter() override;
    void leave() override;

    // The events a host offers: the page's events plus "pageBack" last.
    QStringList offeredEvents() const;
    // The page being shown; null outside enter() .. leave().
    PageModel* model() const { return m_model.get(); }
    // Leaves with the event. A forward event is refused (false, *why says what is missing)
    // while the page is incomplete; an event the page does not offer is refused too.
    // `how` tells the host's report where the choice came from.
    bool choose(const QString& event, QString* why = nullptr, const QString& how = QStringLiteral("input"));
    // Leaves with the first event, as a page does that nobody can answer; a page that cannot
    // go forward so is reported as unanswered.
    void chooseDefault();
    // Whether "pageBack" has somewhere to go: a page shown earlier in this run.
    bool canGoBack() const;

private:
    void applyFieldAnswers(PageHost& host);

    std::unique_ptr<PageModel> m_model;
    bool m_shown = false;
    bool m_chosen = false;
};
