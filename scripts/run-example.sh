#!/usr/bin/env bash
# Runs the host tool on the bundled example case: builds the library and the
# tool first if needed, then prints the transcript of the case's set-up.
#   scripts/run-example.sh [vortimar-inspect options]   e.g. --steps 0,90 --no-nodes
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
CASE=${CASE:-$ROOT/examples/engine_case/inputs.in}

if [ ! -f "$CASE" ]; then
    echo "run-example: no case at $CASE" >&2
    exit 1
fi
# Build output is shown only when the build fails.
if [ ! -f "$BUILD/build.ninja" ]; then
    if ! log=$(cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release 2>&1); then
        echo "$log" >&2
        exit 1
    fi
fi
if ! log=$(ninja -C "$BUILD" -j"${JOBS:-2}" userd-vortimar_input vortimar-inspect 2>&1); then
    echo "$log" >&2
    exit 1
fi
exec "$BUILD/vortimar-inspect" "$@" "$BUILD/libuserd-vortimar_input.so" "$CASE"
