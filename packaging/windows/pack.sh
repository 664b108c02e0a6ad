#!/usr/bin/env bash
# Packs the Windows program as the zip a Windows user unpacks and runs:
#
#   packaging/windows/pack.sh BUILD_DIR QT_KIT OUT_DIR VERSION
#
# OUT_DIR gets dryx-plc-test-VERSION-win64/ (the folder as it is unpacked) and
# dryx-plc-test-VERSION-win64.zip. In the folder: dryx-plc-test.exe and the window's module
# beside it, dryx-plc-test-window.dll (which the program loads when the window opens); every DLL
# they need that Windows does not have, found from the imports of the program, the module and
# each DLL taken (objdump -p), in the kit's bin/ or MinGW-w64's runtime folders; the platform plugin (platforms/) and
# the style plugin (styles/) with what they import; README.txt for Windows users; the example
# setups and scenario; the licences of Qt and of the MinGW-w64 runtime.
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 BUILD_DIR QT_KIT OUT_DIR VERSION" >&2; exit 2; }
build=$1 kit=$2 out=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
name=dryx-plc-test-$version-win64
stage=$out/$name
objdump=x86_64-w64-mingw32-objdump
cxx=x86_64-w64-mingw32-g++-posix

# Where the DLLs that are not Windows' own come from: the kit, GCC's runtime (libstdc++,
# libgcc_s) and MinGW-w64's (libwinpthread).
search=("$kit/bin"
        "$(dirname "$("$cxx" -print-file-name=libstdc++-6.dll)")"
        "$(dirname "$("$cxx" -print-file-name=libwinpthread-1.dll)")")

rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/examples" "$stage/licences"

cp "$build/dryx-plc-test.exe" "$build/dryx-plc-test-window.dll" "$here/dryx-plc-test.ico" "$stage/"
cp "$kit/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$kit/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

imports() { "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }

# Breadth first from the program, its module and the plugins: a DLL found in the search folders
# is taken (and its own imports followed); one found nowhere there is Windows' own (KERNEL32.dll,
# USER32.dll, ...).
declare -A taken=([dryx-plc-test-window.dll]=1)
queue=("$stage/dryx-plc-test.exe" "$stage/dryx-plc-test-window.dll" "$stage/platforms/qwindows.dll"
       "$stage/styles/qwindowsvistastyle.dll")
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r dll; do
        key=${dll,,}
        [ -n "${taken[$key]:-}" ] && continue
        for dir in "${search[@]}"; do
            found=$(find "$dir" -maxdepth 1 -iname "$dll" -print -quit 2>/dev/null)
            if [ -n "$found" ]; then
                cp "$found" "$stage/"
                taken[$key]=1
                queue+=("$stage/$(basename "$found")")
                break
            fi
        done
        [ -n "${taken[$key]:-}" ] || taken[$key]=system
    done < <(imports "$file")
done
# The DLLs and the program keep their symbols out (the runtime's are not ours to debug).
for dll in "$stage"/*.dll; do
    x86_64-w64-mingw32-strip --strip-unneeded "$dll"
done
x86_64-w64-mingw32-strip "$stage/dryx-plc-test.exe"

# Text files for Notepad: CR LF.
crlf() { sed 's/$/\r/' "$1" > "$2"; }
sed "s/@VERSION@/$version/g" "$here/README.txt" | sed 's/$/\r/' > "$stage/README.txt"
for f in setup.ini two-pages.ini rig.txt; do
    crlf "$root/examples/$f" "$stage/examples/$f"
done
# The golden record stays byte for byte as the program writes records (LF), for comparing.
cp "$root/examples/rig.golden.log" "$stage/examples/"
crlf "$here/LICENCES.txt" "$stage/licences/LICENCES.txt"
crlf /usr/share/common-licenses/LGPL-3 "$stage/licences/LGPL-3.txt"
crlf /usr/share/common-licenses/GPL-3 "$stage/licences/GPL-3.txt"

(cd "$out" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name")
echo "Windows program: $out/$name.zip ($(du -h "$out/$name.zip" | cut -f1); unpacked $(du -sh "$stage" | cut -f1))"
echo "  DLLs taken: $(cd "$stage" && ls ./*.dll | sed 's|^\./||' | tr '\n' ' ')"
echo "  Windows' own: $(for k in "${!taken[@]}"; do [ "${taken[$k]}" = system ] && echo "$k"; done | sort | tr '\n' ' ')"
