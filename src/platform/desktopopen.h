// SPDX-License-Identifier: MIT
#pragma once
// Opening a document or an address with the application the desktop associates with it, through
// xdg-open. The opener is started and left to itself: it may run as long as the application it
// hands over to, and nobody waits for it on the event loop.
#include <QString>

namespace Platform {

enum class DesktopOpen { Started, NoOpener, Failed };

// Starts "xdg-open TARGET" from PATH; `error` holds errno of a failed start.
DesktopOpen openWithDesktop(const QString& target, int* error);

} // namespace Platform
