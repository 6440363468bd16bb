# Sourced: a private Wine set-up for the Windows build's programs and tests.
#
#   WINEPREFIX, HOME and the XDG folders under $TESSALY_WINE_ROOT (default: /tmp/tessaly-wine-<uid>),
#   so Wine never writes into the user's home; no menu entries; no debug chatter.
#   TESSALY_WINE is the loader: `wine` for 32-bit programs, `wine64` ones for 64-bit programs. Where
#   the kernel cannot run 32-bit programs at all (some sandboxes refuse them with "Exec format
#   error"), only 64-bit programs run, through /usr/lib/wine/wine64.
: "${TESSALY_WINE_ROOT:=/tmp/tessaly-wine-$(id -u)}"
export WINEPREFIX="$TESSALY_WINE_ROOT/prefix"
export HOME="$TESSALY_WINE_ROOT/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$TESSALY_WINE_ROOT/run"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"
export WINEDEBUG="${WINEDEBUG:--all}"
mkdir -p "$WINEPREFIX" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Picks the loader for 64-bit (wine_use_64) or 32-bit (wine_use_32) programs.
wine_use_64() {
  if [ -x /usr/lib/wine/wine64 ]; then
    TESSALY_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  else
    TESSALY_WINE=wine64
  fi
}
wine_use_32() { TESSALY_WINE=wine; }

# True when this machine can run 32-bit Windows programs (Wine's 32-bit loader starts).
wine_can_run_32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
