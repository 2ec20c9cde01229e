#!/usr/bin/env bash
# Regenerates the README's state reference and function table from what the host reports, after
# a state type or an expression function was added or changed (tst_reference fails until then).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[[ -f "$build/build.ninja" || -f "$build/Makefile" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target setupfsm-cli setupfsm
"$build/tools/setupfsm/setupfsm" types --markdown README.md
"$build/tools/setupfsm/setupfsm" functions --markdown README.md
