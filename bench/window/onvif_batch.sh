#!/usr/bin/env bash
# The window assigning addresses to N cameras found by ONVIF alone, each at an address of its
# own, in LAN A of the two-LAN lab: ondrel-sim --onvif-only plays them at 10.77.1.x, and LAN A's
# local routes let it answer for them and for their new 10.77.2.x (never the PC's 10.77.0.1).
# Prints the time to the last camera's change, per camera, to the end of the read-backs, and the
# longest stall of the window's event loop during the batch.
#
#   bench/window/onvif_batch.sh [N]      (default 100; BUILD_DIR as in run.sh)
set -euo pipefail
root=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
n=${1:-100}
build=${BUILD_DIR:-$root/build/inventory-release}
if [[ ! -x $build/bench/window/bench_window ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target bench_window ondrel-sim -j2 >/dev/null
fi
lan="ip route replace local 10.77.1.0/24 dev lo && ip route replace local 10.77.2.0/24 dev lo"
lan+=" && exec $build/tools/sim/ondrel-sim --onvif-only --devices $n --restart-ms 300"
lan+=" --ready \"\$ONDREL_LAB_READY\" --log /dev/null"
QT_QPA_PLATFORM=offscreen exec "$root/scripts/netlab" --two-lans --wait-ready --lan-a "$lan" -- \
    "$build/bench/window/bench_window" --onvif-batch "$n"
