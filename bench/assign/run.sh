#!/usr/bin/env bash
# Builds the assign benchmarks (Release, in build/assign-release unless BUILD_DIR is set) and
# runs them: planning 1,000 devices with probing off (bench_assign), then, inside the private
# network lab, `ondrel-cli assign` against N simulated devices that share one factory address
# and answer at once. For the lab part it prints, per run, the seconds from the first set
# request to the last (the sending), and the whole command's wall time; then the medians.
#
#   bench/assign/run.sh [--runs R] [--devices N]
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)

if [[ "${1:-}" == --inside-lab ]]; then
    build=$2 runs=$3 n=$4
    sim=$build/tools/sim/ondrel-sim cli=$build/tools/cli/ondrel-cli
    sends=() walls=()
    for ((r = 0; r < runs; r++)); do
        log=$(mktemp) ready=$(mktemp -u)
        "$sim" --devices "$n" --same-ip 192.168.0.64 --log "$log" --ready "$ready" &
        simpid=$!
        for _ in $(seq 200); do [[ -e $ready ]] && break; sleep 0.05; done
        start=$(date +%s.%N)
        CAM_PW=admin "$cli" assign --current-ip 192.168.0.64 --first 10.77.0.10 \
            --mask 255.255.0.0 --yes --password-env CAM_PW --wait 0.5 --format csv \
            >/dev/null 2>&1 || echo "run $r: ondrel-cli exited $?" >&2
        end=$(date +%s.%N)
        kill "$simpid"; wait "$simpid" 2>/dev/null || true
        send=$(grep '"kind":"setconfig"' "$log" | sed 's/^{"t":\([0-9.]*\),.*/\1/' |
            awk 'NR == 1 { first = $1 } { last = $1; n++ } END { printf "%.3f %d", last - first, n }')
        rm -f "$log"
        wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        echo "run $r: $n devices, sending ${send% *} s for ${send#* } requests, whole command $wall s"
        sends+=("${send% *}") walls+=("$wall")
    done
    median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
    echo "median over $runs runs: sending $(median "${sends[@]}") s, whole command $(median "${walls[@]}") s"
    exit 0
fi

runs=5 n=100
while [[ $# -gt 0 ]]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --devices) n=$2; shift 2 ;;
    *) echo "usage: $0 [--runs R] [--devices N]" >&2; exit 2 ;;
    esac
done
build=${BUILD_DIR:-$root/build/assign-release}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_GUI=OFF \
    -DONDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_assign ondrel-sim ondrel-cli -j2 >/dev/null
"$build/bench/assign/bench_assign" --benchmark_filter=1000 2>/dev/null | tail -n +4
exec "$root/scripts/netlab" -- "$self" --inside-lab "$build" "$runs" "$n"
