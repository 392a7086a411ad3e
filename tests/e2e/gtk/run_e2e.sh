#!/usr/bin/env bash
# Runs a GTK end-to-end test: its own X server (Xvfb), its own D-Bus session with the
# accessibility bus, then the test script (routerdesk_e2e.py unless another is named).
# Usage: run_e2e.sh ROUTERDESK ROUTERDESK_SIM WORK_FOLDER [SCRIPT]
set -euo pipefail

program=$(realpath "$1")
sim=$(realpath "$2")
work=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
script=${4:-routerdesk_e2e.py}
mkdir -p "$work"

# Xvfb picks a free display itself and writes its number to the pipe.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
read -r -t 20 -u "$displayfd" display_number
export DISPLAY=":$display_number"

# The accessibility bridge is what the test reads the windows through: never switched off.
unset GTK_MODULES NO_AT_BRIDGE
export LANG=C.UTF-8 LANGUAGE=C GDK_BACKEND=x11 GTK_THEME=Adwaita

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    /usr/bin/python3 "$0/$4" --program "$1" --sim "$2" --work "$3/runs" --out "$3/screenshots"
    status=$?
    kill "$launcher" 2>/dev/null
    exit $status
' "$here" "$program" "$sim" "$work" "$script" 2> >(grep -v -e "Failed to set fd limit" -e "dbus-daemon" -e "SpiRegistry" >&2)
