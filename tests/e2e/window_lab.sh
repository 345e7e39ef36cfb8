#!/usr/bin/env bash
# Runs the window's adapter test inside the lab with interfaces of its own: the lab's v0 with
# only a host address 10.99.0.9/32 (so that the first link is one the window must pass over),
# a pair u0/u1 (u0 10.77.0.1/24, u1 without any address), a second pair w0/w1 (w0 with two
# addresses and the default route, w1 without any), and a resolv.conf of three servers bound
# over /etc/resolv.conf in a private mount namespace. Must run inside scripts/netlab.
set -euo pipefail

[[ "${ONDREL_NETLAB:-}" == 1 ]] || { echo "window_lab.sh: run me inside scripts/netlab" >&2; exit 125; }
test_binary=$1
shift

ip addr flush dev v0
ip addr add 10.99.0.9/32 dev v0
ip link add u0 type veth peer name u1
ip addr add 10.77.0.1/24 dev u0
ip link set u0 up
ip link set u1 up
ip link add w0 type veth peer name w1
ip addr add 10.88.0.5/24 dev w0
ip addr add 10.88.1.5/16 dev w0
ip link set w0 up
ip link set w1 up
ip route replace default via 10.88.0.1 dev w0

resolv=$(mktemp)
trap 'rm -f "$resolv"' EXIT
printf '# lab resolver\nnameserver 10.88.0.53\nnameserver 10.88.0.54\nnameserver 10.88.0.55\n' >"$resolv"
unshare -m sh -c 'mount --bind "$1" /etc/resolv.conf && shift && exec "$@"' sh "$resolv" \
    "$test_binary" "$@"
