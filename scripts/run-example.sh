#!/usr/bin/env bash
# Runs the host tool on a case: builds the library and the tool first if
# needed, then prints the transcript of the case's set-up.
#   scripts/run-example.sh [vortimar-inspect options]   e.g. --steps 0,90 --no-nodes
#   CASE=path/to/case scripts/run-example.sh [options]  a case of one's own: its
#                                                       folder or its inputs.in
# The bundled example case examples/engine_case is the default.
#
# Run as root on Debian, it first installs the packages the build needs that
# are missing; without GoogleTest it builds without the tests.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
CASE=${CASE:-$ROOT/examples/engine_case}

if [ ! -e "$CASE" ]; then
    echo "run-example: no case at $CASE (give CASE=the case folder or its inputs.in)" >&2
    exit 1
fi

# shellcheck source=scripts/packages.sh
source "$ROOT/scripts/packages.sh"
# Build output is shown only when the build fails.
if [ ! -f "$BUILD/build.ninja" ]; then
    install_missing_packages run-example cmake ninja-build g++ libgtest-dev googletest >&2 || exit 1
    tests=ON
    if command -v dpkg-query >/dev/null 2>&1 && ! package_installed libgtest-dev; then
        echo "run-example: GoogleTest (libgtest-dev) is missing: building without the tests" >&2
        tests=OFF
    fi
    if ! log=$(cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREADER_TESTS=$tests 2>&1); then
        echo "$log" >&2
        exit 1
    fi
fi
if ! log=$(ninja -C "$BUILD" -j"${JOBS:-2}" userd-vortimar_input vortimar-inspect 2>&1); then
    echo "$log" >&2
    exit 1
fi
exec "$BUILD/vortimar-inspect" "$@" "$BUILD/libuserd-vortimar_input.so" "$CASE"
