#!/usr/bin/env bash
# Runs one page of pages/ with "tavrin-asp run" under Wine and checks the
# response. The page's own comment lines steer the run:
#   run-args: ARGS        arguments after the page name (no quoting; paths
#                         relative to pages/)
#   expect-status: N      the status line's code (default 200)
#   expect-text: TEXT     text the response must hold (default PASS); repeatable
# No response may hold "FAIL". The exit code must be 0 for a 2xx status and
# 1 otherwise. A page that creates TavrinUpload.Upload gets the DLL
# registered for its run.
set -uo pipefail
exe=$(realpath "$1") dll=$(realpath "$2") page=$3
dir=$(cd "$(dirname "$page")" && pwd)
name=$(basename "$page")
run=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

read -r -a args <<<"$(sed -n 's/.*run-args: \(.*\) %>.*/\1/p' "$page" | head -n 1)"
status=$(sed -n 's/.*expect-status: \([0-9]*\).*/\1/p' "$page" | head -n 1)
status=${status:-200}
mapfile -t texts < <(sed -n 's/.*expect-text: \(.*\) %>.*/\1/p' "$page")
[[ ${#texts[@]} -gt 0 ]] || texts=(PASS)

registered=0
if grep -q 'TavrinUpload.Upload' "$page"; then
  "$run" regsvr32 /s "$dll" || { echo "regsvr32 $dll failed"; exit 1; }
  registered=1
fi
out=$(cd "$dir" && "$run" "$exe" run "$name" "${args[@]}" 2>&1)
code=$?
[[ $registered == 1 ]] && "$run" regsvr32 /s /u "$dll"

fail() { printf '%s\n--- response ---\n%s\n' "$1" "$out"; exit 1; }
[[ $(head -n 1 <<<"$out") == "HTTP/1.1 $status"* ]] || fail "expected status $status"
expected_code=1
[[ $status == 2* ]] && expected_code=0
[[ $code == "$expected_code" ]] || fail "exit code $code, expected $expected_code"
for text in "${texts[@]}"; do
  grep -qF -- "$text" <<<"$out" || fail "missing: $text"
done
grep -q FAIL <<<"$out" && fail "the response holds FAIL"
echo "$name: ok"
