// SPDX-License-Identifier: MIT
#pragma once
#include "pagestate.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QHBoxLayout;

// The wizard's one window. Pages appear with their events as buttons (the first forward
// event is the default button, Back walks the page stack, Cancel takes the page's cancel
// event); while other states run it shows the weighted progress, the running state and, on
// request, the trace lines; at the end it shows the outcome and a Close button.
class WizardWindow : public QDialog, public IPagePresenter {
    Q_OBJECT
public:
    explicit WizardWindow(QWidget* parent = nullptr);
    ~WizardWindow() override;

    void showPage(CPageState* page) override;
    void pageLeft(CPageState* page) override;

    // A state that is no page runs: the progress view names it.
    void showWork(const QString& stateName);
    void setProgress(int percent);
    // Thread-safe: trace lines may come from worker threads.
    void addTrace(const QString& text);
    // The run is over: the outcome view with its title and text; Close ends the wizard.
    void showOutcome(const QString& title, const QString& text, bool failed);

    // The page shown, or null.
    CPageState* currentPage() const { return m_page; }

Q_SIGNALS:
    // The user closed the wizard after the run ended.
    void closed();

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void appendTrace(const QString& text);

private:
    void clearEventButtons();
    void updateButtons();
    void choose(const QString& event);
    QPushButton* addEventButton(const QString& event, const QString& label);

    QLabel* m_title;
    QStackedWidget* m_stack;
    QWidget* m_pageHolder;
    QLabel* m_stateName;
    QProgressBar* m_progress;
    QLabel* m_outcome;
    QPushButton* m_detailsButton;
    QPlainTextEdit* m_details;
    QLabel* m_problems;
    QHBoxLayout* m_eventRow;
    QPushButton* m_back;
    QPushButton* m_cancel;
    QPushButton* m_close;
    QList<QPushButton*> m_eventButtons;
    QPointer<CPageState> m_page;
    bool m_over = false;
};
