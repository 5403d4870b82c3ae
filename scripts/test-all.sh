#!/usr/bin/env bash
# Builds the reader library four ways and runs every test of each build,
# then fuzzes it and watches it read the golden cases:
#   linux     Release build in build/          (build/libuserd-vortimar_input.so)
#   asan      AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   tsan      ThreadSanitizer build in build-tsan/ (readers on several threads)
#   win       64-bit Windows cross build in build-win/, tests run under Wine
#   fuzz      every fuzz target built with clang in build-fuzz/ and run for a
#             bounded time (scripts/fuzz.sh; FUZZ_SECONDS per target, default 30,
#             two targets at a time)
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
# The compilers and GoogleTest are installed first; the packages of the other
# stages are installed in the background while the sanitizer stages, which
# need nothing more, build and run (those stages go first). The POSIX thread
# model variant of the MinGW-w64 compiler is named explicitly: the plain
# package pulls in both variants.
# FCL (the set-up check's proximity queries, Linux only) is among them: every
# Linux build builds the check when CMake finds it.
BASE_PACKAGES=(cmake ninja-build g++ binutils libgtest-dev googletest python3 libfcl-dev)
stage_packages() {
    case "$1" in
        # The Python commands and the ParaView plugin tests (Debian's ParaView brings VTK's
        # Python modules to python3; Open MPI runs the two-rank pvbatch test); the HTML
        # view's browser tests and the glTF check: chromium, and node with npm for the
        # pinned packages of web/ (Debian's nodejs and npm only where none is installed).
        linux)
            echo python3-numpy python3-pytest python3-matplotlib paraview python3-paraview openmpi-bin chromium
            command -v node >/dev/null 2>&1 || echo nodejs
            command -v npm >/dev/null 2>&1 || echo npm
            ;;
        win) echo g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 ;;
        fuzz) echo clang libclang-rt-14-dev ;;
        memcheck) echo valgrind strace ;;
    esac
}

# shellcheck source=scripts/packages.sh
source "$ROOT/scripts/packages.sh"
install_missing_packages test-all "${BASE_PACKAGES[@]}" || exit 1

STAGES=()
LATER=()
for which in "$@"; do
    if [ -z "$(stage_packages "$which")" ]; then STAGES+=("$which"); else LATER+=("$which"); fi
done
STAGES+=(${LATER[@]+"${LATER[@]}"})
PACKAGES=()
for which in "$@"; do
    for pkg in $(stage_packages "$which"); do
        package_installed "$pkg" || PACKAGES+=("$pkg")
    done
