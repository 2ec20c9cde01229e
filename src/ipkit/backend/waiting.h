// SPDX-License-Identifier: MIT
#pragma once
#include "ipkit/ipbackend.h"

namespace IpKit {

// Waits up to ms milliseconds in short slices; false as soon as stop (when set) says so.
bool waitFor(int ms, const StopCheck& stop);

// Milliseconds a blocking wait may last before it looks at the stop flag again.
constexpr int kStopPollMs = 20;

} // namespace IpKit
