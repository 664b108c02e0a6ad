#!/usr/bin/env bash
# Installs the Debian package on a fresh Debian 12 (a minimal debootstrap, copied anew for each
# trial), uses it as a user would, removes it and checks that nothing of it is left.
#
#   sudo packaging/try-on-fresh-debian.sh [DEB] [ROOT]
#
# DEB defaults to build-package/dryx-plc-test_<version>_amd64.deb (`make package`), ROOT to
# /work/debian12-root. The minimal system is fetched once into ROOT.base and kept; ROOT is
# made from it anew every time. Needs root, debootstrap and Debian's mirrors
# (MIRROR=http://deb.debian.org/debian). Not part of `make test`.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(dryx-plc-test VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
deb=$(realpath "${1:-$here/build-package/dryx-plc-test_${version}_amd64.deb}")
root=${2:-/work/debian12-root}
base=$root.base
mirror=${MIRROR:-http://deb.debian.org/debian}

[[ $(id -u) == 0 ]] || { echo "run as root (debootstrap, chroot, mount)" >&2; exit 2; }
[[ -f $deb ]] || { echo "no package $deb: make package first" >&2; exit 2; }

step() { printf '\n== %s\n' "$*"; }
fail() { echo "FAILED: $*"; exit 1; }

if [[ ! -x $base/usr/bin/apt-get ]]; then
    step "debootstrap bookworm (minbase) into $base"
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >/dev/null
fi

unmount()
{
    for mount in dev/pts dev proc; do
        mountpoint -q "$root/$mount" && umount "$root/$mount"
    done
    return 0
}
trap unmount EXIT
unmount
step "a fresh copy of Debian 12 in $root"
rm -rf "$root"
cp -a "$base" "$root"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBCONF_NOWARNINGS=yes "$@"; }
apt() { in_root env DEBIAN_FRONTEND=noninteractive apt-get -qq -o=Dpkg::Use-Pty=0 "$@"; }
cat "$root/etc/debian_version"

step "apt-get install ./$(basename "$deb") (Depends only, no Recommends)"
apt update
# man-db as on a usual system, so that `man` finds the page; nothing else is installed first.
apt install -y --no-install-recommends man-db >/dev/null
in_root dpkg -l | grep -c '^ii' | sed 's/^/packages before: /'
apt install -y --no-install-recommends "./tmp/$(basename "$deb")" >/tmp/try-install.log ||
    { cat /tmp/try-install.log; fail "apt-get install"; }
in_root dpkg -l | grep -c '^ii' | sed 's/^/packages after: /'
in_root dpkg -s dryx-plc-test | grep -E '^(Status|Version|Depends):'
in_root dpkg -L dryx-plc-test >"$root/tmp/files"

step "dryx-plc-test --version"
[[ $(in_root dryx-plc-test --version) == "dryx-plc-test $version" ]] || fail "--version"
in_root dryx-plc-test --version

step "man -w dryx-plc-test"
[[ $(in_root man -w dryx-plc-test) == /usr/share/man/man1/dryx-plc-test.1.gz ]] || fail "man -w"
in_root man -w dryx-plc-test
in_root env MANWIDTH=80 man dryx-plc-test 2>&1 | head -n 4

step "a headless run on the virtual line"
status=0
in_root dryx-plc-test --headless --virtual-port --start --duration 1.7 \
    --settings /usr/share/doc/dryx-plc-test/examples/setup.ini </dev/null >/dev/null ||
    status=$?
echo "exit status $status"
[[ $status == 0 ]] || fail "headless run"

step "desktop entry, icons, completion, examples"
for file in /usr/share/applications/dryx-plc-test.desktop \
    /usr/share/icons/hicolor/32x32/apps/dryx-plc-test.png \
    /usr/share/icons/hicolor/256x256/apps/dryx-plc-test.png \
    /usr/share/bash-completion/completions/dryx-plc-test \
    /usr/share/doc/dryx-plc-test/examples/setup.ini \
    /usr/share/doc/dryx-plc-test/examples/two-pages.ini; do
    [[ -s $root$file ]] || fail "$file missing"
    echo "present: $file"
done
grep -E '^(Name|Exec|Icon)=' "$root/usr/share/applications/dryx-plc-test.desktop"

step "the window on an X display (Xvfb), with the xcb platform plugin the dependencies brought"
ls "$root"/usr/lib/*/qt6/plugins/platforms/libqxcb.so | sed "s|^$root||" || fail "no xcb plugin"
apt install -y --no-install-recommends xvfb xauth x11-utils >/dev/null
in_root xvfb-run -a sh -c 'dryx-plc-test --virtual-port --duration 3 \
        --settings /usr/share/doc/dryx-plc-test/examples/setup.ini 2>/tmp/window.err &
    sleep 2; xwininfo -root -tree | grep -o "\"DRYX PLC Test\": ([^)]*) *[0-9x+-]*" | head -n 1
    wait $!; echo "exit status $?"' | tee "$root/tmp/window.out"
grep -q '"DRYX PLC Test"' "$root/tmp/window.out" || { cat "$root/tmp/window.err"; fail "no window"; }
grep -qx 'exit status 0' "$root/tmp/window.out" || fail "window run"
cat "$root/tmp/window.err"

step "apt-get remove dryx-plc-test"
apt remove -y dryx-plc-test >/dev/null
left=0
while read -r path; do
    if [[ -e $root$path && ! -d $root$path ]]; then
        echo "left behind: $path"
        left=$((left + 1))
    fi
done <"$root/tmp/files"
[[ $left == 0 ]] || fail "$left files left behind"
echo "$(grep -c . "$root/tmp/files") paths of the package: every file is gone"
in_root sh -c 'command -v dryx-plc-test' && fail "dryx-plc-test still on PATH"
in_root dpkg -s dryx-plc-test 2>&1 | head -n 1 || true

step "all well"
