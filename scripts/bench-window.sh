#!/usr/bin/env bash
# The main window's batch under a real X server, against the engine alone
# on the same files. Starts Xvfb with a window manager and the program,
# then, for each round, drags the files from the stand-in file manager onto
# the drop frame while a probe pings the window as a window manager does,
# and runs the engine alone on the same files. Prints per round and, at the
# end, the medians and ratios:
#   - how long after the drop the drop was finished towards the file manager;
#   - the answers to pings (_NET_WM_PING) sent during the batch;
#   - the batch's wall and CPU time in the window against the engine alone.
#
#   scripts/bench-window.sh [FILES] [ROUNDS]     (default: 10000 files, 5 rounds)
#
# The files (4 KiB each) go to a fresh tmpfs when this runs as root (else to
# /dev/shm), so that neither earlier runs nor other work on the disk change
# the figures. Needs scripts/install-deps.sh test.
set -euo pipefail

files=${1:-10000}
rounds=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench-window"

for command in Xvfb xdotool openbox split; do
    command -v "$command" >/dev/null || { echo "missing $command: scripts/install-deps.sh test" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target mirado mirado_drag_source mirado_window_probe mirado_engine_batch >/dev/null
program="$build/ui/mirado"
source_tool="$build/bench/window/mirado_drag_source"
probe="$build/bench/window/mirado_window_probe"
engine="$build/bench/window/mirado_engine_batch"

work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-bench-window.XXXXXX")
pids=()
mounted="" shm=""
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -z "$mounted" ] || umount "$mounted" || true
    [ -z "$shm" ] || rm -rf "$shm"
    rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ] && mkdir "$work/data" && mount -t tmpfs -o size=$((files * 16 + 65536))k tmpfs "$work/data" 2>/dev/null; then
    mounted="$work/data"
    data="$work/data"
else
    shm=$(mktemp -d /dev/shm/mirado-bench-window.XXXXXX)
    data="$shm"
fi
photos="$data/photos"
mkdir "$photos"
# img_00000.jpg ... : the upper-case type makes IMG_00000.jpg ... of them.
head -c $((files * 4096)) /dev/urandom | (cd "$photos" && split -b 4096 -a 5 -d --additional-suffix=.jpg - img_)
last=$(cd "$photos" && ls | tail -n 1)
last_copy="$photos/_rename/IMG_${last#img_}"
echo "Data: $files files of 4 KiB on $(df -PT "$data" | awk 'NR == 2 { print $2 }'); $(nproc) cores," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"

# shellcheck source=lib/xsession.sh
. "$root/scripts/lib/xsession.sh"
start_x_session
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb

(cd "$data" && exec "$program") >"$work/mirado.log" 2>&1 &
mirado=$!
pids+=($mirado)
main=$(wait_window "Mirado Ver. *" "$mirado")
xdotool windowmove --sync "$main" 40 40
sleep 0.5

# One drop of all files on the window, with the probe watching; its figures
# go to $work/window.log.
window_round() {
    rm -rf "$photos/_rename"
    "$source_tool" --files-in "$photos" >"$work/drag.log" 2>&1 &
    local drag_source=$!
    pids+=($drag_source)
    local source_window
    source_window=$(wait_window drag-source $drag_source)
    "$probe" --window "$main" --pid "$mirado" --drag-log "$work/drag.log" --last "$last_copy" >"$work/window.log" &
    local probe_pid=$!
    sleep 0.5  # pings of the idle window first
    drag_onto_drop_frame "$source_window" "$main" 0.02
    wait "$probe_pid"
    kill "$drag_source" 2>/dev/null || true
    wait "$drag_source" 2>/dev/null || true
    local copies
    copies=$(find "$photos/_rename" -type f | wc -l)
    [ "$copies" -eq "$files" ] || { echo "round $round: $copies copies instead of $files" >&2; exit 1; }
}

# The engine alone on the same files; its figures go to $work/engine.log.
engine_round() {
    rm -rf "$photos/_rename"
    "$engine" "$photos" 0 >"$work/engine.log"
}

results="$work/results"
: >"$results"
for round in $(seq "$rounds"); do
    # Turn about, so that neither always runs on what the other left behind.
    if [ $((round % 2)) -eq 1 ]; then window_round; engine_round; else engine_round; window_round; fi
    cat "$work/window.log" "$work/engine.log" | sed "s/^/$round /" >>"$results"
    awk -v r="$round" '$1 == r { v[$2] = $3 } END {
        printf "round %d: drop finished after %.1f ms; window %.0f ms (CPU %.0f ms), engine %.0f ms (CPU %.0f ms): %.2fx (CPU %.2fx); pings in the batch %d, slowest %.1f ms, over 200 ms %d\n",
            r, v["drop_finished_ms"], v["batch_ms"], v["window_cpu_ms"], v["engine_ms"], v["engine_cpu_ms"],
            v["batch_ms"] / v["engine_ms"], v["window_cpu_ms"] / v["engine_cpu_ms"],
            v["pings_in_batch"], v["ping_batch_max_ms"], v["pings_in_batch_over_200ms"] }' "$results"
done

median() {  # of the figure $1 over all rounds
    awk -v k="$1" '$2 == k { print $3 }' "$results" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
maximum() { awk -v k="$1" '$2 == k && $3 > m { m = $3 } END { print m + 0 }' "$results"; }
# The ratio of each round too: the two run back to back, so a slower spell
# of the machine weighs on both.
awk '{ v[$1 " " $2] = $3; r[$1] = 1 } END { for (i in r) {
        print i, "ratio", v[i " batch_ms"] / v[i " engine_ms"]; print i, "cpu_ratio", v[i " window_cpu_ms"] / v[i " engine_cpu_ms"] } }' \
    "$results" >>"$results"
window_ms=$(median batch_ms) engine_ms=$(median engine_ms)
window_cpu=$(median window_cpu_ms) engine_cpu=$(median engine_cpu_ms)
echo
echo "Medians of $rounds rounds, $files files:"
echo "  drop finished towards the file manager: $(median drop_finished_ms) ms after the drop (slowest $(maximum drop_finished_ms) ms)"
echo "  pings during the batch: median $(median ping_batch_median_ms) ms, slowest of all rounds $(maximum ping_batch_max_ms) ms," \
    "over 200 ms: $(maximum pings_in_batch_over_200ms) in the worst round; idle: $(median ping_idle_median_ms) ms"
echo "  batch: window $window_ms ms, engine alone $engine_ms ms: $(awk -v a="$window_ms" -v b="$engine_ms" 'BEGIN { printf "%.2f", a / b }')x" \
    "(median of the rounds' ratios $(printf %.2f "$(median ratio)")x)"
echo "  CPU:   window $window_cpu ms, engine alone $engine_cpu ms: $(awk -v a="$window_cpu" -v b="$engine_cpu" 'BEGIN { printf "%.2f", a / b }')x" \
    "(median of the rounds' ratios $(printf %.2f "$(median cpu_ratio)")x)"
echo "  from the drop to the last copy: $(median drop_to_end_ms) ms, CPU $(median drop_to_end_cpu_ms) ms"