done
PACKAGES_PID=""
PACKAGES_LOG="$ROOT/build-logs/packages.log"
if [ ${#PACKAGES[@]} -gt 0 ] && [ "$(id -u)" -ne 0 ]; then
    install_missing_packages test-all "${PACKAGES[@]}"
elif [ ${#PACKAGES[@]} -gt 0 ]; then
    mkdir -p "$ROOT/build-logs"
    echo "test-all: installing ${PACKAGES[*]} in the background (log: $PACKAGES_LOG)"
    install_missing_packages test-all "${PACKAGES[@]}" >"$PACKAGES_LOG" 2>&1 &
    PACKAGES_PID=$!
fi

# Waits once for the background installation; false when it failed.
PACKAGES_OK=1
wait_for_packages() {
    if [ -n "$PACKAGES_PID" ]; then
        local t0=$SECONDS
        wait "$PACKAGES_PID" || { PACKAGES_OK=0; tail -20 "$PACKAGES_LOG"; }
        PACKAGES_PID=""
        SUMMARY+=("$(printf '%-8s %s; waited %ds' packages "$([ $PACKAGES_OK = 1 ] && echo installed || echo FAILED)" $((SECONDS - t0)))")
    fi
    [ "$PACKAGES_OK" = 1 ]
}

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

# A private Wine prefix in the build folder unless the caller chose one, with
# its server kept running for the whole stage, so that each of the many
# test programs started under Wine connects to it instead of starting one.
# Mono and Gecko are switched off so that no installer dialog is offered.
wine_server() {
    local server
    server=$(command -v wineserver 2>/dev/null || true)
    [ -n "$server" ] || server=/usr/lib/wine/wineserver
    [ -x "$server" ] && "$server" "$@" >/dev/null 2>&1
}

prepare_wine() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${WINEPREFIX:-}" ]; then
        mkdir -p "$WIN_PATH"
        export WINEPREFIX="$WIN_PATH/wine-prefix"
    fi
    local loader
    loader=$(wine_loader) || { echo "test-all: wine is not installed" >&2; return 1; }
    mkdir -p "$WINEPREFIX"
    wine_server -p
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "test-all: initialising the Wine prefix $WINEPREFIX"
        timeout 300 "$loader" wineboot -i >/dev/null 2>&1 || true
    fi
    timeout 120 "$loader" cmd /c exit >/dev/null 2>&1 || true
}

stop_wine() {
    wine_server -k || true
}

abs_path() {
    case "$1" in
        /*) echo "$1" ;;
        *) echo "$ROOT/$1" ;;
    esac
}
WIN_PATH=$(abs_path "$WIN_BUILD_DIR")

# ---- One stage ----------------------------------------------------------------
TOTAL_PASSED=0
TOTAL_FAILED=0
SUMMARY=()
# What a stage found: its counts and a note for the summary.
STAGE_PASSED=0
STAGE_FAILED=0
STAGE_NOTE=""

# Sets CPU_SECONDS to the user and system time of this script's finished
# child processes (and theirs) so far. Not in a subshell: it counts its own.
TIMES_FILE=$(mktemp)
trap 'rm -f "$TIMES_FILE"' EXIT
cpu_seconds() {
    times >"$TIMES_FILE"
    CPU_SECONDS=$(awk 'NR == 2 { for (i = 1; i <= 2; i++) { split($i, t, "m"); n += t[1] * 60 + t[2] } }
                       END { printf "%d", n }' "$TIMES_FILE")
}

# build_and_test NAME DIR [cmake options...]; BUILD_TARGETS (default all) and
# CTEST_ARGS (such as -L threads) narrow what is built and run.
build_and_test() {
    local name=$1 dir
    dir=$(abs_path "$2")
    shift 2
    local log status passed=0 failed=0 note=""
    echo
    echo "==== $name: $dir"
    mkdir -p "$dir"
    log="$dir/test-all-build.log"

    if ! cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >"$log" 2>&1; then
        cat "$log"
        note="configure FAILED"
        failed=1
    else
        # shellcheck disable=SC2086
        ninja -C "$dir" -j"$JOBS" -k 0 ${BUILD_TARGETS:-} >>"$log" 2>&1
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
        # shellcheck disable=SC2086
        (cd "$dir" && ctest --output-on-failure -j"$JOBS" --timeout 900 ${CTEST_ARGS:-}) 2>&1 | tee "$ctest_log"
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
    STAGE_PASSED=$passed
    STAGE_FAILED=$failed
    STAGE_NOTE=$note
}

# script_stage NAME SCRIPT [args...]: a script whose last line is
# "N passed, M failed"; a script that gives no such line counts as one failure.
script_stage() {
    local name=$1 log counts
    shift
    mkdir -p "$ROOT/build-logs"
    log="$ROOT/build-logs/$name.log"
    echo
    echo "==== $name: $*"
    "$@" 2>&1 | tee "$log"
    counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
    if [ -n "$counts" ]; then
        STAGE_PASSED=${counts%% passed*}
        STAGE_FAILED=$(echo "$counts" | sed -E 's/.* ([0-9]+) failed$/\1/')
        STAGE_NOTE="see $log"
    else
        STAGE_PASSED=0
        STAGE_FAILED=1
        STAGE_NOTE="gave no counts (log: $log)"
    fi
}

# run_stage NAME: one stage, with its wall-clock and CPU time in the summary.
run_stage() {
    local which=$1 t0 cpu0 stage=$1
    if [ -n "$(stage_packages "$which")" ] && ! wait_for_packages; then
        STAGE_PASSED=0 STAGE_FAILED=1 STAGE_NOTE="its packages were not installed"
        stage=none
    fi
    t0=$SECONDS
    cpu_seconds
    cpu0=$CPU_SECONDS
    case "$stage" in
        fuzz)
            script_stage fuzz "$ROOT/scripts/fuzz.sh"
            ;;
        memcheck)
            BUILD_DIR="$BUILD_DIR" script_stage memcheck "$ROOT/scripts/memcheck.sh"
            ;;
        linux)
            # The packages of web/ exactly as the lock file gives them (three.js, the glTF validator).
            (cd "$ROOT/web" && npm ci --no-audit --no-fund --prefer-offline >/dev/null) ||
                echo "test-all: npm ci in web/ failed" >&2
            build_and_test linux "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
            ;;
        asan)
            # Everything but the Python and ParaView tests, which the
            # instrumented build leaves out (Python cannot load its libraries).
            ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                build_and_test asan "$ASAN_BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DREADER_SANITIZE=ON -DREADER_BENCH=OFF
            ;;
        tsan)
            # Only the programs that run on several threads: a data race needs
            # two, and only these have more (readers side by side, and the
            # set-up check, whose clearances have threads of their own).
            TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 BUILD_TARGETS="case_threads check_threads" \
                CTEST_ARGS="-L threads" build_and_test tsan "$TSAN_BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug \
                -DREADER_SANITIZE=thread -DREADER_BENCH=OFF
            ;;
        win)
            if prepare_wine; then
                build_and_test win "$WIN_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
                    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake"
            else
                STAGE_PASSED=0 STAGE_FAILED=1 STAGE_NOTE="no Wine: not built"
            fi
            stop_wine
            ;;
    esac
    cpu_seconds
    TOTAL_PASSED=$((TOTAL_PASSED + STAGE_PASSED))
    TOTAL_FAILED=$((TOTAL_FAILED + STAGE_FAILED))
    SUMMARY+=("$(printf '%-8s %4d passed, %3d failed  (%s; %ds, CPU %ds)' "$which" "$STAGE_PASSED" "$STAGE_FAILED" \
        "$STAGE_NOTE" $((SECONDS - t0)) $((CPU_SECONDS - cpu0)))")
}

for which in "${STAGES[@]}"; do
    run_stage "$which"
done

END=$(date +%s)
echo
echo "==== summary ($((END - START)) s)"
for line in "${SUMMARY[@]}"; do
    echo "$line"
done
echo "$TOTAL_PASSED passed, $TOTAL_FAILED failed"
[ "$TOTAL_FAILED" -eq 0 ]
