#!/usr/bin/env bash
# A batch where names are claimed (exFAT through FUSE, as mount.exfat-fuse
# mounts a stick, with neither a rename that refuses to replace nor links)
# against the engine of another commit, on the same files in alternating
# rounds. Prints each round's times and the median of the per-round ratios.
#
#   scripts/bench-claims.sh BASELINE_COMMIT [FILES] [ROUNDS]   (as root; default 1000 files of 4 KiB, 9 rounds)
#
# Needs scripts/install-deps.sh test (exfat-fuse) and a free loop device.
set -euo pipefail

baseline=${1:?usage: bench-claims.sh BASELINE_COMMIT [FILES] [ROUNDS]}
files=${2:-1000}
rounds=${3:-9}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-bench-claims.XXXXXX")
loop="" mounted=""
cleanup() {
    [ -z "$mounted" ] || umount "$work/stick" 2>/dev/null || true
    [ -z "$loop" ] || losetup -d "$loop" 2>/dev/null || true
    git -C "$root" worktree remove --force "$work/baseline" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

build_engine() {  # source folder, build folder
    cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF \
        -DMIRADO_BUILD_BENCH=ON >/dev/null
    cmake --build "$2" -j2 --target mirado_engine_batch >/dev/null
    echo "$2/bench/window/mirado_engine_batch"
}
git -C "$root" worktree add --detach "$work/baseline" "$baseline" >/dev/null 2>&1
ours=$(build_engine "$root" "$root/build-bench-claims")
theirs=$(build_engine "$work/baseline" "$work/baseline-build")

truncate -s 256M "$work/exfat.img"
mkfs.exfat "$work/exfat.img" >/dev/null
loop=$(losetup --find --show "$work/exfat.img")
mkdir "$work/stick"
mount.exfat-fuse "$loop" "$work/stick" 2>/dev/null
mounted=1
mkdir "$work/stick/in"
head -c 4096 /dev/urandom >"$work/block"
for ((i = 0; i < files; i++)); do cp "$work/block" "$work/stick/in/f$i.dat"; done

run() {  # engine → milliseconds of the batch
    rm -rf "$work/stick/in/_rename"
    sync
    local wall
    wall=$("$1" "$work/stick/in" 0 | awk '$1 == "engine_ms" { print $2 }')
    [ "$(find "$work/stick/in/_rename" -type f | wc -l)" -eq "$files" ] || { echo "a batch copied too few files" >&2; exit 1; }
    echo "$wall"
}
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
ratios=()
for ((r = 1; r <= rounds; r++)); do
    a=$(run "$ours")
    b=$(run "$theirs")
    ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", a / b }')
    ratios+=("$ratio")
    echo "round $r: this ${a} ms, baseline ${b} ms, ratio $ratio"
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END { printf "median ratio %.3f (range %.3f-%.3f), %d files, load %s\n", r[int((NR + 1) / 2)], r[1], r[NR], '"$files"', "'"$(cut -d' ' -f1 /proc/loadavg)"'" }'
