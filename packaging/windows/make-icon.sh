#!/usr/bin/env bash
# packaging/windows/dryx-plc-test.ico, the Windows program's icon: the window's own icon, drawn
# by the Linux build's dryx-render-icon at the sizes Windows uses, packed by ImageMagick.
#
#   packaging/windows/make-icon.sh build/packaging/dryx-render-icon
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
args=() files=()
for size in 16 24 32 48 64 256; do
    args+=("$size" "$work/$size.png")
    files+=("$work/$size.png")
done
QT_QPA_PLATFORM=offscreen "$render" "${args[@]}"
convert "${files[@]}" "$here/dryx-plc-test.ico"
echo "$here/dryx-plc-test.ico"
