#!/usr/bin/env bash
# Configures and builds the named configurations. Every call configures
# again (cheap when nothing changed), so a build tree always follows the
# current options and toolchain files; ninja then rebuilds only what is
# stale. Warnings are errors in every configuration. Configurations:
#   x64, x86  the DLL, its tests and tools (mingw-w64)
#   native    the platform-neutral core and its tests, ASan + UBSan (g++)
#   bench     the benchmarks, optimised (g++)
#   fuzz      the libFuzzer targets (clang)
# With no configuration, all five. `--target NAME` (repeatable, before the
# configurations) builds only the named CMake targets and what they need in
# each configuration, instead of everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

configure() {
  local name=$1
  shift
  cmake -S . -B "build/$name" -G Ninja -Wno-dev --no-warn-unused-cli -DTAVRIN_WERROR=ON "$@" >/dev/null
}

# Exits non-zero when configuring or any build step fails; the progress
# lines are filtered out without touching the status.
build_one() {
  case $1 in
    x64) configure x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
           -DCMAKE_BUILD_TYPE=RelWithDebInfo || return ;;
    x86) configure x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
           -DCMAKE_BUILD_TYPE=RelWithDebInfo || return ;;
    native) configure native -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
              -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON || return ;;
    bench) configure bench -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
             -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=ON || return ;;
    fuzz) configure fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_TESTS=OFF -DTAVRIN_FUZZ=ON || return ;;
    *) echo "build: unknown configuration $1" >&2; return 2 ;;
  esac
  echo "== build $1${targets[*]:+ (${targets[*]})}" >&2
  cmake --build "build/$1" ${targets[@]:+--target "${targets[@]}"} -- -k 0 | { grep -v -E '^\[[0-9]+/[0-9]+\] ' || true; }
  local status=${PIPESTATUS[0]}
  [[ $status -eq 0 ]] || echo "== build $1 FAILED" >&2
  return "$status"
}

targets=()
while [[ ${1:-} == --target ]]; do
  targets+=("${2:?build: --target needs a name}")
  shift 2
done
configs=("$@")
[[ ${#configs[@]} -eq 0 ]] && configs=(native x64 x86 bench fuzz)
status=0
for c in "${configs[@]}"; do
  build_one "$c" || status=1
done
exit $status
