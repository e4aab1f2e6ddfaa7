#!/usr/bin/env bash
# One end-to-end step of tavrin-upload under Wine (steps: tool_endtoend.cmake).
#   tool_endtoend.sh RUN TOOL DLL REGSVR WORK MODE...
#   inspect BODY EXIT EXPECTED [OPTION...]  EXPECTED: a file equal to the output
#                                           byte for byte, or an extended regex
#   extract BODY EXPECTED AGAIN NAME=SHA256...  (the first name is report.txt)
#   usage [ARGUMENT...]                     exit 2 with the usage line
# The DLL is registered first: other tests remove its registration. Paths
# handed to the Windows programs go through Wine's Z: drive (the Unix root).
set -uo pipefail
run=$1 tool=$2 dll=$3 regsvr=$4 work=$5 mode=$6
shift 6
fail() { echo "FAIL: $*" >&2; exit 1; }
same() { cmp -s "$1" "$2" || { diff "$2" "$1" >&2; fail "$1 differs from $2"; }; }
sha() { sha256sum "$1" | cut -d' ' -f1; }
# tool NAME ARGUMENT...: stdout into WORK/NAME.out, the exit code into $code.
tool() {
    local name=$1
    shift
    code=0
    "$run" "$tool" "$@" >"$work/$name.out" 2>>"$work/stderr" || code=$?
}

"$run" "$regsvr" /s "Z:$dll" || fail "registering $dll failed"
rm -rf "$work" && mkdir -p "$work/out" || exit 1
case $mode in
inspect)
    body=$1 exit=$2 expected=$3
    shift 3
    tool inspect inspect "Z:$body" "$@"
    [[ $code == "$exit" ]] || fail "exit code $code, expected $exit: $(cat "$work"/*)"
    if [[ -f $expected ]]; then
        same "$work/inspect.out" "$expected"
    else
        grep -Eq "$expected" "$work/inspect.out" || fail "no match for $expected"
    fi
    ;;
extract)
    body=$1 expected=$2 again=$3
    shift 3
    # The run refuses some names, so it ends with 1 while saving the others.
    tool first extract "Z:$body" --to "Z:$work/out"
    [[ $code == 1 ]] || fail "first extract: exit code $code"
    same "$work/first.out" "$expected"
    for entry in "$@"; do
        [[ $(sha "$work/out/${entry%%=*}") == "${entry#*=}" ]] || fail "${entry%%=*} differs"
    done
    # Nothing else was written, inside the directory or beside it.
    written=$(cd "$work" && find . -type f | grep -vxE '\./(first\.out|stderr)' | sort)
    wanted=$(printf './out/%s\n' "${@%%=*}" | sort)
    [[ $written == "$wanted" ]] || fail "files written: $written"
    # Again without --overwrite: every file is kept as it was, and said so.
    printf changed >"$work/out/report.txt"
    tool again extract "Z:$body" --to "Z:$work/out"
    [[ $code == 1 ]] || fail "second extract: exit code $code"
    same "$work/again.out" "$again"
    [[ $(cat "$work/out/report.txt") == changed ]] || fail "the second extract replaced report.txt"
    # With --overwrite the files are written again, the same way.
    tool overwrite extract "Z:$body" --to "Z:$work/out" --overwrite
    same "$work/overwrite.out" "$expected"
    [[ "report.txt=$(sha "$work/out/report.txt")" == "$1" ]] || fail "report.txt not restored"
    ;;
usage)
    tool usage "$@"
    [[ $code == 2 ]] && grep -q "usage: tavrin-upload inspect" "$work/stderr" ||
        fail "expected exit 2 with the usage line, got $code"
    ;;
*) fail "unknown mode $mode" ;;
esac
