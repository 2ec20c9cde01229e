#!/usr/bin/env bash
# Runs the example flow with scripted answers: forward, two steps back (out of the nested
# installation flow to the welcome page), and forward again to the end, which copies the
# example's components into ${TARGET_DIR:-/tmp/setupfsm-example}.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The host of the build tree, else the one installed with this copy of the example, else PATH's.
setupfsm=${SETUPFSM:-}
for candidate in "$here/../../build/tools/setupfsm/setupfsm" "$here/../../../../bin/setupfsm"; do
  if [[ -z $setupfsm && -x $candidate ]]; then setupfsm=$candidate; fi
done
setupfsm=${setupfsm:-setupfsm}
exec "$setupfsm" run --property "targetDir=${TARGET_DIR:-/tmp/setupfsm-example}" "$@" \
  --answer welcome=next --answer options=next --answer confirm=pageBack \
  --answer options=pageBack --answer welcome=next --answer options=next \
  --answer confirm=install --answer done=finish \
  "$here/main.xml"
