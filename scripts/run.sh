#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run

cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DMIRADO_BUILD_TESTS=OFF -DMIRADO_BUILD_BENCH=OFF
cmake --build build-run -j"$(nproc 2>/dev/null || echo 2)"

# The help button opens Readme.html from the working folder: start there.
root=$(pwd)
cd ui
exec "$root/build-run/ui/mirado" "$@"
