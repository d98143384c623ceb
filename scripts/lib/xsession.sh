# shellcheck shell=bash
# What the scripts that drive the program under a virtual X server share.
# Source it; the caller keeps a scratch folder in $work and the processes to
# end afterwards in the array pids.

# Starts Xvfb on a free display with a window manager, and exports DISPLAY.
start_x_session() {
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    export DISPLAY=":$display"
    Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}

# The visible window whose title matches the pattern $1, of process $2 when
# given; waits for it. (Titles are compared here, as xdotool's own search
# cannot match Japanese.)
wait_window() {
    local id
    for _ in $(seq 200); do
        for id in $(if [ -n "${2:-}" ]; then xdotool search --onlyvisible --pid "$2"; else xdotool search --onlyvisible --name .; fi 2>/dev/null); do
            # shellcheck disable=SC2053
            [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == $1 ]] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    echo "no window \"$1\"" >&2
    return 1
}

# Drags, as a user does with the mouse, from the stand-in file manager's
# window $1 onto the drop frame of the main window $2. $3 is the pause
# between the steps of the move (default 0.05 s).
drag_onto_drop_frame() {
    xdotool windowmove --sync "$1" 450 300
    sleep 0.5
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    local drop_x=$((X + 156)) drop_y=$((Y + 116))
    xdotool mousemove --sync 530 340 mousedown 1
    for step in $(seq 1 10); do
        xdotool mousemove --sync $((530 + (drop_x - 530) * step / 10)) $((340 + (drop_y - 340) * step / 10))
        sleep "${3:-0.05}"
    done
    sleep 0.3
    xdotool mouseup 1
}
