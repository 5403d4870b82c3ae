#!/usr/bin/env bash
# The main job, also on a bare Debian machine: installs the packages that are missing (as
# root), builds the libraries and the host tool if needed, then for the bundled engine case
# prints the summary, writes the export, the plot and the page under out/, and says how to open them.
# Options and environment: usage() below, or scripts/run-example.sh --help.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/run-example.sh [--transcript [TOOL OPTIONS]]
       CASE=path/to/case scripts/run-example.sh [...]

Builds the libraries and the host tool if needed (installing missing Debian packages when
run as root), then for the case prints the summary, writes the export to OUT/NAME/, the
plot to OUT/NAME.png and the page OUT/NAME.html (the run in any web browser), and says how
to open them.

  --transcript [OPTIONS]  print the host tool's transcript of the case instead; OPTIONS go
                          to vortimar-inspect, e.g. --transcript --steps 0,90 --no-nodes
  --help, -h              print this text and do nothing else

Environment: CASE (the case folder or its inputs.in; default examples/four_valve_engine),
BUILD_DIR (default build/), OUT (default out/), JOBS (parallel build jobs, default 2).
EOF
}
case "${1:-}" in
    --help|-h) usage; exit 0 ;;
    ""|--transcript) ;;
    *) echo "run-example: unknown option $1 (see --help)" >&2; exit 2 ;;
esac

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
CASE=${CASE:-$ROOT/examples/four_valve_engine}

if [ ! -e "$CASE" ]; then
    echo "run-example: no case at $CASE (give CASE=the case folder or its inputs.in)" >&2
    exit 1
fi

# ---- Packages -------------------------------------------------------------------------
# The build; Debian's ParaView (which also brings VTK's Python modules to python3), numpy and
# matplotlib for the summary, export and plot.
# shellcheck source=scripts/packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages run-example cmake ninja-build g++ libgtest-dev googletest \
    python3 python3-numpy python3-matplotlib paraview python3-paraview >&2 || exit 1

# ---- Build (its output is shown only when it fails) -------------------------------------
if [ ! -f "$BUILD/build.ninja" ]; then
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
if ! log=$(ninja -C "$BUILD" -j"${JOBS:-2}" userd-vortimar_input vortimar-inspect vortimar_case 2>&1); then
    echo "$log" >&2
    exit 1
fi

if [ "${1:-}" = "--transcript" ]; then
    shift
    exec "$BUILD/vortimar-inspect" "$@" "$BUILD/libuserd-vortimar_input.so" "$CASE"
fi

# ---- Summary, export and plot of the case -------------------------------------------------
OUT=${OUT:-$ROOT/out}
FOLDER=$(cd "$( [ -d "$CASE" ] && echo "$CASE" || dirname "$CASE")" && pwd)
NAME=$(basename "$FOLDER")
export VORTIMAR_LIBRARY="$BUILD/libvortimar_case.so"
export PYTHONPATH="$ROOT/python${PYTHONPATH:+:$PYTHONPATH}"
PY=/usr/bin/python3
[ -x "$PY" ] || PY=python3

"$PY" -m vortimar summary "$FOLDER"
echo
"$PY" -m vortimar export "$FOLDER" "$OUT/$NAME" --every 4
"$PY" -m vortimar plot "$FOLDER" "$OUT/$NAME.png"
"$PY" -m vortimar view "$FOLDER" "$OUT/$NAME.html"
cat <<EOF

To look at the case:
- the exported run (every 4th step; press Play):
    paraview $OUT/$NAME/$NAME.pvd
- the case itself through the reader plugin: start ParaView with
    paraview --script=$ROOT/paraview/vortimar_startup.py
  then File > Open $FOLDER/inputs.in
- the plot of the run (piston and valve lifts, or the translations of the moving parts): $OUT/$NAME.png
- the run in any web browser, offline, no ParaView needed (one file; send it to anyone):
    chromium file://$OUT/$NAME.html      (or open it from the browser's File menu)
EOF
