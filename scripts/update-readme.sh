#!/usr/bin/env bash
# Regenerates the README's state reference, function table and help text from what the host reports, after
# a state type or an expression function was added or changed (tst_reference fails until then).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[[ -f "$build/build.ninja" || -f "$build/Makefile" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target setupfsm-cli setupfsm
"$build/tools/setupfsm/setupfsm" types --markdown README.md
"$build/tools/setupfsm/setupfsm" functions --markdown README.md
# The command-line reference is the help text itself, between its markers.
help=$("$build/tools/setupfsm/setupfsm" --help)
HELP="$help" awk '/<!-- help:begin/ { print; print "```"; print ENVIRON["HELP"]; print "```"; skip = 1; next }
  /<!-- help:end/ { skip = 0 } !skip' README.md > README.md.tmp && mv README.md.tmp README.md
