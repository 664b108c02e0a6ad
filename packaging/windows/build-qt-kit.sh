#!/usr/bin/env bash
# Builds the Qt kit that `make windows` cross-builds the Windows program with, where none is at
# hand: Qt 6.4.2 (Core, Gui, Widgets, Test from qtbase; SerialPort) for x86_64-w64-mingw32, shared
# libraries, Release, with Debian's MinGW-w64 (posix threads) and Debian's own Qt 6.4.2 as the
# host tools (moc, rcc, uic). About an hour on 2 cores; `make windows` and CI never run it.
#
#   packaging/windows/build-qt-kit.sh OUT.tar.xz
#
# The sources, each an unpacked tree or its .tar.xz:
#   QTBASE_SRC       qtbase-everywhere-src-6.4.2, default: fetched with `apt-get source qt6-base`
#                    (Debian's own, the same version as its qt6-base-dev; needs a deb-src line
#                    for the machine's suites)
#   QTSERIALPORT_SRC qtserialport-everywhere-src-6.4.2 (download.qt.io,
#                    official_releases/qt/6.4/6.4.2/submodules/), default: the one beside the
#                    shared kit, ../shared/windows/
# The kit unpacks to qt6-mingw/; use it with `make windows QT_MINGW=/path/to/qt6-mingw`, or put
# OUT.tar.xz where QT_MINGW_ARCHIVE points.
#
# What is left out, and why: OpenGL and Vulkan (the window draws with the raster engine),
# network, SQL, XML, D-Bus, printing, concurrency, tablets, ICU (the tool uses none of them);
# zlib, PCRE2, HarfBuzz, FreeType, libpng and libjpeg are Qt's bundled copies, so that the kit
# needs no other MinGW-w64 library.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 OUT.tar.xz" >&2; exit 2; }
out=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dryx-qt-kit.XXXXXX")
prefix=$work/qt6-mingw
trap 'echo "logs and the build: $work"' ERR
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
log() { echo "build-qt-kit: $*"; }

packages="g++-mingw-w64-x86-64-posix qt6-base-dev cmake ninja-build dpkg-dev xz-utils perl python3"
missing=$(for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"; done)
if [ -n "$missing" ]; then
    log "installing $missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[-+].*//')
[ "$host_version" = 6.4.2 ] || log "warning: the host tools are Qt $host_version, the kit 6.4.2"

# A source tree from a tree or a tarball.
tree() {
    local source=$1 name=$2
    if [ -d "$source" ]; then
        realpath "$source"
    else
        tar -xJf "$source" -C "$work"
        echo "$work/$name"
    fi
}
if [ -z "${QTBASE_SRC:-}" ]; then
    log "fetching Debian's qt6-base source package"
    (cd "$work" && apt-get source --download-only qt6-base >/dev/null) || {
        echo "apt-get source found no qt6-base: add a deb-src line for this machine's suites" \
             "(e.g. a copy of the deb line with Types: deb-src), run apt-get update, or give" \
             "QTBASE_SRC" >&2
        exit 1
    }
    QTBASE_SRC=$(ls "$work"/qt6-base_*.orig.tar.xz)
fi
QTSERIALPORT_SRC=${QTSERIALPORT_SRC:-$root/../shared/windows/qtserialport-everywhere-src-6.4.2.tar.xz}
[ -e "$QTSERIALPORT_SRC" ] || { echo "no QTSERIALPORT_SRC: $QTSERIALPORT_SRC" >&2; exit 1; }
base=$(tree "$QTBASE_SRC" qtbase-everywhere-src-6.4.2)
serial=$(tree "$QTSERIALPORT_SRC" qtserialport-everywhere-src-6.4.2)

# The MinGW-w64 toolchain; it travels inside the kit, where the kit's own toolchain file loads it.
toolchain=$work/mingw-w64.toolchain.cmake
cat > "$toolchain" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

run() { # run LOG COMMAND...: the command's output to LOG, its tail when it fails
    local file=$work/$1
    shift
    "$@" >"$file" 2>&1 || { tail -40 "$file"; exit 1; }
}
jobs=$(nproc)
log "qtbase: configuring"
run qtbase-configure.log cmake -G Ninja -S "$base" -B "$work/qtbase" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_sql=OFF \
    -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_sql_sqlite=OFF
log "qtbase: building (most of the hour)"
run qtbase-build.log cmake --build "$work/qtbase" -j "$jobs"
run qtbase-install.log cmake --install "$work/qtbase"
log "qtserialport: configuring and building with the new kit"
run serial-configure.log "$prefix/bin/qt-cmake" -G Ninja -S "$serial" -B "$work/serial" \
    -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix"
run serial-build.log cmake --build "$work/serial" -j "$jobs"
run serial-install.log cmake --install "$work/serial"

# Relocatable: the toolchain file inside the kit, named relative to the kit's own; no path of
# this build left in the .prl files; the DLLs stripped.
cp "$toolchain" "$prefix/lib/cmake/Qt6/mingw-w64.toolchain.cmake"
sed -i "s|set(__qt_initially_configured_toolchain_file \"$toolchain\")|set(__qt_initially_configured_toolchain_file \"\${CMAKE_CURRENT_LIST_DIR}/mingw-w64.toolchain.cmake\")|" \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
sed -i "s|$work/[^ ]*||g" "$prefix"/lib/*.prl
find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} \;
grep -q 'mingw-w64.toolchain.cmake' "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ||
    { echo "the kit's toolchain file still names this build's" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
tar -C "$work" -cJf "$out" qt6-mingw
rm -rf "$work"
log "built: $out ($(du -h "$out" | cut -f1)); make windows QT_MINGW_ARCHIVE=$out"
