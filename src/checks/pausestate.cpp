// SPDX-License-Identifier: MIT
#include "checks/pausestate.h"
#include "checks/actionpause.h"

CPauseState::CPauseState(QObject* parent, const char* name, const QDomNode& element)
    : CActionState(parent, name, element)
{
    setAction(new CActionPause(this, "pause"));
}

void CPauseState::initialize()
{
    addEvents({QStringLiteral("finished")});
    addRequiredProperty(QStringLiteral("time"));
}
