#!/usr/bin/env bash
# Starts the program under a virtual X server with a window manager, takes a
# screenshot of the main window, then drags a file onto it with the
# find-and-replace type selected and takes one of the dialog, and finally
# checks that the confirmed batch copied the file.
#
#   scripts/screenshot.sh [BUILD_DIR]      (default: build)
#
# Needs a build with the benchmarks (for the drag source; scripts/test.sh makes one) and the packages xvfb,
# xauth, openbox, xdotool and imagemagick (scripts/install-deps.sh test).
# Writes docs/screenshot-main.png and docs/screenshot-replace.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program="$build/ui/mirado"
source_tool="$build/bench/window/mirado_drag_source"
for tool in "$program" "$source_tool"; do
    [ -x "$tool" ] || { echo "missing $tool: build first" >&2; exit 1; }
done
for command in Xvfb xdotool import openbox; do
    command -v "$command" >/dev/null || { echo "missing $command: scripts/install-deps.sh test" >&2; exit 1; }
done

# shellcheck source=lib/xsession.sh
. "$root/scripts/lib/xsession.sh"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_x_session

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Japanese texts do not depend on the locale: the program brings its own.
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
mkdir "$work/photos"
printf 'sample\n' >"$work/photos/IMG_0001.jpg"

(cd "$work" && exec "$program") >"$work/mirado.log" 2>&1 &
mirado=$!
pids+=($mirado)
main=$(wait_window "Mirado Ver. *" "$mirado")
xdotool windowmove --sync "$main" 40 40
xdotool windowactivate --sync "$main"
sleep 1
import -window "$main" -frame "$root/docs/screenshot-main.png"
echo "saved docs/screenshot-main.png"

# Pick the find-and-replace type (the last entry) with the keyboard.
xdotool key --window "$main" End
sleep 0.3

# Drag the sample file from the stand-in file manager onto the drop frame.
"$source_tool" "$work/photos/IMG_0001.jpg" >"$work/drag.log" 2>&1 &
pids+=($!)
source_window=$(wait_window drag-source $!)
drag_onto_drop_frame "$source_window" "$main"

dialog=$(wait_window 置換 "$mirado")
sleep 0.5
xdotool type --delay 40 "IMG_"
xdotool key Tab
xdotool type --delay 40 "photo_"
sleep 0.5
import -window "$dialog" -frame "$root/docs/screenshot-replace.png"
echo "saved docs/screenshot-replace.png"

# Confirm; the batch copies the file under its new name and leaves the source.
xdotool key Return
for _ in $(seq 50); do [ -e "$work/photos/_rename/photo_0001.jpg" ] && break; sleep 0.1; done
sleep 0.3
if [ -e "$work/photos/_rename/photo_0001.jpg" ] && [ -e "$work/photos/IMG_0001.jpg" ]; then
    echo "drop: copied to _rename/photo_0001.jpg ($(grep -m1 '^drop action' "$work/drag.log"))"
else
    echo "drop: the batch did not copy the file" >&2
    ls -R "$work/photos" >&2
    exit 1
fi
