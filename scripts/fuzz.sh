#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time, JOBS at a
# time:
#
#   scripts/fuzz.sh [TARGET...]          (no argument: every target)
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_SECONDS per target
# (default 30), FUZZ_RSS_MB (default 2048), FUZZ_TIMEOUT seconds per input
# (default 10), JOBS (default 2).
#
# Each run starts from the seed corpus and the saved regression inputs of its
# target; inputs found on the way are kept in the build folder, never in the
# repository. A crash, leak, timeout, out-of-memory or sanitizer report fails
# the target; its input is left in FUZZ_BUILD_DIR/artifacts/. One line per
# target gives its executions and coverage; the last line is
# "N passed, M failed".
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
SECONDS_EACH=${FUZZ_SECONDS:-30}
RSS_MB=${FUZZ_RSS_MB:-2048}
TIMEOUT=${FUZZ_TIMEOUT:-10}
JOBS=${JOBS:-2}
FUZZ_DIR="$ROOT/tests/fuzz"

if [ $# -eq 0 ]; then
    set -- $(sed -n '/^set(FUZZ_TARGETS/,/)/p' "$FUZZ_DIR/CMakeLists.txt" | tr -d '()' | sed 's/^setFUZZ_TARGETS//')
fi

# -O1, as libFuzzer's own guide builds its targets: quicker to compile than -O2.
FLAGS="-O1 -g -DNDEBUG"
mkdir -p "$BUILD"
log="$BUILD/fuzz-build.log"
if ! CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$FLAGS" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$FLAGS" -DREADER_FUZZ=ON -DREADER_TESTS=OFF -DREADER_BENCH=OFF >"$log" 2>&1 ||
   ! ninja -C "$BUILD" -j"$JOBS" fuzzers >>"$log" 2>&1; then
    grep -E 'error|FAILED' "$log" | head -30
    echo "fuzz: the fuzz targets did not build (log: $log)"
    echo "0 passed, 1 failed"
    exit 1
fi

# Leaks count as findings; an undefined behaviour stops the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# One target: runs it and writes its line of the report (and, when it
# failed, excerpts of its log) to $BUILD/fuzz-<target>.result.
run_target() {
    local target=$1 work="$BUILD/corpus/$1" artifacts="$BUILD/artifacts" run_log="$BUILD/fuzz-$1.log"
    local seeds status done_line execs cov
    mkdir -p "$work" "$artifacts"
    seeds=("$FUZZ_DIR/corpus/$target")
    [ -d "$FUZZ_DIR/regressions/$target" ] && seeds+=("$FUZZ_DIR/regressions/$target")
    # The targets drop the reader's diagnostics through its message sink;
    # standard error stays open for libFuzzer's and the sanitizers' reports.
    "$BUILD/tests/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb="$RSS_MB" \
        -timeout="$TIMEOUT" -dict="$FUZZ_DIR/deck.dict" -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work" "${seeds[@]}" >"$run_log" 2>&1
    status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$run_log" | tail -1)
    execs=$(grep -E '^stat::number_of_executed_units' "$run_log" | awk '{print $2}')
    cov=$(echo "$done_line" | sed -nE 's/.*cov: ([0-9]+).*/\1/p')
    if [ "$status" -eq 0 ] && [ -n "$done_line" ]; then
        printf 'fuzz %-14s ok      %8s executions  cov %5s edges  (%ss)\n' "$target" "${execs:-?}" "${cov:-?}" "$SECONDS_EACH"
    else
        printf 'fuzz %-14s FAILED  %8s executions  (exit %d, log %s)\n' "$target" "${execs:-?}" "$status" "$run_log"
        grep -E 'ERROR|SUMMARY|fuzz finding|artifact|Test unit written' "$run_log" | head -8
        grep -E '^    #[0-9]+ .* (/|src/)' "$run_log" | grep -v -E 'libFuzzer|compiler-rt|/usr/' | head -12
    fi >"$BUILD/fuzz-$target.result"
}

# JOBS targets at a time (each run is one process on one core); the report
# keeps the order of the targets.
running=0
for target in "$@"; do
    if [ "$running" -ge "$JOBS" ]; then
        wait -n
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
wait

passed=0
failed=0
for target in "$@"; do
    result="$BUILD/fuzz-$target.result"
    if head -1 "$result" 2>/dev/null | grep -qE '^fuzz [^ ]+ +ok '; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
    cat "$result"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
