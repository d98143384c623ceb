#!/usr/bin/env bash
# Cross-builds the Windows edition for 64-bit Windows and runs its tests
# under Wine: first the engine and the file services, then the window tests
# with Qt's own Windows platform under an X server of its own (Xvfb). Qt for
# Windows is built once into a cache outside the repository
# (scripts/build-qt-mingw.sh, about a quarter of an hour on two cores) and reused.
# Installs the cross compiler, Wine, Xvfb and the GoogleTest sources when
# they are missing.
#   test-windows.sh [build folder]     default: build-windows
# Then it builds the zip and the installer (scripts/build-windows.sh) and
# checks the installer (scripts/check-windows-installer.sh).
# MIRADO_WINDOWS_UI_TESTS=0 leaves the window tests and the packages out
# (and Qt unbuilt).
# Needs no display. Wine keeps its prefixes in the build folders.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=lib/timing.sh
. scripts/lib/timing.sh
part "Debian packages for the Windows tests"
scripts/install-deps.sh windows-test

build=$(realpath -m "${1:-build-windows}")
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
jobs=2

part "Windows engine: build and tests under Wine"
# GoogleTest for mingw, from Debian's sources; built once per build folder.
gtest=$build/googletest
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$build/googletest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest"
    cmake --build "$build/googletest-build" -j"$jobs"
    cmake --install "$build/googletest-build"
fi

# Wine sets up its prefix on first use, which takes longer than the test
# discovery allows; do it beforehand, with the settings of the toolchain's
# emulator. 64-bit Wine is enough: its note that the 32-bit part (syswow64)
# is missing does no harm.
# shellcheck source=lib/wine.sh
. scripts/lib/wine.sh
use_wine "$build/wineprefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIRADO_BUILD_UI=OFF -DMIRADO_BUILD_BENCH=OFF -DGTest_DIR="$gtest/lib/cmake/GTest"
cmake --build "$build" -j"$jobs"
status=0
# A Wine program now and then fails to start at all (no output, no time)
# when the Wine server is just ending; such a test is run once more.
ctest --test-dir "$build" --output-on-failure -j"$jobs" --repeat until-pass:2 || status=$?
# Wait for the Wine server to go, so nothing keeps running after the tests.
wineserver --wait
[ "${MIRADO_WINDOWS_UI_TESTS:-1}" != 0 ] || { part_end; exit "$status"; }

# The window tests, with the Qt libraries and the compiler's run-time
# libraries as DLLs that Wine finds through WINEPATH.
qt=$(realpath -m "${MIRADO_QT_CACHE:-$HOME/.cache/mirado/qt6-mingw64}")
part "Qt for Windows (once, into the cache)"
scripts/build-qt-mingw.sh "$qt"
part "Windows window tests: build and run under Wine"
ui_build=$build-ui
MIRADO_QT_PREFIX=$qt cmake -S . -B "$ui_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DMIRADO_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH=/ -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DMIRADO_BUILD_BENCH=OFF -DGTest_DIR="$gtest/lib/cmake/GTest"
MIRADO_QT_PREFIX=$qt cmake --build "$ui_build" -j"$jobs" --target mirado_ui_tests
use_wine "$ui_build/wineprefix"
[ -f "$WINEPREFIX/system.reg" ] || wineboot --init
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
WINEPATH="$(winepath -w "$qt/bin");$(winepath -w "$gcc_dir");$(winepath -w /usr/x86_64-w64-mingw32/lib)"
QT_PLUGIN_PATH=$(winepath -w "$qt/plugins")
export WINEPATH QT_PLUGIN_PATH
work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-windows-ui.XXXXXX")
pids=()
end_x_session() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap end_x_session EXIT
# shellcheck source=lib/xsession.sh
. scripts/lib/xsession.sh
start_x_session
ctest --test-dir "$ui_build" --output-on-failure -L ui --repeat until-pass:2 || status=$?
wineserver --wait

# The program as users get it: the zip and the installer, the installer
# checked on a fresh prefix of its own.
part "Windows zip and installer, and the installer's check"
scripts/build-windows.sh
scripts/check-windows-installer.sh || status=$?
part_end
exit "$status"
