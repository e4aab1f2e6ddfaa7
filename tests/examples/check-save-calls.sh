#!/usr/bin/env bash
# Every SaveAs call in the pages and snippets that site owners copy must
# save under a name the page made and never replace a file: no call may
# pass the client's FileName or FilePath, or build its path from them on an
# earlier line, and none may pass an overwrite flag other than False.
# VBScript continuation lines (" _") are joined first.
#   check-save-calls.sh FILE...               PASS when no file breaks a rule
#   check-save-calls.sh --must-fail FILE...   PASS when every file breaks one
set -uo pipefail
must_fail=0
[[ ${1:-} == --must-fail ]] && { must_fail=1; shift; }

# Prints "FILE:LINE: why" for each broken rule.
findings() {
  awk '
    { line = $0; first = FNR }
    / _\r?$/ {
      while (line ~ / _\r?$/ && (getline more) > 0) { sub(/ _\r?$/, " ", line); line = line more }
    }
    {
      if (line ~ /["]\\\\?["][ ]*[&+].*\.File(Name|Path)/)
        print FILENAME ":" first ": a path built from the client'\''s name"
      if (line !~ /\.SaveAs[ (]/) next
      args = substr(line, index(line, ".SaveAs") + 7)
      if (args ~ /\.File(Name|Path)/)
        print FILENAME ":" first ": SaveAs with the client'\''s name"
      if (args ~ /,[ ]*[A-Za-z0-9-]+/ && args !~ /,[ ]*(False|false)[ )]*/)
        print FILENAME ":" first ": SaveAs that may replace a file"
    }
  ' "$1"
}

status=0
[[ $# -gt 0 ]] || { echo "FAIL: no files given"; exit 1; }
for f in "$@"; do
  found=$(findings "$f")
  if [[ $must_fail -eq 0 && -n $found ]]; then
    echo "FAIL: $found"
    status=1
  elif [[ $must_fail -eq 1 && -z $found ]]; then
    echo "FAIL: $f: expected a broken rule, found none"
    status=1
  fi
done
[[ $status -eq 0 ]] && echo PASS
exit $status
