#!/usr/bin/env bash
# 1,000 simulated ONVIF cameras in LAN A of the two-LAN lab (ondrel-sim --onvif-only), each on
# the wire with a MAC of its own (--onvif-own-macs: the account goes only where the PC's
# neighbour table agrees with the camera's MAC), every device service answer held back
# 100 ms (--onvif-latency 100), and two readers of the same
# cameras side by side in one run: ondrel-cli search --details with the cameras' account (seven
# calls a camera, the account first, then up to 256 cameras at once) and the npm onvif
# package reading each camera's device information with its own concurrency (one call a
# camera, all at once). Prints, for ROUNDS rounds (default 3) and their median: the time
# ondrel-cli took to read every camera (the time of a plain search taken off), its peak RSS, how many
# cameras it read, the npm package's time and count, and the npm package's time over
# Ondrel's (one run's ratio; the medians' ratio below them). The window's stall while it
# reads details is not measured here: bench/window measures searches and the assign batch.
# A benchmark, not a test.
#
# The lab's thousand camera interfaces each get a copy of every ARP broadcast, which the
# kernel's backlog drops by the hundred when hundreds of cameras are first called at once (a
# switch delivers a broadcast once to each camera). So the PC's neighbour table is filled from
# the first round's plain search before anything is read, each camera's address with its MAC,
# as a PC that has already talked to the cameras holds it.
#
# Uses the binaries of BUILD_DIR (default build/dev: build ondrel-sim and ondrel-cli there).
# CAMERAS=N and LATENCY=MS play other numbers; PARALLEL=N is passed to --parallel.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${BUILD_DIR:-$root/build/dev}
cameras=${CAMERAS:-1000}
latency=${LATENCY:-100}
rounds=${ROUNDS:-3}

if [[ "${1:-}" != --inside-lab ]]; then
    lan_a="for r in 10.77.1.0/24 10.77.2.0/23 10.77.4.0/22 10.77.8.0/21 10.77.16.0/20; do \
                 ip route replace local \$r dev lo; done
        exec '$build/tools/sim/ondrel-sim' --onvif-only --onvif-own-macs --devices $cameras \
             --onvif-latency $latency --ready \"\$ONDREL_LAB_READY\""
    exec "$root/scripts/netlab" --wait-ready --lan-a "$lan_a" -- "${BASH_SOURCE[0]}" --inside-lab
fi

cli=$build/tools/cli/ondrel-cli
wait_s=1.5
export CAMERA_PASSWORD=admin
sleep 1
printf '%-6s %10s %10s %8s %12s %8s %7s\n' round ondrel_s rss_MiB read npm_onvif_s read ratio
for round in $(seq "$rounds"); do
    # The search alone, to take its time off the one with details.
    /usr/bin/time -f '%e' -o "$ONDREL_LAB_DIR/search" "$cli" search --protocol onvif \
        --wait "$wait_s" --format json >"$ONDREL_LAB_DIR/found.json" 2>/dev/null || true
    searched=$(cat "$ONDREL_LAB_DIR/search")
    if [[ $round == 1 ]]; then
        python3 -c 'import json,sys
for d in json.load(open(sys.argv[1])):
    print("neigh replace %s lladdr %s dev %s nud permanent" % (d["IP"], d["Mac"], d["Adapter"]))' \
            "$ONDREL_LAB_DIR/found.json" >"$ONDREL_LAB_DIR/neighbours"
        ip -batch "$ONDREL_LAB_DIR/neighbours"
    fi
    /usr/bin/time -f '%e %M' -o "$ONDREL_LAB_DIR/time" "$cli" search --protocol onvif \
        --wait "$wait_s" --details --password-env CAMERA_PASSWORD --parallel "${PARALLEL:-256}" --format json \
        >"$ONDREL_LAB_DIR/out.json" 2>"$ONDREL_LAB_DIR/err" || true
    read -r elapsed rss <"$ONDREL_LAB_DIR/time"
    readcount=$(python3 -c 'import json,sys; print(sum(d["Details"] == "read" for d in json.load(open(sys.argv[1]))))' "$ONDREL_LAB_DIR/out.json")
    python3 -c 'import json,sys; print(" ".join(d["IP"] for d in json.load(open(sys.argv[1]))))' \
        "$ONDREL_LAB_DIR/out.json" >"$ONDREL_LAB_DIR/hosts"
    npm="- -"
    if [[ -d "$root/tests/peers/node_modules/onvif" ]]; then
        npm=$(cd "$root/tests/peers" && timeout 120 node details.js "$ONDREL_LAB_DIR/hosts" admin admin |
            python3 -c 'import json,sys; r=json.loads(sys.stdin.read()); print("%.2f %d" % (r["ms"] / 1000, r["read"]))')
    fi
    ondrel=$(awk -v e="$elapsed" -v s="$searched" 'BEGIN { print e - s }')
    ratio=$(awk -v o="$ondrel" -v n="${npm%% *}" 'BEGIN { print (n == "-" || o <= 0) ? "-" : sprintf("%.2f", n / o) }')
    printf '%-6s %10.2f %10.1f %8s %12s %8s %7s\n' "$round" "$ondrel" \
        "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$readcount" $npm "$ratio"
done | tee "$ONDREL_LAB_DIR/rows"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ondrel_median=$(awk '{ print $2 }' "$ONDREL_LAB_DIR/rows" | median)
npm_median=$(awk '{ print $5 }' "$ONDREL_LAB_DIR/rows" | median)
printf '%-6s %10s %10s %8s %12s %8s %7s\n' median "$ondrel_median" \
    "$(awk '{ print $3 }' "$ONDREL_LAB_DIR/rows" | median)" "" "$npm_median" "" \
    "$(awk -v o="$ondrel_median" -v n="$npm_median" 'BEGIN { print (n == "-" || o <= 0) ? "-" : sprintf("%.2f", n / o) }')"
