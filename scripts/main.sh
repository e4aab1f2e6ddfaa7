#!/usr/bin/env bash
# The main job: installs what is missing, builds TavrinUpload.dll and
# tavrin-upload.exe for x64 and x86, registers the DLL in the project's Wine
# prefix and shows what the component makes of the example request body
# (examples/sample-upload.body). x86 is registered and run only where this
# machine can run 32-bit programs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh
bash scripts/build.sh x64 x86
echo "TavrinUpload.dll (x64): $root/build/x64/src/server/TavrinUpload.dll"
echo "TavrinUpload.dll (x86): $root/build/x86/src/server/TavrinUpload.dll"

source scripts/wine-env.sh
wine_prefix_ensure
# One wineserver for the whole job, started without this script's output so
# that it never holds a caller's pipe open, and ended when the job ends.
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true  # already running is fine
trap '"$WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT

body="Z:$root/examples/sample-upload.body"
# run_example <config> <regsvr32>
run_example() {
  local config=$1 regsvr=$2
  echo "== $config: regsvr32 TavrinUpload.dll, then tavrin-upload inspect examples/sample-upload.body"
  "$WINE" "$regsvr" /s "Z:$root/build/$config/src/server/TavrinUpload.dll"
  "$WINE" "$root/build/$config/tools/tavrin-upload/tavrin-upload.exe" inspect "$body"
}
run_example x64 regsvr32
if wine_can_run_x86; then
  run_example x86 C:/windows/syswow64/regsvr32.exe
else
  echo "== x86: this machine cannot run 32-bit programs; x86 is built but not run"
fi
