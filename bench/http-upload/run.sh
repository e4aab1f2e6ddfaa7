#!/usr/bin/env bash
# Upload benchmark of tavrin-asp with the component, against a minimal Node
# http server that pipes the request to a file, both measured in this run:
#   bench/http-upload/run.sh [x64|x86]
# Prints, per case, the best of 5 posts through curl:
#   case=... tavrin_ms=... node_ms=... ratio=...
# and for 20 uploads of 5 MB in parallel the total time and the server's
# peak memory (the peak resident size of its process). Needs the built
# configuration; registers its DLL in a Wine prefix of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
config=${1:-x64}
export TAVRIN_WINEPREFIX=$root/build/wineprefix-bench
source "$root/scripts/wine-env.sh"
command -v node >/dev/null || { echo "bench: node is missing (apt-get install nodejs)" >&2; exit 1; }
exe=$root/build/$config/tools/tavrin-asp/tavrin-asp.exe
dll=$root/build/$config/src/server/TavrinUpload.dll
system=C:/windows/system32
[[ $config == x86 ]] && system=C:/windows/syswow64
work=$root/build/bench-http-$config
rm -rf "$work" && mkdir -p "$work/tavrin" "$work/node"
winpath() { echo "Z:${1//\//\\}"; }

wine_prefix_ensure
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$WINE" "$system/regsvr32.exe" /s "$(winpath "$dll")" </dev/null
"$WINE" "$exe" serve "$(winpath "$root/bench/http-upload/site")" --port 18100 --threads 8 --max-request-bytes 200000000 \
  </dev/null >"$work/server.log" 2>&1 &
server=$!
node "$root/bench/http-upload/node-baseline.js" 18101 "$work/node" >/dev/null &
baseline=$!
trap 'kill $server $baseline 2>/dev/null; "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT
until grep -qs "^tavrin-asp: " "$work/server.log"; do sleep 0.2; done
sleep 0.5

to=$(winpath "$work/tavrin" | sed 's/:/%3A/g; s/\\/%5C/g')
tavrin_url="http://127.0.0.1:18100/save.asp?to=$to"
node_url=http://127.0.0.1:18101/upload

# best_ms URL FILE: the fastest of five posts, in milliseconds.
best_ms() {
  local best=
  for _ in 1 2 3 4 5; do
    local t
    t=$(curl -s -o /dev/null -w '%{time_total}' -F "file=@$2" "$1")
    t=$(awk -v t="$t" 'BEGIN { printf "%d", t * 1000 }')
    [[ -z $best || $t -lt $best ]] && best=$t
  done
  echo "$best"
}

for spec in 10MiB:10485760 100MB:100000000; do
  name=${spec%%:*} size=${spec#*:}
  head -c "$size" /dev/urandom >"$work/$name.bin"
  t=$(best_ms "$tavrin_url" "$work/$name.bin")
  n=$(best_ms "$node_url" "$work/$name.bin")
  cmp -s "$work/$name.bin" "$work/tavrin/upload-0.bin" || { echo "bench: $name not saved intact" >&2; exit 1; }
  echo "case=$name tavrin_ms=$t node_ms=$n ratio=$(awk -v a="$t" -v b="$n" 'BEGIN { printf "%.2f", a / b }')"
  rm -f "$work/tavrin/"* "$work/node/"*
done

head -c 5000000 /dev/urandom >"$work/5MB.bin"
start=$(date +%s%N)
posts=()
for i in $(seq 20); do
  curl -s -o /dev/null -F "file=@$work/5MB.bin" "$tavrin_url&n=$i" &
  posts+=($!)
done
wait "${posts[@]}"
ms=$(( ($(date +%s%N) - start) / 1000000 ))
# The Windows process itself (for x86, Wine's loader starts it anew).
pid=$(pgrep -n -f "tavrin-asp.exe serve" || echo "$server")
peak=$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status" 2>/dev/null || echo "?")
echo "case=parallel-20x5MB total_ms=$ms server_peak_mb=$peak"
