#!/usr/bin/env bash
# What ondrel.site.ondrel_devices costs over the bare CLI: inside the private network lab, one
# simulator plays N devices (default 1,000) and, R times each (default 5), interleaved,
# `ondrel-cli search --format json` and the module through `ansible -m` (Ansible's start, the
# module's transfer and its JSON) search for them with the same wait. Prints every run's wall
# time and the devices each listed, then the medians and the module's overhead; beside them
# `ansible -m ping`, Ansible's own cost for a module that does nothing. Uses the
# release build when one exists (build/release), else the dev build; it says which.
#
#   bench/ansible/run.sh [--runs R] [--devices N] [--wait SECONDS]
set -euo pipefail
self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

if [[ "${1:-}" == --inside-lab ]]; then
    build=$2 runs=$3 n=$4 wait=$5
    work=$(mktemp -d)
    ready=$work/ready
    "$build/tools/sim/ondrel-sim" --devices "$n" --ready "$ready" &
    simpid=$!
    trap 'kill "$simpid" 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 400); do [[ -e $ready ]] && break; sleep 0.05; done
    export HOME=$work ANSIBLE_HOME=$work/ansible ANSIBLE_LOCAL_TEMP=$work/tmp \
        ANSIBLE_REMOTE_TEMP=$work/remote-tmp ANSIBLE_COLLECTIONS_PATH=$root \
        ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1 \
        ANSIBLE_LOAD_CALLBACK_PLUGINS=1 ANSIBLE_STDOUT_CALLBACK=oneline
    cli=$build/tools/cli/ondrel-cli
    bare=() module=() ping=()
    for ((r = 0; r < runs; r++)); do
        start=$(now)
        "$cli" search --wait "$wait" --format json >"$work/bare.json" 2>"$work/bare.err"
        end=$(now)
        listed=$(grep -c '"Mac"' "$work/bare.json" || true)
        bare+=("$(elapsed "$start" "$end")")
        echo "run $r: ondrel-cli search     ${bare[-1]} s, $listed devices $(cat "$work/bare.err")"

        start=$(now)
        ansible localhost -c local -i localhost, -m ondrel.site.ondrel_devices \
            -a "cli=$cli wait=$wait" >"$work/module.out" 2>&1
        end=$(now)
        listed=$(grep -o '"Mac"' "$work/module.out" | wc -l)
        lost=$(grep -o '"lost": *[0-9]*' "$work/module.out" | grep -o '[0-9]*$' || echo '?')
        module+=("$(elapsed "$start" "$end")")
        echo "run $r: ondrel_devices module ${module[-1]} s, $listed devices, lost $lost"

        start=$(now)
        ansible localhost -c local -i localhost, -m ansible.builtin.ping >/dev/null 2>&1
        end=$(now)
        ping+=("$(elapsed "$start" "$end")")
        echo "run $r: ansible -m ping       ${ping[-1]} s"
    done
    b=$(median "${bare[@]}") m=$(median "${module[@]}") p=$(median "${ping[@]}")
    echo "median of $runs, $n devices, wait $wait s: ondrel-cli $b s, ondrel_devices $m s," \
        "overhead $(elapsed "$b" "$m") s ($(awk -v b="$b" -v m="$m" 'BEGIN { printf "%.2f", m / b }')x);" \
        "ansible -m ping $p s, so the module beyond Ansible's own cost and the search:" \
        "$(awk -v b="$b" -v m="$m" -v p="$p" 'BEGIN { printf "%.3f", m - b - p }') s"
    exit 0
fi

runs=5 n=1000 wait=1
while [[ $# -gt 0 ]]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --devices) n=$2; shift 2 ;;
    --wait) wait=$2; shift 2 ;;
    *) echo "usage: $0 [--runs R] [--devices N] [--wait SECONDS]" >&2; exit 2 ;;
    esac
done
build=$root/build/release
[[ -x $build/tools/cli/ondrel-cli && -x $build/tools/sim/ondrel-sim ]] || build=$root/build/dev
[[ -x $build/tools/cli/ondrel-cli && -x $build/tools/sim/ondrel-sim ]] ||
    { echo "run.sh: build ondrel-cli and ondrel-sim first (cmake --build --preset dev)" >&2; exit 1; }
echo "build: $build ($(basename "$build"))"
exec "$root/scripts/netlab" -- "$self" --inside-lab "$build" "$runs" "$n" "$wait"
