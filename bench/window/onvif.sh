#!/usr/bin/env bash
# The window over N cameras found by ONVIF alone, each at an address of its own, in LAN A of
# the two-LAN lab: ondrel-sim --onvif-only plays them at 10.77.1.x and on, and LAN A's local
# routes let it answer for them and for their new 10.77.2.x (never the PC's 10.77.0.1).
#
#   bench/window/onvif.sh [N] [assign|details]   (default 100 assign; BUILD_DIR as in run.sh)
#
# assign: the window assigns them addresses. Prints the time to the last camera's change, per
# camera, to the end of the read-backs, and the longest stall of the window's event loop.
# details: the window reads every camera's details, each answer held back LATENCY ms (default
# 100), each camera on the wire with a MAC of its own (--onvif-own-macs). Prints the time to
# the last reading, how many were read, the longest stall of the window's event loop
# meanwhile, and the peak memory. The PC's neighbour table is filled first from a plain
# search, as bench/details/run.sh says why.
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)
build=${BUILD_DIR:-$root/build/inventory-release}

if [[ "${1:-}" == --inside-lab ]]; then
    mode=$2 n=$3
    if [[ $mode == details ]]; then
        found=$(mktemp)
        "$build/tools/cli/ondrel-cli" search --protocol onvif --wait 1.5 --format json \
            >"$found" 2>/dev/null || true
        python3 -c 'import json,sys
for d in json.load(open(sys.argv[1])):
    print("neigh replace %s lladdr %s dev %s nud permanent" % (d["IP"], d["Mac"], d["Adapter"]))' \
            "$found" | ip -batch -
        rm -f "$found"
        exec "$build/bench/window/bench_window" --details "$n"
    fi
    exec "$build/bench/window/bench_window" --onvif-batch "$n"
fi

n=${1:-100}
mode=${2:-assign}
if [[ ! -x $build/bench/window/bench_window || ! -x $build/tools/cli/ondrel-cli ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target bench_window ondrel-sim ondrel-cli -j2 >/dev/null
fi
case $mode in
assign) sim_mode="--restart-ms 300" ;;
details) sim_mode="--onvif-own-macs --onvif-latency ${LATENCY:-100}" ;;
*) echo "mode: assign or details" >&2 && exit 2 ;;
esac
lan="for r in 10.77.1.0/24 10.77.2.0/23 10.77.4.0/22 10.77.8.0/21; do ip route replace local \$r dev lo; done"
lan+=" && exec $build/tools/sim/ondrel-sim --onvif-only --devices $n $sim_mode"
lan+=" --ready \"\$ONDREL_LAB_READY\" --log /dev/null"
QT_QPA_PLATFORM=offscreen exec "$root/scripts/netlab" --two-lans --wait-ready --lan-a "$lan" -- \
    "$self" --inside-lab "$mode" "$n"
