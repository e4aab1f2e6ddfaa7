#!/usr/bin/env bash
# Runs one test page with tavrin-asp under Wine (see CMakeLists.txt):
#   run-page.sh TAVRIN_ASP DLL REGSVR32 PAGE pass|expect-failure REGEX [RUN-ARG...]
# from the page's folder, with the DLL registered in the prefix for the run
# only (Server.CreateObject needs the registration; other tests remove it).
# A page passes when tavrin-asp exits 0, the status is 200 and the body's
# last non-empty line is PASS. With expect-failure it must fail that check
# with output matching the extended REGEX (line breaks read as spaces):
# that proves the runner fails. With pass, REGEX is a placeholder.
set -uo pipefail
asp=$1 dll=$2 regsvr=$3 page=$4 mode=$5 regex=$6
shift 6
run=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

# Prints why the response in $out fails, if it does.
verdict() {
  local status last
  status=$(head -n1 <<<"$out" | tr -d '\r')
  last=$(tr -d '\r' <<<"$out" | grep -v '^[[:space:]]*$' | tail -n1)
  if [[ ! $status =~ ^HTTP/1\.[01]\ 200 ]]; then
    echo "status is not 200: $status"
  elif [[ $last != PASS ]]; then
    echo "the body does not end with PASS"
  elif [[ $code != 0 ]]; then
    echo "tavrin-asp exited with $code"
  fi
}

# regsvr32 may start the wineserver, which must not inherit our output.
"$run" "$regsvr" /s "Z:$dll" </dev/null >/dev/null 2>&1 ||
  { echo "FAIL: registering $dll gave $?"; exit 1; }
cd "$(dirname "$page")" || exit 1
out=$("$run" "$asp" run "$(basename "$page")" "$@" 2>"$errors")
code=$?
"$run" "$regsvr" /s /u "Z:$dll" </dev/null >/dev/null 2>&1 ||
  { echo "FAIL: unregistering $dll gave $?"; exit 1; }
echo "$out"
cat "$errors"
why=$(verdict)
case $mode in
  pass)
    [[ -z $why ]] || { echo "FAIL: $why"; exit 1; } ;;
  expect-failure)
    [[ -n $why ]] || { echo "FAIL: the page passed but was expected to fail"; exit 1; }
    echo "failed as expected: $why"
    tr '\r\n' '  ' <<<"$out $(cat "$errors") $why" | grep -Eq "$regex" ||
      { echo "FAIL: the page failed, but not with: $regex"; exit 1; } ;;
  *) echo "run-page: unknown mode $mode" >&2; exit 2 ;;
esac
