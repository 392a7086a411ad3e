"""Drives a running routerdesk through AT-SPI: finds its windows and controls by their
accessible names, reads and types texts, presses buttons. Used by the end-to-end test and
by the demo."""

import os
import shutil
import subprocess
import time

import pyatspi
from gi.repository import GLib

MESSAGE_CAPTION = "信息："
LOGIN_CAPTION = "TP 管理密码设置"
MAIN_CAPTION_START = "TP-Link TL-WR745N"


class Timeout(AssertionError):
    pass


def pump_events():
    """Lets libatspi take in the signals by which it learns of new and closed windows."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_until(what, probe, timeout=15.0, interval=0.1):
    """Polls `probe` until it gives something true; that value is returned."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        pump_events()
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # the tree changes under us while windows come and go
            last_error = error
        time.sleep(interval)
    raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}"
                  + (f" (last error: {last_error})" if last_error else ""))


def text_of(accessible):
    try:
        return accessible.queryText().getText(0, -1)
    except NotImplementedError:
        return accessible.name


def descendants(accessible):
    for child in accessible:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def gone(window):
    """Closed or hidden; another window of the same caption may have taken its place."""
    try:
        return not showing(window)
    except Exception:
        return True


def click(accessible):
    """A real mouse click in the middle of the control. Not the accessible action: GTK runs
    the click inside the request that asked for it, and a handler that opens a modal window
    would keep the program from answering any other request until that window closes."""
    extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x = extents.x + extents.width // 2
    y = extents.y + extents.height // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)


class RunningProgram:
    """One routerdesk process, started from its own folder."""

    def __init__(self, executable, folder, env=None):
        """The settings file lives beside the executable, so each run gets its own copy."""
        os.makedirs(folder, exist_ok=True)
        self.folder = folder
        self.executable = os.path.join(folder, "routerdesk")
        if os.path.abspath(executable) != self.executable:
            shutil.copy2(executable, self.executable)
        self.log = open(os.path.join(folder, "routerdesk.stderr"), "w")
        self.process = subprocess.Popen([self.executable], cwd=folder, env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT)

    def settings_file(self):
        return os.path.join(self.folder, "无线路由配置.ini")

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def windows(self):
        """The program's windows on the screen, by caption."""
        app = self.application()
        if app is None:
            return []
        return [w for w in app if w is not None and showing(w)]

    def window(self, caption, timeout=15.0):
        def probe():
            for w in self.windows():
                if w.name == caption or (caption == MAIN_CAPTION_START
                                         and w.name.startswith(caption)):
                    return w
            return None
        return wait_until(f"the window {caption!r}", probe, timeout)

    def main_window(self, timeout=15.0):
        return self.window(MAIN_CAPTION_START, timeout)

    def control(self, window, name):
        for accessible in descendants(window):
            if accessible.name == name:
                return accessible
        raise AssertionError(f"no control named {name!r} in {window.name!r}")

    def text(self, window, name):
        return text_of(self.control(window, name))

    def type_into(self, window, name, text):
        box = self.control(window, name)
        box.queryEditableText().setTextContents(text)

    def press(self, window, name):
        click(self.control(window, name))

    def close(self, window):
        """The close box of the window's title bar."""
        for accessible in descendants(window):
            if accessible.getRole() == pyatspi.ROLE_PUSH_BUTTON and accessible.name == "Close":
                click(accessible)
                return
        raise AssertionError(f"{window.name!r} has no close box")

    def message(self, timeout=15.0):
        """The text of the message box now open."""
        box = self.window(MESSAGE_CAPTION, timeout)
        texts = [text_of(a) for a in descendants(box)
                 if a.getRole() == pyatspi.ROLE_LABEL and text_of(a) not in ("", MESSAGE_CAPTION)]
        return box, "\n".join(texts)

    def dismiss_message(self, timeout=15.0):
        box, text = self.message(timeout)
        for accessible in descendants(box):
            if accessible.getRole() == pyatspi.ROLE_PUSH_BUTTON and accessible.name != "Close":
                click(accessible)
                wait_until("the message box to close", lambda: gone(box))
                return text
        raise AssertionError("the message box has no OK button")

    def fill_login(self, account, password, port, ip, window=None, confirm=True):
        login = window or self.window(LOGIN_CAPTION)
        self.type_into(login, "编辑框1", account)
        self.type_into(login, "编辑框2", password)
        self.type_into(login, "编辑框3", port)
        self.type_into(login, "编辑框4", ip)
        if confirm:
            self.press(login, "按钮1")

    def wait_exit(self, timeout=15.0):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"routerdesk did not end within {timeout:.0f} s")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
