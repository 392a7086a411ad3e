"""A router that can turn hostile: one loopback port whose behaviour the test switches at will.

While it is good it passes every request on to a routerdesk-sim; switched, it answers with
whatever a broken or malicious router might send: nothing at all, one byte a second, random
bytes, a 100 MiB body, a gzip bomb, redirects, ... It notes every request it reads, and it can
hold the first request of each refresh pass (a checkpoint), so that the test reads the window
while nothing can change it."""

import asyncio
import threading
import time
import urllib.request
from dataclasses import dataclass, field

STATUS_PAGE = "/userRpm/StatusRpm.htm"
NETWORK_PAGE = "/userRpm/WlanNetworkRpm.htm"
STATION_PAGE = "/userRpm/WlanStationRpm.htm?Page=1"
PAGES = (STATUS_PAGE, NETWORK_PAGE, STATION_PAGE)
HOST = "127.0.0.1"


@dataclass
class Request:
    number: int
    arrived: float
    target: str  # latin-1, so that every byte survives
    headers: list
    head: bytes
    mode: str = ""
    ended: float = 0.0
    ended_by: str = ""  # "client" when the program closed the connection first
    sent: int = 0       # body bytes the socket took before the connection ended

    def header(self, name):
        prefix = name.lower() + ":"
        return [line for line in self.headers if line.lower().startswith(prefix)]


@dataclass
class HeldRequest:
    request: Request
    go: asyncio.Event = field(default_factory=asyncio.Event)


class Front:
    """The listener and its switchable behaviour; its asyncio loop runs on a thread of its own,
    and the test talks to it only through the methods below."""

    def __init__(self, mode):
        self.loop = asyncio.new_event_loop()
        self.thread = threading.Thread(target=self.loop.run_forever, daemon=True)
        self.thread.start()
        self.lock = threading.Lock()
        self.requests = []
        self.mode = mode
        self.server = None
        self.port = 0
        self.checkpoints = False
        self.pass_seen_end = True  # the next status page request starts a new pass
        self.held = None
        self.held_signal = threading.Event()
        self.switched = None
        self._call(self._make_switch())
        self.port = self._call(self._listen(0))

    # --- for the test thread -------------------------------------------------------------

    def set_mode(self, mode):
        """Connections still held by the old behaviour (silence, a trickle) end now."""
        self._call(self._switch(mode))

    def close_listener(self):
        self._call(self._close())

    def open_listener(self):
        self._call(self._listen(self.port))

    def wait_held(self, timeout=30.0):
        """Waits until the first request of the next refresh pass is held; returns it."""
        if not self.held_signal.wait(timeout):
            raise AssertionError(f"no refresh pass reached the router within {timeout:.0f} s")
        return self.held.request

    def release(self, mode):
        """Switches to `mode` and lets the held request go on to meet it."""
        self._call(self._release(mode))

    def log(self):
        with self.lock:
            return list(self.requests)

    def since(self, number):
        return [r for r in self.log() if r.number >= number]

    def count(self):
        with self.lock:
            return len(self.requests)

    def stop(self):
        self._call(self._close())
        self.loop.call_soon_threadsafe(self.loop.stop)
        self.thread.join(5)

    # --- on the loop ---------------------------------------------------------------------

    def _call(self, coroutine, timeout=30.0):
        return asyncio.run_coroutine_threadsafe(coroutine, self.loop).result(timeout)

    async def _make_switch(self):
        self.switched = asyncio.Event()

    async def _switch(self, mode):
        self.mode = mode
        self.switched.set()
        self.switched = asyncio.Event()

    async def _listen(self, port):
        self.server = await asyncio.start_server(self._serve, HOST, port, limit=1 << 20)
        return self.server.sockets[0].getsockname()[1]

    async def _close(self):
        if self.server is not None:
            self.server.close()
            await self.server.wait_closed()
            self.server = None

    async def _release(self, mode):
        await self._switch(mode)
        held, self.held = self.held, None
        self.held_signal.clear()
        self.pass_seen_end = False
        if held is not None:
            held.go.set()

    async def _serve(self, reader, writer):
        try:
            head = await reader.readuntil(b"\r\n\r\n")
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
            writer.close()
            return
        lines = head.decode("latin-1").split("\r\n")
        parts = lines[0].split(" ")
        with self.lock:
            request = Request(len(self.requests), time.monotonic(),
                              parts[1] if len(parts) > 1 else "", [l for l in lines[1:] if l], head)
            self.requests.append(request)
        if request.target == STATION_PAGE:
            self.pass_seen_end = True
        elif request.target == STATUS_PAGE and self.checkpoints and self.pass_seen_end:
            held = HeldRequest(request)
            self.held = held
            self.held_signal.set()
            await held.go.wait()
        mode = self.mode
        request.mode = mode.name
        try:
            await mode.serve(self, request, reader, writer)
        except (ConnectionError, asyncio.IncompleteReadError):
            request.ended_by = request.ended_by or "client"
        finally:
            request.ended = request.ended or time.monotonic()
            try:
                writer.close()
            except (ConnectionError, RuntimeError):
                pass


