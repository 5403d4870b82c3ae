#!/usr/bin/env bash
# Builds the reader library four ways and runs every test of each build,
# then fuzzes it and watches it read the golden cases:
#   linux     Release build in build/          (build/libuserd-vortimar_input.so)
#   asan      AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   tsan      ThreadSanitizer build in build-tsan/ (readers on several threads)
#   win       64-bit Windows cross build in build-win/, tests run under Wine
#   fuzz      every fuzz target built with clang in build-fuzz/ and run for a
#             bounded time (scripts/fuzz.sh; FUZZ_SECONDS per target, default 40)
#   memcheck  the golden cases under valgrind and under strace, the latter on
#             copies of the case folders (scripts/memcheck.sh; uses build/)
#
#   scripts/test-all.sh [linux] [asan] [tsan] [win] [fuzz] [memcheck]   (no argument: all)
#
# Run as root on a Debian machine, it first installs the packages it needs
# that are missing. The build folders can be moved with the environment
# variables BUILD_DIR, ASAN_BUILD_DIR, TSAN_BUILD_DIR and WIN_BUILD_DIR (relative to the
# repository root, or absolute).
#
# The last line is "N passed, M failed": the sums of ctest's counts over the
# builds (a build that did not complete counts as one more failure), of the
# fuzz targets run and of the cases watched.
# The exit status is 0 only when nothing failed.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

JOBS=${JOBS:-2}
BUILD_DIR=${BUILD_DIR:-build}
ASAN_BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
TSAN_BUILD_DIR=${TSAN_BUILD_DIR:-build-tsan}
WIN_BUILD_DIR=${WIN_BUILD_DIR:-build-win}

if [ $# -eq 0 ]; then
    set -- linux asan tsan win fuzz memcheck
fi
for which in "$@"; do
    case "$which" in
        linux | asan | tsan | win | fuzz | memcheck) ;;
        *) echo "usage: $0 [linux] [asan] [tsan] [win] [fuzz] [memcheck]" >&2; exit 2 ;;
    esac
done

START=$(date +%s)

# ---- Packages -----------------------------------------------------------------
# The POSIX thread model variant of the MinGW-w64 compiler is named explicitly:
# the plain package pulls in both variants.
PACKAGES=(cmake ninja-build g++ binutils libgtest-dev googletest python3 python3-numpy python3-pytest
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
          clang libclang-rt-14-dev valgrind strace)
# The Python commands and the ParaView plugin tests (Debian's ParaView brings VTK's Python
# modules to python3; Open MPI runs the two-rank pvbatch test).
PACKAGES+=(python3-matplotlib paraview python3-paraview openmpi-bin)
# The set-up check's proximity queries (Linux only).
PACKAGES+=(libfcl-dev)
# The HTML view's browser tests and the glTF check: chromium, and node with npm for the
# pinned packages of web/ (Debian's nodejs and npm only where no node or npm is installed).
PACKAGES+=(chromium)
command -v node >/dev/null 2>&1 || PACKAGES+=(nodejs)
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

# shellcheck source=scripts/packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages test-all "${PACKAGES[@]}" || exit 1
# The packages of web/ exactly as the lock file gives them (three.js, the glTF validator).
(cd "$ROOT/web" && npm ci --no-audit --no-fund --prefer-offline >/dev/null) ||
    { echo "test-all: npm ci in web/ failed" >&2; exit 1; }

# ---- Wine ---------------------------------------------------------------------
# The 64-bit loader directly where it exists (the 'wine' wrapper asks for the
# 32-bit one on machines without it).
wine_loader() {
    local c
    for c in /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine64 2>/dev/null)" \
             "$(command -v wine 2>/dev/null)"; do
        if [ -n "$c" ] && [ -x "$c" ]; then
            echo "$c"
            return 0
        fi
    done
    return 1
}

# A private Wine prefix in the build folder unless the caller chose one.
# Mono and Gecko are switched off so that no installer dialog is offered.
prepare_wine() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${WINEPREFIX:-}" ]; then
        mkdir -p "$WIN_PATH"
        export WINEPREFIX="$WIN_PATH/wine-prefix"
    fi
    local loader
    loader=$(wine_loader) || { echo "test-all: wine is not installed" >&2; return 1; }
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "test-all: initialising the Wine prefix $WINEPREFIX"
        timeout 300 "$loader" wineboot -i >/dev/null 2>&1 || true
    fi
    timeout 120 "$loader" cmd /c exit >/dev/null 2>&1 || true
}

stop_wine() {
    local server
    server=$(command -v wineserver 2>/dev/null || true)
    [ -n "$server" ] || server=/usr/lib/wine/wineserver
    if [ -n "${WINEPREFIX:-}" ] && [ -x "$server" ]; then
        # Wait for this prefix's server to go away by itself (a few seconds).
        timeout 60 "$server" -w >/dev/null 2>&1 || true
    fi
}

