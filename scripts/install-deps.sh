#!/usr/bin/env bash
# Installs what building and testing setupfsm needs on Debian 12, when it is missing.
set -euo pipefail
packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-5compat-dev libgl-dev zlib1g-dev openssl libxml2-utils pkgconf desktop-file-utils)
# The network tests: namespaces and addresses (iproute2), a DHCP server on the peer end
# (dnsmasq-base: the program alone; the dnsmasq package would also start a DNS service on the
# machine), the client the network library renews leases with, and ping for comparisons.
packages+=(iproute2 dnsmasq-base isc-dhcp-client iputils-ping)
# Peer benchmarks and the fuzzers are optional: SETUPFSM_EXTRA=1 adds their packages.
if [[ "${SETUPFSM_EXTRA:-0}" == 1 ]]; then
  packages+=(qt6-scxml-dev clang libclang-rt-14-dev valgrind curl python3)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
