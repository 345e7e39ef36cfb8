#!/usr/bin/env bash
# Builds the endpoint benchmark (Release, in build/endpoint-release unless BUILD_DIR is set) and
# runs it inside the private network lab, on the real ports and the real broadcast path.
# Extra arguments go to bench_endpoint, e.g. --runs 9 --sizes 100,1000,10000 --buffers 212992.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${BUILD_DIR:-$root/build/endpoint-release}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_GUI=OFF \
    -DONDREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_endpoint -j2 >/dev/null

bench=$build/bench/endpoint/bench_endpoint
if [[ -x "$root/scripts/netlab" ]]; then
    exec "$root/scripts/netlab" -- "$bench" --lab "$@"
fi
# Without the lab script: a bare private namespace with a veth pair, as the script makes it.
exec unshare -rn sh -c 'ip link set lo up && ip link add v0 type veth peer name v1 &&
    ip addr add 10.77.0.1/24 dev v0 && ip link set v0 up && ip link set v1 up &&
    ip route add default dev v0 && ONDREL_NETLAB=1 exec "$0" --lab "$@"' "$bench" "$@"
