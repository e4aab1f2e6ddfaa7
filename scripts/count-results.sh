#!/usr/bin/env bash
# Prints "<passed> <failed>" for one ctest run, from its JUnit report
# (junit.xml) and the GoogleTest reports (<test>.xml) in the same folder:
# a GoogleTest program counts each of its test cases; any other ctest test
# (script, fuzz run, check) counts once. A GoogleTest program that failed
# without a failing case in its report (a crash, a sanitizer abort) counts
# one failure more.
set -uo pipefail
dir=$1
junit=$dir/junit.xml
passed=0
failed=0
if [[ ! -f $junit ]]; then
  echo "0 1"
  exit 0
fi
attr() { sed -n "s/.* $1=\"\([^\"]*\)\".*/\1/p" <<<"$2"; }
while IFS= read -r line; do
  name=$(attr name "$line")
  status=$(attr status "$line")
  report=$dir/$name.xml
  if [[ -f $report ]]; then
    head=$(grep -m1 '<testsuites ' "$report")
    tests=$(attr tests "$head")
    fails=$(( $(attr failures "$head") + $(attr errors "$head") ))
    disabled=$(attr disabled "$head")
    skipped=$(grep -c '<skipped' "$report")
    passed=$((passed + tests - fails - ${disabled:-0} - skipped))
    failed=$((failed + fails))
    [[ $status == fail && $fails -eq 0 ]] && failed=$((failed + 1))
  elif [[ $status == run ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done < <(grep -o '<testcase [^>]*>' "$junit")
echo "$passed $failed"
