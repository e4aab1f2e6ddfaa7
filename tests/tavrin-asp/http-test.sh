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

# expect_logged LABEL REGEX: the server logs a request after answering it,
# so this waits up to 10 s for a log line matching the extended REGEX.
expect_logged() {
  for _ in $(seq 50); do
    if grep -Eq -- "$2" "$state/server.log"; then
      break
    fi
    sleep 0.2
  done
  expect_line "$1" "$2" "$(cat "$state/server.log")"
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
  threads=2
  rm -rf "$state"
  mkdir -p "$state/saved" "$state/records"
  cp -r "$here/site" "$state/site"
  printf 'exe=%q dll=%q port=%q system=%q threads=%q\n' "$exe" "$dll" "$port" "$system" "$threads" \
    >"$state/vars"
  wine_prefix_ensure || fail "no Wine prefix"
  regsvr32 || fail "regsvr32 $dll"
  "$WINE" "$exe" serve "$(winpath "$state/site")" --port "$port" --threads "$threads" \
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

# expect_not_found PATH...: each path answers 404.
expect_not_found() {
  local path
  for path in "$@"; do
    expect_equal "status of $path" 404 "$(status_of "$base$path")"
  done
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

# The served folder's server: the supervised child process of this port.
server_pid() {
  local cmdline p
  for p in /proc/[0-9]*; do
    cmdline=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
    if [[ $cmdline == *tavrin-asp.exe\ serve*"--port $port "*--supervised* ]]; then
      echo "${p#/proc/}"
      return 0
    fi
  done
  return 1
}

# kib FIELD PID: a size from /proc/PID/status (VmRSS, VmHWM) in KiB.
kib() {
  awk -v field="$1:" '$1 == field { print $2 }' "/proc/$2/status"
}

# post_form LABEL FILE BOUND_KIB: posts FILE as a form to form.asp and sets
# $status and $page; fails when the server's resident size grows by more
# than BOUND_KIB above where it was before the request.
post_form() {
  local pid before peak
  pid=$(server_pid) || fail "$1: expected to find the server process of port $port"
  before=$(kib VmRSS "$pid")
  # Restarts the kernel's peak count (VmHWM) from the current size.
  echo 5 >"/proc/$pid/clear_refs" || fail "$1: cannot reset the peak size of process $pid"
  fetch --max-time 60 -H "Content-Type: application/x-www-form-urlencoded" \
    --data-binary "@$2" "$base/form.asp"
  peak=$(kib VmHWM "$pid")
  if ((peak - before > $3)); then
    fail "$1: expected the server to grow by at most $3 KiB, saw $((peak - before)) KiB"
  fi
}

# short_name DIR NAME: the 8.3 alias that the file system gives NAME in DIR.
short_name() {
  "$WINE" cmd /c dir /a /x "$(winpath "$1")" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v long="$2" '$NF == long && $(NF - 1) ~ /~/ { print $(NF - 1) }'
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
  expect_logged "server log" "POST /save.asp.* 500 .*User abort upload"
  expect_contains "a request after the abort" "hello x on GET" "$(curl -s "$base/hello.asp?name=x")"
  ;;
refusals_have_their_status)
  expect_status "over --max-request-bytes" 413 \
    "POST /save.asp HTTP/1.1\r\nHost: 127.0.0.1:$port\r\nContent-Length: 30000001\r\n\r\n"
  expect_status "chunked body" 411 \
    "POST /save.asp HTTP/1.1\r\nHost: 127.0.0.1:$port\r\nTransfer-Encoding: chunked\r\n\r\n"
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
  expect_not_found "${paths[@]}"
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
    printf 'GET /hello.asp HTTP/1.1\r\nHost: 127.0.0.1:%s\r\n' "$port" >&$fd
  done
  expect_contains "request beside stalled heads" "hello y" "$(curl -s --max-time 10 "$base/hello.asp?name=y")"
  ;;
script_error_is_a_500_page_with_file_and_line)
  fetch "$base/error.asp"
  expect_equal "status" 500 "$status"
  expect_contains "error page" "broken.inc" "$page"
  expect_line "error page" "[Ll]ine 3" "$page"
  expect_logged "server log" "GET /error.asp 500 .*broken.inc"
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
form_of_many_names_is_parsed_in_bounds)
  # 30 MB forms: the most names the host parses, each with a long value,
  # and a flood of distinct names past that limit. Parsing costs at most
  # three times the body beside it (the body, and its names and values as
  # UTF-16), and the flood is refused before it costs anything per name.
  awk 'BEGIN { v = sprintf("%2980s", ""); gsub(/ /, "v", v)
               for (i = 0; i < 10000; i++) printf "%sf%d=%s", (i ? "&" : ""), i, v }' >"$saved.at-limit"
  post_form "form at the limit" "$saved.at-limit" $((4 * 30000))
  expect_equal "form at the limit: status" 200 "$status"
  expect_equal "form at the limit: page" "fields 10000" "$page"
  seq 0 4000000 | sed 's/^/a/' | paste -sd '&' | head -c 30000000 >"$saved.flood"
  post_form "flood of names" "$saved.flood" $((2 * 30000))
  expect_equal "flood of names: status" 500 "$status"
  expect_contains "flood of names: page" "more than 10000 fields" "$page"
  ;;
