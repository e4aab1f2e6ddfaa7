#!/usr/bin/env bash
# Runs a Windows program (x64 or x86) under Wine in the project's prefix.
# ctest uses it as the emulator of the Windows builds.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_prefix_ensure
exec "$WINE" "$@"
