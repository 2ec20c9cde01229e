// SPDX-License-Identifier: MIT
#pragma once
// The standard folders a script names by macro ("WINDIR", "PROGRAM_FILES", ...). On Linux the
// folders with a counterpart come from the XDG locations; the [folders] group of the emulation
// profile overrides any of them, one key per macro name without percent signs.
#include <QString>
#include <optional>

namespace Platform {

// The folder of that name, or nothing when the system has none.
std::optional<QString> standardFolder(const QString& name);

} // namespace Platform
