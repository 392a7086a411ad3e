"""routerdesk in a real X window against a router that turns hostile after a good start.

The program logs in through a switchable front (hostile_router.Front) that first passes
everything to a good routerdesk-sim. Then, one refresh pass per case, the front answers like a
broken or malicious router. Between cases it holds the first request of the next pass, so the
window is read while nothing can change it: the process must still run, its memory must stay
bounded, and each field must show the last value a good answer gave it (or what the case's
answer rightly shows). A second instance meanwhile waits out the full time-out of a router
that never answers.

Run by run_e2e.sh, which provides the X server and the accessibility bus."""

import argparse
import gzip
import os
import random
import shutil
import subprocess
import sys
import time
import traceback
import zlib

import hostile_router as hr
from atspi_driver import RunningProgram, text_of, descendants, wait_until
from routerdesk_e2e import EXPECTED_FIELDS, LOGIN_FAILED, SIM_SSID, Checks, screenshot
from simulator import Simulator

AUTHORIZATION = "YWRtaW46YWRtaW4="  # admin:admin
SSID_BOX, CHANNEL_BOX, STATION_LABEL, STATUS_LINE = "编辑框5", "编辑框6", "标签19", "标签17"
HANG_UP_BUTTON = "按钮3"
MIB = 1 << 20
# A query of the window that takes longer than this means the window has stopped answering.
LIVENESS_BOUND = 5.0


def sim_options(ssid, stations=5):
    return ["--ssid", ssid, "--stations", str(stations), "--station-step-ms", "0",
            "--dial-ms", "500", "--wan", "up"]


def memory_kib(pid):
    """(VmRSS, VmHWM) in KiB."""
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0])
    return values["VmRSS"], values["VmHWM"]


class Window:
    """The main window's fields, found once; every read is timed."""

    def __init__(self, program):
        self.program = program
        main = program.main_window(timeout=20)
        wanted = set(EXPECTED_FIELDS) | {STATUS_LINE}
        self.controls = {a.name: a for a in descendants(main) if a.name in wanted}
        self.main = main
        self.slowest = 0.0

    def read(self, name):
        start = time.monotonic()
        text = text_of(self.controls[name])
        self.slowest = max(self.slowest, time.monotonic() - start)
        return text

    def fields(self):
        return {name: self.read(name) for name in EXPECTED_FIELDS}


class Case:
    """One hostile behaviour. `shows` names the fields its answer rightly changes (their new
    texts, or a predicate on them); every other field must keep its last good text."""

    def __init__(self, name, expected, mode=None, shows=None, run=None, check=None):
        self.name = name
        self.expected = expected
        self.mode = mode
        self.shows = shows or {}
        self.run = run        # replaces the plain release: (suite, case) -> None
        self.check = check    # after the pass: (suite, case) -> observed text
        self.first_request = 0
        self.observed = ""


class Suite:
    def __init__(self, args, checks):
        self.args = args
        self.checks = checks
        self.sims = []
        self.fronts = []
        self.programs = []
        self.rows = []

    # --- resources ---------------------------------------------------------------------

    def sim(self, name, ssid, *switches, stations=5):
        sim = Simulator(self.args.sim, os.path.join(self.args.work, name),
                        *sim_options(ssid, stations), *switches)
        self.sims.append(sim)
        return sim

    def proxy_to(self, sim, name):
        return hr.Proxy(int(sim.port), name)

    def front(self, mode):
        front = hr.Front(mode)
        self.fronts.append(front)
        return front

    def start_program(self, name, port):
        program = RunningProgram(self.args.program, os.path.join(self.args.work, name))
        self.programs.append(program)
        program.fill_login("admin", "admin", str(port), "127.0.0.1")
        program.dismiss_message()
        window = Window(program)
        wait_until(f"{name}: the good router's fields",
                   lambda: window.read(SSID_BOX) == EXPECTED_FIELDS[SSID_BOX], timeout=20)
        return window

    def close(self):
        for program in self.programs:
            program.kill()
        for front in self.fronts:
            front.stop()
        for sim in self.sims:
            sim.stop()

    # --- checks ------------------------------------------------------------------------

    def alive(self, program, what):
        self.checks.true(f"{what}: routerdesk still running", program.process.poll() is None)

    def check_fields(self, case):
        """Each field keeps its last good text, or shows what the case rightly shows."""
        seen = self.window_a.fields()
        wrong = []
        for name, want in self.expected.items():
            rule = case.shows.get(name, want)
            good = rule(seen[name]) if callable(rule) else seen[name] == rule
            self.checks.true(f"{case.name}: field {name} = {seen[name]!r}", good)
            if not good:
                wrong.append(name)
        for name in case.shows:
            self.expected[name] = seen[name]
        shown = ", ".join(f"{n}={seen[n]!r}" for n in case.shows
                          if n in (SSID_BOX, STATION_LABEL, CHANNEL_BOX))
        case.observed += "fields as expected" if not wrong else f"WRONG: {', '.join(wrong)}"
        if shown and len(case.shows) < 4:
            case.observed += f" ({shown})"


