#!/usr/bin/env bash
# End-to-end tests of "tavrin-asp serve" over HTTP from Linux, against the
# built DLL registered in the tests' Wine prefix.
#   http-test.sh start STATE EXE DLL PORT SYSTEM  copies the test site,
#       registers the DLL with SYSTEM's regsvr32 (C:/windows/system32 or
#       C:/windows/syswow64), starts the server
#   http-test.sh stop STATE                      stops it, unregisters the DLL
#   http-test.sh check STATE NAME                one check (see the cases below)
# STATE is a scratch folder of the configuration; the server's log is
# STATE/server.log, and STATE/vars keeps what "start" was given.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
mode=$1
state=$2
shift 2

fail() {
  echo "FAIL: $*"
  exit 1
}

# expect_equal LABEL WANT GOT
expect_equal() {
  if [[ $3 != "$2" ]]; then
    fail "$1: expected '$2', saw '$3'"
  fi
}

# expect_contains LABEL NEEDLE TEXT
expect_contains() {
  if [[ $3 != *"$2"* ]]; then
    fail "$1: expected text containing '$2', saw '$3'"
  fi
}

# expect_line LABEL REGEX TEXT: some line of TEXT matches the extended REGEX.
expect_line() {
  if ! grep -Eq -- "$2" <<<"$3"; then
    fail "$1: expected a line matching '$2', saw '$3'"
  fi
}

# expect_same_file LABEL WANT GOT
expect_same_file() {
  if [[ ! -f $3 ]]; then
    fail "$1: expected the file $3, saw none"
  fi
  if ! cmp -s "$2" "$3"; then
    fail "$1: expected $3 to hold the bytes of $2, saw: $(cmp "$2" "$3" 2>&1)"
  fi
}

winpath() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

regsvr32() {
  "$WINE" "$system/regsvr32.exe" /s "$@" "$(winpath "$dll")" </dev/null >/dev/null 2>&1
}

if [[ $mode != start ]]; then
  source "$state/vars"
fi

case $mode in
start)
  exe=$1
  dll=$2
  port=$3
  system=$4
  rm -rf "$state"
  mkdir -p "$state/saved" "$state/records"
  cp -r "$here/site" "$state/site"
  printf 'exe=%q dll=%q port=%q system=%q\n' "$exe" "$dll" "$port" "$system" >"$state/vars"
  wine_prefix_ensure || fail "no Wine prefix"
  regsvr32 || fail "regsvr32 $dll"
  "$WINE" "$exe" serve "$(winpath "$state/site")" --port "$port" --threads 2 \
    --script-timeout 3 --record "$(winpath "$state/records")" \
    </dev/null >"$state/server.log" 2>&1 &
  echo $! >"$state/pid"
  for _ in $(seq 100); do
    if grep -q "^tavrin-asp: .* at http://127.0.0.1:$port/" "$state/server.log"; then
      exit 0
    fi
    if ! kill -0 "$(cat "$state/pid")" 2>/dev/null; then
      break
    fi
    sleep 0.2
  done
  fail "expected the server to announce port $port, saw the log: $(cat "$state/server.log")"
  ;;
stop)
  kill "$(cat "$state/pid")" 2>/dev/null
  regsvr32 /u || fail "regsvr32 /u $dll"
  exit 0
  ;;
check) ;;
*)
  fail "unknown mode $mode"
  ;;
esac

base=http://127.0.0.1:$port
name=$1

# raw REQUEST: sends the bytes (printf %b escapes) on a fresh connection and
# prints the response's status line.
raw() {
  exec 3<>"/dev/tcp/127.0.0.1/$port" || return 1
  printf '%b' "$1" >&3
  head -n 1 <&3 | tr -d '\r'
  exec 3<&-
}

# expect_status LABEL WANT REQUEST
expect_status() {
  local got
  got=$(raw "$3")
  if [[ $got != "HTTP/1.1 $2 "* ]]; then
    fail "$1: expected status $2, saw '$got'"
  fi
}

# fetch CURL-ARGUMENTS...: the response body into $page, its status into $status.
fetch() {
  local out
  out=$(curl -s -w '\n%{http_code}' "$@")
  status=${out##*$'\n'}
  page=${out%$'\n'*}
}

status_of() {
  curl -s -o /dev/null -w '%{http_code}' --path-as-is "$@"
}

saved=$state/saved/$name
mkdir -p "$saved"
# Where save.asp saves, as curl arguments.
to=(--url-query "to=$(winpath "$saved")")

case $name in
upload_saves_files_intact)
  head -c 3000000 /dev/urandom >"$saved.big"
  printf 'caf\xc3\xa9 and tea\n' >"$saved.small"
  fetch -F title=hello -F "file=@$saved.big;filename=big.bin" \
    -F "second=@$saved.small;filename=中文 名.txt" "$base/save.asp" "${to[@]}"
  expect_equal "status" 200 "$status"
  expect_line "big file" "^saved file big.bin 3000000" "$page"
  expect_line "text field" "^field title=hello" "$page"
  expect_same_file "big file" "$saved.big" "$saved/big.bin"
  expect_same_file "non-ASCII name" "$saved.small" "$saved/中文 名.txt"
  ;;
over_limit_shows_the_message)
  head -c 5000 /dev/urandom >"$saved.bin"
  fetch -F "file=@$saved.bin" "$base/save.asp?max=1000" "${to[@]}"
  expect_equal "status" 500 "$status"
  expect_contains "page" "The file size is over the limitation set" "$page"
  expect_equal "files saved" "" "$(ls "$saved")"
  ;;
