"""routerdesk in a real X window against routerdesk-sim, driven through AT-SPI.

Run by run_e2e.sh, which provides the X server and the accessibility bus."""

import argparse
import os
import shutil
import subprocess
import sys
import time
import traceback

from atspi_driver import (LOGIN_CAPTION, MAIN_CAPTION_START, MESSAGE_CAPTION, RunningProgram,
                          wait_until)
from simulator import Simulator

NOTHING_ENTERED = "没有输入 帐号 或 密码"
SAVED = "第一次配置完毕 如想重新配置 请删除 程序目录下的 无线路由配置.ini 文件即可重新配置"
LOGIN_FAILED = ("帐号或密码错误导致登录失败 请删除 程序目录下的 无线路由配置.ini "
                "文件后重新启动本程序设置密码")
REFRESH_NOTICE = "内置刷新频率为 3秒刷新信息一次"

SIM_SSID = "测试网络"
SIM_OPTIONS = ["--ssid", SIM_SSID, "--stations", "5", "--station-step-ms", "0",
               "--dial-ms", "500", "--wan", "up"]

# What the main window holds for the simulator's state above, by control name. The router
# writes one value a line, and a value copied from its page keeps the line feed before it.
EXPECTED_FIELDS = {
    "编辑框4": "开启状态",                          # wirelessStateBox
    "编辑框17": "无线网络信号可被发现",              # broadcastStateBox
    "编辑框5": "\n" + SIM_SSID,                    # ssidBox
    "编辑框6": "自动(当前信道\n6) ",               # channelBox
    "编辑框7": "11bgn mixed",                       # modeBox
    "编辑框8": "自动",                              # bandwidthBox
    "编辑框9": "未开启",                            # wdsStateBox
    "编辑框10": "\n00-0A-EB-13-7B-01",             # wanMacBox
    "编辑框11": "\n203.0.113.57",                  # wanIpBox
    "编辑框12": "\n255.255.255.255",               # wanMaskBox
    "编辑框13": "\n203.0.113.1",                   # wanGatewayBox
    "编辑框14": "\n198.51.100.53 , 198.51.100.54",  # wanDnsBox
    "编辑框16": "无线路由 于 宽度通讯正常",          # wanLinkBox
    "编辑框1": "\n00-0A-EB-13-7B-00",              # lanMacBox
    "编辑框2": "\n192.168.1.1",                    # lanIpBox
    "编辑框3": "\n255.255.255.0",                  # lanMaskBox
    "标签19": "无线网络连接数： \n5",               # stationCountLabel
}


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def equal(self, what, actual, expected):
        if actual == expected:
            self.passed += 1
        else:
            self.failed.append(f"{what}: expected {expected!r}, got {actual!r}")
            print(f"  FAIL {self.failed[-1]}", flush=True)

    def true(self, what, condition):
        self.equal(what, bool(condition), True)


def screenshot(out_dir, name):
    path = os.path.join(out_dir, name)
    subprocess.run(["import", "-window", "root", path], check=True)
    print(f"  screenshot {path}", flush=True)


def status_line(program, main):
    return program.text(main, "标签17")


def press_and_see(checks, program, sim, main, button, sent, waiting_text, field, shown):
    """One command: its request reaches the router, its message stands in the status line,
    and the next refresh shows the router's new state. `sent` tells the command's request
    from the refresh's."""
    before = len(sim.requests())
    program.press(main, button)
    wait_until(f"{button} to reach the router",
               lambda: any(sent(target) for target, _ in sim.requests()[before:]))
    checks.equal(f"{button}: status line after the click", status_line(program, main),
                 waiting_text)
    wait_until(f"{field} to show {shown!r} after {button}",
               lambda: program.text(main, field) == shown, timeout=10)
    wait_until("the refresh notice", lambda: status_line(program, main) == REFRESH_NOTICE,
               timeout=10)


def test_login_closed_without_saving(checks, args, sim):
    print("login window closed without saving", flush=True)
    program = RunningProgram(args.program, os.path.join(args.work, "closed-login"))
    try:
        login = program.window(LOGIN_CAPTION)
        program.close(login)
        checks.equal("exit code", program.wait_exit(), 0)
        checks.true("no settings file", not os.path.exists(program.settings_file()))
    finally:
        program.kill()


