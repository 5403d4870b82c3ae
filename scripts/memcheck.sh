#!/usr/bin/env bash
# Runs the golden cases through the host tool of a normal build (BUILD_DIR,
# default build/) under two watches:
#
#   memcheck  valgrind's memcheck: no memory error, no definitely or
#             indirectly lost block; every case once as it stands and once
#             loaded after another case (--preload), which must lose nothing.
#   cycles    the same watch over the case library: one golden case opened and
#             closed CYCLES times (default 1000) by tests/capi/case_open_close.c,
#             one step asked each time; besides no error and nothing lost,
#             the heap in use after the last cycle must be what it was after
#             the tenth. Both figures are printed.
#   readonly  the case folder is a copy made for the run; strace records every
#             open, rename, delete and the like: no file may be opened for
#             writing (the host tool's own /dev/null aside), renamed, deleted,
#             created or changed in mode, and the copy must list the same
#             names, sizes, times and contents afterwards. (The runs are made
#             as root, so a folder without write permission would prove
#             nothing by itself.)
#
#   scripts/memcheck.sh [memcheck] [cycles] [readonly]     (no argument: all)
#
# One line per failing case; the last line is "N passed, M failed".
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=${BUILD_DIR:-build}
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
JOBS=${JOBS:-2}
CYCLES=${CYCLES:-1000}
CYCLES_CASE=engine_liner_on
[ $# -eq 0 ] && set -- memcheck cycles readonly

log="$BUILD/memcheck-build.log"
mkdir -p "$BUILD"
if ! cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1 ||
   ! ninja -C "$BUILD" -j"$JOBS" vortimar-inspect userd-vortimar_input case_open_close >>"$log" 2>&1; then
    echo "memcheck: the host tool, the libraries or case_open_close did not build (log: $log)"
    echo "0 passed, 1 failed"
    exit 1
fi
TOOL="$BUILD/vortimar-inspect"
LIB="$BUILD/libuserd-vortimar_input.so"

CASES=()
for dir in "$ROOT"/tests/golden/*/; do
    [ -f "$dir/expected.txt" ] && CASES+=("$(basename "$dir")")
done

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "$1"; }

case_args() {
    local file="$ROOT/tests/golden/$1/args"
    [ -f "$file" ] && tr '\n' ' ' <"$file"
}

# The options that load case $1 first (--preload). The host tool refuses a
# case folder without an inputs.in unless told --unchecked; such a case is
# still loaded, to see that nothing it leaves behind leaks or is written.
preload_args() {
    echo "--preload ../$1/inputs.in"
    [ -f "$ROOT/tests/golden/$1/inputs.in" ] || echo "--unchecked"
}

# The case loaded after this one with --preload: the next in the list.
other_case() {
    local i
    for i in "${!CASES[@]}"; do
        if [ "${CASES[$i]}" = "$1" ]; then
            echo "${CASES[$(((i + 1) % ${#CASES[@]}))]}"
            return
        fi
    done
}

# Runs the command under memcheck: a memory error or a definitely or
# indirectly lost block makes it exit 99.
under_memcheck() {
    valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
        --errors-for-leak-kinds=definite,indirect --error-exitcode=99 --quiet "$@"
}

# verdict LABEL STATUS LOG PATTERN: passes when the run exited 0 and
# valgrind reported nothing in LOG; else fails, showing valgrind's lines and
# the program's own (those matching PATTERN).
verdict() {
    if [ "$2" -ne 0 ] || grep -q '^==[0-9]*==' "$3"; then
        fail "$1: FAILED (exit $2)"
        grep -E "^==[0-9]*==|$4" "$3" | head -20
    else
        pass
    fi
}

run_memcheck() {
    local name=$1 preload=$2 out
    out=$(mktemp)
    local extra=""
    [ -n "$preload" ] && extra=$(preload_args "$preload")
    # shellcheck disable=SC2046,SC2086
    (cd "$ROOT/tests/golden/$name" &&
        under_memcheck "$TOOL" $(case_args "$name") $extra "$LIB" inputs.in) >/dev/null 2>"$out"
    # Every golden case runs to the end (exit 0): a refused command line
    # would otherwise pass without the reader having read anything.
    verdict "memcheck $name${preload:+ after $preload}" $? "$out" '^vortimar-inspect'
    rm -f "$out"
}

# The case library: open and close one case CYCLES times under memcheck.
run_cycles() {
    local out figures status
    out=$(mktemp)
    figures=$(under_memcheck "$BUILD/case_open_close" "$ROOT/tests/golden/$CYCLES_CASE" "$CYCLES" 2>"$out")
    status=$?
    echo "$figures" | sed "s/^/cycles $CYCLES_CASE: /"
    verdict "cycles $CYCLES_CASE" "$status" "$out" '^case_open_close|^cycle'
    rm -f "$out"
}

listing() {
    (cd "$1" && find . -printf '%p %y %s %T@ %m\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum)
}

run_readonly() {
    local name=$1 preload=$2 tmp
    tmp=$(mktemp -d)
    cp -a "$ROOT/tests/golden/$name" "$tmp/$name"
    cp -a "$ROOT/tests/golden/$preload" "$tmp/$preload"
    listing "$tmp" >"$tmp.before"
    chmod -R a-w "$tmp/$name" "$tmp/$preload"
    # shellcheck disable=SC2046
    (cd "$tmp/$name" &&
        strace -f -qq -o "$tmp.trace" \
            -e trace=open,openat,openat2,creat,truncate,ftruncate,rename,renameat,renameat2,unlink,unlinkat,rmdir,mkdir,mkdirat,link,linkat,symlink,symlinkat,chmod,fchmod,fchmodat,utimensat \
            "$TOOL" $(case_args "$name") $(preload_args "$preload") "$LIB" inputs.in) >/dev/null 2>&1
    local status=$?
    chmod -R u+w "$tmp/$name" "$tmp/$preload"
    listing "$tmp" >"$tmp.after"
    local writes
    writes=$(grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND|^[0-9]+ +(creat|truncate|ftruncate|rename|renameat2?|unlink|unlinkat|rmdir|mkdir|mkdirat|link|linkat|symlink|symlinkat|chmod|fchmod|fchmodat|utimensat)\(' \
        "$tmp.trace" | grep -v '"/dev/null"')
    if [ "$status" -ne 0 ] || [ -n "$writes" ] || ! cmp -s "$tmp.before" "$tmp.after"; then
        fail "readonly $name after $preload: FAILED (exit $status)"
        echo "$writes" | head -10
        diff "$tmp.before" "$tmp.after" | head -10
    else
        pass
    fi
    rm -rf "$tmp" "$tmp.before" "$tmp.after" "$tmp.trace"
}

for check in "$@"; do
    if [ "$check" = cycles ]; then
        run_cycles
        continue
    fi
    for name in "${CASES[@]}"; do
        case "$check" in
            memcheck)
                run_memcheck "$name" ""
                run_memcheck "$name" "$(other_case "$name")"
                ;;
            readonly) run_readonly "$name" "$(other_case "$name")" ;;
            *) echo "usage: $0 [memcheck] [cycles] [readonly]" >&2; exit 2 ;;
        esac
    done
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
