#!/usr/bin/env bash
# Installs what is missing, builds everything (tests and benchmarks too) and runs the whole
# test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
BUILD_TARGET=all "$top/scripts/build.sh" "$@"
build=${BUILD_DIR:-$top/build}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