abs_path() {
    case "$1" in
        /*) echo "$1" ;;
        *) echo "$ROOT/$1" ;;
    esac
}
WIN_PATH=$(abs_path "$WIN_BUILD_DIR")

# ---- One build ----------------------------------------------------------------
TOTAL_PASSED=0
TOTAL_FAILED=0
SUMMARY=()

# build_and_test NAME DIR [cmake options...]
build_and_test() {
    local name=$1 dir
    dir=$(abs_path "$2")
    shift 2
    local t0 log status passed=0 failed=0 note=""
    t0=$(date +%s)
    echo
    echo "==== $name: $dir"
    mkdir -p "$dir"
    log="$dir/test-all-build.log"

    if ! cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$log" 2>&1; then
        cat "$log"
        note="configure FAILED"
        failed=1
    else
        ninja -C "$dir" -j"$JOBS" -k 0 >>"$log" 2>&1
        status=$?
        local warnings
        warnings=$(grep -c -E 'warning:' "$log" || true)
        grep -E 'warning:|error:|FAILED:' "$log" | head -50
        if [ "$status" -ne 0 ]; then
            note="build FAILED (log: $log)"
            failed=1
        else
            note="build ok, $warnings compiler warnings"
        fi

        local ctest_log="$dir/test-all-ctest.log"
        (cd "$dir" && ctest --output-on-failure -j"$JOBS" --timeout 900) 2>&1 | tee "$ctest_log"
        local counts
        counts=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$ctest_log" | tail -1)
        if [ -n "$counts" ]; then
            local f n
            f=$(echo "$counts" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
            n=$(echo "$counts" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
            passed=$((n - f))
            failed=$((failed + f))
        elif grep -q 'No tests were found' "$ctest_log"; then
            note="$note; no tests found"
            failed=$((failed + 1))
        else
            note="$note; ctest gave no counts"
            failed=$((failed + 1))
        fi
    fi
    local t1
    t1=$(date +%s)
    TOTAL_PASSED=$((TOTAL_PASSED + passed))
    TOTAL_FAILED=$((TOTAL_FAILED + failed))
    SUMMARY+=("$(printf '%-6s %4d passed, %3d failed  (%s; %ds)' "$name" "$passed" "$failed" "$note" $((t1 - t0)))")
}

# script_stage NAME SCRIPT [args...]: a script whose last line is
# "N passed, M failed"; a script that gives no such line counts as one failure.
script_stage() {
    local name=$1 t0 log counts p=0 f=0 note
    shift
    t0=$(date +%s)
    mkdir -p "$ROOT/build-logs"
    log="$ROOT/build-logs/$name.log"
    echo
    echo "==== $name: $*"
    "$@" 2>&1 | tee "$log"
    counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
    if [ -n "$counts" ]; then
        p=${counts%% passed*}
        f=$(echo "$counts" | sed -E 's/.* ([0-9]+) failed$/\1/')
        note="see $log"
    else
        f=1
        note="gave no counts (log: $log)"
    fi
    TOTAL_PASSED=$((TOTAL_PASSED + p))
    TOTAL_FAILED=$((TOTAL_FAILED + f))
    SUMMARY+=("$(printf '%-8s %4d passed, %3d failed  (%s; %ds)' "$name" "$p" "$f" "$note" $(($(date +%s) - t0)))")
}

for which in "$@"; do
    case "$which" in
        fuzz)
            script_stage fuzz "$ROOT/scripts/fuzz.sh"
            ;;
        memcheck)
            BUILD_DIR="$BUILD_DIR" script_stage memcheck "$ROOT/scripts/memcheck.sh"
            ;;
        linux)
            build_and_test linux "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
            ;;
        asan)
            export ASAN_OPTIONS=detect_leaks=1
            export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
            build_and_test asan "$ASAN_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREADER_SANITIZE=ON
            ;;
        tsan)
            export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
            build_and_test tsan "$TSAN_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREADER_SANITIZE=thread
            ;;
        win)
            if prepare_wine; then
                build_and_test win "$WIN_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
                    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake"
                stop_wine
            else
                TOTAL_FAILED=$((TOTAL_FAILED + 1))
                SUMMARY+=("win    no Wine: not built")
            fi
            ;;
    esac
done

END=$(date +%s)
echo
echo "==== summary ($((END - START)) s)"
for line in "${SUMMARY[@]}"; do
    echo "$line"
done
echo "$TOTAL_PASSED passed, $TOTAL_FAILED failed"
[ "$TOTAL_FAILED" -eq 0 ]
