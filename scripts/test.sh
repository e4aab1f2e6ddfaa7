#!/usr/bin/env bash
# Runs every test: installs what is missing, builds all configurations
# (warnings are errors; a failed build fails the run), then runs the native
# tests (ASan + UBSan), the x64 and x86 tests and test pages under Wine, the
# fuzz smoke runs, the example pages in headless Chromium, the release
# archive and the signed Windows Installer package under Wine and the format
# check. Ends with one line "N passed, M failed" over every suite, and exits
# non-zero when M is not 0.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh || exit 1
build_failed=0
bash scripts/build.sh || build_failed=1

source scripts/wine-env.sh
trap wine_keeper_stop EXIT
if [[ -f build/x64/tests/support/desktop_keeper.exe ]]; then
  wine_keeper_start build/x64/tests/support/desktop_keeper.exe || build_failed=1
fi

passed=0
failed=0
# run_suite <build dir> <label> [ctest args...]
run_suite() {
  local dir=$1 label=$2
  shift 2
  if [[ ! -f $dir/CTestTestfile.cmake ]]; then
    echo "== $label: not built" >&2
    failed=$((failed + 1))
    return
  fi
  rm -rf "$dir/results"
  mkdir -p "$dir/results"
  echo "== test $label" >&2
  ctest --test-dir "$dir" --output-on-failure --output-junit results/junit.xml "$@" >&2
  local counts
  counts=$(bash scripts/count-results.sh "$dir/results")
  echo "   $label: $counts" >&2
  passed=$((passed + ${counts%% *}))
  failed=$((failed + ${counts##* }))
}

run_suite build/native native -j2
run_suite build/x64 x64
if wine_can_run_x86; then
  run_suite build/x86 x86
else
  echo "== x86: this machine cannot execute 32-bit programs, so Wine cannot run" \
       "x86 programs here; running only the x86 checks that need no Wine" >&2
  run_suite build/x86 x86 -L static
fi
run_suite build/fuzz fuzz -j2

# The example pages in headless Chromium against tavrin-asp (x64): one line
# per case, "ok NAME" or "not ok NAME: why". A run that fails without a
# failing case (set-up, a crash) counts one failure.
echo "== test browser" >&2
browser_log=build/browser-results.txt
bash tests/browser/run.sh >"$browser_log" 2>&1
browser_status=$?
cat "$browser_log" >&2
browser_passed=$(grep -c '^ok ' "$browser_log")
browser_failed=$(grep -c '^not ok ' "$browser_log")
[[ $browser_status -ne 0 && $browser_failed -eq 0 ]] && browser_failed=1
echo "   browser: $browser_passed $browser_failed" >&2
passed=$((passed + browser_passed))
failed=$((failed + browser_failed))

# The release archive installs, serves both classes and uninstalls cleanly.
echo "== check package" >&2
if bash tests/package/install.sh >&2; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

# The signed release and its x64 Windows Installer package: signatures,
# silent install, registration in both views, repair, upgrade, uninstall.
# Its 32-bit half needs 32-bit programs; where they cannot run, the pass
# counted here is the 64-bit half's, and the line below says so.
echo "== check installer package" >&2
if bash tests/package/msi.sh >&2; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
wine_can_run_x86 ||
  echo "   installer package: 32-bit half NOT RUN (this machine runs no 32-bit programs)" >&2

# Every C and C++ file is formatted by the checked-in .clang-format.
echo "== check format" >&2
if bash scripts/check-format.sh >&2; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

[[ $build_failed -eq 0 ]] || { echo "build failed" >&2; failed=$((failed + 1)); }
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
