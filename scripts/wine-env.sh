# Sourced by the scripts that run Windows programs: the project's private
# Wine prefix (64-bit with WoW64, so x64 and x86 programs both run), quiet
# and without a display, created once on first use.
TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${TAVRIN_WINEPREFIX:-$TAVRIN_ROOT/build/wineprefix}
export WINEDEBUG=-all
# No Mono or Gecko installation prompts.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Wine runs x86 programs through its 32-bit loader, which needs a kernel that
# executes 32-bit programs; some virtual machines refuse them.
wine_can_run_x86() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_prefix_ensure() {
  [[ -f "$WINEPREFIX/.tavrin-ready" ]] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [[ -f "$WINEPREFIX/.tavrin-ready" ]] && exit 0
    rm -rf "$WINEPREFIX"
    echo "wine: creating the prefix $WINEPREFIX" >&2
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    # A prefix made before wine32 was installed cannot run x86 programs.
    if wine_can_run_x86 && [[ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]]; then
      echo "wine: the prefix has no 32-bit side; is wine32 installed?" >&2
      exit 1
    fi
    touch "$WINEPREFIX/.tavrin-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Keeps the desktop up while tests run (see tests/support/DesktopKeeper.c).
# Its output goes nowhere, so it never holds a caller's pipe open.
wine_keeper_start() {
  local keeper=$1
  wine_prefix_ensure || return 1
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" "$keeper" </dev/null >/dev/null 2>&1 &
  echo $! >"$WINEPREFIX.keeper"
  # Returns once the desktop is up: a test program that started it itself
  # would leave the desktop process holding that program's output open.
  "$WINE" "$keeper" --once </dev/null >/dev/null 2>&1
}

wine_keeper_stop() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  if [[ -f "$WINEPREFIX.keeper" ]]; then
    kill "$(cat "$WINEPREFIX.keeper")" 2>/dev/null || true
    rm -f "$WINEPREFIX.keeper"
  fi
}
