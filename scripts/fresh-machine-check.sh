#!/usr/bin/env bash
# Tries README's commands as a newcomer does, on a fresh Debian 12: makes a
# minimal root file system (debootstrap --variant=minbase bookworm) with a
# clean clone of the current commit, and runs there, as root without a
# display and without standard input: scripts/run.sh (which must stop within
# seconds and say why), scripts/test.sh, scripts/build-deb.sh, the package's
# installation with apt, and the installed metainfo's and the package's
# validation. Needs root and the network; takes about a quarter of an hour on
# two cores. The root is unmounted and removed on every way out.
#   fresh-machine-check.sh [mirror]    default: http://deb.debian.org/debian
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
mirror=${1:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-machine-check.sh makes a root file system and mounts in it: run it as root (sudo $0)." >&2
    exit 2
fi
scripts/install-deps.sh check

root=$(mktemp -d "${TMPDIR:-/var/tmp}/mirado-fresh.XXXXXX")
cleanup() {
    # The copy links unnamed files through /proc/self/fd: /proc, /sys and
    # /dev are mounted while it runs and must go before the folder does.
    umount -R "$root/dev" 2>/dev/null || umount -l "$root/dev" 2>/dev/null || true
    umount "$root/sys" 2>/dev/null || umount -l "$root/sys" 2>/dev/null || true
    umount "$root/proc" 2>/dev/null || umount -l "$root/proc" 2>/dev/null || true
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

started=$SECONDS
step() { printf '== %s (%d s)\n' "$1" $((SECONDS - started)); }

step "debootstrap --variant=minbase bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"

git clone -q --no-checkout "$repo" "$root/root/mirado"
git -C "$root/root/mirado" checkout -q "$(git rev-parse HEAD)"

# README's commands, run there as a newcomer would: a login's environment
# without DISPLAY, nothing on standard input.
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd /root/mirado && $1" </dev/null
}

step "scripts/run.sh without a display"
before=$SECONDS
if in_root "scripts/run.sh" 2>"$root/run.err"; then
    echo "FAIL: scripts/run.sh succeeded without a display" >&2
    exit 1
fi
cat "$root/run.err"
grep -q "needs a graphical session" "$root/run.err" || { echo "FAIL: no word about the display" >&2; exit 1; }
echo "stopped after $((SECONDS - before)) s"

step "scripts/test.sh"
in_root "scripts/test.sh" >"$root/test.log" 2>&1 || { tail -40 "$root/test.log"; echo "FAIL: scripts/test.sh" >&2; exit 1; }
grep -E "tests passed|Warning" "$root/test.log" || true

step "scripts/build-deb.sh"
in_root "scripts/build-deb.sh" >"$root/deb.log" 2>&1 || { tail -40 "$root/deb.log"; echo "FAIL: scripts/build-deb.sh" >&2; exit 1; }
tail -1 "$root/deb.log"

step "apt install ./dist/mirado_*.deb"
in_root "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./dist/mirado_*.deb >/dev/null && dpkg -s mirado | grep -E '^(Status|Version)'"

step "appstreamcli validate --pedantic --no-net (installed metainfo)"
in_root "appstreamcli validate --pedantic --no-net /usr/share/metainfo/jp.mirado.Mirado.metainfo.xml"

step "lintian"
in_root "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian >/dev/null &&
    lintian --info --pedantic --fail-on error,warning dist/mirado_*.deb"

step "done: every command worked"
