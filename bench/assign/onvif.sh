#!/usr/bin/env bash
# One `ondrel-cli assign --all ... --verify` for N simulated ONVIF-only cameras, each at an
# address of its own (10.77.1.1 upward, brought to the simulator in LAN A of the two-LAN lab by a
# local route, as bench/onvif/run.sh does), beside the same assign for N native devices that
# share one factory address, in the same LAN. Per run and kind it prints how many devices were
# verified, the seconds from the command's start to the last device's answer (before the restart
# wait: the last SystemReboot, or the last set request, the simulator logged), the sending alone
# (the first request the simulator logged to that answer), the first figure per device, one
# device's own share of the sending (the median of a camera's calls from its first request to its
# reboot; of the gaps between two set requests for native devices), and the whole command's wall
# time; then the medians over the runs. A benchmark, not a test: scripts/test does not run
# it.
#
#   bench/assign/onvif.sh [--runs R] [--cameras N]
#
# Builds ondrel-sim and ondrel-cli with the release preset (build/release), or uses BUILD_DIR.
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)

# Where the cameras are, and where they go: both inside LAN A's local routes, outside the PC's
# own 10.77.0.0/24, so that one simulator answers for every address and the PC reaches them
# through LAN A.
readonly FIRST=10.77.2.10 MASK=255.255.0.0 FACTORY=192.168.0.64 RESTART_MS=2000 RESTART_WAIT=3

# Prints one line of figures for one assign: verified, to-last-answer, per-device, per-camera
# median (- for native devices), wall.
analyse() {
    python3 - "$@" <<'PY'
import json, statistics, sys
log, report, kind, ready_at, start, end = sys.argv[1:7]
entries = [json.loads(line) for line in open(log) if line.strip()]
if kind == "onvif":
    answers = [e for e in entries if e.get("operation") == "SystemReboot" and e.get("status") == 200]
else:
    answers = [e for e in entries if e.get("kind") == "setconfig"]
last = float(ready_at) + answers[-1]["t"] - float(start) if answers else float("nan")
requests = [e for e in entries if e.get("kind") in ("http", "setconfig")]
sending = answers[-1]["t"] - requests[0]["t"] if answers else float("nan")
own = {}
if kind == "onvif":
    rebooted = {e["index"]: e["t"] for e in answers}
    for e in entries:
        i = e.get("index")
        if i in rebooted and e["t"] <= rebooted[i]:
            own.setdefault(i, [e["t"], e["t"]])[1] = e["t"]
try:
    rows = json.load(open(report)).get("devices", [])
except ValueError:
    rows = []
verified = sum(1 for r in rows if r.get("Result") == "verified")
if own:
    one = statistics.median(b - a for a, b in own.values())
else:
    gaps = [b["t"] - a["t"] for a, b in zip(answers, answers[1:])]
    one = statistics.median(gaps) if gaps else float("nan")
per_camera = "%.2fms" % (one * 1000)
count = max(len(answers), 1)
print("%d %.3f %.3f %.4f %s %.3f" % (verified, last, sending, last / count, per_camera,
                                     float(end) - float(start)))
PY
}

if [[ "${1:-}" == --inside-lab ]]; then
    build=$2 runs=$3 n=$4
    sim=$build/tools/sim/ondrel-sim cli=$build/tools/cli/ondrel-cli
    lan_a() { nsenter --net="$ONDREL_LAB_A_NETNS" "$@"; }
    for range in 10.77.1.0/24 10.77.2.0/23 10.77.4.0/22 10.77.8.0/21; do
        lan_a ip route replace local "$range" dev lo
    done
    kinds=(onvif native) chosen=yes
    if ! "$cli" assign --help 2>&1 | grep -q -- '--protocol'; then
        echo "this build's ondrel-cli assign has no --protocol: native devices only" >&2
        kinds=(native) chosen=
    fi
    printf '%-7s %4s %9s %14s %9s %11s %11s %9s  %s\n' kind run verified "to last answer" \
        sending "per device" "one device" whole exit
    declare -A lasts sendings walls
    for ((r = 0; r < runs; r++)); do
        for kind in "${kinds[@]}"; do
            dir=$ONDREL_LAB_DIR/$kind-$r
            mkdir -p "$dir"
            if [[ $kind == onvif ]]; then
                args=(--onvif-only --devices "$n")
            else
                args=(--devices "$n" --same-ip "$FACTORY")
            fi
            # nsenter becomes the simulator, so that $! is the simulator's own process.
            nsenter --net="$ONDREL_LAB_A_NETNS" "$sim" "${args[@]}" --restart-ms "$RESTART_MS" \
                --log "$dir/sim.log" --ready "$dir/ready" 2>"$dir/sim.err" &
            simpid=$!
            for _ in $(seq 400); do [[ -e $dir/ready ]] && break; sleep 0.05; done
            ready_at=$(stat -c %.9Y "$dir/ready") || { cat "$dir/sim.err" >&2; exit 1; }
            # Let the cameras' Hellos pass before the search.
            sleep 1
            start=$(date +%s.%N)
            status=0
            echo admin | "$cli" assign ${chosen:+--protocol "$kind"} --all \
                --first "$FIRST" --mask "$MASK" --yes --password-stdin --verify \
                --restart-wait "$RESTART_WAIT" --format json >"$dir/report.json" \
                2>"$dir/cli.err" || status=$?
            end=$(date +%s.%N)
            kill "$simpid"
            wait "$simpid" 2>/dev/null || true
            read -r verified last sending per camera wall < <(analyse "$dir/sim.log" \
                "$dir/report.json" "$kind" "$ready_at" "$start" "$end")
            printf '%-7s %4d %5d/%-3d %13.3fs %8.3fs %10.4fs %11s %8.3fs  %s\n' "$kind" "$r" \
                "$verified" "$n" "$last" "$sending" "$per" "$camera" "$wall" "$status"
            [[ $status == 0 ]] || sed 's/^/    /' "$dir/cli.err" | tail -5 >&2
            lasts[$kind]+="$last " sendings[$kind]+="$sending " walls[$kind]+="$wall "
        done
    done
    median() { printf '%s\n' $1 | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
    for kind in "${kinds[@]}"; do
        last=$(median "${lasts[$kind]}")
        echo "median of $runs $kind runs: last answer $last s ($(awk -v l="$last" -v n="$n" \
            'BEGIN { printf "%.4f", l / n }') s per device), sending $(median "${sendings[$kind]}") s," \
            "whole command $(median "${walls[$kind]}") s"
    done
    exit 0
fi

runs=3 n=100
while [[ $# -gt 0 ]]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --cameras) n=$2; shift 2 ;;
    *) echo "usage: $0 [--runs R] [--cameras N]" >&2; exit 2 ;;
    esac
done
if [[ -n "${BUILD_DIR:-}" ]]; then
    build=$BUILD_DIR
else
    build=$root/build/release
    (cd "$root" && cmake --preset release >/dev/null &&
        cmake --build --preset release --target ondrel-sim ondrel-cli -j2 >/dev/null)
fi
exec "$root/scripts/netlab" --two-lans -- "$self" --inside-lab "$build" "$runs" "$n"
