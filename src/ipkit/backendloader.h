// SPDX-License-Identifier: MIT
#pragma once
#include "ipkit/ipbackend.h"

#include <memory>

namespace IpKit {

// The backend of this process: the backend library is loaded on the first call, and the
// backend made for the emulation profile then in force. Changing the profile (a reload of the
// platform layer) makes the next call start a new one; holders of the old one keep it alive.
// Null when the library cannot be loaded, with the reason in *error.
std::shared_ptr<Backend> backend(QString* error = nullptr);

} // namespace IpKit
