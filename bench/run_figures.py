#!/usr/bin/env python3
"""Runs every benchmark of RouterDesk and prints one table: figure, build, goal, measured, result.

Started by scripts/bench.sh, which builds the programs first. Timings never make this fail: the
exit code is 1 only when a benchmark program crashed or printed no result.
"""

import argparse
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

MAIN_CAPTION = "TP-Link TL-WR745N"
SETTINGS_FILE = "无线路由配置.ini"


class BenchFailed(Exception):
    pass


def parse_result(output, name):
    """The key=value pairs of the RESULT line called `name`."""
    for line in output.splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[0] == "RESULT" and parts[1] == name:
            return dict(part.split("=", 1) for part in parts[2:] if "=" in part)
    raise BenchFailed(f"no RESULT {name} in:\n{output}")


def run(command, env=None, timeout=600):
    print("  $", " ".join(str(c) for c in command), flush=True)
    done = subprocess.run([str(c) for c in command], env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, timeout=timeout)
    if done.returncode != 0:
        raise BenchFailed(f"{command[0]} ended with {done.returncode}:\n{done.stdout}{done.stderr}")
    for line in done.stdout.splitlines():
        if line.startswith(("RESULT", "CURVE")):
            print("   ", line, flush=True)
    return done.stdout


class Sim:
    """A routerdesk-sim on loopback, for as long as the with-block runs."""

    def __init__(self, path, *switches, log=None):
        command = [str(path), "--port", "0", "--station-step-ms", "0", *switches]
        if log:
            command += ["--log", str(log)]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        self.url = self.process.stdout.readline().strip()
        if not self.url.startswith("http://127.0.0.1:"):
            self.stop()
            raise BenchFailed(f"the simulated router said {self.url!r}")
        self.port = int(self.url.rsplit(":", 1)[1])

    def stop(self):
        self.process.terminate()
        self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class Xvfb:
    """An X server of this run's own. Its display number is picked far from the low ones that
    other servers on the machine take first: a server ending on a shared number takes the
    socket of the number with it. No reset when the last client leaves: a program started just
    then would find no server."""

    def __init__(self, work):
        for _ in range(20):
            number = random.randrange(200, 900)
            if Path(f"/tmp/.X{number}-lock").exists() or \
                    Path(f"/tmp/.X11-unix/X{number}").exists():
                continue
            read_end, write_end = os.pipe()
            self.process = subprocess.Popen(
                ["Xvfb", f":{number}", "-noreset", "-displayfd", str(write_end), "-screen", "0",
                 "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                stdout=subprocess.DEVNULL, stderr=open(work / "xvfb.log", "w"))
            os.close(write_end)
            with os.fdopen(read_end) as pipe:
                said = pipe.readline().strip()
            if said:
                self.display = f":{said}"
                return
            self.process.wait()
        raise BenchFailed("Xvfb did not start")

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, build, goal, measured, passed):
        result = "-" if passed is None else ("pass" if passed else "FAIL")
        self.rows.append((figure, build, goal, measured, result))

    def print(self, title):
        head = ("figure", "build", "goal", "measured", "result")
        widths = [max(len(str(r[i])) for r in [head, *self.rows]) for i in range(5)]

        def line(cells):
            return "| " + " | ".join(str(c).ljust(w) for c, w in zip(cells, widths)) + " |"

        print()
        print(title)
        print(line(head))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for row in self.rows:
            print(line(row))


class Bench:
    def __init__(self, args):
        self.args = args
        self.quick = args.quick
        self.table = Table()
        self.failures = []
        self.work = Path(tempfile.mkdtemp(prefix="routerdesk-bench."))
        self.xvfb = None
        self.wine_env = None

    # --- helpers -----------------------------------------------------------------------------

    def attempt(self, what, step):
        """A figure that cannot be taken is reported, and the others still run."""
        print(f"== {what}", flush=True)
        try:
            step()
        except (BenchFailed, subprocess.TimeoutExpired, OSError) as error:
            print(f"!! {what}: {error}", flush=True)
            self.failures.append(what)
            self.table.add(what, "", "", "did not run", False)

    def display_env(self):
        if self.xvfb is None:
            self.xvfb = Xvfb(self.work)
        env = dict(os.environ)
        env.update({"DISPLAY": self.xvfb.display, "GDK_BACKEND": "x11", "LANG": "C.UTF-8",
                    "GTK_THEME": "Adwaita",
                    # No accessibility bus: there is no desktop session here to hold one.
                    "NO_AT_BRIDGE": "1"})
        env.pop("GTK_MODULES", None)
        return env

    def program_folder(self, name, program, port):
        """A folder of its own with the program and a settings file for 127.0.0.1:port."""
        folder = self.work / name
        folder.mkdir(exist_ok=True)
        shutil.copy(program, folder)
        run([self.args.linux_bench, "write-settings", folder, port])
        if not (folder / SETTINGS_FILE).exists():
            raise BenchFailed("no settings file was written")
        return folder / Path(program).name

    def wine(self):
        if self.wine_env is None:
            env = self.display_env()
            env.update({"WINEPREFIX": str(self.args.wine_prefix), "WINEDEBUG": "-all",
                        "WINEDLLOVERRIDES": "mscoree,mshtml=", "LC_ALL": "C.UTF-8"})
            quiet = {"env": env, "stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                     "stderr": subprocess.DEVNULL}
            if not (Path(self.args.wine_prefix) / "system.reg").exists():
                print("  (making the Wine prefix)", flush=True)
                subprocess.run(["wineboot", "-i"], **quiet, timeout=600)
                subprocess.run(["wineserver", "-w"], **quiet, timeout=120)
            # A server that stays up between the runs, as it does on a desktop.
            subprocess.run(["wineserver", "-p60"], **quiet, timeout=60)
            self.wine_env = env
        return self.wine_env

    # --- figures -----------------------------------------------------------------------------

    def result(self, win32, subcommand, *args):
        """Runs one routerdesk-bench subcommand, the Linux build or the Win32 one under Wine, and
        gives its RESULT line's values."""
        if win32:
            output = run(["wine", self.args.win32_bench, subcommand, *args], env=self.wine())
        else:
            output = run([self.args.linux_bench, subcommand, *args])
        return parse_result(output, subcommand)

    def pass_overhead(self):
        passes = 20 if self.quick else 200
        r = self.result(False, "pass-overhead", "--passes", passes)
        ratio = float(r["ratio"])
        self.table.add("1 pass vs floor (median)", "Linux", "<= 1.10 x",
                       f"{ratio:.2f} x ({float(r['pass_us']):.0f} / {float(r['floor_us']):.0f} us)",
                       ratio <= 1.10)
        if self.args.win32_bench:
            with Sim(self.args.sim) as sim:
                r = self.result(True, "pass-overhead", "--router", sim.url, "--passes", passes)
            ratio = float(r["ratio"])
            self.table.add("1 pass vs floor (median)", "Win32/Wine", "report",
                           f"{ratio:.2f} x ({float(r['pass_us']):.0f} / "
                           f"{float(r['floor_us']):.0f} us)", None)

    def cpu_per_pass(self):
        passes = 100 if self.quick else 2000
        r = self.result(False, "cpu-per-pass", "--passes", passes)
        own = parse_result(run([self.args.linux_bench_inline, "cpu-per-pass", "--passes",
                                passes]), "cpu-per-pass")
        # The goal is for the pass's own work; the whole process's CPU adds the two thread
        # hand-overs of every request's wait, which the kernel's scheduler accounts for.
        cpu = float(own["cpu_us"])
        self.table.add("2 CPU per pass, no network (median)", "Linux", "<= 100 us",
                       f"{cpu:.0f} us own work ({float(r['cpu_us']):.0f} us with hand-overs, "
                       f"UI thread {float(r['ui_thread_cpu_us']):.0f} us)", cpu <= 100)
        if self.args.win32_bench:
            with Sim(self.args.sim) as sim:
                r = self.result(True, "cpu-per-pass", "--router", sim.url, "--passes", passes)
            # Windows counts thread CPU in 15.6 ms steps: the pass's wall time is what there is.
            self.table.add("2 pass without network, wall (median)", "Win32/Wine", "report",
                           f"{float(r['wall_us']):.0f} us", None)

    def array_reader(self):
        rounds = 20 if self.quick else 200
        r = self.result(False, "array-reader", "--passes", rounds)
        ratio = float(r["ratio"])
        self.table.add("2 array reader vs memmem, 1 MiB GBK", "Linux", ">= 0.5 x",
                       f"{ratio:.2f} x ({r['reader_mb_s']} vs {r['scan_mb_s']} MB/s)",
                       ratio >= 0.5)

    def idle_cpu(self):
        seconds = 5 if self.quick else 60
        env = self.display_env()
        log = self.work / "idle-requests.log"
        with Sim(self.args.sim, "--delay-ms", "1000", log=log) as sim:
            program = self.program_folder("idle", self.args.routerdesk, sim.port)
            process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            try:
                # The first pass (three pages, a second each) runs before the window shows; the
                # cursor of the focused box then blinks for a while (GTK's own blink timeout).
                time.sleep(5 if self.quick else 20)
                if process.poll() is not None:
                    raise BenchFailed(f"routerdesk ended with {process.returncode}")
                before = self.proc_sample(process.pid)
                pages_before = self.pages_in(log)
                time.sleep(seconds)
                after = self.proc_sample(process.pid)
                pages = self.pages_in(log) - pages_before
                if process.poll() is not None:
                    raise BenchFailed(f"routerdesk ended with {process.returncode}")
            finally:
                process.terminate()
                process.wait()
        ticks = os.sysconf("SC_CLK_TCK")
        cpu_s = (after["cpu"] - before["cpu"]) / ticks
        share = 100.0 * cpu_s / seconds
        main_wakes = (after["main"] - before["main"]) / seconds
        all_wakes = sum(after["threads"].get(t, 0) - v for t, v in before["threads"].items()
                        if t in after["threads"]) / seconds
        print(f"   idle: cpu {cpu_s:.3f} s in {seconds} s, {pages} pages answered, "
              f"UI thread {main_wakes:.1f} wake-ups/s, all threads {all_wakes:.1f}/s", flush=True)
        if pages == 0:
            raise BenchFailed("the program requested no page while it was watched")
        self.table.add(f"3 CPU over {seconds} s, router 1 s/page", "Linux GTK", "<= 1 % of a core",
                       f"{share:.2f} % ({main_wakes:.1f} UI wake-ups/s, {pages} pages)",
                       share <= 1.0)

    @staticmethod
    def proc_sample(pid):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        cpu = int(fields[11]) + int(fields[12])  # utime, stime: every thread, the ended ones too
        threads = {}
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/status") as f:
                    counts = [int(line.split()[1]) for line in f
                              if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt"))]
                threads[task] = sum(counts)
            except OSError:
                pass  # a worker that just ended
        return {"cpu": cpu, "main": threads.get(str(pid), 0), "threads": threads}

    @staticmethod
    def pages_in(log):
        try:
            with open(log, encoding="utf-8", errors="replace") as f:
                return sum(1 for line in f if "/userRpm/" in line)
        except OSError:
            return 0

    def start_up(self):
        starts = 3 if self.quick else 11
        env = self.display_env()
        with Sim(self.args.sim) as sim:
            program = self.program_folder("start-up", self.args.routerdesk, sim.port)
            times, cpu, waits = [], [], []
            for _ in range(starts):
                r = parse_result(run([self.args.map_watch, "--name", MAIN_CAPTION, "--", program],
                                     env=env), "mapped")
                times.append(float(r["ms"]))
                cpu.append(float(r["cpu_ms"]))
                waits.append(float(r["runqueue_wait_ms"]))
            # The first start reads the files from the disk; the figure is for a warm start.
            ms = statistics.median(times[1:])
            self.table.add("4 start-up to window mapped (median)", "Linux GTK", "<= 150 ms",
                           f"{ms:.0f} ms (cold {times[0]:.0f}; CPU {statistics.median(cpu[1:]):.0f},"
                           f" waiting for a CPU {statistics.median(waits[1:]):.0f})", ms <= 150)
            if self.args.win32_exe:
                wine_env = self.wine()
                exe = self.program_folder("start-up-win32", self.args.win32_exe, sim.port)
                times = []
                for _ in range(starts):
                    r = parse_result(run([self.args.map_watch, "--name", MAIN_CAPTION,
                                          "--timeout-ms", "60000", "--", "wine", exe],
                                         env=wine_env, timeout=120), "mapped")
                    times.append(float(r["ms"]))
                ms = statistics.median(times[1:])
                self.table.add("4 start-up to window mapped (median)", "Win32/Wine", "report",
                               f"{ms:.0f} ms (cold {times[0]:.0f} ms)", None)

    def memory(self):
        passes = 100 if self.quick else 1000
        with Sim(self.args.sim) as sim:
            r = self.result(False, "memory", "--router", sim.url, "--passes", passes)
            growth = int(r["growth_kib"])
            self.table.add(f"5 RSS after {passes} vs 10 passes", "Linux", "<= +1024 KiB",
                           f"{growth:+d} KiB ({r['rss10_kib']} -> {r['rss_kib']} KiB)",
                           growth <= 1024)
            if self.args.win32_bench:
                r = self.result(True, "memory", "--router", sim.url, "--passes", passes)
                growth = int(r["growth_kib"])
                self.table.add(f"5 working set after {passes} vs 10 passes", "Win32/Wine",
                               "<= +1024 KiB",
                               f"{growth:+d} KiB ({r['rss10_kib']} -> {r['rss_kib']} KiB)",
                               growth <= 1024)
        if self.args.win32_exe:
            size = os.path.getsize(self.args.win32_exe)
            self.table.add("5 RouterDesk.exe size", "Win32", "<= 3 MiB",
                           f"{size / 1048576:.2f} MiB ({size} bytes)", size <= 3 * 1048576)

    def outage(self):
        seconds = 2 if self.quick else 10
        r = self.result(False, "outage", "--seconds", seconds)
        gap = float(r["max_gap_ms"])
        self.table.add(f"6 longest dispatch gap, {seconds} s outage", "Linux GTK wait",
                       "<= 100 ms", f"{gap:.1f} ms ({r['ticks']} ticks of 10 ms)", gap <= 100)
        if self.args.win32_bench:
            r = self.result(True, "outage", "--seconds", seconds)
            gap = float(r["max_gap_ms"])
            self.table.add(f"6 longest dispatch gap, {seconds} s outage", "Win32/Wine pump",
                           "<= 100 ms", f"{gap:.1f} ms ({r['ticks']} ticks of 10 ms)", gap <= 100)

    def run_all(self):
        try:
            self.attempt("1 pass overhead", self.pass_overhead)
            self.attempt("2 CPU per pass", self.cpu_per_pass)
            self.attempt("2 array reader", self.array_reader)
            self.attempt("3 idle CPU", self.idle_cpu)
            self.attempt("4 start-up", self.start_up)
            self.attempt("5 memory", self.memory)
            self.attempt("6 outage", self.outage)
        finally:
            if self.wine_env:
                subprocess.run(["wineserver", "-k"], env=self.wine_env,
                               stderr=subprocess.DEVNULL)
            if self.xvfb:
                self.xvfb.stop()
            shutil.rmtree(self.work, ignore_errors=True)
        mode = "quick run: the figures only show that the programs run" if self.quick else \
            "full run"
        self.table.print(f"RouterDesk benchmarks ({mode})")
        if self.failures:
            print("\nNot taken:", ", ".join(self.failures))
        return 1 if self.failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--quick", action="store_true", help="few passes and short waits")
    parser.add_argument("--linux-bench", required=True)
    parser.add_argument("--linux-bench-inline", required=True,
                        help="routerdesk-bench-inline: router requests on the calling thread")
    parser.add_argument("--map-watch", required=True)
    parser.add_argument("--routerdesk", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--win32-bench", help="routerdesk-bench.exe; without it no Win32 rows")
    parser.add_argument("--win32-exe", help="RouterDesk.exe")
    parser.add_argument("--wine-prefix")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(Bench(args).run_all())


if __name__ == "__main__":
    main()
