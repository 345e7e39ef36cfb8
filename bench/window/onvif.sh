#!/usr/bin/env bash
# The window over N cameras found by ONVIF alone, each at an address of its own, in LAN A of
# the two-LAN lab: ondrel-sim --onvif-only plays them at 10.77.1.x, and LAN A's local routes
# let it answer for them and for their new 10.77.2.x (never the PC's 10.77.0.1).
#
#   bench/window/onvif.sh [N] [assign|details]   (default 100 assign; BUILD_DIR as in run.sh)
#
# assign: the window assigns them addresses. Prints the time to the last camera's change, per
# camera, to the end of the read-backs, and the longest stall of the window's event loop.
# details: the window reads every camera's details, each answer held back LATENCY ms (default
# 100). Prints the time to the last reading, how many were read, the longest stall of the
# window's event loop meanwhile, and the peak memory.
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
n=${1:-100}
mode=${2:-assign}
build=${BUILD_DIR:-$root/build/inventory-release}
if [[ ! -x $build/bench/window/bench_window ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target bench_window ondrel-sim -j2 >/dev/null
fi
case $mode in
assign) sim_mode="--restart-ms 300" bench_mode=--onvif-batch ;;
details) sim_mode="--onvif-latency ${LATENCY:-100}" bench_mode=--details ;;
*) echo "mode: assign or details" >&2 && exit 2 ;;
esac
lan="for r in 10.77.1.0/24 10.77.2.0/23 10.77.4.0/22 10.77.8.0/21; do ip route replace local \$r dev lo; done"
lan+=" && exec $build/tools/sim/ondrel-sim --onvif-only --devices $n $sim_mode"
lan+=" --ready \"\$ONDREL_LAB_READY\" --log /dev/null"
QT_QPA_PLATFORM=offscreen exec "$root/scripts/netlab" --two-lans --wait-ready --lan-a "$lan" -- \
    "$build/bench/window/bench_window" "$bench_mode" "$n"
