#!/usr/bin/env bash
# Whether the main window stays alive while one large file is copied from a
# slow disk: the program runs under Xvfb with a window manager; one file on a
# loop-mounted ext4 image, read-throttled for the program's process with the
# blkio controller, is dropped on it from the stand-in file manager, and a
# probe pings the window as a window manager does until the copy is there.
# Prints the slowest answer and how many answers took over 200 ms.
#
#   scripts/bench-liveness.sh [SIZE_MIB] [READ_MB_PER_S] [FILES]
#       default: one file of 2048 MiB at 72 MB/s (about 30 s of copying);
#       FILES > 1 splits the same bytes into that many files.
#
# Needs root (loop device, cgroup v1 blkio or v2 io), Xvfb and openbox
# (scripts/install-deps.sh test) and about SIZE_MIB × 2.2 MiB of disk.
set -euo pipefail

size=${1:-2048}
rate=${2:-72}
files=${3:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench-window"
[ "$(id -u)" -eq 0 ] || { echo "bench-liveness.sh: needs root (loop device, cgroup)" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target mirado mirado_drag_source mirado_window_probe >/dev/null
program="$build/ui/mirado" source_tool="$build/bench/window/mirado_drag_source"
probe="$build/bench/window/mirado_window_probe"

work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-bench-liveness.XXXXXX")
pids=() mounted="" group=""
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -z "$mounted" ] || umount "$mounted" || true
    [ -z "$group" ] || rmdir "$group" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

truncate -s $((size * 22 / 10 + 256))M "$work/disk.img"
mkfs.ext4 -q -F "$work/disk.img"
mkdir "$work/disk"
mount -o loop "$work/disk.img" "$work/disk"
mounted="$work/disk"
device=$(findmnt -n -o MAJ:MIN "$work/disk" | tr -d ' ')
data="$work/disk/videos"
mkdir "$data"
per_file=$((size / files))
for i in $(seq -w 1 "$files"); do head -c "${per_file}M" /dev/urandom >"$data/clip_$i.mp4"; done
last_copy="$data/_rename/CLIP_$(printf "%0${#files}d" "$files").mp4"
sync
echo 3 >/proc/sys/vm/drop_caches  # every byte comes from the throttled disk

# Reads of the program's process from the loop device at $rate MB/s.
limit=$((rate * 1000 * 1000))
if [ -d /sys/fs/cgroup/blkio ]; then
    group=/sys/fs/cgroup/blkio/mirado-bench-$$
    mkdir "$group"
    echo "$device $limit" >"$group/blkio.throttle.read_bps_device"
else
    echo "+io" >/sys/fs/cgroup/cgroup.subtree_control 2>/dev/null || true
    group=/sys/fs/cgroup/mirado-bench-$$
    mkdir "$group"
    echo "$device rbps=$limit" >"$group/io.max"
fi

# shellcheck source=lib/xsession.sh
. "$root/scripts/lib/xsession.sh"
start_x_session
export XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
(echo "$BASHPID" >"$group/cgroup.procs" && cd "$data" && exec "$program") >"$work/mirado.log" 2>&1 &
mirado=$!
pids+=($mirado)
main=$(wait_window "Mirado Ver. *" "$mirado")
xdotool windowmove --sync "$main" 40 40
sleep 0.5

"$source_tool" --files-in "$data" >"$work/drag.log" 2>&1 &
drag_source=$!
pids+=($drag_source)
source_window=$(wait_window drag-source $drag_source)
"$probe" --window "$main" --pid "$mirado" --drag-log "$work/drag.log" --last "$last_copy" --interval-ms 100 \
    --timeout-s 600 >"$work/window.log" &
probe_pid=$!
sleep 0.5
drag_onto_drop_frame "$source_window" "$main" 0.02
wait "$probe_pid"
awk -v size="$size" -v rate="$rate" -v files="$files" '{ v[$1] = $2 } END {
    printf "%d file(s), %d MiB in all, read at %d MB/s: copy %.1f s; pings during the batch %d, slowest %.0f ms, over 200 ms %d; drop finished after %.0f ms\n",
        files, size, rate, v["batch_ms"] / 1000, v["pings_in_batch"], v["ping_batch_max_ms"], v["pings_in_batch_over_200ms"],
        v["drop_finished_ms"] }' "$work/window.log"
