// SPDX-License-Identifier: MIT
#include "ipkit/backend/waiting.h"

#include <chrono>
#include <thread>

namespace IpKit {

bool waitFor(int ms, const StopCheck& stop)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (stop && stop())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(kStopPollMs)));
    }
}

} // namespace IpKit
