#!/usr/bin/env bash
# The lab itself: the one-adapter lab has exactly one adapter, the two LANs exist with their
# addresses and do not reach each other, LAN programs are waited for and stopped, and the
# command's exit code comes back. Everything that sends here sends inside the lab.
#
#   netlab_selftest.sh NETLAB ONDREL-SIM
set -uo pipefail

netlab=$1
sim=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export out sim
failures=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok    $what"
    else
        echo "FAIL  $what"
        failures=$((failures + 1))
    fi
}

links() { ip -o link show | sed -E 's/^[0-9]+: ([^:@]+).*/\1/' | sort | tr '\n' ' ' && echo; }
export -f links

one=$("$netlab" -- bash -c 'links; ip -o -4 addr show dev v0 | grep -o "inet [0-9./]*"; ip route show default')
check "one adapter: lo and v0 only" grep -qx 'lo v0 ' <<<"$(head -n1 <<<"$one")"
check "one adapter: v0 is 10.77.0.1/24" grep -qx 'inet 10.77.0.1/24' <<<"$one"
check "one adapter: default route on v0" grep -q '^default dev v0' <<<"$one"

"$netlab" -- sh -c 'exit 7'
check "the command's exit code comes back" test $? -eq 7

# CMD sends "from-cmd" to LAN B through eCam, LAN A sends "from-a" towards LAN B; only the
# first may arrive. Both LANs run the simulator on the real port, which logs every datagram.
"$netlab" --wait-ready \
    --lan-a '"$sim" --devices 1 --log "$ONDREL_LAB_DIR/a.log" --ready "$ONDREL_LAB_READY"' \
    --lan-b '"$sim" --devices 1 --log "$ONDREL_LAB_DIR/b.log" --ready "$ONDREL_LAB_READY"' \
    --lan-b 'trap "echo \"$ONDREL_LAB_LAN $ONDREL_LAB_ADDR $ONDREL_LAB_PEER_IF\" >$out/stopped; exit 0" TERM
             touch "$ONDREL_LAB_READY"; while :; do sleep 0.05; done' \
    -- bash -c '
        links >"$out/links"
        ip -o -4 addr show | grep -o "e[A-Za-z]* *inet [0-9./]*" >"$out/addrs"
        ip route show default >"$out/route"
        nsenter --net="$ONDREL_LAB_B_NETNS" ip -o -4 addr show dev eth0 >"$out/lan-b"
        printf "%s %s\n" "$ONDREL_LAB_A_IF" "$ONDREL_LAB_B_IF" >"$out/names"
        nsenter --net="$ONDREL_LAB_A_NETNS" bash -c "printf from-a >/dev/udp/192.168.1.254/9002"
        printf from-cmd >/dev/udp/192.168.1.254/9002
        for _ in $(seq 100); do grep -q 66726f6d2d636d64 "$ONDREL_LAB_DIR/b.log" && break; sleep 0.03; done
        sleep 0.3
        cp "$ONDREL_LAB_DIR/a.log" "$ONDREL_LAB_DIR/b.log" "$out/"
        exit 3'
check "two LANs: the command's exit code comes back" test $? -eq 3
check "two LANs: lo, eCam and eOffice only" grep -qx 'eCam eOffice lo ' "$out/links"
check "two LANs: eOffice is 10.77.0.1/24" grep -qE '^eOffice +inet 10.77.0.1/24$' "$out/addrs"
check "two LANs: eCam is 192.168.1.10/24" grep -qE '^eCam +inet 192.168.1.10/24$' "$out/addrs"
check "two LANs: default route via LAN A" grep -q '^default via 10.77.0.254 dev eOffice' "$out/route"
check "two LANs: LAN B's side is 192.168.1.254/24" grep -q 'inet 192.168.1.254/24' "$out/lan-b"
check "two LANs: the adapters are named in the environment" grep -qx 'eOffice eCam' "$out/names"
check "two LANs: the command reaches LAN B" grep -q 66726f6d2d636d64 "$out/b.log"
check "two LANs: LAN A does not reach LAN B" bash -c '! grep -q "66726f6d2d61\"" "$out/b.log"'
check "two LANs: LAN A heard nothing of it" test ! -s "$out/a.log"
check "two LANs: a LAN program is stopped when the command ends" \
    grep -qx 'b 192.168.1.254/24 eCam' "$out/stopped"

# WS-Discovery's multicast stays on the LAN it is sent to: the command's, by its default route,
# reaches LAN A's cameras alone, and each LAN's Hellos reach neither the other LAN nor anything
# but the command by that LAN's adapter.
"$netlab" --wait-ready \
    --lan-a '"$sim" --onvif-only --log "$ONDREL_LAB_DIR/a.log" --ready "$ONDREL_LAB_READY"' \
    --lan-b '"$sim" --onvif-only --log "$ONDREL_LAB_DIR/b.log" --ready "$ONDREL_LAB_READY"' \
    -- bash -c '
        printf "<multicast-from-cmd/>" >/dev/udp/239.255.255.250/3702
        sleep 0.8
        cp "$ONDREL_LAB_DIR/a.log" "$out/wsd-a.log"
        cp "$ONDREL_LAB_DIR/b.log" "$out/wsd-b.log"'
check "WS-Discovery: the command's multicast reaches LAN A" \
    grep -q '"from":"10.77.0.1:.*multicast-from-cmd' "$out/wsd-a.log"
check "WS-Discovery: LAN A hears only itself and the command" \
    bash -c '! grep -vE "\"from\":\"10\.77\.0\.(254|1):" "$out/wsd-a.log"'
check "WS-Discovery: LAN B hears only its own Hello" \
    bash -c 'grep -q "\"kind\":\"hello\"" "$out/wsd-b.log" &&
             ! grep -v "\"from\":\"192\.168\.1\.254:" "$out/wsd-b.log"'

"$netlab" --wait-ready --lan-a 'exit 0' -- touch "$out/ran" 2>/dev/null
check "a LAN program that ends unready fails the lab" test $? -eq 125
check "... and the command is not run" test ! -e "$out/ran"

ONDREL_LAB_READY_TIMEOUT=1 "$netlab" --wait-ready --lan-b 'sleep 30' -- touch "$out/ran" 2>/dev/null
check "a LAN program never ready fails the lab in time" test $? -eq 125
check "... and the command is not run" test ! -e "$out/ran"

((failures == 0)) || { echo "$failures check(s) failed"; exit 1; }
