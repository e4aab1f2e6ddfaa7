#!/usr/bin/env bash
# Checks the release archive under Wine (own prefix), unpacked under "Program Files (x86)": its files,
# install.cmd, both classes by ProgID from the 64- and 32-bit script hosts, uninstall.cmd leaving no key in
# either registry view, and install.cmd stopping at a DLL that does not load. Without 32-bit support the
# x86 files are checked for presence only, and the check says so.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export TAVRIN_WINEPREFIX=$root/build/wineprefix-package
source "$root/scripts/wine-env.sh"
work=$root/build/package-check
pkg="$work/Program Files (x86)/TavrinUpload"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
wine_out() { "$WINE" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# "cmd /c call PATH": a lone quoted path after /c loses its quotes if it holds parentheses; after call not.
run_cmd() { wine_out cmd /c call "$(windows_path "$pkg/$1")"; }

# The zip is the first line package.sh prints; the rest is read too, so that
# package.sh never writes into a closed pipe.
zip=$(bash "$root/scripts/package.sh" | sed -n 1p) && [[ -n $zip ]] || { echo "FAIL: package.sh"; exit 1; }
rm -rf "$work" && mkdir -p "$pkg" && unzip -q "$root/$zip" -d "$pkg" || { echo "FAIL: unzip $zip"; exit 1; }
for f in LICENSE.txt install.cmd uninstall.cmd examples/upload.asp; do [[ -f $pkg/$f ]] || fail "no $f"; done
[[ -d $root/docs && ! -d $pkg/docs ]] && fail "the archive has no docs/"
for f in install.cmd uninstall.cmd; do grep -qv $'\r$' "$pkg/$f" && fail "$f has lines without CRLF"; done
for arch in x64:pei-x86-64 x86:pei-i386; do
  for f in TavrinUpload.dll tavrin-asp.exe tavrin-upload.exe; do
    x86_64-w64-mingw32-objdump -f "$pkg/${arch%%:*}/$f" 2>/dev/null | grep -q "format ${arch#*:}\$" ||
      fail "${arch%%:*}/$f is missing or not ${arch#*:}"
  done
done

views=('C:\windows\system32')
if wine_can_run_x86; then
  views+=('C:\windows\syswow64')
else
  echo "NOT RUN: this machine runs no 32-bit programs; x86/ was checked for presence only," \
       "its registration, 32-bit cscript and the 32-bit registry view were not run"
  rm -rf "$pkg/x86"
fi
keys=(TavrinUpload.Upload TavrinUpload.Upload.1 TavrinUpload.UploadFile TavrinUpload.UploadFile.1
      'CLSID\{C8E519AB-46ED-4B69-A902-32D7A2961B13}' 'CLSID\{E4855702-BE9C-4BB8-9B04-4B7DD5E9808A}'
      'TypeLib\{F37DFF71-0642-4979-ADEE-7101BED583BA}')
# registered: every key of the library still present in either view.
registered() {
  local view key
  for view in "${views[@]}"; do
    for key in "${keys[@]}"; do
      wine_out "$view\\reg.exe" query "HKCR\\$key" >/dev/null && echo "$view HKCR\\$key"
    done
  done
}

wine_prefix_ensure || exit 1
# Start from nothing registered: an interrupted run leaves keys behind.
registered | while read -r view key; do wine_out "$view\\reg.exe" delete "$key" /f >/dev/null; done

out=$(run_cmd install.cmd) || fail "install.cmd exited $?: $out"
echo "$out"
printf '%s\r\n' 'Set u = CreateObject("TavrinUpload.Upload")' \
  'Set f = CreateObject("TavrinUpload.UploadFile")' \
  'WScript.Echo "created " & TypeName(u) & " " & TypeName(f)' >"$work/create.vbs"
for view in "${views[@]}"; do
  out=$(wine_out "$view\\cscript.exe" //nologo "$(windows_path "$work/create.vbs")")
  [[ $out == "created IUpload IUploadFile" ]] || fail "$view cscript: $out"
done
out=$(run_cmd uninstall.cmd) || fail "uninstall.cmd exited $?: $out"
echo "$out"
left=$(registered)
[[ -z $left ]] || fail "left registered after uninstall.cmd: $left"

echo broken >"$pkg/x64/TavrinUpload.dll"
out=$(run_cmd install.cmd) && fail "install.cmd of a broken DLL succeeded"
[[ $out == *"Failed to register"*x64* && $out != *Registered* ]] ||
  fail "install.cmd of a broken DLL: $out"
"$WINESERVER" -k </dev/null >/dev/null 2>&1

[[ $failures == 0 ]] && echo PASS
exit $((failures > 0))
