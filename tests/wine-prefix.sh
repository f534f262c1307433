# shellcheck shell=bash
# Sourced by the Windows test scripts and scripts/test.sh: the Wine that runs the build
# under test, and the making of a fresh prefix for it. What ships is the i686 build, so the
# 32-bit loader runs it (WINE may name another). A new prefix is a 64-bit Windows with
# 32-bit support (WoW64: "Program Files (x86)", syswow64), the customers' usual case, made
# by the 64-bit loader; with WINEARCH=win32 it is a 32-bit Windows instead.
wine=${WINE:-/usr/lib/wine/wine}
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The loader that boots a new prefix of the wanted kind.
wine_boot_loader() {
  if [ "${WINEARCH:-}" = win32 ]; then
    echo "$wine"
  else
    echo /usr/lib/wine/wine64
  fi
}

# Makes the folder WINEPREFIX names (not there yet) a fresh Windows and lets it settle.
init_wine_prefix() {
  "$(wine_boot_loader)" wineboot --init >/dev/null 2>&1
  "$wineserver" -w 2>/dev/null
}
