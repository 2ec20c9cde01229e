#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and uses it as an outside host would: through
# find_package, through pkg-config, and by running the installed command-line host.
set -euo pipefail
build=$1 source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

# Each step's output is shown only when it fails.
quiet() { local log=$scratch/step.log; "$@" >"$log" 2>&1 || { cat "$log"; echo "failed: $*"; exit 1; }; }

quiet cmake --install "$build" --prefix "$prefix"
lib=$(find "$prefix" -name 'libsetupfsm.so' -printf '%h\n' | head -1)
test -n "$lib" || { echo "no library installed"; exit 1; }
for f in bin/setupfsm include/setupfsm/engine/fsm.h include/setupfsm/plugin/plugin.h \
         share/setupfsm/examples/welcome/main.xml share/setupfsm/setupfsm.xsd; do
  test -e "$prefix/$f" || { echo "not installed: $f"; exit 1; }
done
test -x "$prefix/share/setupfsm/examples/welcome/payload/tools/tool.sh" || { echo "tool.sh lost its mode"; exit 1; }

# The installed host finds the installed library, and its version is the package's.
"$prefix/bin/setupfsm" --version | grep -qx "setupfsm [0-9.]*"
SETUPFSM_PLUGIN= quiet "$prefix/bin/setupfsm" check "$prefix/share/setupfsm/examples/welcome/main.xml"
quiet xmllint --noout --schema "$prefix/share/setupfsm/setupfsm.xsd" "$prefix/share/setupfsm/examples/welcome/main.xml"

quiet cmake -S "$source/consumer" -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
quiet cmake --build "$scratch/consumer"
LD_LIBRARY_PATH=$lib "$scratch/consumer/tinyhost" "$source/consumer/flow.xml" | grep -qx "exit done"

export PKG_CONFIG_PATH=$lib/pkgconfig
g++ -std=c++17 -fPIC -o "$scratch/pchost" "$source/consumer/main.cpp" $(pkg-config --cflags --libs setupfsm)
LD_LIBRARY_PATH=$lib "$scratch/pchost" "$source/consumer/flow.xml" | grep -qx "exit done"
echo "installed package works"
