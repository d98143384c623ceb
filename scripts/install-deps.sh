#!/usr/bin/env bash
# Installs the Debian packages that a build needs, when they are missing.
#   install-deps.sh run            the program: compiler, CMake, Qt (with its
#                                  Wayland plugin and the XKB headers that
#                                  Qt's CMake files look for), fonts
#   install-deps.sh test           the above plus GoogleTest, Google Benchmark,
#                                  ICU, the tools the window tests use and
#                                  libfuse3 (the file system that plays other disks)
#                                  and exfat-fuse (a real exFAT stick through FUSE)
#   install-deps.sh deb            the program plus what makes its Debian package
#   install-deps.sh check          what scripts/fresh-machine-check.sh needs
#   install-deps.sh windows-test   the mingw-w64 cross compiler, Wine and the
#                                  GoogleTest sources
#   install-deps.sh windows        the cross compiler and what builds Qt for
#                                  Windows and packs the program
set -euo pipefail

# libxkbcommon-dev: without it, configuring prints CMake warnings about XKB
# from Qt's own find modules, which read like errors though the build needs
# nothing of it.
BUILD_PACKAGES=(g++ cmake make pkg-config
    qt6-base-dev qt6-wayland qt6-translations-l10n libgl-dev libxkbcommon-dev fonts-noto-cjk
    xdg-utils)
TEST_PACKAGES=(libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
    desktop-file-utils appstream xvfb xauth x11-apps imagemagick openbox xdotool libx11-dev
    libfuse3-dev fuse3 exfat-fuse exfatprogs)
WINDOWS_TEST_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64
    xvfb xauth xdotool openbox fonts-noto-cjk)
WINDOWS_PACKAGES=(cmake ninja-build dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools wixl
    qt6-translations-l10n perl python3 zip unzip)

case "${1:-run}" in
    run) packages=("${BUILD_PACKAGES[@]}") ;;
    test) packages=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
    # cpack's Debian generator runs `file` on every installed file.
    deb) packages=("${BUILD_PACKAGES[@]}" dpkg-dev file) ;;
    check) packages=(debootstrap git ca-certificates) ;;
    windows-test) packages=("${WINDOWS_TEST_PACKAGES[@]}") ;;
    windows) packages=("${WINDOWS_PACKAGES[@]}") ;;
    *) echo "usage: $0 run|test|deb|check|windows-test|windows" >&2; exit 2 ;;
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