hidden_and_unknown_files_are_not_found)
  # Includes, configuration and dot-files hold source; only types with a
  # content type are sent, in any letter case of their names and by their
  # 8.3 aliases (which can have another extension: page.aspx's ends .ASP).
  mkdir -p "$state/site/.git"
  echo "git config source" >"$state/site/.git/config"
  echo "hidden page source" >"$state/site/.hidden.html"
  echo "unknown type" >"$state/site/data.bin"
  echo "no type" >"$state/site/notes"
  echo '<% Response.Write "FAIL: page.aspx ran" %>' >"$state/site/page.aspx"
  aliases=()
  for long in .git .hidden.html page.aspx web.config; do
    alias=$(short_name "$state/site" "$long")
    [[ -n $alias ]] || fail "expected Wine to give $long an 8.3 alias, saw none"
    aliases+=("/$alias")
  done
  aliases[0]+=/config
  paths=(
    "${aliases[@]}"
    /inc/broken.inc
    /INC/Broken.INC
    /global.asa
    /GLOBAL.ASA
    /web.config
    /Web.CONFIG
    /.git/config
    /.GIT/CONFIG
    /.hidden.html
    /data.bin
    /notes
  )
  expect_not_found "${paths[@]}"
  expect_equal "a known type beside them" "static text" "$(curl -s "$base/HELLO.TXT")"
  ;;
folder_redirect_encodes_the_request)
  # The request's bytes are links and text in the redirect's page, not markup.
  exec 3<>"/dev/tcp/127.0.0.1/$port" || fail "cannot connect to port $port"
  printf 'GET /inc?a=<i>&b="q" HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n' \
    "$port" >&3
  response=$(tr -d '\r' <&3)
  exec 3<&-
  expect_line "status" '^HTTP/1.1 301 ' "$response"
  body=${response#*$'\n\n'}
  expect_contains "page" '/inc/?a=&lt;i&gt;&amp;b=&quot;q&quot;' "$body"
  if [[ $body == *"<i>"* ]]; then
    fail "page: expected no raw '<i>', saw '$body'"
  fi
  ;;
unread_bodies_do_not_hold_workers)
  # As many clients as workers announce a body and never send it; the page
  # ignores it, and draining it must give up in time for the next request.
  for ((i = 0; i < threads; i++)); do
    exec {fd}<>"/dev/tcp/127.0.0.1/$port"
    printf 'POST /hello.asp HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nContent-Length: 1000\r\n\r\n' "$port" >&$fd
  done
  sleep 1
  expect_contains "request beside unsent bodies" "hello u" "$(curl -s -m 10 "$base/hello.asp?name=u")"
  ;;
trickling_clients_do_not_hold_workers)
  # As many clients as workers are refused (413) and then send a byte every
  # half second: closing their connections must not wait for them.
  tricklers=()
  for ((i = 0; i < threads; i++)); do
    exec {fd}<>"/dev/tcp/127.0.0.1/$port"
    printf 'POST /save.asp HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nContent-Length: 30000001\r\n\r\n' "$port" >&$fd
    (
      for _ in $(seq 40); do
        printf x >&$fd || exit 0
        sleep 0.5
      done
    ) </dev/null >/dev/null 2>&1 &
    tricklers+=($!)
  done
  sleep 1
  answer=$(curl -s -m 10 "$base/hello.asp?name=t")
  kill "${tricklers[@]}" 2>/dev/null
  expect_contains "request beside trickling clients" "hello t" "$answer"
  ;;
foreign_host_is_refused)
  expect_equal "status for a foreign Host" 400 \
    "$(status_of -H "Host: rebound.example:$port" "$base/hello.asp")"
  expect_equal "status without Host" 400 "$(status_of -H "Host:" "$base/hello.asp")"
  expect_equal "status for localhost" 200 "$(status_of "http://localhost:$port/hello.asp")"
  expect_equal "status for [::1]" 200 "$(status_of -H "Host: [::1]:$port" "$base/hello.asp")"
  ;;
