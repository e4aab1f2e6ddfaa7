#!/usr/bin/env bash
# Browser tests of the example pages: serves a copy of examples/ (build/browser/site) with tavrin-asp and the x64
# DLL registered in build/wineprefix-browser, and runs examples.test.js with Debian's Chromium through
# playwright-core (npm ci; no browser download). Prints "ok NAME" or "not ok NAME: why" per case.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export TAVRIN_WINEPREFIX=$root/build/wineprefix-browser
source "$root/scripts/wine-env.sh"
out=$root/build/browser
# A port that is free now, unless TAVRIN_BROWSER_PORT names one.
port=${TAVRIN_BROWSER_PORT:-$(node -e "const s = require('net').createServer().listen(0, '127.0.0.1',
  () => { console.log(s.address().port); s.close(); })")}
exe=$root/build/x64/tools/tavrin-asp/tavrin-asp.exe
dll=$root/build/x64/src/server/TavrinUpload.dll

fail() { echo "not ok browser set-up: $*"; exit 1; }
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
[[ -f $exe && -f $dll ]] || fail "build/x64 is not built"
[[ -x /usr/bin/chromium ]] || fail "/usr/bin/chromium is missing (Debian package chromium)"

export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
if [[ ! -f $here/node_modules/.package-lock.json ||
      $here/package-lock.json -nt $here/node_modules/.package-lock.json ]]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error) >&2 || fail "npm ci"
fi

rm -rf "$out" && mkdir -p "$out" && cp -r "$root/examples" "$out/site"
# The pages write into folders made once at set-up, beside the served one.
mkdir -p "$out/uploads" "$out/safe-uploads"
wine_prefix_ensure || fail "no Wine prefix"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
stop() {
  [[ -f $out/server.pid ]] && kill "$(cat "$out/server.pid")" 2>/dev/null
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
trap stop EXIT
"$WINE" C:/windows/system32/regsvr32.exe /s "$(winpath "$dll")" </dev/null >/dev/null 2>&1 ||
  fail "regsvr32 TavrinUpload.dll"
"$WINE" "$exe" serve "$(winpath "$out/site")" --port "$port" </dev/null >"$out/server.log" 2>&1 &
echo $! >"$out/server.pid"
started() { grep -q "at http://127.0.0.1:$port/" "$out/server.log"; }
for _ in $(seq 150); do
  started || ! kill -0 "$(cat "$out/server.pid")" 2>/dev/null && break
  sleep 0.2
done
started || { cat "$out/server.log" >&2; fail "tavrin-asp did not start"; }

node "$here/examples.test.js" "http://127.0.0.1:$port/" "$out" "$@"
