#!/usr/bin/env bash
# Shows the Windows program at work: unzips dist/Mirado-<version>-win64.zip
# (scripts/build-windows.sh) into a fresh folder, starts it under Wine on a
# virtual X server with a window manager, takes a screenshot of its window,
# drops two files on it from a Linux program (the stand-in file manager of
# the tests, a real X11 drag that Wine hands on to the Windows program) and
# takes one of the finished batch with the copies listed beside it.
#
#   scripts/screenshot-windows.sh [BUILD_DIR]   (the Linux build with the benchmarks, as scripts/test.sh makes it; default: build)
#
# Writes docs/screenshot-windows.png and docs/screenshot-windows-batch.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source_tool="$build/bench/window/mirado_drag_source"
zip=$(ls "$root"/dist/Mirado-*-win64.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || { echo "no dist/Mirado-*-win64.zip: scripts/build-windows.sh first" >&2; exit 1; }
[ -x "$source_tool" ] || { echo "missing $source_tool: scripts/test.sh first" >&2; exit 1; }
for command in Xvfb xdotool import openbox xmessage wine unzip; do
    command -v "$command" >/dev/null || { echo "missing $command" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=lib/xsession.sh
. "$root/scripts/lib/xsession.sh"
start_x_session

# shellcheck source=lib/wine.sh
. "$root/scripts/lib/wine.sh"
use_wine "$work/prefix"
wineboot --init >"$work/wineboot.log" 2>&1
unzip -q "$zip" -d "$work/unzipped"
program_dir=$(ls -d "$work"/unzipped/Mirado-*-win64)

mkdir "$work/photos"
printf 'first\n' >"$work/photos/img_0001.jpg"
printf 'second\n' >"$work/photos/img_0002.jpg"

(cd "$program_dir" && exec wine mirado.exe) >"$work/mirado.log" 2>&1 &
pids+=($!)
main=$(wait_window "Mirado Ver. *")
xdotool windowmove --sync "$main" 40 40
sleep 2
import -window "$main" -frame "$root/docs/screenshot-windows.png"
echo "saved docs/screenshot-windows.png"

"$source_tool" "$work/photos/img_0001.jpg" "$work/photos/img_0002.jpg" >"$work/drag.log" 2>&1 &
drag_source=$!
pids+=($drag_source)
source_window=$(wait_window drag-source)
drag_onto_drop_frame "$source_window" "$main" 0.08
for _ in $(seq 100); do [ -e "$work/photos/_rename/IMG_0002.jpg" ] && break; sleep 0.1; done
if [ ! -e "$work/photos/_rename/IMG_0001.jpg" ] || [ ! -e "$work/photos/_rename/IMG_0002.jpg" ]; then
    echo "drop: the Windows program did not copy the files" >&2
    ls -R "$work/photos" >&2
    exit 1
fi

# The finished batch: the window, and the copies as Linux sees them.
kill "$drag_source" 2>/dev/null || true
listing=$(cd "$work/photos" && printf 'photos/:\n%s\n\nphotos/_rename/:\n%s\n' "$(ls -p | grep -v /)" "$(ls _rename)")
xmessage -geometry +380+60 -title "copies" "$listing" &
pids+=($!)
sleep 1.5
import -window root -crop 720x300+20+10 "$root/docs/screenshot-windows-batch.png"
echo "saved docs/screenshot-windows-batch.png ($(grep -m1 'drop finished' "$work/drag.log"))"
