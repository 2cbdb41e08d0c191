#!/usr/bin/env bash
# Plants each fault patch in TREE, one at a time, builds, runs the tree's CTest suite and
# records which tests catch it.
#
#   run-faults.sh TREE OUTFILE [PATCH...]
#
# PATCH is a patch file, or the name of one in the patches/ folder beside this script (with or
# without ".patch"); by default every patch there, in order. The pseudo-patch "baseline" runs
# the unmodified tree through the same steps, to see which tests fail without any fault.
#
# For each patch: git apply in TREE; incremental build in TREE/build-faults (RelWithDebInfo,
# -j2); ctest -j2 --timeout 300 with DISPLAY set to a private Xvfb this script starts; a test
# that fails catches the fault only if it fails again under ctest --rerun-failed (timing tests
# can fail by load alone). Patches that touch src/app/snapshot* or src/app/logic_timer* (and
# the baseline) are also built with ThreadSanitizer in TREE/build-faults-tsan, only the targets
# of the tests labelled "threaded", and run with ctest -L threaded; what fails there is marked
# "[tsan]". The patch is always reverted (git checkout -- src shaders), also on failure or
# interruption.
#
# FAULT_LABELS, when set, is a CTest label expression (ctest -L) that restricts the plain run,
# e.g. FAULT_LABELS='game|fuzz' for faults in the rules.
#
# OUTFILE gets one line per patch: "NN-name<TAB>caught-by: a, b" or "NN-name<TAB>NOT CAUGHT"
# (or BUILD FAILED / APPLY FAILED / CTEST ERROR). Run with the default set it is written
# afresh; run with named patches, their lines are replaced and the others kept. Full logs go
# to logs/<tree-basename>/NN.log beside this script; tests that failed once but passed on the
# rerun are named in the log and on standard output, not counted.
set -uo pipefail

