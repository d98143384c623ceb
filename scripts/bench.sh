#!/usr/bin/env bash
# Builds the benchmark in Release and runs it: ProcessFiles against cp -p on
# the same data, with a summary of the ratios and the peak memory at the end.
# Extra arguments go to the benchmark, e.g. --benchmark_filter=big_file.
# The data (about 2.2 GiB at most) goes to a fresh folder under $TMPDIR or
# /tmp and is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q 'install ok installed'; then
    echo "libbenchmark-dev is missing; scripts/install-deps.sh test installs it" >&2
    exit 1
fi

build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_UI=OFF -DMIRADO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target mirado_bench -j2

data=$(mktemp -d "${TMPDIR:-/tmp}/mirado-bench.XXXXXX")
trap 'rm -rf "$data"; sync -f "${TMPDIR:-/tmp}" || true' EXIT
avail_kib=$(df -Pk "$data" | awk 'NR == 2 { print $4 }')
if [ "$avail_kib" -lt $((3 * 1024 * 1024)) ]; then
    echo "less than 3 GiB free under $data; the benchmark needs about 2.2 GiB" >&2
    exit 1
fi
echo "Data under $data: $(df -PhT "$data" | awk 'NR == 2 { print $2 ", " $5 " free" }')"

MIRADO_BENCH_DIR="$data" "$build/bench/mirado_bench" "$@"
