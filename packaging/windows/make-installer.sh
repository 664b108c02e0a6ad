#!/usr/bin/env bash
# The installer beside the zip, from the folder pack.sh unpacked it from:
#
#   packaging/windows/make-installer.sh OUT_DIR VERSION
#
# makes OUT_DIR/dryx-plc-test-VERSION-setup.exe with Debian's makensis (package nsis); without
# makensis it says so and makes none (the zip is the Windows program all the same).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 OUT_DIR VERSION" >&2; exit 2; }
out=$(cd "$1" && pwd) version=$2
here=$(cd "$(dirname "$0")" && pwd)
stage=$out/dryx-plc-test-$version-win64
setup=$out/dryx-plc-test-$version-setup.exe
[ -d "$stage" ] || { echo "no $stage: run pack.sh first" >&2; exit 1; }
if ! command -v makensis >/dev/null; then
    echo "no installer: makensis is not installed (Debian: apt-get install nsis)"
    exit 0
fi
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "$here/installer.nsi"
echo "Windows installer: $setup ($(du -h "$setup" | cut -f1))"
