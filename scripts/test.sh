#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite:
# once as a normal build, then the engine and the file services again with
# AddressSanitizer and UBSan, and with ThreadSanitizer (the batch runs on a
# thread of its own).
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=lib/timing.sh
. scripts/lib/timing.sh
part "Debian packages for the tests"
scripts/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)

part "Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The sanitizer build covers the engine and the file services; the windows are
# left out there because Qt's own libraries are not built for it.
part "Linux engine under AddressSanitizer and UBSan"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMIRADO_SANITIZE=ON -DMIRADO_BUILD_UI=OFF -DMIRADO_BUILD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# The batch's thread, the handing over of its events and the copies under way
# at once (on the FUSE disks of OtherDisks), under ThreadSanitizer.
part "Linux engine under ThreadSanitizer"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRADO_SANITIZE_THREADS=ON -DMIRADO_BUILD_UI=OFF -DMIRADO_BUILD_BENCH=OFF
cmake --build build-tsan -j"$jobs" --target mirado_core_tests mirado_platform_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan --output-on-failure -j"$jobs" -R "^(Batch|FileCopy|FileServices|NamingRule|OtherDisks)"
part_end