def page_with_ssid(pages, target, ssid_bytes):
    return pages[target].replace(SIM_SSID.encode("gbk"), ssid_bytes)


def with_pieces(page, array, count, piece=b"0"):
    """The page with `count` more pieces at the end of the named array."""
    start = page.index(b"var " + array + b" = new Array(")
    end = page.index(b");", start)
    return page[:end] + b"".join(b"," + piece for _ in range(count)) + page[end:]


def build_cases(suite, good, pages, front, other, refuse_sim):
    """The hostile behaviours in the order they are played; `good` is the good router."""
    status, network, station = hr.STATUS_PAGE, hr.NETWORK_PAGE, hr.STATION_PAGE

    def page_of(target, page1):
        return page1 if target == status else pages.get(target, b"<HTML>404</HTML>")

    def ok(body, **kw):
        return hr.response(200, "OK", body, **kw)

    rng = random.Random(8)
    noise = bytes(rng.getrandbits(8) for _ in range(64 * 1024))

    # Each invalid byte pair is one character to the program, as every byte of 0x80 or more
    # begins a two-byte character in its texts.
    invalid_gbk = b"\xff0" + "坏".encode("gbk") + b"\x81\x7fab"
    gbk_page = page_with_ssid(pages, status, invalid_gbk) + b"\x81"  # a lead byte at the end
    invalid_utf8 = b"\xc3(" + "坏".encode() + b"\xed\xa0\x80ab\xf8\x88\x80\x80\x80"
    utf8_page = pages[status].decode("gbk").encode().replace(SIM_SSID.encode(), invalid_utf8)
    utf8_pages = {t: p.decode("gbk").encode() for t, p in pages.items()}
    utf8_type = "text/html; charset=utf-8"

    huge_page = page_with_ssid(pages, status, "巨大".encode("gbk"))
    bomb_page = page_with_ssid(pages, status, "炸弹".encode("gbk"))
    bomb = gzip.compress(bomb_page) + suite.bomb
    many_page = with_pieces(page_with_ssid(pages, status, "万项".encode("gbk")), b"wlanPara",
                            10_000)
    many_stations = with_pieces(pages[station], b"hostList", 10_000, b'"02-1A-2B-3C-4D-FF"')
    error_page = page_with_ssid(pages, status, "错误页".encode("gbk"))
    no_authority = b"<hr><h1><B>You have no authority to access this device!</B></h1><hr>"
    # Cut inside the wireless array of the status page: the LAN array before it is whole.
    cut_at = pages[status].index(b"var wlanPara") + 40

    def one_pass(case):
        return front.since(case.first_request)

    def check_stream(suite, case):
        sent = [r.sent for r in one_pass(case) if r.mode == case.mode.name]
        suite.checks.true(f"{case.name}: the program stopped reading (bytes taken: {sent})",
                          sent and max(sent) < 100 * MIB)
        return f"read stopped after {max(sent) / MIB:.1f} MiB of 100 MiB"

    def check_loop(suite, case):
        hops = [r for r in one_pass(case) if r.target == status and r.mode == case.mode.name]
        suite.checks.true(f"{case.name}: gave up after {len(hops)} requests", 1 < len(hops) <= 20)
        return f"{len(hops)} requests for the status page, then gave up"

    def check_elsewhere(suite, case):
        reached = other.since(0)
        sent_auth = [r for r in one_pass(case)
                     if r.mode == case.mode.name and r.header("Authorization")]
        leaked = [r for r in reached if r.header("Authorization")]
        suite.checks.true(f"{case.name}: the redirect was followed", reached)
        suite.checks.true(f"{case.name}: the router got the Authorization line", sent_auth)
        suite.checks.equal(f"{case.name}: Authorization lines at the other host", len(leaked), 0)
        return (f"{len(reached)} requests at the other host, {len(leaked)} with Authorization "
                f"(the router got {len(sent_auth)})")

    slow = suite.sim("sim-delay", "慢速", "--delay-ms", "2000")
    dropping = suite.sim("sim-drop", "丢弃", "--drop-every", "3", stations=2)
    gzip_sim = suite.sim("sim-gzip", "压缩甲", "--encoding", "gzip")
    deflate_sim = suite.sim("sim-deflate", "压缩乙", "--encoding", "deflate")
    utf8_sim = suite.sim("sim-utf8", "统一码", "--utf8")
    chunked = suite.sim("sim-chunked", "分块", "--chunked")
    cut = suite.sim("sim-truncate", "截断", "--truncate-at", str(cut_at), stations=2)
    padded = suite.sim("sim-huge", "超大", "--huge-body", str(20 * MIB))
    redirecting = suite.sim("sim-redirect", "别处", "--redirect-to", f"http://127.0.0.1:{other.port}")
    one_line = suite.sim("sim-one-line", "单行", "--one-line-array", "wlanPara")

    keep = "fields keep their last good texts"
    return [
        Case("refused connection", keep, run=refused),
        Case("no answer at all", keep + "; window live, a click is taken; recovers",
             hr.Silent(), run=silent),
        Case("one byte a second", keep + "; window live", hr.Trickle(
            lambda t: ok(page_of(t, pages[status]))), run=trickle),
        Case("random bytes", keep, hr.Reply("random bytes", lambda t: noise)),
        Case("random body", keep, hr.Reply("random body", lambda t: ok(noise))),
        Case("invalid GBK", "SSID shown with replacement marks, the rest kept",
             hr.Reply("invalid GBK", lambda t: ok(page_of(t, gbk_page))),
             shows={SSID_BOX: lambda s: s.startswith("\n") and "坏" in s and "ab" in s
                    and "\ufffd" in s}),
        Case("invalid UTF-8 under charset=utf-8", "SSID shown with '?' marks, the rest kept",
             hr.Reply("invalid UTF-8", lambda t: ok(utf8_page if t == status
                                                    else utf8_pages.get(t, b""),
                                                    content_type=utf8_type)),
             shows={SSID_BOX: lambda s: s.startswith("\n") and "坏" in s and "ab" in s
                    and "?" in s}),
        Case("401 with a body", keep, hr.Reply("401", lambda t: hr.response(
            401, "Unauthorized", b"<HTML><BODY>401 Unauthorized</BODY></HTML>",
            extra=['WWW-Authenticate: Basic realm="TP-LINK"']))),
        Case("500 with the router's page as body", "the body is read: SSID 错误页",
             hr.Reply("500", lambda t: hr.response(500, "Internal Server Error",
                                                   page_of(t, error_page))),
             shows={SSID_BOX: "\n错误页"}),
        Case("100 MiB body", "first 16 MiB read (SSID 巨大), the rest refused",
             hr.Stream("100 MiB", lambda t: page_of(t, huge_page), 100 * MIB),
             shows={SSID_BOX: "\n巨大"}, check=check_stream),
        Case("gzip bomb", "page before the bomb read (SSID 炸弹), output capped",
             hr.Reply("gzip bomb", lambda t: ok(bomb if t == status else page_of(t, b""),
                                                extra=["Content-Encoding: gzip"]
                                                if t == status else [])),
             shows={SSID_BOX: "\n炸弹"}),
        Case("redirect loop", keep + "; the loop is given up", hr.RedirectLoop(),
             check=check_loop),
        Case("redirect to another host (sim --redirect-to)",
             keep + "; no Authorization line at the other host",
             suite.proxy_to(redirecting, "redirect elsewhere"), check=check_elsewhere),
        Case("no authority page", keep, hr.Reply("no authority", lambda t: ok(no_authority))),
        Case("arrays of 10,000 pieces", "read (SSID 万项)", hr.Reply(
            "10,000 pieces", lambda t: ok(many_page if t == status else many_stations
                                          if t == station else pages[t])),
             shows={SSID_BOX: "\n万项"}),
        Case("sim --delay-ms 2000", "read (SSID 慢速)", suite.proxy_to(slow, "delay"),
             shows={SSID_BOX: "\n慢速"}),
        Case("sim --drop-every 3", "pages 1-2 read (SSID 丢弃), station page dropped",
             suite.proxy_to(dropping, "drop"), shows={SSID_BOX: "\n丢弃"}),
        Case("sim --encoding gzip", "read (SSID 压缩甲)", suite.proxy_to(gzip_sim, "gzip"),
             shows={SSID_BOX: "\n压缩甲"}),
        Case("sim --encoding deflate", "read (SSID 压缩乙)",
             suite.proxy_to(deflate_sim, "deflate"), shows={SSID_BOX: "\n压缩乙"}),
        Case("sim --utf8", "read and converted (SSID 统一码)", suite.proxy_to(utf8_sim, "utf8"),
             shows={SSID_BOX: "\n统一码"}),
        Case("sim --chunked", "read (SSID 分块)", suite.proxy_to(chunked, "chunked"),
             shows={SSID_BOX: "\n分块"}),
        Case(f"sim --truncate-at {cut_at}",
             "cut wireless array writes nothing (SSID kept); station count 2 from a cut page",
             suite.proxy_to(cut, "truncate"), shows={STATION_LABEL: "无线网络连接数： \n2"}),
        Case("sim --huge-body 20 MiB", "pages read (SSID 超大, 5 stations), bodies capped",
             suite.proxy_to(padded, "huge"),
             shows={SSID_BOX: "\n超大", STATION_LABEL: "无线网络连接数： \n5"}),
        Case("sim --one-line-array wlanPara", "values without line feeds: codes not matched, "
             "SSID and channel shown as they stand",
             suite.proxy_to(one_line, "one line"),
             shows={SSID_BOX: ' 单行', CHANNEL_BOX: "指定(当前信道 6) "}),
        Case("good router again", "every field as the good router has it",
             suite.proxy_to(good, "good"), shows=dict(EXPECTED_FIELDS)),
        Case("sim --refuse-login", "login-failure message once, fields kept, refresh stopped",
             suite.proxy_to(refuse_sim, "refuse login"), run=refused_login),
    ]


