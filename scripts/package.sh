#!/usr/bin/env bash
# Builds the release archive dist/TavrinUpload-<version>.zip: the DLL and the
# two programs of each architecture (x64/, x86/; debugging information
# stripped), examples/, docs/ when the tree has it, LICENSE.txt, and
# install.cmd / uninstall.cmd (package/) with CRLF line ends. Brings the x64
# and x86 builds up to date first; the version is the one those builds were
# configured with. Prints the archive's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/build.sh x64 x86 >&2
version=$(sed -n 's/^#define TAVRIN_VERSION_STRING "\(.*\)"$/\1/p' build/x64/generated/TavrinVersion.h)
[[ -n $version ]] || { echo "package: no version in build/x64" >&2; exit 1; }

stage=build/package/TavrinUpload-$version
rm -rf build/package
mkdir -p "$stage"
for arch in x64:x86_64 x86:i686; do
  dir=$stage/${arch%%:*}
  mkdir "$dir"
  for binary in src/server/TavrinUpload.dll tools/tavrin-asp/tavrin-asp.exe \
                tools/tavrin-upload/tavrin-upload.exe; do
    "${arch#*:}-w64-mingw32-strip" --strip-debug -o "$dir/${binary##*/}" "build/${arch%%:*}/$binary"
  done
done
cp -r examples LICENSE.txt "$stage/"
if [[ -d docs ]]; then
  cp -r docs "$stage/"
else
  echo "package: this tree has no docs/; the archive carries none" >&2
fi
for script in install.cmd uninstall.cmd; do
  sed 's/\r*$/\r/' "package/$script" >"$stage/$script"
done

zip=dist/TavrinUpload-$version.zip
mkdir -p dist
rm -f "$zip"
(cd "$stage" && zip -qrX "$root/$zip" .)
echo "$zip"
