#!/usr/bin/env bash
# Registers the built TavrinUpload.dll of one configuration (x64 or x86) in
# the project's Wine prefix, runs examples/about.vbs with the platform's
# console script host of the same architecture, and shows with
# tavrin-upload what the component makes of examples/sample-upload.body.
#   run-example.sh x64|x86
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
config=${1:?usage: run-example.sh x64|x86}
case $config in
  x64) system=C:/windows/system32 ;;
  x86) system=C:/windows/syswow64 ;;
  *) echo "run-example: unknown configuration $config" >&2; exit 2 ;;
esac
dll=$root/build/$config/src/server/TavrinUpload.dll
[[ -f $dll ]] || { echo "run-example: $dll is not built" >&2; exit 1; }
wine_prefix_ensure
# A wineserver started without this script's output, so that it never holds
# a caller's pipe open (the captured cscript output below waits for every
# holder), ended with the script.
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT

echo "== $config: regsvr32 TavrinUpload.dll, then cscript examples/about.vbs"
"$WINE" "$system/regsvr32.exe" /s "Z:$dll" </dev/null
# cscript exits 0 even when the script fails, so the notice line is the
# proof that the object was created and answered.
out=$("$WINE" "$system/cscript.exe" //nologo "Z:$root/examples/about.vbs" </dev/null 2>&1 | tr -d '\r')
echo "$out"
grep -q '^TavrinUpload.Upload: .' <<<"$out" || { echo "run-example: $config example failed" >&2; exit 1; }

echo "== $config: tavrin-upload inspect examples/sample-upload.body"
"$WINE" "$root/build/$config/tools/tavrin-upload/tavrin-upload.exe" \
  inspect "Z:$root/examples/sample-upload.body" </dev/null
