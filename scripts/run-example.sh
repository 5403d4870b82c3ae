#!/usr/bin/env bash
# The main job, on a bare Debian machine: installs what is missing (as root), builds the
# libraries, then for the bundled engine case prints the summary and writes the export and
# the plot under out/, and says how to open them.
#   scripts/run-example.sh                       the main job
#   scripts/run-example.sh --transcript [opts]   the host tool's transcript of the case instead,
#                                                e.g. --transcript --steps 0,90 --no-nodes
# Environment: BUILD_DIR (default build/), OUT (default out/), JOBS (default 2).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
CASE=${CASE:-$ROOT/examples/engine_case/inputs.in}

if [ ! -f "$CASE" ]; then
    echo "run-example: no case at $CASE" >&2
    exit 1
fi

# ---- Packages for the Python commands and the ParaView plugin ------------------------
# Debian's ParaView brings VTK's Python modules to the system python3; Open MPI gives the
# launcher of a parallel pvbatch.
EXAMPLE_PACKAGES=(cmake ninja-build g++ python3 python3-numpy python3-matplotlib python3-pytest
                  paraview python3-paraview openmpi-bin)
install_example_packages() {
    command -v dpkg-query >/dev/null 2>&1 || return 0
    local missing=() pkg
    for pkg in "${EXAMPLE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "run-example: missing packages (run as root to install them): ${missing[*]}" >&2
        return 1
    fi
    echo "run-example: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}
install_example_packages

# ---- Build (its output is shown only when it fails) ----------------------------------
if [ ! -f "$BUILD/build.ninja" ]; then
    if ! log=$(cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release 2>&1); then
        echo "$log" >&2
        exit 1
    fi
fi
if ! log=$(ninja -C "$BUILD" -j"${JOBS:-2}" userd-vortimar_input vortimar-inspect vortimar_case 2>&1); then
    echo "$log" >&2
    exit 1
fi

if [ "${1:-}" = "--transcript" ]; then
    shift
    exec "$BUILD/vortimar-inspect" "$@" "$BUILD/libuserd-vortimar_input.so" "$CASE"
fi

# ---- Summary, export and plot of the case ----------------------------------------------
OUT=${OUT:-$ROOT/out}
NAME=$(basename "$(dirname "$CASE")")
export VORTIMAR_LIBRARY="$BUILD/libvortimar_case.so"
export PYTHONPATH="$ROOT/python${PYTHONPATH:+:$PYTHONPATH}"
PY=/usr/bin/python3
[ -x "$PY" ] || PY=python3

"$PY" -m vortimar summary "$CASE"
echo
"$PY" -m vortimar export "$CASE" "$OUT/$NAME" --every 4
"$PY" -m vortimar plot "$CASE" "$OUT/$NAME.png"
cat <<EOF

To look at the case:
- the exported run (every 4th step; press Play):
    paraview $OUT/$NAME/$NAME.pvd
- the case itself through the reader plugin: start ParaView with
    paraview --script=$ROOT/paraview/vortimar_startup.py
  then File > Open $CASE
- the piston and valve lifts over the run: $OUT/$NAME.png
EOF
