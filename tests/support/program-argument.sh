# The one argument of a test script run on the program: PROGRAM, the dryx-plc-test executable,
# made absolute, and ROOT, the project's root. Sourced by the tests/*/run_*_test.sh scripts;
# bad usage ends the script with status 2.
if [ $# -ne 1 ]; then
    echo "usage: $0 PROGRAM (the dryx-plc-test executable)" >&2
    exit 2
fi
PROGRAM=$(realpath "$1")
if [ ! -x "$PROGRAM" ]; then
    echo "$0: $1 is not an executable program" >&2
    exit 2
fi
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