# The cases that need more than one plain pass. Each ends with the front set to hold the
# first request of the next pass, as a plain case does.

def refused(suite, case):
    front = suite.front_a
    front.close_listener()
    front.release(hr.Reply("closed", lambda t: b""))
    time.sleep(7)  # two refresh periods against a closed port
    front.set_mode(suite.good_mode)
    front.pass_seen_end = True
    front.open_listener()
    case.observed = "7 s against a closed port; "


def live_while(suite, case, seconds, click=False):
    """Reads the window over `seconds` while the router hangs; optionally clicks a button and
    waits for its request."""
    window, front = suite.window_a, suite.front_a
    slowest = 0.0
    clicked_request = None
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        start = time.monotonic()
        window.fields()
        slowest = max(slowest, (time.monotonic() - start) / len(EXPECTED_FIELDS))
        if click and clicked_request is None:
            suite.program_a.press(window.main, HANG_UP_BUTTON)
            clicked_request = wait_until(
                "the click's request to reach the router",
                lambda: [r for r in front.since(case.first_request) if "Disconnect=" in r.target],
                timeout=LIVENESS_BOUND)
        time.sleep(0.3)
    suite.checks.true(f"{case.name}: slowest query {slowest:.3f} s", slowest < LIVENESS_BOUND)
    passes = [r for r in front.since(case.first_request) if r.target == hr.STATUS_PAGE]
    suite.checks.equal(f"{case.name}: refresh passes started while one hangs", len(passes), 1)
    return slowest, clicked_request


