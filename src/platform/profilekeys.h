// SPDX-License-Identifier: MIT
#pragma once
// The keys an emulation profile may hold. A misspelt key would otherwise be ignored without a
// word and the flow would quietly see the real system where the profile meant to emulate one.
#include <QStringList>

class QSettings;

namespace Platform {

// One line per unknown group and per unknown key of a known group, naming the profile file:
// `profile FILE: unknown key "os/majr" ignored`. Empty when every key is known.
QStringList unknownProfileKeys(const QSettings& profile);

} // namespace Platform
