#!/usr/bin/env bash
# Builds the Windows program and packs it as dist/Mirado-<version>-win64.zip
# (for use without installing) and dist/Mirado-<version>-win64.msi (a
# per-user installer, made with wixl):
# mirado.exe (with its icon and version record), the Qt libraries and the
# Windows platform plugin it needs, Qt's Japanese translations, the
# compiler's run-time libraries, Readme.html, a Japanese README.txt that says
# what to do first, and the licences. Unzipped
# anywhere, mirado.exe starts from that folder.
# Qt for Windows is built on first use into a cache outside the repository
# (scripts/build-qt-mingw.sh; about a quarter of an hour) and reused afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

qt=$(realpath -m "${MIRADO_QT_CACHE:-$HOME/.cache/mirado/qt6-mingw64}")
scripts/build-qt-mingw.sh "$qt"

scripts/install-deps.sh windows

build=build-windows-app
export MIRADO_QT_PREFIX=$qt
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DMIRADO_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=/ -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"

version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -1)
name=Mirado-$version-win64
stage=$build/$name
rm -rf "$stage"
mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations" "$stage/licenses"

# (Qt puts programs for Windows at the top of the build folder, beside their DLLs.)
cp "$(find "$build" -maxdepth 2 -name mirado.exe | head -n 1)" ui/Readme.html "$stage/"
x86_64-w64-mingw32-strip "$stage/mirado.exe"
for lib in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt/bin/$lib.dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
if [ -f "$qt/plugins/styles/qwindowsvistastyle.dll" ]; then cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/plugins/styles/"; fi
# The compiler's run-time libraries, shared by Qt and the program.
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do cp "$gcc_dir/$dll" "$stage/"; done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
for qm in qtbase_ja.qm qt_ja.qm; do
    if [ -f "/usr/share/qt6/translations/$qm" ]; then cp "/usr/share/qt6/translations/$qm" "$stage/translations/"; fi
done
# Qt finds its plugins and translations beside the program.
printf '[Paths]\nPrefix = .\nPlugins = plugins\nTranslations = translations\n' >"$stage/qt.conf"

# What to do first, in Japanese, for whoever opens the zip: UTF-8 with a
# byte order mark and CRLF, as Notepad of every Windows version reads it.
{
    printf '\xef\xbb\xbf'
    sed -e "s/@VERSION@/$version/" -e 's/$/\r/' resources/README-windows.txt
} >"$stage/README.txt"

cp LICENSE "$stage/licenses/Mirado-MIT.txt"
cp /usr/share/common-licenses/LGPL-3 "$stage/licenses/Qt-LGPL-3.0.txt"
cp /usr/share/common-licenses/GPL-3 "$stage/licenses/GPL-3.0.txt"
cat >"$stage/licenses/README.txt" <<'TEXT'
Mirado is under the MIT licence (Mirado-MIT.txt).

Qt 6 (Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, the plugins and the
translations) is used under the GNU Lesser General Public License v3.0
(Qt-LGPL-3.0.txt, which builds on GPL-3.0.txt). It ships as separate
libraries, built unchanged from Debian's qt6-base 6.4.2 source package but
for one fix for building without OpenGL; you may replace them with your own
build of the same Qt version.

The compiler's run-time libraries (libstdc++-6.dll, libgcc_s_seh-1.dll:
GPL-3.0 with the GCC Runtime Library Exception; libwinpthread-1.dll: MIT
and BSD licences of the mingw-w64 project) come from Debian's mingw-w64
packages.
TEXT

# Debug information is not for users: it would triple the download.
find "$stage" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

mkdir -p dist
rm -f "dist/$name.zip" "dist/$name.msi"
(cd "$build" && zip -qr "$root/dist/$name.zip" "$name")

# The installer holds the same files; wixl-heat lists them as components.
sed "s/@VERSION@/$version/g" resources/mirado.wxs.in >"$build/mirado.wxs"
(cd "$build" && find "$name" -type f | LC_ALL=C sort |
    wixl-heat -p "$name/" --component-group ProgramFiles --var var.SourceDir --directory-ref INSTALLDIR --win64 \
        >files.wxs)
cp resources/mirado.ico "$build/"
(cd "$build" && wixl -a x64 -D Win64=yes -D SourceDir="$name" -D IconFile=mirado.ico -o "$root/dist/$name.msi" \
    mirado.wxs files.wxs)
ls -l "dist/$name.zip" "dist/$name.msi"
