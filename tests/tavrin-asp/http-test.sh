#!/usr/bin/env bash
# End-to-end tests of "tavrin-asp serve" over HTTP, with the DLL registered in the tests' Wine prefix:
#   http-test.sh start STATE EXE DLL PORT SYSTEM  copies the site, registers the DLL with SYSTEM's
#       regsvr32 (C:/windows/system32 or syswow64), starts the server (log in STATE/server.log)
#   http-test.sh stop STATE | check STATE NAME    stops it and unregisters the DLL | runs one case below
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
mode=$1 state=$2
shift 2

fail() { echo "FAIL: $*"; exit 1; }
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
regsvr32() { "$WINE" "$system/regsvr32.exe" /s "$@" "$(winpath "$dll")" </dev/null >/dev/null 2>&1; }
[[ $mode == start ]] || source "$state/vars"

case $mode in
start)
  exe=$1 dll=$2 port=$3 system=$4
  rm -rf "$state" && mkdir -p "$state/saved" "$state/records" && cp -r "$here/site" "$state/site"
  printf 'exe=%q dll=%q port=%q system=%q\n' "$exe" "$dll" "$port" "$system" >"$state/vars"
  wine_prefix_ensure || fail "no Wine prefix"
  regsvr32 || fail "regsvr32 $dll"
  "$WINE" "$exe" serve "$(winpath "$state/site")" --port "$port" --threads 2 \
    --script-timeout 3 --record "$(winpath "$state/records")" \
    </dev/null >"$state/server.log" 2>&1 &
  echo $! >"$state/pid"
  for _ in $(seq 100); do
    grep -q "^tavrin-asp: .* at http://127.0.0.1:$port/" "$state/server.log" && exit 0
    kill -0 "$(cat "$state/pid")" 2>/dev/null && sleep 0.2 || break
  done
  fail "the server did not start: $(cat "$state/server.log")" ;;
stop) kill "$(cat "$state/pid")" 2>/dev/null; regsvr32 /u || fail "regsvr32 /u"; exit 0 ;;
check) ;;
*) fail "unknown mode $mode" ;;
esac

base=http://127.0.0.1:$port
name=$1
# expect_status WANT REQUEST LABEL: sends the bytes on a fresh connection and checks the status line.
expect_status() {
  local got
  got=$(exec 3<>"/dev/tcp/127.0.0.1/$port" && printf '%b' "$2" >&3 && head -n 1 <&3 | tr -d '\r')
  [[ $got == "HTTP/1.1 $1 "* ]] || fail "$3: got '$got', want $1"
}
# get500 URL...: the page (into $out) must come with status 500.
get500() {
  out=$(curl -s -w '\n%{http_code}' "$@")
  [[ ${out##*$'\n'} == 500 ]] || fail "status ${out##*$'\n'}: $out"
}
saved=$state/saved/$name
mkdir -p "$saved"
to=(--url-query "to=$(winpath "$saved")") # where save.asp saves, as curl arguments

case $name in
upload_saves_files_intact)
  head -c 3000000 /dev/urandom >"$saved.big"
  printf 'caf\xc3\xa9 and tea\n' >"$saved.small"
  out=$(curl -s -F title=hello -F "file=@$saved.big;filename=big.bin" \
    -F "second=@$saved.small;filename=中文 名.txt" "$base/save.asp" "${to[@]}")
  grep -q "^saved file big.bin 3000000" <<<"$out" && grep -q "^field title=hello" <<<"$out" || fail "page: $out"
  cmp "$saved.big" "$saved/big.bin" && cmp "$saved.small" "$saved/中文 名.txt" ||
    fail "saved bytes differ: $(ls "$saved")" ;;
over_limit_shows_the_message)
  head -c 5000 /dev/urandom >"$saved.bin"
  get500 -F "file=@$saved.bin" "$base/save.asp?max=1000" "${to[@]}"
  grep -q "The file size is over the limitation set" <<<"$out" || fail "page: $out"
  [[ -z $(ls "$saved") ]] || fail "something was saved" ;;
client_gone_mid_upload_is_user_abort)
  head -c 5000000 /dev/urandom >"$saved.bin"
  curl -s --limit-rate 700K --max-time 1.5 -F "file=@$saved.bin" "$base/save.asp" "${to[@]}" >/dev/null
  for _ in $(seq 50); do grep -q "User abort upload" "$state/server.log" || sleep 0.2; done
  grep -q "POST /save.asp.* 500 .*User abort upload" "$state/server.log" || fail "no abort logged"
  [[ $(curl -s "$base/hello.asp?name=x") == *"hello x on GET"* ]] || fail "not serving after" ;;
