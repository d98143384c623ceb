#!/usr/bin/env bash
# Installs the Windows installer (dist/Mirado-<version>-win64.msi, made by
# scripts/build-windows.sh) on a fresh Wine prefix as a user without
# administrator rights would, starts the program from its Start-menu
# shortcut, installs it again over itself as an upgrade would, and removes
# it: afterwards none of its files, its shortcuts or its registry entries
# may be left, while the user's own entry in the 送る (SendTo) folder, put
# there first, stays with the folder. Needs an X server ($DISPLAY) and xdotool.
#   check-windows-installer.sh [MSI]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' "$root/CMakeLists.txt" | head -1)
msi=$(realpath "${1:-$root/dist/Mirado-$version-win64.msi}")

work=$(mktemp -d "${TMPDIR:-/tmp}/mirado-installer.XXXXXX")
# shellcheck source=lib/wine.sh
. "$root/scripts/lib/wine.sh"
use_wine "$work/prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
wineboot --init

fail() { echo "check-windows-installer: $*" >&2; exit 1; }
profile=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")
appdata=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')")
start_menu=$appdata/Microsoft/Windows/Start\ Menu/Programs
send_to=$appdata/Microsoft/Windows/SendTo
installed="$profile/Programs/Mirado"
# Windows lists a per-user product under HKCU; Wine's installer service
# writes the entry under HKLM even so.
apps() {
    for hive in HKCU HKLM; do
        wine reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null | tr -d '\r'
    done
}

# An entry of the user's own, which must outlive Mirado's.
mkdir -p "$send_to"
printf 'other\n' >"$send_to/Other.lnk"

wine msiexec /i "$(winepath -w "$msi")" /qn
[ -f "$installed/mirado.exe" ] || fail "no $installed/mirado.exe"
[ -f "$send_to/Mirado.lnk" ] || fail "no entry in the 送る menu (SendTo)"
[ -f "$installed/plugins/platforms/qwindows.dll" ] || fail "no platform plugin"
[ -f "$start_menu/Mirado.lnk" ] || fail "no Start-menu shortcut"
apps | grep -q "DisplayName.*Mirado" || fail "no entry under Apps"
apps | grep -q "DisplayVersion.*$version" || fail "the entry under Apps has no version $version"

# The shortcut starts the program.
wine start /unix "$start_menu/Mirado.lnk"
for _ in $(seq 100); do
    window=$(xdotool search --name "^Mirado Ver\. $version\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.2
done
[ -n "${window:-}" ] || fail "the shortcut did not start the program"
# Ended with the whole prefix: the program has nothing to save.
wineserver -k
wineserver -w

# Installing again over itself is the path a newer version takes too.
wine msiexec /i "$(winepath -w "$msi")" /qn
[ -f "$installed/mirado.exe" ] || fail "reinstalling lost the program"

wine msiexec /x "$(winepath -w "$msi")" /qn
[ ! -e "$installed" ] || fail "left behind: $(find "$installed" | head -n 5)"
[ ! -e "$start_menu/Mirado.lnk" ] || fail "the shortcut was left behind"
[ ! -e "$send_to/Mirado.lnk" ] || fail "the 送る entry was left behind"
[ "$(cat "$send_to/Other.lnk" 2>/dev/null)" = other ] || fail "the user's own 送る entry went with Mirado"
if wine reg query 'HKCU\Software\Mirado' >/dev/null 2>&1; then fail "HKCU\\Software\\Mirado was left behind"; fi
if apps | grep -q "DisplayName.*Mirado"; then
    fail "the entry under Apps was left behind"
fi
echo "check-windows-installer: installs per user with a 送る entry, starts from its shortcut, reinstalls, and uninstalls without a trace, the user's own 送る entry kept"
