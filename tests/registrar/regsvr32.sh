#!/usr/bin/env bash
# Registers and unregisters the built TavrinUpload.dll with the platform's
# regsvr32 and reads the registry back with reg query, both of the DLL's own
# architecture: an x86 DLL writes the 32-bit view of the WoW64 prefix, which
# only the 32-bit reg.exe reads. Each state must equal its section of
# regsvr32.expected. The test has a Wine prefix of its own and clears the
# library's keys from both views first, so that nothing registered elsewhere
# or left by an interrupted run changes what it sees.
#   regsvr32.sh x64|x86 DLL WORK
set -euo pipefail
arch=$1 dll=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
export TAVRIN_WINEPREFIX=$here/../../build/wineprefix-regsvr32
source "$here/../../scripts/wine-env.sh"
wine_prefix_ensure
case $arch in
  x64) system='C:\windows\system32' platform=win64 ;;
  x86) system='C:\windows\syswow64' platform=win32 ;;
  *) echo "usage: regsvr32.sh x64|x86 DLL WORK" >&2; exit 2 ;;
esac
upload='CLSID\{C8E519AB-46ED-4B69-A902-32D7A2961B13}'
keys=(TavrinUpload.Upload.1 TavrinUpload.Upload "$upload" TavrinUpload.UploadFile.1
      TavrinUpload.UploadFile 'CLSID\{E4855702-BE9C-4BB8-9B04-4B7DD5E9808A}'
      'TypeLib\{F37DFF71-0642-4979-ADEE-7101BED583BA}')
failures=0
rm -rf "$work"
mkdir -p "$work"

windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

# Runs a batch file of the given lines with the given architecture's cmd.
batch() {
  local dir=$1
  shift
  printf '%s\r\n' '@echo off' "$@" >"$work/run.bat"
  "$WINE" "$dir\\cmd.exe" /c "$(windows_path "$work/run.bat")" </dev/null | tr -d '\r' || true
}

# Every key's subtree as reg query /s prints it, and that HKCR\CLSID is kept.
dump() {
  local lines=()
  for key in "${keys[@]}"; do
    lines+=("echo == $key" "reg query \"HKCR\\$key\" /s")
  done
  batch "$system" "${lines[@]}" 'echo == CLSID' 'reg query "HKCR\CLSID" /ve >nul && echo kept'
}

# expect LABEL SECTION [DLL]: the registry as dump shows it equals SECTION of
# regsvr32.expected, with @DLL@, its folder @DIR@ and @PLATFORM@ filled in.
expect() {
  local label=$1 section=$2 path=${3:-} file=$work/${1// /_} text
  text=$(sed -n "/^# $section\$/,/^# /{/^# /d;p}" "$here/regsvr32.expected")
  text=${text//@DLL@/"$path"}
  text=${text//@DIR@/"${path%\\*}\\"}
  echo "${text//@PLATFORM@/$platform}" >"$file.expected"
  dump >"$file.actual"
  if ! diff -u "$file.expected" "$file.actual"; then
    echo "FAIL: $label"
    failures=$((failures + 1))
  fi
}

regsvr32() {
  local label=$1 want=$2 rc=0
  shift 2
  "$WINE" "$system\\regsvr32.exe" /s "$@" </dev/null || rc=$?
  if [[ $rc != "$want" ]]; then
    echo "FAIL: $label: regsvr32 $* gave $rc, expected $want"
    failures=$((failures + 1))
  fi
}

# Start from nothing of the library in either view.
cleanup=()
for key in "${keys[@]}"; do
  cleanup+=("reg delete \"HKCR\\$key\" /f >nul 2>nul")
done
batch 'C:\windows\system32' "${cleanup[@]}" >/dev/null
[[ $arch == x86 ]] && batch 'C:\windows\syswow64' "${cleanup[@]}" >/dev/null

# Unregistering then succeeds for the class scripts; the type library
# removal fails under Wine, and regsvr32 reports a failed
# DllUnregisterServer as 5.
regsvr32 "unregister when nothing is registered" 5 /u "$dll"
expect "nothing registered" unregistered

regsvr32 "register" 0 "$dll"
expect "registered once" registered "$(windows_path "$dll")"
regsvr32 "register again" 0 "$dll"
expect "registered twice" registered "$(windows_path "$dll")"

# A class key that gained a subkey of its own outlives unregistration.
batch "$system" "reg add \"HKCR\\$upload\\Foreign\" /ve /d foreign /f" >/dev/null
regsvr32 "unregister with a foreign subkey" 0 /u "$dll"
expect "foreign subkey kept" foreign
batch "$system" "reg delete \"HKCR\\$upload\" /f" >/dev/null

# A path with a single quote reads back unchanged.
quoted="$work/it's here/$(basename "$dll")"
mkdir -p "$(dirname "$quoted")"
cp "$dll" "$quoted"
regsvr32 "register from a quoted path" 0 "$quoted"
expect "quoted path" registered "$(windows_path "$quoted")"
regsvr32 "unregister from a quoted path" 0 /u "$quoted"
expect "quoted path unregistered" unregistered

[[ $failures == 0 ]] && echo PASS
exit $((failures > 0))
