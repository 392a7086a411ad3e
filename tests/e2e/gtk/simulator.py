"""Starts routerdesk-sim on a free loopback port and reads its request log."""

import os
import subprocess


class Simulator:
    def __init__(self, executable, folder, *options):
        os.makedirs(folder, exist_ok=True)
        self.log_path = os.path.join(folder, "requests.log")
        self.process = subprocess.Popen(
            [executable, "--port", "0", "--log", self.log_path, *options],
            stdout=subprocess.PIPE, stderr=open(os.path.join(folder, "sim.stderr"), "w"),
            text=True)
        self.url = self.process.stdout.readline().strip()
        if not self.url.startswith("http://127.0.0.1:"):
            self.stop()
            raise RuntimeError(f"routerdesk-sim gave no loopback URL: {self.url!r}")
        self.port = self.url.rsplit(":", 1)[1]

    def requests(self):
        """(target, header lines) of every request so far, oldest first."""
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            rows = [line.rstrip("\n").split("\t") for line in log if line.strip()]
        return [(row[2], row[3:]) for row in rows if len(row) >= 3]

    def targets_containing(self, piece):
        return [target for target, _ in self.requests() if piece in target]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
