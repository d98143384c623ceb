#!/usr/bin/env bash
# Installs the Debian packages that a build needs, when they are missing.
#   install-deps.sh run    the program: compiler, CMake, ICU, Qt, fonts
#   install-deps.sh test   the above plus GoogleTest, Google Benchmark and
#                          the tools the window tests and benchmarks use
set -euo pipefail

BUILD_PACKAGES=(g++ cmake make pkg-config libicu-dev
    qt6-base-dev qt6-translations-l10n libgl-dev fonts-noto-cjk
    xdg-utils)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev
    desktop-file-utils appstream xvfb xauth x11-apps imagemagick openbox xdotool libx11-dev)

packages=("${BUILD_PACKAGES[@]}")
case "${1:-run}" in
    run) ;;
    test) packages+=("${TEST_PACKAGES[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