def silent(suite, case):
    suite.front_a.release(case.mode)
    slowest, clicked = live_while(suite, case, 10, click=True)
    screenshot(suite.args.out, "fault-silent-router.png")
    suite.front_a.set_mode(suite.good_mode)
    case.observed = (f"10 s without an answer: slowest field query {slowest * 1000:.0f} ms, "
                     f"click's request arrived; ")


def trickle(suite, case):
    suite.front_a.release(case.mode)
    slowest, _ = live_while(suite, case, 5)
    sent = max(r.sent for r in suite.front_a.since(case.first_request))
    suite.checks.true(f"{case.name}: bytes trickled ({sent})", sent >= 3)
    suite.front_a.set_mode(suite.good_mode)
    case.observed = f"{sent} bytes in 5 s, slowest field query {slowest * 1000:.0f} ms; "


def refused_login(suite, case):
    program, front = suite.program_a, suite.front_a
    front.checkpoints = False
    front.release(case.mode)
    suite.checks.equal(f"{case.name}: message", program.dismiss_message(timeout=20),
                       LOGIN_FAILED)
    suite.check_fields(case)
    requests = front.count()
    time.sleep(7)
    suite.checks.equal(f"{case.name}: requests after the message", front.count() - requests, 0)
    case.observed += "; message shown once, no request in the next 7 s"


