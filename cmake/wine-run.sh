#!/bin/sh
# Runs a Windows test program under Wine in a private, quiet prefix.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/routerdesk-wine-$(id -u)}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The server and Wine's service processes outlive the program; started here with their own
# standard streams, they do not hold the caller's pipes open (ctest would wait for them).
wineserver -p60 </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