def test_first_run_fields_and_commands(checks, args, sim):
    print("first run: login, fields, the five commands, close", flush=True)
    program = RunningProgram(args.program, os.path.join(args.work, "first-run"))
    try:
        login = program.window(LOGIN_CAPTION)
        captions = [w.name for w in program.windows()]
        checks.equal("windows while the login is asked for", captions, [LOGIN_CAPTION])
        checks.equal("port box's first text", program.text(login, "编辑框3"), "80")
        checks.equal("IP box's first text", program.text(login, "编辑框4"), "192.168.1.1")
        screenshot(args.out, "login-window.png")

        # An empty account is refused and nothing is written.
        program.fill_login("", "admin", sim.port, "127.0.0.1", login)
        checks.equal("message for an empty account", program.dismiss_message(), NOTHING_ENTERED)
        checks.true("no settings file after the refusal",
                    not os.path.exists(program.settings_file()))

        program.fill_login("admin", "admin", sim.port, "127.0.0.1", login)
        checks.equal("message after saving", program.dismiss_message(), SAVED)
        checks.true("settings file beside the program", os.path.exists(program.settings_file()))

        main = program.main_window(timeout=20)
        # Shown only after the first pass, so the fields are filled the moment it appears.
        checks.equal("LAN IP as the main window appears", program.text(main, "编辑框2"),
                     "\n192.168.1.1")
        checks.equal("status line before the first tick", status_line(program, main),
                     REFRESH_NOTICE)
        checks.true("login window gone",
                    all(w.name != LOGIN_CAPTION for w in program.windows()))

        for name, expected in EXPECTED_FIELDS.items():
            checks.equal(f"field {name}", program.text(main, name), expected)
        checks.true("online time shown", program.text(main, "编辑框15") != "")

        # Two refreshes: the station count the router reports is read anew each time.
        passes = len(sim.targets_containing("WlanStationRpm"))
        wait_until("two refresh passes",
                   lambda: len(sim.targets_containing("WlanStationRpm")) >= passes + 2,
                   timeout=10)
        screenshot(args.out, "main-window.png")

        def wireless_form(*with_pieces, without=None):
            return lambda target: ("Save=" in target and all(p in target for p in with_pieces)
                                   and (without is None or without not in target))

        # The radio stays on when the broadcast is switched; switching the radio drops both.
        press_and_see(checks, program, sim, main, "按钮1",
                      wireless_form("ap=1", without="broadcast="),
                      "SSID广播已关闭 等待刷新...", "编辑框17", "无线网络信号不可被发现")

        # A character GBK cannot hold is refused before anything is sent.
        saves = len(sim.targets_containing("Save="))
        program.type_into(main, "编辑框18", "客厅\U0001F600")
        program.press(main, "按钮5")
        refusal = program.dismiss_message()
        checks.true(f"refusal names the box: {refusal!r}",
                    "编辑框18" in refusal and "SSID号" in refusal and "\U0001F600" in refusal)
        time.sleep(0.5)
        checks.equal("nothing sent for the refused text",
                     len(sim.targets_containing("Save=")), saves)

        program.type_into(main, "编辑框18", "书房")
        press_and_see(checks, program, sim, main, "按钮5", wireless_form("ssid1=%CA%E9%B7%BF&"),
                      "SSID号修改完毕 等待刷新...", "编辑框5", "\n书房")
        press_and_see(checks, program, sim, main, "按钮4", wireless_form(without="ap="),
                      "无线网络已关闭 等待刷新...", "编辑框4", "关闭状态")
        press_and_see(checks, program, sim, main, "按钮3", lambda t: "Disconnect=" in t,
                      "网络已断开 等待刷新...", "编辑框16", "无线路由没有联网 请拨号")
        press_and_see(checks, program, sim, main, "按钮2", lambda t: "?Connect=" in t,
                      "拨号中 等待刷新...", "编辑框16", "无线路由 于 宽度通讯正常")

        settings_before = open(program.settings_file(), "rb").read()
        program.close(main)
        checks.equal("exit code after closing the main window", program.wait_exit(), 0)
        checks.equal("settings file untouched by closing",
                     open(program.settings_file(), "rb").read(), settings_before)
    finally:
        program.kill()


def test_wrong_password(checks, args, sim):
    print("wrong password: the cycle stops with the message", flush=True)
    program = RunningProgram(args.program, os.path.join(args.work, "wrong-password"))
    try:
        program.fill_login("admin", "wrong", sim.port, "127.0.0.1")
        checks.equal("message after saving", program.dismiss_message(), SAVED)
        checks.equal("message of the refused login", program.dismiss_message(timeout=20),
                     LOGIN_FAILED)
        main = program.main_window()
        requests = len(sim.requests())
        time.sleep(7)  # more than two periods
        checks.equal("requests after the refused login", len(sim.requests()), requests)
        checks.equal("status line keeps its first text", status_line(program, main),
                     REFRESH_NOTICE)
        program.close(main)
        checks.equal("exit code", program.wait_exit(), 0)
    finally:
        program.kill()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def test_slow_router(checks, args, _):
    print("slow router: the program sleeps while it waits and still takes clicks", flush=True)
    slow = Simulator(args.sim, os.path.join(args.work, "slow-sim"), "--delay-ms", "1500",
                     "--station-step-ms", "0")
    program = RunningProgram(args.program, os.path.join(args.work, "slow-router"))
    try:
        program.fill_login("admin", "admin", slow.port, "127.0.0.1")
        program.dismiss_message()
        # The first pass takes three answers of 1.5 s each before the window shows.
        start = cpu_seconds(program.process.pid)
        time.sleep(3)
        used = cpu_seconds(program.process.pid) - start
        checks.true(f"CPU used while waiting 3 s for the router: {used:.2f} s", used < 0.3)
        main = program.main_window(timeout=20)
        # A click while a refresh waits for its answer runs at once, nested in that wait.
        before = len(slow.requests())
        program.press(main, "按钮3")
        wait_until("the hang-up to reach the slow router",
                   lambda: slow.targets_containing("Disconnect="), timeout=10)
        checks.true("no other request answered before the hang-up arrived",
                    len(slow.requests()) <= before + 2)
        program.close(main)
        checks.equal("exit code while a request may be pending", program.wait_exit(), 0)
    finally:
        program.kill()
        slow.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True, help="a folder for the runs, emptied first")
    parser.add_argument("--out", required=True, help="where the screenshots go")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    os.makedirs(args.out, exist_ok=True)

    checks = Checks()
    sim = Simulator(args.sim, os.path.join(args.work, "sim"), *SIM_OPTIONS)
    try:
        for test in (test_login_closed_without_saving, test_first_run_fields_and_commands,
                     test_wrong_password, test_slow_router):
            try:
                test(checks, args, sim)
            except Exception:
                checks.failed.append(f"{test.__name__}: {traceback.format_exc()}")
                print(f"  FAIL {checks.failed[-1]}", flush=True)
    finally:
        sim.stop()
    print(f"{checks.passed} checks passed, {len(checks.failed)} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
