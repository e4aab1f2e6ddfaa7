#!/usr/bin/env bash
# Builds the release into dist/:
#   TavrinUpload-<version>.zip: the DLL and the two programs of each
#     architecture (x64/, x86/; debugging information stripped), examples/,
#     docs/ when the tree has it, LICENSE.txt, and install.cmd /
#     uninstall.cmd (package/) with CRLF line ends;
#   TavrinUpload-<version>-x64.msi and TavrinUpload-<version>-x86.msi, the
#     Windows Installer packages of package/TavrinUpload.wxs, built with wixl.
#     Their COM registration is the Registry table that registry-rows writes
#     from the built DLLs (run under Wine).
# Brings the x64 and x86 builds of what it ships up to date first; the
# version is the one those builds were configured with.
#
# Signing: with TAVRIN_SIGN_CERT (certificate file, PEM or DER) and
# TAVRIN_SIGN_KEY (its private key file; TAVRIN_SIGN_KEY_PASSWORD when the
# key is encrypted), every DLL and EXE is signed with Authenticode before it
# is packed, and so are both .msi files; TAVRIN_SIGN_TIMESTAMP_URL adds a
# time stamp from that server. Without them the release is unsigned, and
# this script says so.
#
# Prints the paths of the zip and the two packages, one a line, zip first.
# TAVRIN_PACKAGE_VERSION overrides the version written into the packages'
# names and product versions (for upgrade tests; the binaries keep theirs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

shipped=(--target TavrinUpload --target tavrin-asp --target tavrin-upload)
bash scripts/build.sh "${shipped[@]}" --target registry-rows x64 >&2
bash scripts/build.sh "${shipped[@]}" x86 >&2
version=$(sed -n 's/^#define TAVRIN_VERSION_STRING "\(.*\)"$/\1/p' build/x64/generated/TavrinVersion.h)
[[ -n $version ]] || { echo "package: no version in build/x64" >&2; exit 1; }
version=${TAVRIN_PACKAGE_VERSION:-$version}

# Signs one file in place, or does nothing when no certificate was given.
signing=no
if [[ -n ${TAVRIN_SIGN_CERT:-} || -n ${TAVRIN_SIGN_KEY:-} ]]; then
  [[ -f ${TAVRIN_SIGN_CERT:-} && -f ${TAVRIN_SIGN_KEY:-} ]] || {
    echo "package: TAVRIN_SIGN_CERT and TAVRIN_SIGN_KEY must both name files" >&2
    exit 1
  }
  signing=yes
fi
sign() {
  [[ $signing == yes ]] || return 0
  local file=$1 args=(-certs "$TAVRIN_SIGN_CERT" -key "$TAVRIN_SIGN_KEY" -h sha256
                      -n "TavrinUpload")
  [[ -n ${TAVRIN_SIGN_KEY_PASSWORD:-} ]] && args+=(-pass "$TAVRIN_SIGN_KEY_PASSWORD")
  [[ -n ${TAVRIN_SIGN_TIMESTAMP_URL:-} ]] && args+=(-ts "$TAVRIN_SIGN_TIMESTAMP_URL")
  rm -f "$file.signed"
  osslsigncode sign "${args[@]}" -in "$file" -out "$file.signed" >/dev/null ||
    { echo "package: signing $file failed" >&2; exit 1; }
  mv "$file.signed" "$file"
}
if [[ $signing == yes ]]; then
  echo "package: signing with $TAVRIN_SIGN_CERT${TAVRIN_SIGN_TIMESTAMP_URL:+, time stamp from $TAVRIN_SIGN_TIMESTAMP_URL}" >&2
else
  echo "package: no TAVRIN_SIGN_CERT / TAVRIN_SIGN_KEY given: the binaries and packages are UNSIGNED" >&2
fi

work=build/package
stage=$work/TavrinUpload-$version
rm -rf "$work"
mkdir -p "$stage"
# built CONFIG NAME: the path of a shipped binary in that build.
built() {
  local path
  path=$(sed -n "s/^$2=//p" "build/$1/shipped.txt")
  [[ -f $path ]] || { echo "package: $2 is not built in build/$1" >&2; exit 1; }
  echo "$path"
}
for arch in x64:x86_64 x86:i686; do
  dir=$stage/${arch%%:*}
  mkdir "$dir"
  for name in TavrinUpload.dll tavrin-asp.exe tavrin-upload.exe; do
    "${arch#*:}-w64-mingw32-strip" --strip-debug -o "$dir/$name" "$(built "${arch%%:*}" "$name")"
    sign "$dir/$name"
  done
done
cp -r examples LICENSE.txt "$stage/"
if [[ -d docs ]]; then
  cp -r docs "$stage/"
else
  echo "package: this tree has no docs/; the release carries none" >&2
fi
for script in install.cmd uninstall.cmd; do
  sed 's/\r*$/\r/' "package/$script" >"$stage/$script"
done

mkdir -p dist
zip=dist/TavrinUpload-$version.zip
rm -f "$zip"
(cd "$stage" && zip -qrX "$root/$zip" .)
echo "$zip"

# The Registry tables, from the signed DLLs that the packages carry. The
# tool only maps the DLLs as data; its Wine server is started without this
# script's output so that it never holds a caller's pipe open.
source scripts/wine-env.sh
wine_prefix_ensure >&2
"$WINESERVER" </dev/null >/dev/null 2>&1 || true
windows_path() { local p="Z:$root/$1"; echo "${p//\//\\}"; }
rows() {
  "$WINE" build/x64/tools/registry-rows/registry-rows.exe "$@" \
    </dev/null >"$work/Registry.idt" 2>"$work/registry-rows.log" ||
    { cat "$work/registry-rows.log" >&2; echo "package: registry-rows failed" >&2; exit 1; }
}

content=(docs examples)
[[ -d $stage/docs ]] || content=(examples)
for arch in x64 x86; do
  win64=no
  [[ $arch == x64 ]] && win64=yes
  (cd "$stage" && find "${content[@]}" -type f | LC_ALL=C sort) | sed "s|^|$stage/|" |
    wixl-heat -p "$stage/" --var var.Stage --directory-ref INSTALLDIR \
      --component-group Content --win64 >"$work/content-$arch.wxs"
  msi=dist/TavrinUpload-$version-$arch.msi
  rm -f "$msi"
  wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D Stage="$stage" \
    -D Win64="$win64" -o "$msi" package/TavrinUpload.wxs "$work/content-$arch.wxs" >&2
  if [[ $arch == x64 ]]; then
    rows DllX64="$(windows_path "$stage/x64/TavrinUpload.dll")" \
         DllX86="$(windows_path "$stage/x86/TavrinUpload.dll")"
  else
    rows DllX86="$(windows_path "$stage/x86/TavrinUpload.dll")"
  fi
  msibuild "$msi" -i "$work/Registry.idt" >&2
  # wixl schedules the registry actions only for a source that has registry
  # values of its own, and this one has none: the rows came in just now.
  if ! msiinfo export "$msi" InstallExecuteSequence | grep -q '^WriteRegistryValues'; then
    msibuild "$msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveRegistryValues', 2600)" \
      -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteRegistryValues', 5000)" >&2
  fi
  sign "$msi"
  echo "$msi"
done
