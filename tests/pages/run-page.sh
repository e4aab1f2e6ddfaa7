#!/usr/bin/env bash
# Runs one test page with "tavrin-asp run" under Wine, from the page's
# folder, with the DLL registered in the prefix for the run only
# (Server.CreateObject needs the registration; other tests remove it):
#   run-page.sh TAVRIN_ASP DLL REGSVR32 PAGE
# The page runs in a scratch copy of this folder with the checks of
# include/ beside it (tavrin-asp run takes the page's folder as the root,
# which an include cannot leave), so every page includes the one
# check-vbscript.inc or check-jscript.inc as a file of its own folder.
# Comment lines at the top of the page steer the run:
#   run-args: ARGS         arguments after the page name, shell-quoted
#   expect-status: N       the status (default 200)
#   expect-text: TEXT      text the response must hold (repeatable); without
#                          one, the body's last non-empty line must be PASS
#   expect-failure: REGEX  the page must fail those checks, with output
#                          matching REGEX: proof that the runner fails
# No response may hold "FAIL", and tavrin-asp must exit 0 for a 2xx status
# and 1 otherwise.
set -uo pipefail
asp=$1 dll=$2 regsvr=$3 page=$4
run=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh
directive() { head -n 16 "$page" | sed -n "s/.*$1: \(.*[^ ]\) *%>.*/\1/p"; }
eval "args=($(directive run-args))"
status=$(directive expect-status)
status=${status:-200}
mapfile -t texts < <(directive expect-text)
regex=$(directive expect-failure)

# Prints why the response fails the checks, if it does.
verdict() {
  local line last text
  line=$(head -n 1 <<<"$out" | tr -d '\r')
  last=$(tr -d '\r' <<<"$out" | grep -v '^[[:space:]]*$' | tail -n 1)
  [[ $line == "HTTP/1.1 $status "* ]] || { echo "status line: $line, expected $status"; return; }
  [[ $code == $([[ $status == 2* ]] && echo 0 || echo 1) ]] || { echo "exit code $code"; return; }
  grep -q FAIL <<<"$out" && { echo "the response holds FAIL"; return; }
  [[ ${#texts[@]} -gt 0 || $last == PASS ]] || { echo "the body does not end with PASS"; return; }
  for text in "${texts[@]}"; do
    grep -qF -- "$text" <<<"$out" || { echo "missing: $text"; return; }
  done
}

# regsvr32 may start the wineserver, which must not inherit our output.
"$run" "$regsvr" /s "Z:$dll" </dev/null >/dev/null 2>&1 || { echo "FAIL: registering $dll"; exit 1; }
pages=$(cd "$(dirname "$0")" && pwd)
folder=$(dirname "$(realpath --relative-to="$pages" "$page")")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$pages/." "$scratch"
cp "$pages"/include/*.inc "$scratch/$folder"
out=$(cd "$scratch/$folder" && "$run" "$asp" run "$(basename "$page")" "${args[@]}" 2>&1)
code=$?
"$run" "$regsvr" /s /u "Z:$dll" </dev/null >/dev/null 2>&1 || { echo "FAIL: unregistering $dll"; exit 1; }
echo "$out"
why=$(verdict)
if [[ -z $regex ]]; then
  [[ -z $why ]] || { echo "FAIL: $why"; exit 1; }
else
  [[ -n $why ]] || { echo "FAIL: the page passed but was expected to fail"; exit 1; }
  tr '\r\n' '  ' <<<"$out $why" | grep -Eq "$regex" || { echo "FAIL: failed, but not with: $regex"; exit 1; }
  echo "failed as expected: $why"
fi
