#!/usr/bin/env bash
# Cross-builds for 64-bit Windows what builds there so far, the text
# conversions and their tests, and runs the tests under Wine. Installs the
# cross compiler, Wine and the GoogleTest sources when they are missing.
#   test-windows.sh [build folder]     default: build-windows
# Needs no display. Wine keeps its prefix in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows-test

build=$(realpath -m "${1:-build-windows}")
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
jobs=2

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
ctest --test-dir "$build" --output-on-failure -j"$jobs" || status=$?

# Wait for the Wine server to go, so nothing keeps running after the tests.
wineserver --wait
exit "$status"
