#!/usr/bin/env python3
"""End-to-end test of RouterDesk.exe: the real program under Wine on a virtual X screen, against
the simulated router on loopback, driven from outside by routerdesk_e2e_driver.exe.

Every check is printed as PASS or FAIL; the exit code is 1 when any failed. Screenshots and the
simulator's request logs are left in --out.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

SETTINGS_FILE = "无线路由配置.ini"
ACCOUNT = "admin"
PASSWORD = "admin"
SSID = "TP-LINK_客厅"
NEW_SSID = "RouterDesk_书房"

REFRESH_NOTICE = "内置刷新频率为 3秒刷新信息一次"
NOTHING_ENTERED = "没有输入 帐号 或 密码"
SAVED = "第一次配置完毕 如想重新配置 请删除 程序目录下的 无线路由配置.ini 文件即可重新配置"
SAVE_FAILED = "无法保存登录信息。"
LOGIN_FAILED = ("帐号或密码错误导致登录失败 请删除 程序目录下的 无线路由配置.ini "
                "文件后重新启动本程序设置密码")

# What the display fields show for the simulator's first state (link up, radio and broadcast on,
# automatic channel 6, 11bgn, automatic width, no WDS, three stations).
# What the display fields show for the simulator's first state (link up, radio and broadcast on,
# automatic channel 6, 11bgn, automatic width, no WDS, three stations). The router's arrays put
# each value on a line of its own, and the line feed before it stays in the text shown.
FIRST_STATE = {
    "lanMacBox": "\n00-0A-EB-13-7B-00",
    "lanIpBox": "\n192.168.1.1",
    "lanMaskBox": "\n255.255.255.0",
    "wirelessStateBox": "开启状态",
    "ssidBox": "\n" + SSID,
    "channelBox": "自动(当前信道\n6) ",
    "modeBox": "11bgn mixed",
    "bandwidthBox": "自动",
    "wdsStateBox": "未开启",
    "broadcastStateBox": "无线网络信号可被发现",
    "wanMacBox": "\n00-0A-EB-13-7B-01",
    "wanIpBox": "\n203.0.113.57",
    "wanMaskBox": "\n255.255.255.255",
    "wanGatewayBox": "\n203.0.113.1",
    "wanLinkBox": "无线路由 于 宽度通讯正常",
    "stationCountLabel": "无线网络连接数： \n3",
}


class Checks:
    def __init__(self):
        self.failed = []
        self.passed = 0

    def check(self, condition, what, detail=""):
        if condition:
            self.passed += 1
            print(f"PASS {what}", flush=True)
        else:
            self.failed.append(what)
            print(f"FAIL {what} {detail}".rstrip(), flush=True)
        return condition


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def fields_of(line):
    """A driver record: its first field, then name=value pairs."""
    parts = line.split("\t")
    values = {}
    for part in parts[1:]:
        key, _, value = part.partition("=")
        values[key] = unescape(value)
    return parts[0], values


class Session:
    """Xvfb, the Wine prefix and the simulators of one test run."""

    def __init__(self, args):
        self.args = args
        self.out = Path(args.out)
        self.out.mkdir(parents=True, exist_ok=True)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": args.prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            # Not a Chinese locale: the program must not depend on the system code page.
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        })
        self.xvfb = None
        self.sim = None
        self.others = []  # every simulator running, the current one included
        self.sim_port = None
        self.sim_log = None

    def __enter__(self):
        self.start_xvfb()
        self.prepare_prefix()
        return self

    def __exit__(self, *exc):
        self.stop_sim()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = f":{display}"

    def prepare_prefix(self):
        prefix = Path(self.args.prefix)
        if not (prefix / "system.reg").exists():
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300)
        # A CJK font that Wine uses for 宋体 and for the system's own dialogs, and window frames
        # drawn by Wine itself, since Xvfb has no window manager to draw them.
        fonts = prefix / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        link = fonts / "wqy-zenhei.ttc"
        if not link.exists():
            link.symlink_to(self.args.cjk_font)
        face = "WenQuanYi Zen Hei"
        link_value = f"wqy-zenhei.ttc,{face}\0\0".encode("utf-16-le").hex(",")
        lines = ["Windows Registry Editor Version 5.00", "",
                 r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
        for name in ["SimSun", "宋体", "NSimSun", "新宋体", "Microsoft YaHei", "Microsoft YaHei UI"]:
            lines.append(f'"{name}"="{face}"')
        lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
        for name in ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI"]:
            lines.append(f'"{name}"=hex(7):{link_value}')
        lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Decorated"="N"', ""]
        reg = self.out / "fonts.reg"
        reg.write_bytes(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
        subprocess.run(["wine", "regedit", "/S", str(reg)], env=self.env, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        # The server and Wine's service processes outlive the program that starts them. Started
        # here with no pipes of ours, they cannot hold a driver's output open after it has ended.
        quiet = {"env": self.env, "stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                 "stderr": subprocess.DEVNULL}
        subprocess.run(["wineserver", "-p60"], **quiet, timeout=60)
        subprocess.run(["wine", self.args.driver, "state"], **quiet, timeout=120)

    def start_sim(self, name, *switches, port=0, keep_others=False):
        if not keep_others:
            self.stop_sim()
        self.sim_log = self.out / f"{name}-requests.log"
        self.sim = subprocess.Popen(
            [self.args.sim, "--port", str(port), "--log", str(self.sim_log),
             "--station-step-ms", "0", "--dial-ms", "1000", *switches],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.others.append(self.sim)
        url = self.sim.stdout.readline().strip()
        if not url.startswith("http://127.0.0.1:"):
            raise RuntimeError(f"the simulator said {url!r}")
        self.sim_port = int(url.rsplit(":", 1)[1])

    def stop_sim(self):
        for sim in self.others:
            sim.terminate()
            sim.wait()
        self.others = []
        self.sim = None

    def requests(self):
        """The request targets the simulator has seen, in order."""
        return [line.split("\t")[2] for line in self.request_lines() if line.count("\t") >= 2]

    def wait_pass_end(self, seconds=8):
        """Until the simulator answers the last page of a refresh pass that began after now."""
        count = sum(t.startswith("/userRpm/WlanStationRpm.htm") for t in self.requests())
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if sum(t.startswith("/userRpm/WlanStationRpm.htm") for t in self.requests()) > count:
                time.sleep(0.2)
                return True
            time.sleep(0.05)
        return False

    def request_lines(self, log=None):
        log = log or self.sim_log
        if not log or not log.exists():
            return []
        return log.read_bytes().decode("latin-1").splitlines()

    def driver(self, *args, timeout=60):
        result = subprocess.run(["wine", self.args.driver, *args], env=self.env,
                                capture_output=True, timeout=timeout)
        return result.returncode, result.stdout.decode("utf-8", "replace").replace("\r", "")

    def start_program(self, name):
        folder = self.out / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        shutil.copy(self.args.exe, folder / "RouterDesk.exe")
        return folder

    def run_program(self, folder):
        return subprocess.Popen(["wine", "RouterDesk.exe"], cwd=folder, env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def screenshot(self, name, window):
        """The screen cut to a window's outer rectangle, with a margin; `window` names one of the
        program's windows or is a message box's record."""
        info = self.dump(window)[1].get("window", {}) if isinstance(window, str) else window
        path = self.out / f"{name}.png"
        full = self.out / f"{name}-screen.png"
        subprocess.run(["import", "-window", "root", str(full)], env=self.env, check=True)
        try:
            width, height = (int(v) for v in info["outer"].split("x"))
            left, top = (int(v) for v in info["at"].split(","))
            subprocess.run(["convert", str(full), "-crop",
                            f"{width + 16}x{height + 16}+{max(left - 8, 0)}+{max(top - 8, 0)}",
                            "+repage", str(path)], check=True)
            full.unlink()
        except (KeyError, ValueError):
            full.rename(path)
        print(f"screenshot {path}", flush=True)

    def dump(self, window):
        code, text = self.driver("dump", window)
        records = {"controls": {}}
        for line in text.splitlines():
            kind, values = fields_of(line)
            if kind == "control":
                records["controls"][values["name"]] = values
            elif kind == "window":
                records["window"] = values
        return code, records

    def text(self, window, control):
        code, out = self.driver("text", window, control)
        if code != 0:
            return None
        return unescape(out.splitlines()[0].split("\t", 1)[1]) if out.strip() else None

    def wait_text(self, window, control, wanted, seconds):
        deadline = time.monotonic() + seconds
        text = None
        while time.monotonic() < deadline:
            text = self.text(window, control)
            if text == wanted if isinstance(wanted, str) else wanted(text):
                return True, text
            time.sleep(0.3)
        return False, text

    def message(self, timeout_ms=15000):
        code, out = self.driver("message", str(timeout_ms))
        if code != 0:
            return None
        _, values = fields_of(out.splitlines()[0])
        return values

    def colours(self, window, control):
        code, out = self.driver("colours", window, control)
        if code != 0 or not out.strip():
            return {}
        _, values = fields_of(out.splitlines()[0])
        return {k: int(v) for k, v in values.items()}

    def state(self):
        _, out = self.driver("state")
        return {kind: values for kind, values in map(fields_of, out.splitlines())}


def wait_exit(process, seconds):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def check_layout(s, c, window, records, outer):
    info = records.get("window", {})
    c.check(info.get("outer") == outer, f"{window}: outer size {outer}", str(info))
    try:
        sw, sh = (int(v) for v in info["screen"].split("x"))
        ow, oh = (int(v) for v in info["outer"].split("x"))
        c.check(info["at"] == f"{(sw - ow) // 2},{(sh - oh) // 2}", f"{window}: centred on the screen",
                str(info))
    except (KeyError, ValueError):
        c.check(False, f"{window}: centred on the screen", str(info))
    c.check(info.get("sizable") == "0" and info.get("minbox") == "0" and info.get("maxbox") == "0",
            f"{window}: fixed frame without minimise and maximise buttons", str(info))
    controls = records["controls"]
    missing = [name for name, v in controls.items() if v["found"] != "1"]
    c.check(controls and not missing,
            f"{window}: all {len(controls)} controls at their layout places and sizes (96 DPI)",
            f"missing: {missing}")
    c.check(info.get("children") == str(len(controls)), f"{window}: no control beyond the layout",
            str(info.get("children")))


def first_run(s, c):
    """No settings file: the login window, its checks, the save, the main window and commands."""
    s.start_sim("first-run", "--ssid", SSID)
    folder = s.start_program("first-run")
    program = s.run_program(folder)
    code, _ = s.driver("wait", "login", "visible", "90000", timeout=120)
    c.check(code == 0, "first run: the login window shows")
    state = s.state()
    c.check(state.get("main", {}).get("visible") == "0", "first run: the main window stays hidden",
            str(state))
    c.check(state.get("main", {}).get("enabled") == "0",
            "first run: the main window is disabled while the login window is open", str(state))

    _, login = s.dump("login")
    check_layout(s, c, "login", login, "237x141")
    texts = {name: v["text"] for name, v in login["controls"].items()}
    c.check(all(v["text"] == v["expected"] for v in login["controls"].values()),
            "login: every control shows the layout's initial text (port 80, IP 192.168.1.1)",
            str(texts))
    s.screenshot("login-window", "login")

    # Enter in the account box presses OK, through the program's own message loop.
    s.driver("enter", "login", "accountBox")
    box = s.message()
    c.check(box is not None and box["text"] == NOTHING_ENTERED,
            "login: Enter with nothing typed presses OK and shows the missing-login message",
            str(box))
    if box:
        c.check(box["buttons"] == "1" and box["icons"] == "0",
                "message box: one button and no icon", str(box))
        s.screenshot("message-box", box)
        s.driver("dismiss")

    s.driver("set", "login", "accountBox", ACCOUNT)
    s.driver("click", "login", "loginOkButton")
    box = s.message()
    c.check(box is not None and box["text"] == NOTHING_ENTERED,
            "login: an account without a password is refused", str(box))
    s.driver("dismiss")
    c.check(not (folder / SETTINGS_FILE).exists(), "login: nothing is saved while refused")

    s.driver("set", "login", "passwordBox", PASSWORD)
    s.driver("set", "login", "portBox", str(s.sim_port))
    s.driver("set", "login", "ipBox", "127.0.0.1")
    s.driver("click", "login", "loginOkButton")
    box = s.message()
    c.check(box is not None and box["text"] == SAVED, "login: the save is confirmed", str(box))
    c.check((folder / SETTINGS_FILE).is_file(), "login: the settings file is created")
    state = s.state()
    c.check(state.get("main", {}).get("visible") == "0",
            "login: the main window is still hidden while the confirmation shows", str(state))
    s.driver("dismiss")

    code, _ = s.driver("wait", "main", "visible", "30000")
    c.check(code == 0, "the main window shows after the login")
    _, main = s.dump("main")
    shown = {name: v["text"] for name, v in main["controls"].items()}
    c.check(shown.get("lanIpBox") == FIRST_STATE["lanIpBox"] and
            shown.get("ssidBox") == FIRST_STATE["ssidBox"],
            "the first refresh pass has filled the fields when the window shows", str(shown))
    state = s.state()
    c.check(state.get("login", {}).get("exists") == "0", "the login window is gone", str(state))
    check_layout(s, c, "main", main, "632x478")
    static_texts = {n: (v["text"], v["expected"]) for n, v in main["controls"].items()
                    if not n.endswith("Box") and n not in ("stationCountLabel", "statusLine")}
    c.check(all(a == b for a, b in static_texts.values()),
            "main: labels, buttons and group boxes show the layout's texts", str(static_texts))

    for field, wanted in FIRST_STATE.items():
        c.check(shown.get(field) == wanted, f"main: {field} shows {wanted!r}", repr(shown.get(field)))
    dns = shown.get("wanDnsBox", "")
    c.check("198.51.100.53" in dns and "198.51.100.54" in dns, "main: wanDnsBox shows both servers",
            repr(dns))
    c.check(any(ch.isdigit() for ch in shown.get("wanUptimeBox", "")),
            "main: wanUptimeBox shows the online time", repr(shown.get("wanUptimeBox")))

    ok, _ = s.wait_text("main", "statusLine", REFRESH_NOTICE, 8)
    colours = s.colours("main", "stationCountLabel")
    c.check(colours.get("purple", 0) > 0, "main: the station count is purple", str(colours))
    colours = s.colours("main", "statusLine")
    c.check(colours.get("blue", 0) > 0 and colours.get("magenta", 0) == 0,
            "main: the refresh notice is blue", str(colours))
    s.screenshot("main-window", "main")

    # Each command, its waiting message, the target the router must receive, and what a later
    # tick shows. Switching the radio sends the broadcast switch off with it, so the broadcast
    # command that follows switches both on again.
    commands = [
        ("hangUpButton", "网络已断开 等待刷新...", "/userRpm/StatusRpm.htm?Disconnect=%B6%CF%20%CF%DF&wan=1",
         {"wanLinkBox": "无线路由没有联网 请拨号"}),
        ("dialButton", "拨号中 等待刷新...", "/userRpm/StatusRpm.htm?Connect=%C1%AC%20%BD%D3&wan=1",
         {"wanLinkBox": "无线路由 于 宽度通讯正常"}),
        ("wirelessButton", "无线网络已关闭 等待刷新...", "/userRpm/WlanNetworkRpm.htm?ssid1=TP-LINK_%BF%CD%CC%FC&",
         {"wirelessStateBox": "关闭状态", "broadcastStateBox": "无线网络信号不可被发现"}),
        ("broadcastButton", "SSID广播已开启 等待刷新...", "/userRpm/WlanNetworkRpm.htm?ssid1=TP-LINK_%BF%CD%CC%FC&",
         {"broadcastStateBox": "无线网络信号可被发现", "wirelessStateBox": "开启状态"}),
        ("renameSsidButton", "SSID号修改完毕 等待刷新...",
         "/userRpm/WlanNetworkRpm.htm?ssid1=RouterDesk_%CA%E9%B7%BF&", {"ssidBox": "\n" + NEW_SSID}),
    ]
    for button, waiting, target, after in commands:
        if button == "renameSsidButton":
            s.driver("set", "main", "newSsidBox", NEW_SSID)
        # Right after a pass has ended, so that the waiting message stays up until the next tick.
        s.wait_pass_end()
        before = len(s.requests())
        s.driver("click", "main", button)
        ok, text = s.wait_text("main", "statusLine", waiting, 2.5)
        c.check(ok, f"{button}: the status line says {waiting!r}", repr(text))
        colours = s.colours("main", "statusLine") if ok else {}
        c.check(colours.get("magenta", 0) > 0 and colours.get("blue", 0) == 0,
                f"{button}: the waiting message is magenta", str(colours))
        sent = [t for t in s.requests()[before:] if t.startswith(target)]
        c.check(len(sent) == 1, f"{button}: the router received {target}...",
                str(s.requests()[before:]))
        for field, value in after.items():
            ok, text = s.wait_text("main", field, value, 12)
            c.check(ok, f"{button}: a later tick shows {field} = {value!r}", repr(text))
        if button == "hangUpButton":
            colours = s.colours("main", "wanLinkBox")
            c.check(colours.get("red", 0) > 0 and colours.get("black", 0) == 0,
                    "main: the link state turns red while down", str(colours))
        ok, _ = s.wait_text("main", "statusLine", REFRESH_NOTICE, 5)
        c.check(ok, f"{button}: the tick puts the refresh notice back")
    colours = s.colours("main", "wanLinkBox")
    c.check(colours.get("black", 0) > 0 and colours.get("red", 0) == 0,
            "main: the link state is black while up", str(colours))

    header_lines = [line for line in s.request_lines() if "/userRpm/" in line]
    # WinINet writes every header line anew as "Name: value"; the value goes as built.
    c.check(header_lines and all("\tAuthorization: YWRtaW46YWRtaW4=\t" in line
                                 for line in header_lines),
            "every request carries the Authorization value as built")
    extras = {part.split(":", 1)[0] for line in header_lines for part in line.split("\t")[3:]}
    print(f"header names seen by the router: {sorted(extras)}", flush=True)
    c.check(not ({"Cache-Control", "Pragma", "Cookie", "Accept-Encoding"} & extras),
            "no cache, cookie or compression header is added", str(sorted(extras)))

    saved = (folder / SETTINGS_FILE).read_bytes()
    s.driver("close", "main")
    code = wait_exit(program, 20)
    c.check(code == 0, "closing the main window ends the process with exit code 0", str(code))
    c.check((folder / SETTINGS_FILE).read_bytes() == saved, "closing leaves the settings file alone")
    return folder


def refused_login(s, c, saved_folder):
    """A stored login that the router refuses: the message, and the refresh stops."""
    s.start_sim("refused-login", "--password", "other", port=s.sim_port)
    folder = s.start_program("refused-login")
    shutil.copy(saved_folder / SETTINGS_FILE, folder / SETTINGS_FILE)
    program = s.run_program(folder)
    box = s.message(60000)
    c.check(box is not None and box["text"] == LOGIN_FAILED,
            "refused login: the failed-login message shows", str(box))
    state = s.state()
    c.check(state.get("login", {}).get("exists") == "0",
            "stored login: no login window", str(state))
    c.check(state.get("main", {}).get("visible") == "0",
            "refused login: the main window is still hidden during the first pass", str(state))
    s.driver("dismiss")
    code, _ = s.driver("wait", "main", "visible", "20000")
    c.check(code == 0, "refused login: the main window shows after the first pass")
    count = len(s.requests())
    time.sleep(7)
    c.check(len(s.requests()) == count, "refused login: the refresh has stopped",
            f"{count} -> {len(s.requests())}")
    c.check(s.message(500) is None, "refused login: the message is shown once")
    s.driver("close", "main")
    code = wait_exit(program, 20)
    c.check(code == 0, "refused login: closing ends with exit code 0", str(code))


def redirected(s, c, saved_folder, router_port):
    """A router that redirects to another port: the transport follows, and the Authorization
    line stays behind, so the other side refuses the login."""
    s.start_sim("redirect-target")
    target_log = s.sim_log
    s.start_sim("redirecting", "--redirect-to", f"http://127.0.0.1:{s.sim_port}", port=router_port,
                keep_others=True)
    folder = s.start_program("redirected")
    shutil.copy(saved_folder / SETTINGS_FILE, folder / SETTINGS_FILE)
    program = s.run_program(folder)
    box = s.message(60000)
    c.check(box is not None and box["text"] == LOGIN_FAILED,
            "redirect: the other port refuses the login that was not passed on", str(box))
    first = s.request_lines()[:1]
    c.check(bool(first) and first[0].split("\t")[2] == "/userRpm/StatusRpm.htm" and
            "\tAuthorization: " in first[0], "redirect: the router itself got the Authorization line",
            str(first))
    followed = s.request_lines(target_log)[:1]
    c.check(bool(followed) and followed[0].split("\t")[2] == "/userRpm/StatusRpm.htm" and
            "Authorization" not in followed[0],
            "redirect: followed to the other port, without the Authorization line", str(followed))
    s.driver("dismiss")
    s.driver("wait", "main", "visible", "20000")
    s.driver("close", "main")
    code = wait_exit(program, 20)
    c.check(code == 0, "redirect: closing ends with exit code 0", str(code))


def closed_without_saving(s, c):
    """The login window shut by its close box: no main window, no message, exit code 0."""
    folder = s.start_program("closed-without-saving")
    program = s.run_program(folder)
    code, _ = s.driver("wait", "login", "visible", "30000")
    c.check(code == 0, "closed without saving: the login window shows")
    s.driver("close", "login")
    code = wait_exit(program, 20)
    c.check(code == 0, "closed without saving: the process ends with exit code 0", str(code))
    c.check(not (folder / SETTINGS_FILE).exists(), "closed without saving: no settings file")


def failed_save(s, c):
    """A settings file that cannot be written: the user is told why, and the window stays."""
    folder = s.start_program("failed-save")
    # A folder in the file's place cannot be replaced by a file, even by root.
    (folder / SETTINGS_FILE).mkdir()
    program = s.run_program(folder)
    s.driver("wait", "login", "visible", "30000")
    s.driver("set", "login", "accountBox", ACCOUNT)
    s.driver("set", "login", "passwordBox", PASSWORD)
    s.driver("click", "login", "loginOkButton")
    box = s.message()
    text = box["text"] if box else ""
    c.check(text.startswith(SAVE_FAILED) and SETTINGS_FILE in text,
            "failed save: the message names the file and the reason", repr(text))
    if box:
        s.screenshot("failed-save-message", box)
    s.driver("dismiss")
    state = s.state()
    c.check(state.get("login", {}).get("visible") == "1", "failed save: the login window stays open",
            str(state))
    c.check(s.text("login", "accountBox") == ACCOUNT, "failed save: what was typed stays")
    s.driver("close", "login")
    code = wait_exit(program, 20)
    c.check(code == 0, "failed save: closing the login window ends with exit code 0", str(code))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--prefix", default=os.environ.get("ROUTERDESK_E2E_WINEPREFIX",
                                                           "/tmp/routerdesk-e2e-win32"))
    parser.add_argument("--cjk-font", default="/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc")
    args = parser.parse_args()

    c = Checks()
    with Session(args) as s:
        try:
            folder = first_run(s, c)
            router_port = s.sim_port
            refused_login(s, c, folder)
            redirected(s, c, folder, router_port)
            closed_without_saving(s, c)
            failed_save(s, c)
        except (RuntimeError, subprocess.TimeoutExpired) as error:
            c.check(False, "the run went to its end", str(error))
    print(f"{c.passed} passed, {len(c.failed)} failed", flush=True)
    for what in c.failed:
        print(f"  failed: {what}")
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
