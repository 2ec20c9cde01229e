#!/usr/bin/env bash
# Starts the example's activation server on a free loopback port, runs the flow against it and
# stops the server again. The flow activates the licence key DEMO-1234 (KEY=... changes it: a
# wrong key ends with "refused") and writes the downloaded file into
# /tmp/setupfsm-http-example. Extra arguments go to `setupfsm run` (for example --json).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setupfsm=${SETUPFSM:-$here/../../build/tools/setupfsm/setupfsm}
coproc server { exec python3 "$here/server.py"; }
trap 'kill "$server_PID" 2>/dev/null || true' EXIT
read -r port <&"${server[0]}"
"$setupfsm" run --property "port=$port" --property "licenceKey=${KEY:-DEMO-1234}" "$@" "$here/main.xml"
