#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

# Mirado is a window on a desktop: without a graphical session there is
# nothing to show it on, so say so before minutes of installing and building.
# X11 needs DISPLAY; a Wayland session WAYLAND_DISPLAY, for which Qt's
# Wayland plugin (qt6-wayland) is installed below. QT_QPA_PLATFORM is the
# user's own choice of where to show it.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    printf '%s%s%s%s\n' "Mirado is a desktop program and needs a graphical session (DISPLAY or WAYLAND_DISPLAY); " \
        "without one, run the tests (scripts/test.sh) or start it under Xvfb (package xvfb): xvfb-run -a scripts/run.sh / " \
        "Mirado はデスクトップ アプリのため、グラフィカル セッションが必要です。セッションがない環境では、" \
        "テスト（scripts/test.sh）を実行するか、xvfb パッケージの Xvfb 上で起動してください（xvfb-run -a scripts/run.sh）。" >&2
    exit 1
fi
# Only Wayland: Qt would try X11 first unless the session says otherwise.
if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    export QT_QPA_PLATFORM=wayland
fi

scripts/install-deps.sh run

cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=OFF
cmake --build build-run -j"$(nproc 2>/dev/null || echo 2)"

# The help button opens Readme.html from the working folder: start there.
root=$(pwd)
cd ui
exec "$root/build-run/ui/mirado" "$@"
