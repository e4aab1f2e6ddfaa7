#!/usr/bin/env bash
# Checks the release signed with a throwaway certificate and its x64 Windows
# Installer package under Wine, in a prefix of its own:
#   - every DLL and EXE (loose, in the zip, in each .msi) and both .msi files
#     carry an Authenticode signature over their current bytes, and a file
#     changed after signing fails the check; built without a certificate,
#     the release says it is unsigned and carries no signature;
#   - the x64 package installs silently, into INSTALLDIR and INSTALLDIR32
#     when given; both classes are created from the 64-bit script host (and
#     the 32-bit one where this machine runs 32-bit programs);
#   - every Registry row of the package is in the registry, in its view;
#   - each view holds exactly what that view's regsvr32 writes for the same
#     signed file;
#   - a repair brings back a deleted key; 1.0.1 over 1.0.0 leaves one product,
#     and the older package then refuses to install;
#   - uninstalling leaves no key in either view and no file;
#   - the x86 package refuses a 64-bit system with its own message.
# The 32-bit halves that need 32-bit programs are reported as NOT RUN where
# the machine cannot run them.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export TAVRIN_WINEPREFIX=$root/build/wineprefix-msi
source "$root/scripts/wine-env.sh"
work=$root/build/msi-check
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
wine_out() { "$WINE" "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# Runs a batch file of the given lines with the cmd of a system folder. Wine's
# cmd runs "A >nul && B" whatever A's status: test errorlevel on a line of
# its own.
batch_in() {
  local system=$1
  shift
  printf '%s\r\n' '@echo off' "$@" >"$work/run.bat"
  wine_out "$system\\cmd.exe" /c "$(windows_path "$work/run.bat")"
}
batch() { batch_in 'C:\windows\system32' "$@"; }
rm -rf "$work" && mkdir -p "$work"

# --- Signing -----------------------------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TavrinUpload test signing" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || { echo "FAIL: openssl"; exit 1; }
mapfile -t built < <(TAVRIN_SIGN_CERT=$work/cert.pem TAVRIN_SIGN_KEY=$work/key.pem \
                     bash "$root/scripts/package.sh")
[[ ${#built[@]} == 3 ]] || { echo "FAIL: package.sh printed '${built[*]}'"; exit 1; }
zip=$root/${built[0]} msi=$root/${built[1]} msi86=$root/${built[2]}
version=$(basename "$zip" .zip)
version=${version#TavrinUpload-}

# signed FILE: osslsigncode finds a signature whose digest matches the file's
# bytes and whose chain ends at the throwaway certificate. It names the
# digests "message digest" for a PE file and "DigitalSignature" for a package.
signed() {
  local out status current calculated
  out=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1)
  status=$?
  current=$(sed -n -E 's/^Current (message digest|DigitalSignature) *: *//p' <<<"$out" | head -1)
  calculated=$(sed -n -E 's/^Calculated (message digest|DigitalSignature) *: *//p' <<<"$out" | head -1)
  [[ $status == 0 && $out == *Succeeded* && -n $current && $current == "$calculated" ]]
}
mkdir -p "$work/zip" "$work/msi64" "$work/msi86"
unzip -q "$zip" -d "$work/zip"
(cd "$work/msi64" && msiextract "$msi" >/dev/null)
(cd "$work/msi86" && msiextract "$msi86" >/dev/null)
binaries=("$msi" "$msi86")
while IFS= read -r -d '' f; do binaries+=("$f"); done < <(
  find "$work/zip" "$work/msi64" "$work/msi86" -type f \( -name '*.dll' -o -name '*.exe' \) -print0)
# 6 in the zip, 4 in the x64 package, 3 in the x86 one, and the 2 packages.
[[ ${#binaries[@]} == 15 ]] || fail "expected 15 binaries to check, found ${#binaries[@]}"
for f in "${binaries[@]}"; do
  signed "$f" || fail "no valid signature over the current bytes of ${f#"$work/"}"
done
cp "$work/zip/x64/TavrinUpload.dll" "$work/tampered.dll"
printf 'X' | dd of="$work/tampered.dll" bs=1 seek=1024 conv=notrunc 2>/dev/null
signed "$work/tampered.dll" && fail "a DLL changed after signing still passed the check"

# --- Install -----------------------------------------------------------------
upload='{C8E519AB-46ED-4B69-A902-32D7A2961B13}'
keys=(TavrinUpload.Upload TavrinUpload.Upload.1 TavrinUpload.UploadFile TavrinUpload.UploadFile.1
      "CLSID\\$upload" 'CLSID\{E4855702-BE9C-4BB8-9B04-4B7DD5E9808A}'
      'TypeLib\{F37DFF71-0642-4979-ADEE-7101BED583BA}'
      'Interface\{9153B5B5-7819-4AF6-BFD2-7A489C83AA4F}'
      'Interface\{964B67F1-6300-4102-AC31-8B042EC7F9D5}')
# Where Wine's installer writes the HKCR rows of a 32-bit component, as the
# 64-bit reg.exe sees it (observed with Wine 8: every such row, the ProgIDs
# too, lands under Wow6432Node).
view32() { echo "HKLM\\Software\\Wow6432Node\\Classes\\$1"; }
# dump [SYSTEM]: every key's subtree as that system folder's reg query /s
# prints it (system32: the 64-bit view, syswow64: the 32-bit one).
dump() {
  local lines=() key
  for key in "${keys[@]}"; do lines+=("echo == $key" "reg query \"HKCR\\$key\" /s"); done
  batch_in "${1:-C:\\windows\\system32}" "${lines[@]}"
}
# left: every key of the library still present in either view, and files.
left() {
  local lines=() key
  for key in "${keys[@]}"; do
    lines+=("reg query \"HKCR\\$key\" >nul 2>nul" "if not errorlevel 1 echo key HKCR\\$key")
    lines+=("reg query \"$(view32 "$key")\" >nul 2>nul" "if not errorlevel 1 echo key32 $key")
  done
  batch "${lines[@]}"
  if wine_can_run_x86; then
    lines=()
    for key in "${keys[@]}"; do
      lines+=("reg query \"HKCR\\$key\" >nul 2>nul" "if not errorlevel 1 echo key32 HKCR\\$key")
    done
    batch_in 'C:\windows\syswow64' "${lines[@]}"
  fi
  local dir
  for dir in "Program Files/TavrinUpload" "Program Files (x86)/TavrinUpload"; do
    [[ -e $WINEPREFIX/drive_c/$dir ]] && echo "file C:/$dir"
  done
}
create_vbs=$(windows_path "$work/create.vbs")
printf '%s\r\n' 'Set u = CreateObject("TavrinUpload.Upload")' \
  'Set f = CreateObject("TavrinUpload.UploadFile")' \
  'WScript.Echo "created " & TypeName(u) & " " & TypeName(f)' >"$work/create.vbs"
# creates LABEL [SYSTEM]: both classes are created from that script host.
creates() {
  local out
  out=$(wine_out "${2:-C:\\windows\\system32}\\cscript.exe" //nologo "$create_vbs")
  [[ $out == "created IUpload IUploadFile" ]] || fail "$1: cscript printed '$out'"
}
# msiexec LABEL STATUS ARGS...: runs msiexec ARGS /qn and expects STATUS.
# Success is 0, never 3010 (done, restart needed) nor 1641 (restart started):
# the packages never ask for a restart.
msiexec() {
  local label=$1 want=$2 rc=0
  shift 2
  "$WINE" msiexec "$@" /qn </dev/null >/dev/null 2>&1 || rc=$?
  [[ $rc == "$want" ]] || fail "$label: msiexec $* exited $rc, expected $want"
}

wine_prefix_ensure || exit 1
# The Wine server and the services that the first program starts inherit
# that program's output: start them with none, so that no captured output
# below waits for them.
"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1
trap '"$WINESERVER" -k </dev/null >/dev/null 2>&1' EXIT
# An interrupted run leaves the package installed: start from a new prefix.
if [[ -n $(left) ]]; then
  "$WINESERVER" -k </dev/null >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  wine_prefix_ensure || exit 1
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
  [[ -z $(left) ]] || { echo "FAIL: a new prefix is not clean: $(left)"; exit 1; }
fi

target='C:\Tavrin Upload' target32='C:\Tavrin Upload 32'
msiexec "install into INSTALLDIR" 0 /i "$(windows_path "$msi")" "INSTALLDIR=$target\\" \
  "INSTALLDIR32=$target32\\"
[[ -f "$WINEPREFIX/drive_c/Tavrin Upload/TavrinUpload.dll" ]] || fail "no TavrinUpload.dll in INSTALLDIR"
[[ -f "$WINEPREFIX/drive_c/Tavrin Upload 32/TavrinUpload.dll" ]] || fail "no TavrinUpload.dll in INSTALLDIR32"
for dir in "Program Files/TavrinUpload" "Program Files (x86)/TavrinUpload"; do
  [[ -e $WINEPREFIX/drive_c/$dir ]] && fail "installed into C:/$dir despite INSTALLDIR and INSTALLDIR32"
done
out=$(wine_out reg query "HKCR\\CLSID\\$upload\\InprocServer32" /ve)
[[ $out == *"REG_SZ    $target\\TavrinUpload.dll"* ]] ||
  fail "InprocServer32 does not name the DLL in INSTALLDIR: '$out'"
creates "64-bit cscript after install into INSTALLDIR"
# Wine 8's msiexec /x looks for the files in the folders the package names
# unless told again, and leaves a chosen INSTALLDIR in place otherwise.
msiexec "uninstall from INSTALLDIR" 0 /x "$(windows_path "$msi")" "INSTALLDIR=$target\\" \
  "INSTALLDIR32=$target32\\"
[[ -e "$WINEPREFIX/drive_c/Tavrin Upload" ]] && fail "INSTALLDIR left behind after uninstall"
[[ -e "$WINEPREFIX/drive_c/Tavrin Upload 32" ]] && fail "INSTALLDIR32 left behind after uninstall"
rest=$(left)
[[ -z $rest ]] || fail "left after uninstalling from INSTALLDIR: $rest"

msiexec "silent install" 0 /i "$(windows_path "$msi")"
pf=$WINEPREFIX/drive_c/Program\ Files/TavrinUpload
pf86=$WINEPREFIX/drive_c/Program\ Files\ \(x86\)/TavrinUpload
for f in "$pf/TavrinUpload.dll" "$pf/tavrin-asp.exe" "$pf/tavrin-upload.exe" "$pf/LICENSE.txt" \
         "$pf/examples/upload.asp" "$pf/docs/install.md" "$pf86/TavrinUpload.dll"; do
  [[ -f $f ]] || fail "not installed: ${f#"$WINEPREFIX/drive_c/"}"
done
cmp -s "$pf/TavrinUpload.dll" "$work/zip/x64/TavrinUpload.dll" || fail "the x64 DLL differs from the zip's"
cmp -s "$pf86/TavrinUpload.dll" "$work/zip/x86/TavrinUpload.dll" || fail "the x86 DLL differs from the zip's"
creates "64-bit cscript after install"
if wine_can_run_x86; then
  creates "32-bit cscript after install" 'C:\windows\syswow64'
else
  echo "NOT RUN: this machine runs no 32-bit programs: creating the classes from the 32-bit cscript"
fi

# Every row of the package's Registry table, in its component's view, with
# [#File] and [$Component] resolved.
# Fields are split at a unit separator: read would merge adjacent tabs, and
# empty fields (the default value's name) would vanish.
msiinfo export "$msi" Registry | tail -n +4 | tr -d '\r' | tr '\t' '\037' >"$work/rows.txt"
lines=()
n=0
while IFS=$'\037' read -r _ rootnum key name value component; do
  [[ $rootnum == 0 ]] || { fail "row outside HKCR: $key"; continue; }
  dir='C:\Program Files\TavrinUpload\'
  [[ $component == DllX86 ]] && dir='C:\Program Files (x86)\TavrinUpload\'
  value=${value//"[#$component]"/"${dir}TavrinUpload.dll"}
  value=${value//"[\$$component]"/"$dir"}
  path="HKCR\\$key"
  [[ $component == DllX86 ]] && path=$(view32 "$key")
  n=$((n + 1))
  lines+=("echo ## $n")
  if [[ $name == '*' ]]; then
    lines+=("reg query \"$path\" >nul 2>nul" "if not errorlevel 1 echo exists")
    echo "exists" >"$work/row-$n.expected"
  elif [[ -z $name ]]; then
    lines+=("reg query \"$path\" /ve")
    echo "    (Default)    REG_SZ    $value" >"$work/row-$n.expected"
  else
    lines+=("reg query \"$path\" /v \"$name\"")
    echo "    $name    REG_SZ    $value" >"$work/row-$n.expected"
  fi
  echo "$path [$name] = $value" >>"$work/row-$n.expected"
done <"$work/rows.txt"
grep -q DllX86 "$work/rows.txt" || fail "no Registry row for the x86 DLL"
batch "${lines[@]}" >"$work/found-rows.txt"
for ((i = 1; i <= n; i++)); do
  sed -n "/^## $i\$/,/^## /p" "$work/found-rows.txt" | grep -qxF "$(head -1 "$work/row-$i.expected")" ||
    fail "Registry row not in the registry: $(tail -1 "$work/row-$i.expected")"
done

# The 64-bit view equals regsvr32's for the same file at the same path.
dump >"$work/msi-view64.txt"
wine_can_run_x86 && dump 'C:\windows\syswow64' >"$work/msi-view32.txt"
grep -q InprocServer32 "$work/msi-view64.txt" || fail "the dump of the 64-bit view shows no class"

# --- Repair ------------------------------------------------------------------
batch "reg delete \"HKCR\\CLSID\\$upload\\InprocServer32\" /f >nul" >/dev/null
out=$(wine_out cscript //nologo "$create_vbs")
[[ $out == created* ]] && fail "the class was still created with InprocServer32 deleted"
# A repair as msiexec /f starts it: Wine 8's msiexec answers /f with an
# error, so the test sets the two properties that /f sets.
msiexec "repair" 0 /i "$(windows_path "$msi")" REINSTALL=ALL REINSTALLMODE=omus
creates "64-bit cscript after repair"
dump | diff -u "$work/msi-view64.txt" - >/dev/null || fail "the registry after repair differs from after install"
if wine_can_run_x86; then
  dump 'C:\windows\syswow64' | diff -u "$work/msi-view32.txt" - >/dev/null ||
    fail "the 32-bit view after repair differs from after install"
fi

# --- Major upgrade -----------------------------------------------------------
# 1.0.1 is built without a certificate: the release says it is unsigned,
# and carries no signature.
mapfile -t next < <(TAVRIN_PACKAGE_VERSION=1.0.1 bash "$root/scripts/package.sh" 2>"$work/unsigned.log")
msi101=$root/${next[1]:-missing}
[[ ${next[1]:-} == dist/TavrinUpload-1.0.1-x64.msi ]] || fail "no 1.0.1 package: ${next[*]}"
grep -q 'UNSIGNED' "$work/unsigned.log" || fail "package.sh without a certificate did not say UNSIGNED"
osslsigncode verify -in "$msi101" >/dev/null 2>&1 && fail "the package built without a certificate has a signature"
# products: "NAME VERSION" of every installed product named TavrinUpload.
products() {
  local uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' lines=() key
  for key in $(wine_out reg query "$uninstall" | grep -o '{[0-9A-F-]*}$'); do
    lines+=("reg query \"$uninstall\\$key\"")
  done
  batch "${lines[@]}" | awk '$1 == "DisplayName" && $3 ~ /^TavrinUpload/ { name = $3 }
                             $1 == "DisplayVersion" { version = $3 }
                             /^$/ && name { print name, version; name = "" }
                             END { if (name) print name, version }'
}
installed=$(products)
[[ $installed == "TavrinUpload $version" ]] || fail "before the upgrade installed: '$installed'"
msiexec "upgrade to 1.0.1" 0 /i "$(windows_path "$msi101")"
installed=$(products)
[[ $installed == "TavrinUpload 1.0.1" ]] || fail "after the upgrade installed: '$installed', expected only 1.0.1"
creates "64-bit cscript after the upgrade"
rc=0
"$WINE" msiexec /i "$(windows_path "$msi")" /qn </dev/null >/dev/null 2>&1 || rc=$?
[[ $rc != 0 ]] || fail "the older package installed over the newer one"
installed=$(products)
[[ $installed == "TavrinUpload 1.0.1" ]] || fail "after the refused downgrade installed: '$installed'"
dump | diff -u "$work/msi-view64.txt" - >/dev/null || fail "the registry after the upgrade differs"
if wine_can_run_x86; then
  creates "32-bit cscript after the upgrade" 'C:\windows\syswow64'
  dump 'C:\windows\syswow64' | diff -u "$work/msi-view32.txt" - >/dev/null ||
    fail "the 32-bit view after the upgrade differs"
fi

# --- Uninstall ---------------------------------------------------------------
msiexec "uninstall" 0 /x "$(windows_path "$msi101")"
rest=$(left)
[[ -z $rest ]] || fail "left after uninstall: $rest"
# What remains of the upgrade test's rebuild must not stay in dist/.
rm -f "$root"/dist/TavrinUpload-1.0.1*

# --- The x86 package on a 64-bit system ----------------------------------------
# It fails as a launch condition fails: error 1603, which reaches this shell
# as 1603 modulo 256. Wine 8's installer writes no condition message to its
# log under /qn, so the message is read from the package.
rc=0
"$WINE" msiexec /i "$(windows_path "$msi86")" /qn </dev/null >/dev/null 2>&1 || rc=$?
[[ $rc == $((1603 % 256)) ]] || fail "the x86 package on a 64-bit system: msiexec exited $rc, expected 1603"
msiinfo export "$msi86" LaunchCondition | grep -q $'^Installed OR NOT VersionNT64\tThis package is for 32-bit Windows' ||
  fail "the x86 package has no launch condition with its message for 64-bit systems"
rest=$(left)
[[ -z $rest ]] || fail "the refused x86 package left: $rest"

# --- regsvr32 of the same signed files at the same paths ----------------------
# The package's registration, seen in each view, must equal what regsvr32
# writes for the same files, registered in the order that leaves the shared
# TypeLib key as the package leaves it (the x86 DLL, then the x64 one).
# Without 32-bit programs only the x64 DLL is registered, so the x86 DLL's
# path under the shared TypeLib key is left out of the package's side (its
# row was checked above).
mkdir -p "$pf" "$pf86"
cp "$work/zip/x64/TavrinUpload.dll" "$pf/"
cp "$work/zip/x86/TavrinUpload.dll" "$pf86/"
if wine_can_run_x86; then
  out=$(wine_out 'C:\windows\syswow64\regsvr32.exe' /s 'C:\Program Files (x86)\TavrinUpload\TavrinUpload.dll') ||
    fail "regsvr32 of the signed x86 DLL failed: $out"
else
  echo "NOT RUN: this machine runs no 32-bit programs: registering the signed x86 DLL," \
       "creating the classes from the 32-bit cscript after it, and comparing the 32-bit" \
       "view with the 32-bit regsvr32's (the package's 32-bit rows were checked against" \
       "the generated rows)"
fi
out=$(wine_out regsvr32 /s 'C:\Program Files\TavrinUpload\TavrinUpload.dll') ||
  fail "regsvr32 of the signed x64 DLL failed: $out"
creates "64-bit cscript after regsvr32 of the signed DLL"
dump >"$work/regsvr32-view64.txt"
if wine_can_run_x86; then
  creates "32-bit cscript after regsvr32 of the signed DLL" 'C:\windows\syswow64'
  dump 'C:\windows\syswow64' >"$work/regsvr32-view32.txt"
  diff -u "$work/regsvr32-view32.txt" "$work/msi-view32.txt" ||
    fail "the package's 32-bit view differs from regsvr32's (- regsvr32, + package)"
else
  # Paragraph by paragraph (one key each), both sides alike.
  awk -v RS= -v ORS='\n\n' '!/\\409\\win32\n/' "$work/msi-view64.txt" >"$work/msi-view64.cmp"
  awk -v RS= -v ORS='\n\n' 1 "$work/regsvr32-view64.txt" >"$work/regsvr32-view64.cmp"
  mv "$work/msi-view64.cmp" "$work/msi-view64.txt"
  mv "$work/regsvr32-view64.cmp" "$work/regsvr32-view64.txt"
fi
diff -u "$work/regsvr32-view64.txt" "$work/msi-view64.txt" ||
  fail "the package's 64-bit view differs from regsvr32's (- regsvr32, + package)"

if [[ $failures == 0 ]]; then
  wine_can_run_x86 && echo PASS
  wine_can_run_x86 || echo "PASS, without the 32-bit half (NOT RUN above)"
fi
exit $((failures > 0))