async def client_closed(reader):
    """Returns when the program closes its end; whatever else it sends is read and dropped."""
    while await reader.read(4096):
        pass


async def until_switch_or_close(front, reader, timeout=None):
    """'switch' when the front changes behaviour, 'client' when the program hangs up first,
    None when `timeout` passes."""
    switch = asyncio.ensure_future(front.switched.wait())
    closed = asyncio.ensure_future(client_closed(reader))
    done, pending = await asyncio.wait({switch, closed}, timeout=timeout,
                                       return_when=asyncio.FIRST_COMPLETED)
    for task in pending:
        task.cancel()
    if closed in done:
        return "client"
    return "switch" if switch in done else None


def response(status, reason, body, content_type="text/html", extra=()):
    lines = [f"HTTP/1.1 {status} {reason}", f"Content-Type: {content_type}",
             f"Content-Length: {len(body)}", "Connection: close", *extra]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


# --- behaviours ----------------------------------------------------------------------------

class Proxy:
    """Passes the request on to a routerdesk-sim and its answer back, byte for byte."""

    def __init__(self, port, name):
        self.port = port
        self.name = name

    async def serve(self, front, request, reader, writer):
        up_reader, up_writer = await asyncio.open_connection(HOST, self.port)
        head = request.head[:-2].replace(b"\r\nConnection:", b"\r\nX-Was-Connection:")
        up_writer.write(head + b"Connection: close\r\n\r\n")
        await up_writer.drain()
        try:
            while chunk := await up_reader.read(1 << 16):
                writer.write(chunk)
                await writer.drain()
                request.sent += len(chunk)
        finally:
            up_writer.close()


class Reply:
    """The same bytes for every request, then the connection closes."""

    def __init__(self, name, data_for):
        self.name = name
        self.data_for = data_for  # target -> bytes

    async def serve(self, front, request, reader, writer):
        data = self.data_for(request.target)
        writer.write(data)
        await writer.drain()
        request.sent = len(data)


class Silent:
    """Reads the request and never answers, until the test switches the front or the program
    gives up and closes the connection."""

    def __init__(self, name="silent", only=None, then=None):
        self.name = name
        self.only = only  # a target to be silent to; others go to `then`
        self.then = then  # the behaviour after the program has given up

    async def serve(self, front, request, reader, writer):
        if self.only is not None and request.target != self.only:
            await self.then.serve(front, request, reader, writer)
            return
        request.ended_by = await until_switch_or_close(front, reader)
        request.ended = time.monotonic()
        if request.ended_by == "client" and self.then is not None:
            await front._switch(self.then)


class Trickle:
    """A good answer, one byte a second."""

    def __init__(self, data_for):
        self.name = "one byte a second"
        self.data_for = data_for

    async def serve(self, front, request, reader, writer):
        data = self.data_for(request.target)
        for i in range(len(data)):
            writer.write(data[i:i + 1])
            await writer.drain()
            request.sent += 1
            ended = await until_switch_or_close(front, reader, timeout=1.0)
            if ended:
                request.ended_by = ended
                return


class Stream:
    """A page followed by padding up to `total` bytes, written as fast as the program reads."""

    def __init__(self, name, page_for, total):
        self.name = name
        self.page_for = page_for
        self.total = total

    async def serve(self, front, request, reader, writer):
        page = self.page_for(request.target)
        writer.write(f"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: {self.total}"
                     "\r\nConnection: close\r\n\r\n".encode() + page)
        request.sent = len(page)
        padding = b"<!-- " + b"x" * ((1 << 16) - 9) + b" -->"
        while request.sent < self.total:
            piece = padding[:self.total - request.sent]
            writer.write(piece)
            await writer.drain()
            request.sent += len(piece)


class RedirectLoop:
    """Every request is sent back to itself."""

    name = "redirect loop"

    async def serve(self, front, request, reader, writer):
        location = f"http://{HOST}:{front.port}{request.target}"
        writer.write(response(302, "Found", b"<HTML>302</HTML>", extra=[f"Location: {location}"]))
        await writer.drain()


# --- the good router's pages, to build hostile ones from -----------------------------------

def fetch_pages(url, authorization):
    """The three pages as the simulator serves them, GBK bytes by target."""
    pages = {}
    for target in PAGES:
        request = urllib.request.Request(url + target, headers={
            "Authorization": authorization, "Referer": url + "/"})
        with urllib.request.urlopen(request, timeout=10) as answer:
            pages[target] = answer.read()
    return pages
