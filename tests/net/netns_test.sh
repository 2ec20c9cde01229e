#!/usr/bin/env bash
# Runs the real-backend network test inside network namespaces of its own: the client
# namespace holds one end of a veth pair, the peer namespace the other end with dnsmasq as
# DHCP server (DNS off). Nothing touches the machine's own interfaces, and every namespace,
# process and file made here goes again on exit. Exit 77 (skipped) where namespaces cannot be
# made, with the reason.
set -u
test_binary=$1
shift

skip() { echo "SKIP: $*"; exit 77; }
[[ $(id -u) -eq 0 ]] || skip "the namespace tests need root (they create network namespaces)"
for tool in ip dnsmasq dhclient setpriv; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done

tag="sfsm$$"
client="${tag}c"
peer="${tag}p"
client_if="${tag}a"
peer_if="${tag}b"
work=$(mktemp -d)

cleanup() {
  for ns in "$client" "$peer"; do
    pids=$(ip netns pids "$ns" 2>/dev/null)
    [[ -n "$pids" ]] && kill $pids 2>/dev/null
  done
  sleep 0.2
  for ns in "$client" "$peer"; do
    pids=$(ip netns pids "$ns" 2>/dev/null)
    [[ -n "$pids" ]] && kill -9 $pids 2>/dev/null
    ip netns del "$ns" 2>/dev/null
  done
  rm -rf "/etc/netns/$client" "$work"
}
trap cleanup EXIT

ip netns add "$client" 2>/dev/null || skip "cannot create network namespaces here"
ip netns add "$peer" || exit 1
ip link add "$client_if" type veth peer name "$peer_if" || skip "cannot create a veth pair here"
ip link set "$client_if" netns "$client" && ip link set "$peer_if" netns "$peer" || exit 1
ip -n "$peer" addr add 10.213.7.1/24 dev "$peer_if"
ip -n "$peer" link set "$peer_if" up
ip -n "$peer" link set lo up
ip -n "$client" link set lo up
ip -n "$client" link set "$client_if" up
# ip netns exec puts this file over /etc/resolv.conf for the client: name servers the test
# applies are written here, not into the machine's resolver configuration.
mkdir -p "/etc/netns/$client"
echo "nameserver 10.213.7.1" > "/etc/netns/$client/resolv.conf"

ip netns exec "$peer" dnsmasq --keep-in-foreground --conf-file=/dev/null --port=0 --bind-interfaces \
  --interface="$peer_if" --dhcp-range=10.213.7.100,10.213.7.150,255.255.255.0,1h \
  --dhcp-option=3,10.213.7.1 --dhcp-leasefile="$work/dnsmasq.leases" --pid-file="$work/dnsmasq.pid" \
  --log-facility="$work/dnsmasq.log" --user=root &

run() {
  ip netns exec "$client" env SETUPFSM_NETNS_INTERFACE="$client_if" SETUPFSM_NETNS_PEER=10.213.7.1 \
    SETUPFSM_NETNS_SUBNET=10.213.7 SETUPFSM_IPKIT_STATE_DIR="$work/state" "$@"
}

run "$test_binary" "$@"
status=$?
# The same checks without the capability to change the network: they must fail, not hang.
run setpriv --inh-caps=-net_admin --bounding-set=-net_admin "$test_binary" withoutPermission
second=$?
[[ $status -eq 0 ]] || exit $status
exit $second
