// SPDX-License-Identifier: MIT
#include "wizardwindow.h"
#include "pageview.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

enum View { PagesIndex, WorkIndex, OutcomeIndex };

// "installNow" becomes "Install now"; a mnemonic goes on the first letter no other button
// of the row uses.
QString buttonLabel(const QString& event, QString* usedLetters)
{
    QString text;
    for (int i = 0; i < event.size(); ++i) {
        const QChar c = event.at(i);
        if (i > 0 && c.isUpper())
            text += QLatin1Char(' ') + c.toLower();
        else
            text += c == QLatin1Char('_') ? QLatin1Char(' ') : c;
    }
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    for (int i = 0; i < text.size(); ++i) {
        const QChar letter = text.at(i).toLower();
        if (letter.isLetter() && !usedLetters->contains(letter)) {
            usedLetters->append(letter);
            return text.left(i) + QLatin1Char('&') + text.mid(i);
        }
    }
    return text;
}

} // namespace

WizardWindow::WizardWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Setup"));
    // Fits every page of the bundled examples, the licence page the largest; larger pages scroll.
    setMinimumSize(640, 480);
    auto* layout = new QVBoxLayout(this);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("pageTitle"));
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    layout->addWidget(m_title);

    m_stack = new QStackedWidget(this);
    auto* scroll = new QScrollArea(m_stack);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_pageHolder = new QWidget;
    m_pageHolder->setLayout(new QVBoxLayout);
    m_pageHolder->layout()->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(m_pageHolder);
    m_stack->addWidget(scroll);

    auto* work = new QWidget(m_stack);
    auto* workLayout = new QVBoxLayout(work);
    m_stateName = new QLabel(work);
    m_stateName->setObjectName(QStringLiteral("stateName"));
    m_progress = new QProgressBar(work);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    workLayout->addWidget(m_stateName);
    workLayout->addWidget(m_progress);
    workLayout->addStretch();
    m_stack->addWidget(work);

    m_outcome = new QLabel(m_stack);
    m_outcome->setObjectName(QStringLiteral("outcome"));
    m_outcome->setWordWrap(true);
    m_outcome->setTextFormat(Qt::PlainText);
    m_outcome->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_stack->addWidget(m_outcome);
    layout->addWidget(m_stack, 1);

    m_detailsButton = new QPushButton(tr("Show &details"), this);
    m_detailsButton->setObjectName(QStringLiteral("details"));
    m_detailsButton->setCheckable(true);
    m_detailsButton->setAutoDefault(false);
    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("detailsText"));
    m_details->setReadOnly(true);
    m_details->setMaximumBlockCount(5000);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->hide();
    connect(m_detailsButton, &QPushButton::toggled, this, [this](bool on) {
        m_details->setVisible(on);
        m_detailsButton->setText(on ? tr("Hide &details") : tr("Show &details"));
    });
    auto* detailsRow = new QHBoxLayout;
    detailsRow->addWidget(m_detailsButton);
    detailsRow->addStretch();
    layout->addLayout(detailsRow);
    layout->addWidget(m_details, 1);

    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("pageProblems"));
    m_problems->setWordWrap(true);
    layout->addWidget(m_problems);

    auto* buttons = new QHBoxLayout;
    m_back = new QPushButton(tr("< &Back"), this);
    m_back->setObjectName(QStringLiteral("back"));
    m_back->setAutoDefault(false);
    connect(m_back, &QPushButton::clicked, this, [this] { choose(QStringLiteral("pageBack")); });
    buttons->addStretch();
    buttons->addWidget(m_back);
    m_eventRow = new QHBoxLayout;
    buttons->addLayout(m_eventRow);
    m_cancel = new QPushButton(tr("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &WizardWindow::reject);
    m_close = new QPushButton(tr("C&lose"), this);
    m_close->setObjectName(QStringLiteral("close"));
    connect(m_close, &QPushButton::clicked, this, &WizardWindow::close);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    showWork(QString());
}

WizardWindow::~WizardWindow() = default;

void WizardWindow::showPage(CPageState* page)
{
    clearEventButtons();
    m_page = page;
    PageModel* model = page->model();
    m_title->setText(model->title().isEmpty() ? page->objectName() : model->title());
    auto* view = new PageView(model, m_pageHolder);
    m_pageHolder->layout()->addWidget(view);
    // Children added to a window already shown stay hidden until shown themselves.
    view->show();
    connect(view, &PageView::changed, this, &WizardWindow::updateButtons);

    QString used = QStringLiteral("bcl");
    QPushButton* firstForward = nullptr;
    for (const QString& event : model->events()) {
        if (event == model->cancelEvent())
            continue;
        QPushButton* button = addEventButton(event, buttonLabel(event, &used));
        if (!firstForward)
            firstForward = button;
    }
    if (firstForward) {
        firstForward->setDefault(true);
        firstForward->setFocus();
    }
    m_stack->setCurrentIndex(PagesIndex);
    m_detailsButton->hide();
    m_details->hide();
    m_back->show();
    m_cancel->setVisible(!model->cancelEvent().isEmpty());
    m_close->hide();
    updateButtons();
}

QPushButton* WizardWindow::addEventButton(const QString& event, const QString& label)
{
    auto* button = new QPushButton(label, this);
    button->setObjectName(QStringLiteral("event:") + event);
    connect(button, &QPushButton::clicked, this, [this, event] { choose(event); });
    m_eventRow->addWidget(button);
    button->show();
    m_eventButtons << button;
    return button;
}

void WizardWindow::clearEventButtons()
{
    // This may run inside a button's own signal: out of the window now, deleted later.
    QList<QWidget*> gone(m_eventButtons.cbegin(), m_eventButtons.cend());
    m_eventButtons.clear();
    for (PageView* v : m_pageHolder->findChildren<PageView*>(QString(), Qt::FindDirectChildrenOnly))
        gone << v;
    for (QWidget* w : gone) {
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    }
    m_problems->clear();
}

void WizardWindow::updateButtons()
{
    if (!m_page || !m_page->model())
        return;
    const PageModel* model = m_page->model();
    const bool complete = model->complete();
    for (QPushButton* b : std::as_const(m_eventButtons)) {
        const QString event = b->objectName().mid(6);
        b->setEnabled(!model->isForward(event) || complete);
    }
    m_back->setEnabled(m_page->canGoBack());
    m_problems->setText(model->problems().join(QLatin1Char(' ')));
}

void WizardWindow::choose(const QString& event)
{
    if (!m_page)
        return;
    QString why;
    if (!m_page->choose(event, &why))
        m_problems->setText(why);
}

void WizardWindow::pageLeft(CPageState* page)
{
    if (page != m_page)
        return;
    m_page = nullptr;
    for (QPushButton* b : std::as_const(m_eventButtons))
        b->setEnabled(false);
    m_back->setEnabled(false);
    m_cancel->setEnabled(true);
}

void WizardWindow::showWork(const QString& stateName)
{
    if (m_over)
        return;
    if (m_page)
        return; // a page is up; work inside a nested FSM's start does not cover it
    clearEventButtons();
    m_title->setText(tr("Please wait"));
    m_stateName->setText(stateName.isEmpty() ? QString() : tr("Working: %1").arg(stateName));
    m_stack->setCurrentIndex(WorkIndex);
    m_detailsButton->show();
    m_details->setVisible(m_detailsButton->isChecked());
    m_back->hide();
    m_cancel->hide();
    m_close->hide();
}

void WizardWindow::setProgress(int percent)
{
    m_progress->setValue(qBound(0, percent, 100));
}

void WizardWindow::addTrace(const QString& text)
{
    QMetaObject::invokeMethod(this, "appendTrace", Qt::QueuedConnection, Q_ARG(QString, text));
}

void WizardWindow::appendTrace(const QString& text)
{
    QString line = text;
    if (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    m_details->appendPlainText(line);
}

void WizardWindow::showOutcome(const QString& title, const QString& text, bool failed)
{
    m_over = true;
    clearEventButtons();
    m_page = nullptr;
    m_title->setText(title);
    m_outcome->setText(text);
    m_stack->setCurrentIndex(OutcomeIndex);
    m_detailsButton->show();
    if (failed)
        m_detailsButton->setChecked(true);
    m_details->setVisible(m_detailsButton->isChecked());
    m_back->hide();
    m_cancel->hide();
    m_close->show();
    m_close->setDefault(true);
    m_close->setFocus();
}

void WizardWindow::reject()
{
    // Esc and Cancel take the page's cancel event; there is nothing else to cancel.
    if (m_over) {
        close();
        return;
    }
    if (m_page && m_page->model() && !m_page->model()->cancelEvent().isEmpty())
        choose(m_page->model()->cancelEvent());
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    if (!m_over) {
        // Closing mid-run would leave a half-done installation: only a cancel event may stop it.
        event->ignore();
        reject();
        return;
    }
    event->accept();
    Q_EMIT closed();
}