refusals_have_their_status)
  expect_status 413 'POST /save.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 30000001\r\n\r\n' over
  expect_status 411 'POST /save.asp HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n' chunked
  expect_status 431 "GET / HTTP/1.1\r\nX-Big: $(head -c 17000 /dev/zero | tr '\0' a)\r\n\r\n" large
  expect_status 400 'GARBAGE\r\n\r\n' malformed
  expect_status 400 'POST /save.asp HTTP/1.1\r\nContent-Length: 1x\r\n\r\n' length ;;
path_escapes_are_not_found)
  for path in /../../etc/passwd /%2e%2e/%2e%2e/etc/passwd /..%5c..%5cwindows/win.ini \
    /save.asp::%24DATA '/C:/windows/win.ini' /site/../hello.txt /hello.txt. /CON; do
    [[ $(curl -s -o /dev/null -w '%{http_code}' --path-as-is "$base$path") == 404 ]] || fail "$path was not refused"
  done
  [[ $(curl -s "$base/hello.txt") == "static text" ]] || fail "static file" ;;
static_files_folders_and_keep_alive)
  [[ $(curl -s -D - "$base/hello.txt" | tr -d '\r') == *"Content-Type: text/plain"*"static text" ]] || fail "type"
  [[ $(curl -s -o /dev/null -w '%{http_code} %{redirect_url}' "$base/inc?a=1") == 301\ */inc/?a=1 ]] ||
    fail "folder without a slash"
  # Two requests, one connection.
  [[ $(curl -s -o /dev/null -o /dev/null -w '%{num_connects}' "$base/hello.txt" "$base/hello.asp") == 10 ]] ||
    fail "keep-alive" ;;
slow_heads_do_not_block_requests)
  # More stalled clients than workers; a normal request must still be served.
  for fd in 4 5 6 7; do
    eval "exec $fd<>/dev/tcp/127.0.0.1/$port" && printf 'GET /hello.asp HTTP/1.1\r\nHost: a\r\n' >&$fd
  done
  [[ $(curl -s --max-time 10 "$base/hello.asp?name=y") == *"hello y"* ]] || fail "blocked" ;;
script_error_is_a_500_page_with_file_and_line)
  get500 "$base/error.asp"
  grep -q "broken.inc" <<<"$out" && grep -qi "line 3" <<<"$out" || fail "page: $out"
  grep -q "GET /error.asp 500 .*broken.inc" "$state/server.log" || fail "log" ;;
script_timeout_stops_a_loop)
  # Three loops on a pool of two: the workers must be replaced.
  for _ in 1 2 3; do get500 --max-time 20 "$base/loop.asp" && [[ $out == *"script timed out"* ]] || fail "loop: $out"; done
  [[ $(curl -s --max-time 10 "$base/hello.asp?name=z") == *"hello z"* ]] || fail "pool lost" ;;
parallel_uploads_land_intact)
  for i in $(seq 20); do
    head -c 2000000 /dev/urandom >"$saved.$i"
    curl -s -F "file=@$saved.$i;filename=part$i.bin" "$base/save.asp" "${to[@]}" >"$saved.$i.out" &
  done
  wait
  for i in $(seq 20); do cmp -s "$saved.$i" "$saved/part$i.bin" || fail "part $i: $(cat "$saved.$i.out")"; done ;;
recorded_upload_replays_the_same)
  body=$here/../data/captures/chromium-utf8.body
  boundary=$(head -n 1 "$body" | tr -d '\r')
  type="multipart/form-data; boundary=${boundary#--}"
  served=$(curl -s -H "Content-Type: $type" --data-binary "@$body" "$base/list.asp")
  record=$(ls -t "$state"/records/*.json | head -n 1)
  [[ -f ${record%.json}.body ]] && cmp -s "$body" "${record%.json}.body" || fail "recording differs"
  replayed=$("$WINE" "$exe" run \
    "$(winpath "$state/site/list.asp")" --body "$(winpath "${record%.json}.body")" \
    --content-type "$type" </dev/null | tr -d '\r' | sed '1,/^$/d')
  [[ $served == *"count "* && $(tr -d '\r' <<<"$served") == "$replayed" ]] ||
    fail "served: $served / replayed: $replayed" ;;
engine_abort_costs_one_request)
  # Where the engine aborts the process, the supervisor starts the server again.
  curl -s -o /dev/null --max-time 10 "$base/engine-abort.asp"
  for _ in $(seq 50); do
    [[ $(curl -s --max-time 2 "$base/hello.asp?name=w") == *"hello w"* ]] && exit 0
    sleep 0.2
  done
  fail "not serving after the abort" ;;
*) fail "unknown check $name" ;;
esac
echo PASS
