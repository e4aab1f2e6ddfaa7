#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from what the checked-in
# .clang-format makes of it, and names the files.
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [[ ${#bad[@]} -gt 0 ]]; then
  echo "not formatted (clang-format -i FILE): ${bad[*]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files formatted"