usage() {
    sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
}
[ $# -ge 2 ] || usage

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PATCH_DIR=$HERE/patches
TREE=$(cd "$1" 2>/dev/null && pwd) || { echo "no such tree: $1" >&2; exit 2; }
OUTFILE=$2
shift 2
case $OUTFILE in /*) ;; *) OUTFILE=$PWD/$OUTFILE ;; esac

JOBS=2
TIMEOUT=300
BUILD=$TREE/build-faults
TSAN_BUILD=$TREE/build-faults-tsan
LOGDIR=$HERE/logs/$(basename "$TREE")
XVFB_PID=
XDISPLAY=
APPLIED=
CHILD=

die() {
    echo "run-faults: $*" >&2
    exit 1
}

[ -f "$TREE/CMakeLists.txt" ] || die "$TREE has no CMakeLists.txt"
git -C "$TREE" rev-parse --git-dir >/dev/null 2>&1 || die "$TREE is not a git work tree"
# Reverting is a checkout of src and shaders: it would wipe a developer's own edits there.
if [ -n "$(git -C "$TREE" status --porcelain -- src shaders)" ]; then
    die "$TREE has uncommitted changes under src/ or shaders/; commit or stash them first"
fi
for tool in cmake ctest git Xvfb python3 flock; do
    command -v "$tool" >/dev/null || die "$tool is not installed"
done

mkdir -p "$LOGDIR" "$BUILD" "$(dirname "$OUTFILE")"
# One run per tree at a time: two would apply patches over each other.
exec 9>"$BUILD/.run-faults.lock"
flock -n 9 || die "another run-faults.sh is working on $TREE"

# Patch list.
PATCHES=()
if [ $# -eq 0 ]; then
    for p in "$PATCH_DIR"/*.patch; do
        [ -e "$p" ] && PATCHES+=("$p")
    done
    [ ${#PATCHES[@]} -gt 0 ] || die "no patches in $PATCH_DIR"
    FRESH=1
else
    for p in "$@"; do
        if [ "$p" = baseline ]; then
            PATCHES+=(baseline)
        elif [ -f "$p" ]; then
            PATCHES+=("$(cd "$(dirname "$p")" && pwd)/$(basename "$p")")
        elif [ -f "$PATCH_DIR/$p" ]; then
            PATCHES+=("$PATCH_DIR/$p")
        elif [ -f "$PATCH_DIR/$p.patch" ]; then
            PATCHES+=("$PATCH_DIR/$p.patch")
        else
            die "no such patch: $p"
        fi
    done
    FRESH=0
fi

stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
}

revert() {
    if [ -n "$APPLIED" ]; then
        git -C "$TREE" checkout -- src shaders
        APPLIED=
    fi
}

cleanup() {
    if [ -n "$CHILD" ]; then
        kill -TERM -- "-$CHILD" 2>/dev/null
        wait "$CHILD" 2>/dev/null
        CHILD=
    fi
    revert
    stop_xvfb
}
trap cleanup EXIT
trap 'echo "run-faults: interrupted" >&2; exit 130' INT TERM HUP

# run_logged LOG COMMAND...: runs the command in a process group of its own, appending its
# output to LOG, so that an interruption can end it with everything it started.
run_logged() {
    local log=$1 rc
    shift
    setsid -w "$@" >>"$log" 2>&1 </dev/null &
    CHILD=$!
    wait "$CHILD"
    rc=$?
    CHILD=
    return $rc
}

# A private X server on the first free display from :90, started with -noreset so that it
# survives its last client leaving. -displayfd tells when it accepts connections.
start_xvfb() {
    local n fifo ready
    fifo=$(mktemp -u /tmp/run-faults-xvfb.XXXXXX)
    for n in $(seq 90 189); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        mkfifo "$fifo"
        Xvfb ":$n" -noreset -screen 0 1920x1200x24 -nolisten tcp -displayfd 3 3>"$fifo" \
            >/dev/null 2>&1 &
        XVFB_PID=$!
        ready=$(timeout 15 head -n 1 "$fifo")
        rm -f "$fifo"
        if [ "$ready" = "$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
            XDISPLAY=:$n
            return 0
        fi
        stop_xvfb # lost the display to someone else, or it did not start: try the next one
    done
    return 1
}

# Test names from CTest's record of the last run's failures.
failed_tests() {
    local file=$1/Testing/Temporary/LastTestsFailed.log
    [ -f "$file" ] && sed -n 's/^[0-9]*://p' "$file"
}

# run_suite DIR LOG TAG ENV [ctest selection...]: runs the suite with the X server and the
# variable assignments in ENV (space-separated), then the failures again. Sets CAUGHT (failed
# both times) and FLAKY (failed only the first time), newline-separated, and answers non-zero
# when CTest itself could not run.
run_suite() {
    local dir=$1 log=$2 tag=$3 first rc
    local -a envs
    read -r -a envs <<<"$4"
    shift 4
    CAUGHT=
    FLAKY=
    rm -f "$dir/Testing/Temporary/LastTestsFailed.log"
    echo "===== ctest $tag: $(date '+%F %T')" >>"$log"
    run_logged "$log" env DISPLAY="$XDISPLAY" "${envs[@]}" ctest --test-dir "$dir" -j"$JOBS" \
        --timeout "$TIMEOUT" --no-tests=error --output-on-failure "$@"
    rc=$?
    first=$(failed_tests "$dir")
    if [ -z "$first" ]; then
        if [ $rc -ne 0 ]; then
            echo "===== ctest $tag failed (status $rc) without naming a failed test" >>"$log"
            return 1
        fi
        return 0
    fi
    echo "===== ctest $tag --rerun-failed: $(date '+%F %T')" >>"$log"
    run_logged "$log" env DISPLAY="$XDISPLAY" "${envs[@]}" ctest --test-dir "$dir" --rerun-failed \
        -j"$JOBS" --timeout "$TIMEOUT" --output-on-failure "$@"
    local again
    again=$(failed_tests "$dir")
    CAUGHT=$(LC_ALL=C comm -12 <(LC_ALL=C sort -u <<<"$first") <(LC_ALL=C sort -u <<<"$again"))
    FLAKY=$(LC_ALL=C comm -23 <(LC_ALL=C sort -u <<<"$first") <(LC_ALL=C sort -u <<<"$again"))
    return 0
}

# The CMake targets whose executables the tests labelled "threaded" run, from CTest's test list
# and CMake's file API in the plain build.
threaded_targets() {
    local list
    list=$(mktemp)
    ctest --test-dir "$BUILD" -N -L threaded --show-only=json-v1 >"$list" 2>/dev/null
    python3 - "$BUILD" "$list" <<'EOF'
import glob, json, os, sys
build, listing = sys.argv[1], sys.argv[2]
try:
    tests = json.load(open(listing)).get("tests", [])
except ValueError:
    tests = []
reply = os.path.join(build, ".cmake", "api", "v1", "reply")
indexes = sorted(glob.glob(os.path.join(reply, "index-*.json")))
artifacts = {}
if indexes:
    index = json.load(open(indexes[-1]))
    for obj in index.get("objects", []):
        if obj.get("kind") != "codemodel":
            continue
        model = json.load(open(os.path.join(reply, obj["jsonFile"])))
        for config in model.get("configurations", []):
            for target in config.get("targets", []):
                detail = json.load(open(os.path.join(reply, target["jsonFile"])))
                for artifact in detail.get("artifacts", []):
                    path = artifact["path"]
                    if not os.path.isabs(path):
                        path = os.path.join(build, path)
                    artifacts[os.path.realpath(path)] = detail["name"]
names = set()
for test in tests:
    for arg in test.get("command", []) or []:
        name = artifacts.get(os.path.realpath(arg))
        if name is None and os.path.isabs(arg) and os.access(arg, os.X_OK):
            name = os.path.basename(arg)  # not in the file API's reply: guess the target's name
        if name:
            names.add(name)
print(" ".join(sorted(names)))
EOF
    rm -f "$list"
}

with_suffix() { # newline-separated names, each followed by the suffix
    sed '/^$/d' | sed "s/\$/$1/"
}

record() { # name verdict
    local tmp
    tmp=$(mktemp)
    if [ -f "$OUTFILE" ]; then
        awk -F'\t' -v k="$1" '$1 != k' "$OUTFILE" >"$tmp"
    fi
    printf '%s\t%s\n' "$1" "$2" >>"$tmp"
    sort -o "$tmp" "$tmp"
    mv "$tmp" "$OUTFILE"
}

run_one() {
    local patch=$1 name log verdict needs_tsan=0 caught flaky targets tsan_caught='' tsan_flaky=''
    if [ "$patch" = baseline ]; then
        name=baseline
        log=$LOGDIR/baseline.log
        needs_tsan=1
    else
        name=$(basename "$patch" .patch)
        log=$LOGDIR/${name%%-*}.log
        if grep -Eq '^\+\+\+ b/src/app/(snapshot|logic_timer)' "$patch"; then
            needs_tsan=1
        fi
    fi
    : >"$log"
    {
        echo "===== $name in $TREE at $(git -C "$TREE" rev-parse HEAD), $(date '+%F %T')"
        [ "$patch" = baseline ] || cat "$patch"
    } >>"$log"
    local started=$SECONDS

    if [ "$patch" != baseline ]; then
        if ! git -C "$TREE" apply --check "$patch" >>"$log" 2>&1; then
            record "$name" "APPLY FAILED"
            echo "$name: APPLY FAILED"
            return
        fi
        APPLIED=1
        git -C "$TREE" apply "$patch"
    fi

    echo "===== build: $(date '+%F %T')" >>"$log"
    mkdir -p "$BUILD/.cmake/api/v1/query"
    touch "$BUILD/.cmake/api/v1/query/codemodel-v2"
    if ! { run_logged "$log" cmake -S "$TREE" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        run_logged "$log" env DISPLAY="$XDISPLAY" cmake --build "$BUILD" -j"$JOBS"; }; then
        revert
        record "$name" "BUILD FAILED"
        echo "$name: BUILD FAILED (see $log)"
        return
    fi

    if ! run_suite "$BUILD" "$log" plain "" ${FAULT_LABELS:+-L "$FAULT_LABELS"}; then
        revert
        record "$name" "CTEST ERROR"
        echo "$name: CTEST ERROR (see $log)"
        return
    fi
    caught=$CAUGHT
    flaky=$FLAKY

    if [ $needs_tsan -eq 1 ]; then
        targets=$(threaded_targets)
        if [ -z "$targets" ]; then
            echo "===== tsan: no test carries the label \"threaded\"" >>"$log"
        else
            echo "===== tsan build of $targets: $(date '+%F %T')" >>"$log"
            # shellcheck disable=SC2086
            if ! { run_logged "$log" cmake -S "$TREE" -B "$TSAN_BUILD" \
                -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=thread &&
                run_logged "$log" env DISPLAY="$XDISPLAY" cmake --build "$TSAN_BUILD" -j"$JOBS" \
                    --target $targets; }; then
                revert
                record "$name" "BUILD FAILED [tsan]"
                echo "$name: BUILD FAILED [tsan] (see $log)"
                return
            fi
            if ! run_suite "$TSAN_BUILD" "$log" tsan "TSAN_OPTIONS=halt_on_error=1" -L threaded; then
                revert
                record "$name" "CTEST ERROR [tsan]"
                echo "$name: CTEST ERROR [tsan] (see $log)"
                return
            fi
            tsan_caught=$CAUGHT
            tsan_flaky=$FLAKY
        fi
    fi
    revert

    local all all_flaky
    all=$( { with_suffix "" <<<"$caught"; with_suffix " [tsan]" <<<"$tsan_caught"; } |
        paste -sd, - | sed 's/,/, /g')
    all_flaky=$( { with_suffix "" <<<"$flaky"; with_suffix " [tsan]" <<<"$tsan_flaky"; } |
        paste -sd, - | sed 's/,/, /g')
    if [ "$patch" = baseline ]; then
        verdict=${all:+failing: $all}
        verdict=${verdict:-all pass}
    else
        verdict=${all:+caught-by: $all}
        verdict=${verdict:-NOT CAUGHT}
    fi
    {
        echo "===== verdict: $verdict"
        echo "===== failed once, passed on the rerun: ${all_flaky:-none}"
        echo "===== $((SECONDS - started)) s"
    } >>"$log"
    record "$name" "$verdict"
    echo "$name: $verdict${all_flaky:+ (failed once, passed on rerun: $all_flaky)} [$((SECONDS - started)) s]"
}

start_xvfb || die "could not start an Xvfb on any display from :90 to :189"
echo "run-faults: $TREE, X server $XDISPLAY, ${#PATCHES[@]} run(s), logs in $LOGDIR"
[ $FRESH -eq 1 ] && : >"$OUTFILE"
for patch in "${PATCHES[@]}"; do
    run_one "$patch"
done
echo "run-faults: done in $SECONDS s; results in $OUTFILE"