serve_refuses_options_it_cannot_honour)
  # Refused before anything listens, on x64 and x86 alike: a body over a
  # LONG cannot be told to a page, and a wide bind needs its host names.
  options=(
    "--max-request-bytes 2147483648"
    "--max-request-bytes 5000000000"
    "--bind 0.0.0.0"
  )
  for option in "${options[@]}"; do
    # shellcheck disable=SC2086
    out=$(timeout 30 "$WINE" "$exe" serve "$(winpath "$state/site")" --port $((port + 5)) $option \
      </dev/null 2>&1)
    expect_equal "exit status for $option" 2 "$?"
    expect_contains "message for $option" "${option%% *}" "$out"
  done
  ;;
run_refuses_a_body_it_cannot_count)
  # A sparse body file one byte over a LONG: refused before the page runs.
  truncate -s 2147483648 "$state/big.body"
  out=$(timeout 30 "$WINE" "$exe" run "$(winpath "$state/site/hello.asp")" \
    --body "$(winpath "$state/big.body")" </dev/null 2>&1)
  code=$?
  rm -f "$state/big.body"
  expect_equal "exit status for a 2147483648-byte body" 2 "$code"
  expect_contains "message for a 2147483648-byte body" "2147483647" "$out"
  ;;
log_escapes_control_bytes)
  curl -s -o /dev/null "$base/control-error.asp"
  # The line is written once the answer has gone out: wait for it.
  line=
  for _ in $(seq 50); do
    line=$(grep -a "control-error.asp" "$state/server.log" | tail -n 1)
    [[ -n $line ]] && break
    sleep 0.1
  done
  line=${line%$'\r'}
  expect_contains "logged error" 'before\x1b[2J\x07after' "$line"
  expect_equal "raw control bytes in the log line" "" "$(tr -d ' -~\200-\377' <<<"$line")"
  ;;
static_file_is_sent_with_its_length_at_the_head)
  # The file grows while it is sent (the client reads at 6 MiB/s, far behind
  # the socket buffers): no byte past the length in the head may be sent.
  file=$state/site/growing.txt
  head -c 24000000 /dev/zero | tr '\0' a >"$file"
  curl -s --limit-rate 6M -o /dev/null -w '%{size_header} %{size_download}' "$base/growing.txt" \
    >"$state/growing.sizes" &
  client=$!
  sleep 0.5
  head -c 4000000 /dev/zero | tr '\0' b >>"$file"
  wait "$client"
  read -r header downloaded <"$state/growing.sizes"
  expect_equal "bytes received" 24000000 "$downloaded"
  expect_logged "log line" "GET /growing.txt 200"
  logged=$(grep -a "GET /growing.txt 200" "$state/server.log" | tail -n 1 | cut -d' ' -f7)
  expect_equal "bytes the log says were sent" $((header + downloaded)) "$logged"
  ;;
clients_that_read_nothing_do_not_hold_workers)
  # As many clients as workers ask for a file larger than the socket buffers
  # and never read the answer: sending to them must give up in time for the
  # next request.
  head -c 64000000 /dev/zero >"$state/site/large.txt"
  for ((i = 0; i < threads; i++)); do
    exec {fd}<>"/dev/tcp/127.0.0.1/$port"
    printf 'GET /large.txt HTTP/1.1\r\nHost: 127.0.0.1:%s\r\n\r\n' "$port" >&$fd
  done
  sleep 1
  expect_contains "request beside stalled readers" "hello r" "$(curl -s -m 20 "$base/hello.asp?name=r")"
  ;;
connection_cap_refuses_the_excess)
  # Two holders of 500 idle connections each (under a default limit of 1024
  # descriptors a process) fill the cap of 1000; one more is answered 503 at
  # once, and requests are served again once the holders are gone. The
  # connections of earlier checks close within a second or so of their
  # answers: wait for them first, or they would take places in the count.
  sleep 3
  holders=()
  for h in 1 2; do
    (
      for ((i = 0; i < 500; i++)); do
        exec {fd}<>"/dev/tcp/127.0.0.1/$port" || exit 1
      done
      echo ready >"$state/holder.$h"
      sleep 60
    ) </dev/null >/dev/null 2>&1 &
    holders+=($!)
  done
  for _ in $(seq 100); do
    [[ -f $state/holder.1 && -f $state/holder.2 ]] && break
    sleep 0.1
  done
  rm -f "$state/holder.1" "$state/holder.2"
  sleep 2
  over=$(status_of -m 5 "$base/hello.asp?name=c")
  kill "${holders[@]}" 2>/dev/null
  wait "${holders[@]}" 2>/dev/null
  expect_equal "status over the connection cap" 503 "$over"
  after=
  for _ in $(seq 20); do
    after=$(status_of -m 5 "$base/hello.asp?name=c")
    [[ $after == 200 ]] && break
    sleep 0.5
  done
  expect_equal "status once the connections closed" 200 "$after"
  ;;
*)
  fail "unknown check $name"
  ;;
esac
echo PASS
