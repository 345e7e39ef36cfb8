#!/usr/bin/env bash
# Builds the window benchmark (Release, in build/inventory-release unless BUILD_DIR is set) and
# runs it inside the private network lab, offscreen, beside `ondrel-sim --burst N` on the real
# ports and the real broadcast path.
#
#   bench/window/run.sh [--runs R] [--sizes 1000,10000]
#
# For each N and run: the endpoint alone, then the window, each in a process of its own. The
# table shows medians of the time from the search to the last reply delivered (endpoint) or
# the last row shown (window), replies lost in all runs, the highest peak memory, and the
# median and worst longest stall of the window's event loop while rows came in.
#
# Then, for each N, the window with N devices handed to it (nothing sent): the medians of the
# user-interface time of typing a filter character (and a second one, and clearing it), sorting
# by IP (ascending and descending) and by name, saving the list as CSV and as JSON (and the
# time until each file was written by the worker), and of taking a burst of N while sorted by
# IP (rows lost there too), with its peak memory.
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)

if [[ "${1:-}" == --inside-lab ]]; then
    build=$2 runs=$3 sizes=$4
    bench=$build/bench/window/bench_window
    sim=$build/tools/sim/ondrel-sim
    export QT_QPA_PLATFORM=offscreen
    results=$(mktemp)
    inventory=$(mktemp)
    trap 'rm -f "$results" "$inventory"' EXIT
    # Both tables read lines of key=value fields into f and report medians; each table's
    # own statements close the rule this opens.
    fields='
        function median(list,   n, a, i, j, t) {
            n = split(list, a, " ")
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
            return a[int((n + 1) / 2)]
        }
        {
            delete f
            for (i = 1; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }'
    for n in ${sizes//,/ }; do
        ready=$(mktemp -u)
        "$sim" --burst "$n" --ready "$ready" --log /dev/null &
        simpid=$!
        for _ in $(seq 200); do [[ -e $ready ]] && break; sleep 0.05; done
        for ((r = 0; r < runs; r++)); do
            "$bench" --endpoint "$n" >>"$results"
            "$bench" --window "$n" 2> >(grep -v XDG_RUNTIME_DIR >&2) >>"$results"
        done
        kill "$simpid"
        wait "$simpid" 2>/dev/null || true
        for ((r = 0; r < runs; r++)); do
            "$bench" --inventory "$n" 2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2) \
                >>"$inventory"
        done
    done
    awk "$fields"'
            key = f["n"]; seen[key] = 1; m = f["mode"]
            ms[m, key] = ms[m, key] " " f["ms"]
            lost[m, key] += f["lost"]
            if (f["peak_kb"] > peak[m, key]) peak[m, key] = f["peak_kb"]
            if (m == "window") {
                gaps[key] = gaps[key] " " f["gap_ms"]
                if (f["gap_ms"] > worst[key]) worst[key] = f["gap_ms"]
            }
        }
        END {
            printf "%7s | %11s %5s %9s | %11s %5s %9s | %5s | %14s\n", "N", "endpoint ms", "lost",
                "peak MiB", "window ms", "lost", "peak MiB", "ratio", "stall ms med/max"
            for (key in seen) {
                e = median(ms["endpoint", key]); w = median(ms["window", key])
                printf "%7d | %11.1f %5d %9.1f | %11.1f %5d %9.1f | %5.2f | %7.1f/%6.1f\n", key,
                    e, lost["endpoint", key], peak["endpoint", key] / 1024,
                    w, lost["window", key], peak["window", key] / 1024,
                    (e > 0 ? w / e : 0), median(gaps[key]), worst[key]
            }
        }' "$results" | sort -n -k1,1
    echo
    awk "$fields"'
            key = f["n"]; seen[key] = 1
            for (k in f) if (k ~ /_ms$/) v[k, key] = v[k, key] " " f[k]
            lost[key] += f["n"] - f["burst_rows"]
            if (f["peak_kb"] > peak[key]) peak[key] = f["peak_kb"]
        }
        END {
            printf "%7s | %7s %7s %7s | %7s %7s %7s | %7s %7s %9s | %9s %4s | %8s\n", "N",
                "filter1", "filter2", "clear", "sort IP", "IP desc", "name", "CSV", "JSON",
                "written", "burst/IP", "lost", "peak MiB"
            for (key in seen)
                printf "%7d | %7.1f %7.1f %7.1f | %7.1f %7.1f %7.1f | %7.1f %7.1f %4.0f/%4.0f | %9.1f %4d | %8.1f\n",
                    key, median(v["filter1_ms", key]), median(v["filter2_ms", key]),
                    median(v["unfilter_ms", key]), median(v["sort_ip_ms", key]),
                    median(v["sort_ip_desc_ms", key]), median(v["sort_name_ms", key]),
                    median(v["export_csv_ms", key]), median(v["export_json_ms", key]),
                    median(v["csv_written_ms", key]), median(v["json_written_ms", key]),
                    median(v["burst_sorted_ms", key]), lost[key], peak[key] / 1024
        }' "$inventory" | sort -n -k1,1
    echo "(inventory: milliseconds of user-interface time, medians)"
    exit 0
fi

runs=5
sizes=1000,10000
while [[ $# -gt 0 ]]; do
    case "$1" in
    --runs) runs=${2:?}; shift ;;
    --sizes) sizes=${2:?}; shift ;;
    *) echo "usage: bench/window/run.sh [--runs R] [--sizes 1000,10000]" >&2; exit 2 ;;
    esac
    shift
done
build=${BUILD_DIR:-$root/build/inventory-release}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_window ondrel-sim -j2 >/dev/null
echo "$runs runs each, offscreen, in the network lab beside ondrel-sim --burst N"
exec "$root/scripts/netlab" -- "$self" --inside-lab "$build" "$runs" "$sizes"
