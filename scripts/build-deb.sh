#!/usr/bin/env bash
# Builds the program in Release and makes the Debian package
# dist/mirado_<version>_amd64.deb, which `apt install ./dist/mirado_…deb`
# installs with the libraries it needs. Arguments go to CMake, e.g.
# -DMIRADO_PACKAGE_CONTACT="Name <address>".
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh deb

# Debian's hardening flags, as its own packages are built (fortified
# functions, a read-only relocation table bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
build=build-deb
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@"
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)"
(cd "$build" && cpack -G DEB)
mkdir -p dist
cp "$build"/mirado_*.deb dist/
ls -l dist/mirado_*.deb
