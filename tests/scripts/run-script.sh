#!/usr/bin/env bash
# Runs one test script with scripthost under Wine:
#   run-script.sh registered DLL SCRIPTHOST SCRIPT  registers DLL for the run
#     only, so that the script can create the library's objects by ProgID
#   run-script.sh expect-failure REGEX SCRIPTHOST SCRIPT  passes only when
#     scripthost fails with output matching REGEX (proves the runner fails)
set -uo pipefail
mode=$1 arg=$2 host=$3 script=$4
run=$(dirname "$0")/../../scripts/wine-run.sh
case $mode in
  registered)
    "$run" regsvr32 /s "$arg" || { echo "regsvr32 $arg failed with $?"; exit 1; }
    "$run" "$host" "$script"
    code=$?
    "$run" regsvr32 /s /u "$arg" || { echo "regsvr32 /u $arg failed with $?"; exit 1; }
    exit $code ;;
  expect-failure)
    out=$("$run" "$host" "$script" 2>&1)
    code=$?
    echo "$out"
    [[ $code != 0 ]] || { echo "the script passed but was expected to fail"; exit 1; }
    grep -Eq "$arg" <<<"$out" || { echo "the script failed, but not with: $arg"; exit 1; } ;;
  *) echo "run-script: unknown mode $mode" >&2; exit 2 ;;
esac