client_gone_mid_upload_is_user_abort)
  head -c 5000000 /dev/urandom >"$saved.bin"
  curl -s --limit-rate 700K --max-time 1.5 -F "file=@$saved.bin" "$base/save.asp" "${to[@]}" >/dev/null
  for _ in $(seq 50); do
    if grep -q "User abort upload" "$state/server.log"; then
      break
    fi
    sleep 0.2
  done
  expect_line "server log" "POST /save.asp.* 500 .*User abort upload" "$(cat "$state/server.log")"
  expect_contains "a request after the abort" "hello x on GET" "$(curl -s "$base/hello.asp?name=x")"
  ;;
refusals_have_their_status)
  expect_status "over --max-request-bytes" 413 \
    'POST /save.asp HTTP/1.1\r\nHost: a\r\nContent-Length: 30000001\r\n\r\n'
  expect_status "chunked body" 411 \
    'POST /save.asp HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n'
  expect_status "head over 16 KiB" 431 \
    "GET / HTTP/1.1\r\nX-Big: $(head -c 17000 /dev/zero | tr '\0' a)\r\n\r\n"
  expect_status "malformed request line" 400 'GARBAGE\r\n\r\n'
  expect_status "malformed Content-Length" 400 \
    'POST /save.asp HTTP/1.1\r\nContent-Length: 1x\r\n\r\n'
  ;;
path_escapes_are_not_found)
  paths=(
    /../../etc/passwd
    /%2e%2e/%2e%2e/etc/passwd
    /..%5c..%5cwindows/win.ini
    /save.asp::%24DATA
    /C:/windows/win.ini
    /site/../hello.txt
    /hello.txt.
    /CON
  )
  for path in "${paths[@]}"; do
    expect_equal "status of $path" 404 "$(status_of "$base$path")"
  done
  expect_equal "static file beside them" "static text" "$(curl -s "$base/hello.txt")"
  ;;
static_files_folders_and_keep_alive)
  response=$(curl -s -D - "$base/hello.txt" | tr -d '\r')
  expect_line "static file's type" "^Content-Type: text/plain" "$response"
  expect_contains "static file's body" "static text" "$response"
  redirect=$(curl -s -o /dev/null -w '%{http_code} %{redirect_url}' "$base/inc?a=1")
  expect_equal "folder without its slash" "301 $base/inc/?a=1" "$redirect"
  # Two requests on one connection: one connect, then none.
  connects=$(curl -s -o /dev/null -o /dev/null -w '%{num_connects}' "$base/hello.txt" "$base/hello.asp")
  expect_equal "connects per request" 10 "$connects"
  ;;
slow_heads_do_not_block_requests)
  # More stalled clients than workers; a normal request must still be served.
  for fd in 4 5 6 7; do
    eval "exec $fd<>/dev/tcp/127.0.0.1/$port"
    printf 'GET /hello.asp HTTP/1.1\r\nHost: a\r\n' >&$fd
  done
  expect_contains "request beside stalled heads" "hello y" "$(curl -s --max-time 10 "$base/hello.asp?name=y")"
  ;;
script_error_is_a_500_page_with_file_and_line)
  fetch "$base/error.asp"
  expect_equal "status" 500 "$status"
  expect_contains "error page" "broken.inc" "$page"
  expect_line "error page" "[Ll]ine 3" "$page"
  expect_line "server log" "GET /error.asp 500 .*broken.inc" "$(cat "$state/server.log")"
  ;;
script_timeout_stops_a_loop)
  # Three loops on a pool of two: the workers must be replaced.
  for i in 1 2 3; do
    fetch --max-time 20 "$base/loop.asp"
    expect_equal "loop $i status" 500 "$status"
    expect_contains "loop $i page" "script timed out" "$page"
  done
  expect_contains "request after the loops" "hello z" "$(curl -s --max-time 10 "$base/hello.asp?name=z")"
  ;;
parallel_uploads_land_intact)
  for i in $(seq 20); do
    head -c 2000000 /dev/urandom >"$saved.$i"
    curl -s -F "file=@$saved.$i;filename=part$i.bin" "$base/save.asp" "${to[@]}" >"$saved.$i.out" &
  done
  wait
  for i in $(seq 20); do
    expect_same_file "part $i (page: $(cat "$saved.$i.out"))" "$saved.$i" "$saved/part$i.bin"
  done
  ;;
recorded_upload_replays_the_same)
  body=$here/../data/captures/chromium-utf8.body
  boundary=$(head -n 1 "$body" | tr -d '\r')
  type="multipart/form-data; boundary=${boundary#--}"
  served=$(curl -s -H "Content-Type: $type" --data-binary "@$body" "$base/list.asp" | tr -d '\r')
  expect_line "served page" "^count " "$served"
  record=$(ls -t "$state"/records/*.json | head -n 1)
  expect_same_file "recorded body" "$body" "${record%.json}.body"
  replayed=$("$WINE" "$exe" run \
    "$(winpath "$state/site/list.asp")" --body "$(winpath "${record%.json}.body")" \
    --content-type "$type" </dev/null | tr -d '\r' | sed '1,/^$/d')
  expect_equal "replayed page" "$served" "$replayed"
  ;;
engine_abort_costs_one_request)
  # Where the engine aborts the process, the supervisor starts the server again.
  curl -s -o /dev/null --max-time 10 "$base/engine-abort.asp"
  for _ in $(seq 50); do
    answer=$(curl -s --max-time 2 "$base/hello.asp?name=w")
    if [[ $answer == *"hello w"* ]]; then
      break
    fi
    sleep 0.2
  done
  expect_contains "request after the abort" "hello w" "$answer"
  ;;
*)
  fail "unknown check $name"
  ;;
esac
echo PASS
