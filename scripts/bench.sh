#!/usr/bin/env bash
# Builds the benchmark in Release and runs it: RunBatch against cp on the
# same data, with a summary of the ratios, the growth of numbering and the
# peak memory at the end. Extra arguments go to the benchmark, e.g.
# --benchmark_filter=big.
#
# The data goes to a fresh file system, because file creation on ext4 is
# slower for minutes after many files were deleted there: as root, a
# loop-mounted ext4 image (MIRADO_BENCH_FS=ext4, the default) or a tmpfs
# (MIRADO_BENCH_FS=tmpfs; about 9 GiB of memory). With MIRADO_BENCH_FS=none,
# or without root, it goes to a folder under $TMPDIR or /tmp as that is.
# Either way it needs about 10 GiB of disk and is removed afterwards.
# No figure is taken while the load is above 0.3 (MIRADO_BENCH_MAX_LOAD);
# each waits for it, at most 300 s (MIRADO_BENCH_LOAD_WAIT).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q 'install ok installed'; then
    echo "libbenchmark-dev is missing; scripts/install-deps.sh test installs it" >&2
    exit 1
fi

build=build-bench
# The tests' FUSE file system plays the share; only what the benchmark needs is built.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_UI=OFF -DMIRADO_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target mirado_bench -j2

work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-bench.XXXXXX")
data="$work"
cleanup() {
    if mountpoint -q "$work/fs"; then umount "$work/fs"; fi
    rm -rf "$work"
    sync -f "${TMPDIR:-/tmp}" || true
}
trap cleanup EXIT

fs=${MIRADO_BENCH_FS:-ext4}
if [ "$fs" != none ] && [ "$(id -u)" -ne 0 ]; then
    echo "Not root: the data goes to $work as it is, not to a fresh file system." >&2
    fs=none
fi
case "$fs" in
ext4)
    # Sparse; the inodes are written now, so that no background
    # initialisation runs during the measurements. Every round's outputs
    # stay (moved aside): 100,000 empty files thrice a round need millions.
    truncate -s 16G "$work/ext4.img"
    mkfs.ext4 -q -N 4000000 -E lazy_itable_init=0,lazy_journal_init=0 "$work/ext4.img"
    mkdir "$work/fs"
    mount -o loop "$work/ext4.img" "$work/fs"
    data="$work/fs"
    export MIRADO_BENCH_KEEP_DATA=1  # unmounting discards it
    ;;
tmpfs)
    mkdir "$work/fs"
    mount -t tmpfs -o size=10G,nr_inodes=4000000 mirado-bench "$work/fs"
    data="$work/fs"
    export MIRADO_BENCH_KEEP_DATA=1
    ;;
none) ;;
*)
    echo "MIRADO_BENCH_FS must be ext4, tmpfs or none" >&2
    exit 1
    ;;
esac

avail_kib=$(df -Pk "$data" | awk 'NR == 2 { print $4 }')
if [ "$avail_kib" -lt $((10 * 1024 * 1024)) ]; then
    echo "less than 10 GiB free under $data" >&2
    exit 1
fi
fresh=$([ "$fs" = none ] && echo "as it is" || echo "fresh")
echo "Data under $data: $(df -PhT "$data" | awk 'NR == 2 { print $2 ", " $5 " free" }'), $fresh"
echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), Linux $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"

MIRADO_BENCH_DIR="$data" "$build/bench/mirado_bench" "$@"