def play(suite, cases):
    front, program = suite.front_a, suite.program_a
    base_rss, _ = memory_kib(program.process.pid)
    limit = base_rss + suite.args.rss_slack_mib * 1024
    print(f"resident memory with the good router: {base_rss / 1024:.1f} MiB "
          f"(bound {limit / 1024:.1f} MiB)", flush=True)
    peak_rss = base_rss
    front.checkpoints = True
    for case in cases:
        print(f"case: {case.name}", flush=True)
        case.first_request = front.wait_held().number
        if case.run is not None:
            case.run(suite, case)
        else:
            front.release(case.mode)
        if case.run is not refused_login:
            front.wait_held(timeout=60)
            suite.alive(program, case.name)
            suite.check_fields(case)
            if case.check is not None:
                case.observed += "; " + case.check(suite, case)
        rss, hwm = memory_kib(program.process.pid)
        peak_rss = max(peak_rss, rss)
        suite.checks.true(f"{case.name}: resident memory {rss / 1024:.1f} MiB within bound",
                          rss <= limit)
        suite.rows.append((case.name, case.expected, case.observed,
                           f"RSS {rss / 1024:.1f} MiB, peak so far {hwm / 1024:.1f} MiB"))
        print(f"  {case.observed} | RSS {rss / 1024:.1f} MiB, HWM {hwm / 1024:.1f} MiB",
              flush=True)
    _, hwm = memory_kib(program.process.pid)
    suite.checks.true(f"peak resident memory {hwm / 1024:.1f} MiB within bound", hwm <= limit)
    return base_rss, peak_rss, hwm


