#!/usr/bin/env bash
# The main job: installs what is missing, builds TavrinUpload.dll and the
# tools for x64 and x86, registers the DLLs in a Wine prefix of the main
# job's own, and starts the development host tavrin-asp on examples/: it
# prints its address and serves until stopped (Ctrl+C). The port is 8080
# unless TAVRIN_PORT says otherwise.
#
# It builds only what it runs (the DLL, tavrin-asp, tavrin-upload), not the
# test programs; each step's line carries the seconds since the job started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
SECONDS=0
step() { echo "== [${SECONDS} s] $*"; }

step "install: Debian packages that are missing"
bash scripts/bootstrap.sh
targets=(--target TavrinUpload --target tavrin-asp --target tavrin-upload)
step "build x64: TavrinUpload.dll, tavrin-asp, tavrin-upload"
bash scripts/build.sh "${targets[@]}" x64
step "build x86: TavrinUpload.dll, tavrin-asp, tavrin-upload"
bash scripts/build.sh "${targets[@]}" x86
# built CONFIG NAME: the path of a built binary, as that build lists it.
built() { sed -n "s/^$2=//p" "$root/build/$1/shipped.txt"; }
echo "TavrinUpload.dll (x64): $(built x64 TavrinUpload.dll)"
echo "TavrinUpload.dll (x86): $(built x86 TavrinUpload.dll)"

# Register each architecture and run the example in a Wine prefix of the
# main job's own: the tests never see what it registers.
export TAVRIN_WINEPREFIX=$root/build/wineprefix-main
source scripts/wine-env.sh
step "register x64 (the Wine prefix is made on first use)"
bash scripts/run-example.sh x64
if wine_can_run_x86; then
  step "register x86"
  bash scripts/run-example.sh x86
else
  step "register x86: not run, this machine cannot run 32-bit programs (x86 is built, not registered)"
fi

step "serve: tavrin-asp on examples/ (uploads are saved to $root/uploads and $root/safe-uploads)"
# The pages write into these folders but never make them, as on a real site.
mkdir -p "$root/uploads" "$root/safe-uploads"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT
"$WINE" "$(built x64 tavrin-asp.exe)" serve "Z:$root/examples" \
  --port "${TAVRIN_PORT:-8080}" </dev/null
