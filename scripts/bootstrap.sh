#!/usr/bin/env bash
# Installs every Debian package that building and testing need. Idempotent:
# when all packages are present it only runs dpkg-query and returns at once.
set -euo pipefail

packages=(
  ca-certificates git cmake ninja-build make g++ googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-format curl nodejs zip unzip
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine64 wine64-tools wine32
  chromium fonts-wqy-microhei
  wixl msitools osslsigncode openssl
)
# Node.js from some sources brings its own npm and conflicts with Debian's
# npm package: ask for that one only where there is no npm.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing() {
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || echo "$p"
  done
}

need=$(missing "${packages[@]}")
[[ -z "$need" ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "bootstrap: missing packages ($(echo $need)); run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 and the 32-bit runtime come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
# wine32 is installed by its qualified name so that apt picks the i386 build.
install=()
for p in $need; do
  [[ "$p" == wine32 ]] && p=wine32:i386
  install+=("$p")
done
apt-get install -y -qq --no-install-recommends "${install[@]}" >/dev/null
echo "bootstrap: installed ${install[*]}"
