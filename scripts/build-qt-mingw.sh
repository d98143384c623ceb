#!/usr/bin/env bash
# Builds Qt (qtbase: Core, Gui, Widgets, Test and the Windows platform plugin) for
# 64-bit Windows with Debian's mingw-w64, from Debian's own qt6-base source
# package, and installs it into a cache folder outside the repository:
#   build-qt-mingw.sh [PREFIX]   default: $MIRADO_QT_CACHE or ~/.cache/mirado/qt6-mingw64
# Does nothing when that folder already holds a build. Takes about half an
# hour on two cores the first time. Uses Debian's host Qt for its tools.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "${1:-${MIRADO_QT_CACHE:-$HOME/.cache/mirado/qt6-mingw64}}")
# Test is there for the window tests under Wine; a build from before it was
# added is made again.
if [ -f "$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] && [ -f "$prefix/lib/cmake/Qt6Test/Qt6TestConfig.cmake" ]; then
    echo "Qt for Windows is ready in $prefix"
    exit 0
fi

"$root/scripts/install-deps.sh" windows

# The work folder stays until Qt is installed, so that a build that was
# cut short goes on where it stopped.
work=$prefix.work
mkdir -p "$work"

# The source package through a source list of our own: nothing under /etc changes.
if [ ! -d "$work/qtbase" ]; then
    mkdir -p "$work/apt/lists/partial"
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$work/apt/sources.list"
    apt_options=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
        -o "Dir::State::Lists=$work/apt/lists" -o Debug::NoLocking=1)
    apt-get "${apt_options[@]}" update -qq
    (cd "$work" && apt-get "${apt_options[@]}" source --download-only qt6-base >/dev/null &&
        dpkg-source -x --skip-patches qt6-base_*.dsc qtbase.tmp >/dev/null && mv qtbase.tmp qtbase)
fi

# Without OpenGL the Windows plugin must not ask which OpenGL it loaded.
perl -0pi -e 's/#if QT_CONFIG\(dynamicgl\)\n(    return QOpenGLStaticContext)/#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)\n$1/' \
    "$work/qtbase/src/plugins/platforms/windows/qwindowswindow.cpp"

cmake -S "$work/qtbase" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DMIRADO_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_testlib=ON -DFEATURE_printsupport=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_xml=OFF -DFEATURE_sql_sqlite=OFF -DFEATURE_system_zlib=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_icu=OFF -DFEATURE_openssl=OFF -DFEATURE_vulkan=OFF
cmake --build "$work/build" -j"$(nproc 2>/dev/null || echo 2)"
cmake --install "$work/build"
rm -rf "$work"
echo "Qt for Windows is ready in $prefix"
