// SPDX-License-Identifier: MIT
#pragma once
// The action of the "pause" state: waits "time" tenths of a second on a 100 ms timer of the
// event loop and steps its progress once a second. Finishes with "finished"; a time of 0 or
// less, or one that is no number, finishes at the first tick.
#include "actions/action.h"

class CActionPause : public CAsyncAction {
    Q_OBJECT
public:
    CActionPause(QObject* parent, const char* name);

    void abort() override;
    // Whole seconds of the pause, at least 1, so progress counts seconds.
    int totalSteps() const override;

public Q_SLOTS:
    virtual void timeTick();

protected:
    int doAction() override;

private:
    int time() const;

    QTimer* m_timer;
    int m_time = 0;
    int m_ticks = 0;
};
