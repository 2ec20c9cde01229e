#pragma once
#include "engine/state.h"

class QSocketNotifier;

// A console wizard page: shows "title" and "text", offers the events of its property
// "events" (";"-separated, default "next") plus "pageBack", and leaves with the event that a
// scripted answer, its property "answer", the user at a terminal, or the default chooses.
class CPageState : public CState {
    Q_OBJECT
public:
    CPageState(QObject* parent, const char* name, const QDomNode& element);
    ~CPageState() override;

    void initialize() override;
    void enter() override;
    void leave() override;

    // The events the page offers, "pageBack" last.
    QStringList offeredEvents() const;

private slots:
    void slotInput();

private:
    void show() const;
    void prompt() const;
    void choose(const QString& event, const QString& how);
    void stopPrompt();

    QSocketNotifier* m_input = nullptr;
    QByteArray m_pendingInput;
};
