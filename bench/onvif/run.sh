#!/usr/bin/env bash
# 1,000 simulated ONVIF cameras (ondrel-sim --onvif-only, each answering a probe after a delay
# of its own of up to 500 ms) in LAN A of the two-LAN lab, and the clients that look for them,
# one search each, side by side: ondrel-cli search --protocol onvif, onvif-util -a, the npm
# onvif package's discovery (tests/peers/discover.js), and a bare probe of our own with an
# 8 MiB receive buffer as the reference (every answer the cameras sent, and when the last one
# arrived). Prints one table: how many cameras each listed and in how long, and the receive
# buffers the kernel grants. A benchmark, not a test: scripts/test does not run it.
#
# Builds ondrel-sim and ondrel-cli (Release, in build/onvif-release unless BUILD_DIR is set).
# CAMERAS=N plays another number of cameras (at most 60000).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${BUILD_DIR:-$root/build/onvif-release}
cameras=${CAMERAS:-1000}

if [[ "${1:-}" != --inside-lab ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_GUI=OFF \
        -DONDREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target ondrel-sim ondrel-cli -j2 >/dev/null
    # LAN A holds the cameras' addresses (10.77.1.1 upwards), so that a client that asks a
    # camera something (onvif-util asks each one for its host name) is refused at once.
    lan_a="for r in 10.77.1.0/24 10.77.2.0/23 10.77.4.0/22 10.77.8.0/21 10.77.16.0/20 10.77.32.0/19 \
                 10.77.64.0/18 10.77.128.0/17; do ip route replace local \$r dev lo; done
        exec '$build/tools/sim/ondrel-sim' --onvif-only --devices $cameras --ready \"\$ONDREL_LAB_READY\""
    exec "$root/scripts/netlab" --wait-ready --lan-a "$lan_a" -- "${BASH_SOURCE[0]}" --inside-lab
fi

cli=$build/tools/cli/ondrel-cli
now() { date +%s%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b - a) / 1e9 }'; }
row() { printf '%-44s %8s %9s  %s\n' "$@"; }

# Let every camera's Hello pass before the first search.
sleep 1

row client listed seconds note
row ------ ------ ------- ----

# The reference: two probes at once, as a search sends them (one per type), every answer
# counted by the probe it answers, the last one's arrival timed.
python3 - <<'PY'
import socket, time, uuid
def probe(message_id, types):
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
            'xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" '
            'xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" '
            'xmlns:dn="http://www.onvif.org/ver10/network/wsdl" '
            'xmlns:tds="http://www.onvif.org/ver10/device/wsdl"><s:Header>'
            '<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>'
            '<a:MessageID>%s</a:MessageID>'
            '<a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To></s:Header><s:Body>'
            '<d:Probe><d:Types>%s</d:Types></d:Probe></s:Body></s:Envelope>'
            % (message_id, types)).encode()
ids = {"urn:uuid:%s" % uuid.uuid4(): "dn:NetworkVideoTransmitter",
       "urn:uuid:%s" % uuid.uuid4(): "tds:Device"}
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
granted = s.getsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF)
s.bind(("0.0.0.0", 0))
s.settimeout(1.5)
start = time.monotonic()
for message_id, types in ids.items():
    s.sendto(probe(message_id, types), ("239.255.255.250", 3702))
answers = {message_id: set() for message_id in ids}
last = 0.0
while True:
    try:
        data = s.recv(65536)
    except socket.timeout:
        break
    at = data.find(b"urn:uuid:6f6e6472")
    for message_id in ids:
        if message_id.encode() in data:
            answers[message_id].add(data[at:at + 45])
            last = time.monotonic() - start
counts = sorted(len(a) for a in answers.values())
print("%-44s %8d %9.2f  %d and %d answers to its two probes, the last %.0f ms after them; "
      "buffer granted %d bytes" % ("reference: two probes (8 MiB asked)", counts[0], last,
                                   counts[0], counts[1], last * 1000, granted))
PY
sleep 1

if "$cli" search --help 2>&1 | grep -q -- '--protocol'; then
    # A wait of 1 s: every camera it lists answered within 1 s of the probes.
    start=$(now)
    listed=$("$cli" search --protocol onvif --wait 1 --format json 2>"$ONDREL_LAB_DIR/cli.err" |
        python3 -c 'import json, sys; print(len(json.load(sys.stdin)))')
    took=$(seconds "$start" "$(now)")
    said=$(tr '\n' ' ' <"$ONDREL_LAB_DIR/cli.err")
    row "ondrel-cli search --protocol onvif --wait 1" "$listed" "$took" \
        "${said:-no answer lost}; asks an 8 MiB buffer, as the reference"
else
    row "ondrel-cli search --protocol onvif --wait 1" - - "this build's CLI has no --protocol yet"
fi
sleep 1

if command -v onvif-util >/dev/null; then
    start=$(now)
    # Line-buffered, so that what it printed survives it; the subshell keeps the shell's word
    # on how it ended out of the table.
    status=$( (timeout 300 stdbuf -oL onvif-util -a >"$ONDREL_LAB_DIR/onvif-util.out" 2>&1)
        echo $?) 2>/dev/null
    took=$(seconds "$start" "$(now)")
    listed=$(grep -cE '^[0-9.]+ \(' "$ONDREL_LAB_DIR/onvif-util.out" || true)
    said=$(grep -oE 'Found [0-9]+ cameras' "$ONDREL_LAB_DIR/onvif-util.out" || echo "no count")
    case $status in
    0) ended="exit status 0" ;;
    124) ended="stopped after 300 s" ;;
    *) ended="exit status $status$( ((status > 128)) && echo " (signal $((status - 128)))")" ;;
    esac
    row "onvif-util -a" "$listed" "$took" "said \"$said\", $ended; asks each camera for its host name"
else
    row "onvif-util -a" - - "not installed (scripts/install-deps)"
fi
sleep 1

if command -v node >/dev/null && [[ -d "$root/tests/peers/node_modules/onvif" ]]; then
    start=$(now)
    listed=$(cd "$root/tests/peers" && timeout 60 node discover.js 2000 | wc -l)
    row "npm onvif Discovery.probe (2 s timeout)" "$listed" "$(seconds "$start" "$(now)")" \
        "waits out its timeout"
else
    row "npm onvif Discovery.probe" - - "not installed (scripts/install-deps)"
fi

echo
echo "kernel: net.core.rmem_default $(cat /proc/sys/net/core/rmem_default)," \
    "net.core.rmem_max $(cat /proc/sys/net/core/rmem_max) (a socket is granted twice what it asks, up to twice rmem_max)"
