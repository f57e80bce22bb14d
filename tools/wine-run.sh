#!/usr/bin/env bash
# Runs a Windows program under Wine for the cross-built tests: a private 64-bit
# prefix, no Wine debug output, no display, and Wine's own messages sent to a
# file so that they neither mix with the program's output nor make each run wait
# for wineserver.
#   tools/wine-run.sh program.exe [arguments...]
set -u
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/oddsmith-wine-prefix}
export WINEDEBUG=-all WINEARCH=win64
unset DISPLAY
mkdir -p "$WINEPREFIX"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@" 2> >(cat > "$WINEPREFIX/wine-stderr.log")
