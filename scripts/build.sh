#!/usr/bin/env bash
# Configures and builds setupfsm into build/ (or $BUILD_DIR). By default only what running a
# flow needs: the library (plug-in) and the hosts. BUILD_TARGET=all builds the tests and
# benchmarks too (scripts/test.sh does).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
read -ra targets <<< "${BUILD_TARGET:-setupfsm-cli setupfsm-wizard}"
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
