#!/usr/bin/env bash
# Makes the Debian package from this build tree, as `make package` makes it from its own, into a
# folder of its own, and checks it.
#   package-test.sh BUILD_DIR VERSION
set -u
build=${1:?usage: package-test.sh BUILD_DIR VERSION}
version=${2:?}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
"$(dirname "$0")/check-package.sh" "$out/dryx-plc-test_${version}_amd64.deb" "$version"
