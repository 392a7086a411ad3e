#!/usr/bin/env bash
# The demo: routerdesk against the simulated router, in a fresh folder. On a desktop it opens
# the program for you and says what to type; without a display ($DISPLAY unset) it runs it
# under Xvfb, fills the login itself, waits for two refreshes and saves screenshots.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

echo "== Installing what is missing"
scripts/install-deps.sh
echo "== Building routerdesk and routerdesk-sim (preset linux)"
cmake --preset linux >/dev/null
cmake --build --preset linux --target routerdesk routerdesk-sim | tail -n 1

demo=$(mktemp -d "${TMPDIR:-/tmp}/routerdesk-demo.XXXXXX")
# The settings file is written beside the executable: a copy of its own keeps this run fresh.
cp build/linux/ui/gtk/routerdesk "$demo/"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# The simulator says its address on its first line; port 0 lets the system pick a free one.
coproc sim { exec build/linux/tools/router-sim/routerdesk-sim --port 0 --log "$demo/requests.log" \
    2>"$demo/sim.stderr"; }
pids+=("$sim_PID")
read -r -t 20 -u "${sim[0]}" url
port=${url##*:}
echo "== Simulated TL-WR745N at $url (requests logged to $demo/requests.log)"
echo "== Program folder: $demo"

if [ -n "${DISPLAY:-}" ]; then
    echo
    echo "Type into the login window (TP 管理密码设置):"
    echo "    账户   admin"
    echo "    密码   admin"
    echo "    端口   $port"
    echo "    管理IP 127.0.0.1"
    echo "then click 确定, and 确定 again on the message. The main window refreshes every 3 s;"
    echo "the five buttons switch the simulated router. Close the window to end the demo."
    set +e
    "$demo/routerdesk"
    status=$?
    set -e
    echo "== routerdesk ended with exit code $status"
    exit "$status"
fi

echo "== No display: running under Xvfb and filling the login through AT-SPI"
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
pids+=("$!")
read -r -t 20 -u "$displayfd" display_number
export DISPLAY=":$display_number"
unset GTK_MODULES NO_AT_BRIDGE
export LANG=C.UTF-8 LANGUAGE=C GDK_BACKEND=x11

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    /usr/bin/python3 - "$@" <<"PYTHON"
import os, sys, time
root, demo, port, log = sys.argv[1:5]
sys.path.insert(0, os.path.join(root, "tests/e2e/gtk"))
import subprocess
from atspi_driver import RunningProgram, LOGIN_CAPTION, wait_until

shots = os.path.join(demo, "screenshots")
os.makedirs(shots, exist_ok=True)

def shoot(name):
    subprocess.run(["import", "-window", "root", os.path.join(shots, name)], check=True)

def refreshes():
    with open(log, encoding="utf-8", errors="replace") as f:
        return sum("WlanStationRpm" in line for line in f)

program = RunningProgram(os.path.join(demo, "routerdesk"), demo)
try:
    print(f"typing into the login window: 账户 admin, 密码 admin, 端口 {port}, 管理IP 127.0.0.1")
    program.fill_login("admin", "admin", port, "127.0.0.1", confirm=False)
    time.sleep(0.5)  # the typed texts are drawn at the next frame
    shoot("login-window.png")
    program.press(program.window(LOGIN_CAPTION), "按钮1")
    print("message:", program.dismiss_message())
    main = program.main_window(timeout=20)
    seen = refreshes()
    wait_until("two refreshes", lambda: refreshes() >= seen + 2, timeout=15)
    shoot("main-window.png")
    for name, what in [("编辑框4", "无线功能"), ("编辑框5", "SSID号"), ("编辑框11", "WAN IP地址"),
                       ("编辑框16", "宽带状态"), ("标签19", "连接数"), ("标签17", "状态栏")]:
        flat = " ".join(program.text(main, name).split())
        print(f"  {what}: {flat}")
    program.close(main)
    print("routerdesk ended with exit code", program.wait_exit())
finally:
    program.kill()
print("screenshots:", os.path.join(shots, "login-window.png"), os.path.join(shots, "main-window.png"))
PYTHON
    status=$?
    kill "$launcher" 2>/dev/null
    exit $status
' demo "$root" "$demo" "$port" "$demo/requests.log" 2>&1 \
    | grep --line-buffered -v -e "fd limit" -e "dbus-daemon" -e "SpiRegistry" -e "X connection to" \
        -e "XIO:" -e "after [0-9]* requests"
