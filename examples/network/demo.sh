#!/usr/bin/env bash
# Runs the network example against the simulated office PC of office.ini: it gives the wired
# adapter a static address, waits for the wireless adapter's lease, pings the router and the
# file server and looks the file server up. Runs anywhere, without root: the profile replaces
# the network, and nothing is sent. Extra arguments go to `setupfsm run` (for example --json,
# or --property address=192.168.1.60).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setupfsm=${SETUPFSM:-$here/../../build/tools/setupfsm/setupfsm}
exec "$setupfsm" run --profile "$here/office.ini" --timeout 60 "$@" "$here/main.xml"
