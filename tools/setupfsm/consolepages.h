// SPDX-License-Identifier: MIT
#pragma once
#include "pagestate.h"

#include <QObject>
#include <QPointer>

class QSocketNotifier;

// Draws pages on a terminal: prints the title, the text and the fields, then asks for each
// field and for the event on standard input when it is a terminal. Without a terminal a page
// takes its first event.
class ConsolePages : public QObject, public IPagePresenter {
    Q_OBJECT
public:
    explicit ConsolePages(bool humanOutput);
    ~ConsolePages() override;

    void showPage(CPageState* page) override;
    void pageLeft(CPageState* page) override;

private Q_SLOTS:
    void slotInput();

private:
    void print(const CPageState* page) const;
    void askNext();
    void askField(const PageField& field);
    void askEvent();
    void takePendingLines();
    void takeLine(const QString& line);
    bool takeFieldLine(const PageField& field, const QString& line);
    void takeEventLine(const QString& line);
    void setEcho(bool on);
    void stop();

    bool m_human;
    QPointer<CPageState> m_page;
    QSocketNotifier* m_input = nullptr;
    QByteArray m_pending;
    int m_field = 0; // the field being asked; the event when it equals the field count
    bool m_echoOff = false;
};
