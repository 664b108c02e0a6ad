#!/usr/bin/env bash
# Checks a built Debian package of the tool: its control fields, the exact files in it, lintian,
# and the program run from an extracted copy.
#   check-package.sh DEB VERSION
set -u
deb=${1:?usage: check-package.sh DEB VERSION}
version=${2:?usage: check-package.sh DEB VERSION}
failures=0
passes=0
check()
{
    if [[ $2 == "$3" ]]; then
        passes=$((passes + 1))
    else
        printf 'FAIL: %s:\n  got:    %s\n  wanted: %s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}
finish()
{
    echo "package: $passes passed, $failures failed"
    [[ $failures == 0 ]]
    exit
}

check "file name" "$(basename "$deb")" "dryx-plc-test_${version}_amd64.deb"
field() { dpkg-deb -f "$deb" "$1"; }
check "Package" "$(field Package)" dryx-plc-test
check "Version" "$(field Version)" "$version"
check "Architecture" "$(field Architecture)" amd64
check "Section" "$(field Section)" electronics
check "Maintainer given" "$(field Maintainer | grep -c '<.*@.*>')" 1
check "Description given" "$(field Description | wc -l | awk '$1 > 2 {print "yes"}')" yes
# What the program needs to run: the Qt libraries it links, and the platform plugins it loads
# (xcb for the window on a desktop).
depends=$(field Depends | tr ',' '\n' | sed 's/ *(.*//; s/^ *//' | sort | xargs)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins libc6; do
    check "depends on $package" "$(tr ' ' '\n' <<<"$depends" | grep -cx "$package")" 1
done

# Every entry: mode, owner, path. Manual pages gzipped, as Debian keeps them.
listing=$(dpkg-deb -c "$deb" | awk '{print $1, $2, $6}')
wanted="drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/dryx-plc-test
drwxr-xr-x root/root ./usr/lib/
drwxr-xr-x root/root ./usr/lib/x86_64-linux-gnu/
drwxr-xr-x root/root ./usr/lib/x86_64-linux-gnu/dryx-plc-test/
-rw-r--r-- root/root ./usr/lib/x86_64-linux-gnu/dryx-plc-test/dryx-plc-test-window.so
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/applications/
-rw-r--r-- root/root ./usr/share/applications/dryx-plc-test.desktop
drwxr-xr-x root/root ./usr/share/bash-completion/
drwxr-xr-x root/root ./usr/share/bash-completion/completions/
-rw-r--r-- root/root ./usr/share/bash-completion/completions/dryx-plc-test
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/dryx-plc-test/
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/copyright
drwxr-xr-x root/root ./usr/share/doc/dryx-plc-test/examples/
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/examples/setup.ini
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/examples/two-pages.ini
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/examples/ser2net.yaml
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/examples/rig.txt
-rw-r--r-- root/root ./usr/share/doc/dryx-plc-test/examples/rig.golden.log
drwxr-xr-x root/root ./usr/share/icons/
drwxr-xr-x root/root ./usr/share/icons/hicolor/
drwxr-xr-x root/root ./usr/share/icons/hicolor/256x256/
drwxr-xr-x root/root ./usr/share/icons/hicolor/256x256/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/dryx-plc-test.png
drwxr-xr-x root/root ./usr/share/icons/hicolor/32x32/
drwxr-xr-x root/root ./usr/share/icons/hicolor/32x32/apps/
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/dryx-plc-test.png
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/dryx-plc-test.1.gz"
check "contents" "$(sort <<<"$listing")" "$(sort <<<"$wanted")"

# Debian's policy checks: no error, no warning (lintian's note that it runs as root aside).
check "lintian errors and warnings" \
    "$(lintian "$deb" 2>&1 | grep -v '^running with root privileges' | grep -E '^[EW]: ')" ""

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; failures=$((failures + 1)); finish; }
cd "$root" || exit 1

check "gzipped manual page" "$(gzip -t usr/share/man/man1/dryx-plc-test.1.gz && echo ok)" ok
check "manual page's name line" \
    "$(zcat usr/share/man/man1/dryx-plc-test.1.gz | sed -n '/^\.SH NAME/{n;p}')" \
    'dryx-plc-test \- stand in for a production line'"'"'s PLC, sending timed data strings to DRYX'
check "PNG icons" "$(file -b usr/share/icons/hicolor/*/apps/dryx-plc-test.png | cut -d, -f1,2 | xargs)" \
    "PNG image data, 256 x 256 PNG image data, 32 x 32"
check "binary stripped" "$(file -b usr/bin/dryx-plc-test | grep -o 'not stripped')" ""
check "window module stripped" \
    "$(file -b usr/lib/x86_64-linux-gnu/dryx-plc-test/dryx-plc-test-window.so | grep -o 'not stripped')" ""

program=./usr/bin/dryx-plc-test
check "--version" "$($program --version; echo "status $?")" "dryx-plc-test $version
status 0"
help=$($program --help)
check "--help status" "$?" 0
check "--help usage line" "$(head -n 1 <<<"$help")" "Usage: dryx-plc-test [OPTION]... [DEVICE]"

# A short headless run on the virtual line with the packaged example setup: the first data
# string goes at 1000 ms, the second is due at 1500 ms, as the run ends.
errors=$(timeout 20 $program --headless --virtual-port --start --duration 1.7 \
    --settings usr/share/doc/dryx-plc-test/examples/setup.ini </dev/null 2>&1 >/dev/null)
check "headless run status" "$?" 0
check "virtual line printed" "$(grep -cE '^virtual serial line: /dev/pts/[0-9]+$' <<<"$errors")" 1
check "summary" "$(grep -E '^dryx-plc-test: Summary: ' <<<"$errors" |
    sed -E 's/^(.*: )[12] (data strings sent, 0 left out; )[0-9]+ (bytes on the line; 0 errors reported)$/\1N \2B \3/')" \
    "dryx-plc-test: Summary: N data strings sent, 0 left out; B bytes on the line; 0 errors reported"
check "nothing else on standard error" "$(grep -cvE '^(virtual serial line|dryx-plc-test: Summary): ' <<<"$errors")" 0

# The window, on Qt's offscreen platform: the program finds its module in the package's folder
# (its place kept in a settings folder of the check's own).
errors=$(XDG_CONFIG_HOME=$root/config QT_QPA_PLATFORM=offscreen timeout 20 $program --virtual-port \
    --start --duration 1.7 --settings usr/share/doc/dryx-plc-test/examples/setup.ini </dev/null 2>&1 >/dev/null)
check "window run status" "$?" 0
check "window run's summary" "$(grep -cE '^dryx-plc-test: Summary: [12] data strings sent' <<<"$errors")" 1
check "window run's messages" "$(grep -E '^dryx-plc-test: ' <<<"$errors" | grep -cv ': Summary: ')" 0
finish
