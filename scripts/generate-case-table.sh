#!/usr/bin/env bash
# Regenerates core/CaseTable.h, the case mapping table, from the system ICU
# (Debian: libicu-dev). Run it after an ICU update; the case table test then
# checks the new table against that ICU at every code point.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2046  # pkg-config prints several words on purpose
c++ -std=c++20 -O2 -Wall -Wextra -Wpedantic scripts/generate-case-table.cpp \
    $(pkg-config --cflags --libs icu-uc) -o "$work/generate-case-table"
"$work/generate-case-table" >"$work/CaseTable.h"
mv "$work/CaseTable.h" core/CaseTable.h
echo "Wrote core/CaseTable.h"