def move_aside(program, x=700, y=600):
    """Puts the second instance's windows out of the way of the first one's clicks."""
    found = subprocess.run(["xdotool", "search", "--pid", str(program.process.pid)],
                           capture_output=True, text=True)
    for window in found.stdout.split():
        subprocess.run(["xdotool", "windowmove", window, str(x), str(y)], capture_output=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True, help="a folder for the runs, emptied first")
    parser.add_argument("--out", required=True, help="where the screenshots go")
    # A sanitizer build keeps freed memory in quarantine: give it more room.
    parser.add_argument("--rss-slack-mib", type=int,
                        default=int(os.environ.get("ROUTERDESK_FAULT_RSS_SLACK_MIB", "64")),
                        help="how far resident memory may rise over the good run's")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    os.makedirs(args.out, exist_ok=True)
    started = time.monotonic()

    checks = Checks()
    suite = Suite(args, checks)
    try:
        good = suite.sim("sim-good", SIM_SSID)
        refuse_sim = suite.sim("sim-refuse", SIM_SSID, "--refuse-login")
        suite.good_mode = suite.proxy_to(good, "good")
        pages = hr.fetch_pages(good.url, AUTHORIZATION)

        # The second instance first, so that its window lies under the first one's.
        front_b = suite.front(suite.proxy_to(good, "good"))
        window_b = suite.start_program("timeout-instance", front_b.port)
        move_aside(window_b.program)
        hang_from = front_b.count()
        front_b.set_mode(hr.Silent("hang", only=hr.STATUS_PAGE, then=suite.good_mode))

        compressor = zlib.compressobj(9, zlib.DEFLATED, 31)
        block = b" " * MIB
        suite.bomb = b"".join([compressor.compress(block) for _ in range(256)]
                              + [compressor.flush()])
        print(f"gzip bomb: {len(suite.bomb)} bytes that inflate to 256 MiB", flush=True)

        suite.front_a = suite.front(suite.good_mode)
        other = suite.front(hr.Reply("elsewhere", lambda t: hr.response(
            404, "Not Found", b"<HTML>elsewhere</HTML>")))
        suite.window_a = suite.start_program("hostile-router", suite.front_a.port)
        suite.program_a = suite.window_a.program
        suite.expected = {name: suite.window_a.read(name) for name in EXPECTED_FIELDS}
        checks.equal("fields from the good router", suite.expected, dict(EXPECTED_FIELDS))

        cases = build_cases(suite, good, pages, suite.front_a, other, refuse_sim)
        base, peak, hwm = play(suite, cases)
        program_a = suite.program_a
        program_a.close(suite.window_a.main)
        checks.equal("exit code after the hostile run", program_a.wait_exit(), 0)

        # The second instance: its one hung request must have ended by the program's own
        # time-out, with no pass started behind it, and the program must have carried on.
        def hung():
            return [r for r in front_b.since(hang_from)
                    if r.mode == "hang" and r.target == hr.STATUS_PAGE]
        wait_until("the second instance to give up its hung request",
                   lambda: hung() and hung()[0].ended, timeout=150)
        first = hung()[0]
        waited = first.ended - first.arrived
        checks.equal("hung request ended by the program", first.ended_by, "client")
        behind = [r for r in front_b.since(first.number + 1)
                  if r.target == hr.STATUS_PAGE and r.arrived < first.ended]
        checks.equal("passes started while the request hung", len(behind), 0)
        wait_until("the second instance's next pass",
                   lambda: [r for r in front_b.since(first.number + 1)
                            if r.target == hr.STATUS_PAGE and r.mode == "good" and r.ended],
                   timeout=15)
        checks.equal("second instance's SSID after the time-out", window_b.read(SSID_BOX),
                     EXPECTED_FIELDS[SSID_BOX])
        suite.alive(window_b.program, "second instance")
        suite.rows.insert(2, ("no answer at all, full time-out (2nd instance)",
                              "the request ends by the program's time-out; no pass piles up; "
                              "recovers", f"gave up after {waited:.1f} s, {len(behind)} passes "
                              "started meanwhile, next pass good", ""))
        move_aside(window_b.program, 100, 100)
        window_b.program.close(window_b.main)
        checks.equal("exit code of the second instance", window_b.program.wait_exit(), 0)

        print("\nFAULT TABLE")
        print("case | expected | observed | memory")
        for row in suite.rows:
            print(" | ".join(row))
        print(f"\nresident memory: good {base / 1024:.1f} MiB, highest sampled {peak / 1024:.1f} "
              f"MiB, peak (VmHWM) {hwm / 1024:.1f} MiB; slowest field query "
              f"{suite.window_a.slowest * 1000:.0f} ms; wall time "
              f"{time.monotonic() - started:.0f} s")
    except Exception:
        checks.failed.append(traceback.format_exc())
        print(f"  FAIL {checks.failed[-1]}", flush=True)
    finally:
        suite.close()
    print(f"{checks.passed} checks passed, {len(checks.failed)} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
