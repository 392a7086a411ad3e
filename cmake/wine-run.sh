#!/bin/sh
# Runs a Windows test program under Wine in a private, quiet prefix.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/routerdesk-wine-$(id -u)}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$@"
