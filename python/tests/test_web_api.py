"""vekxsim's web panel over HTTP: the API answers as the JSON control does,
and every refusal of the safety rules comes with its status and leaves the
terminal as it was."""

from __future__ import annotations

import http.client
import json
import os
import re
import socket
import time
import urllib.parse
from collections.abc import Callable
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from typing import Any

import pytest

import vekxapi
from vekxapi.simulator import Simulator, SimulatorError
from vekxapi.terminal import TERMINAL_PORT_VARIABLE, Terminal

pytestmark = pytest.mark.vekxsim(web=0, delay=0)
LARGEST_BODY = 64 * 1024
SOURCES = Path(__file__).resolve().parents[2]
#: The page's files, which vekxsim serves as they are.
PAGE = SOURCES / "simulator/web/page"
JSON = {"Content-Type": "application/json"}
#: Memory vekxsim may reach under any attack on its panel.
MOST_MEMORY_KB = 100 * 1024


def request(url: str, method: str, path: str, body: bytes | str | None = None,
            headers: dict[str, str] | None = None, read: bool = True) -> tuple[int, dict[str, str], bytes]:
    """One request with exactly these headers (Host as the URL has it
    unless given); its body unread when read is false (an event stream
    does not end)."""
    where = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(where.hostname or "", where.port, timeout=10)
    try:
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        all_headers = {"Host": where.netloc, **(headers or {})}
        data = body.encode() if isinstance(body, str) else body
        if data is not None:
            all_headers["Content-Length"] = str(len(data))
        for name, value in all_headers.items():
            connection.putheader(name, value)
        connection.endheaders(data)
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read() if read else b""
    finally:
        connection.close()


def post(url: str, command: dict[str, Any]) -> tuple[int, dict[str, Any]]:
    status, _, body = request(url, "POST", "/api/command", json.dumps(command), JSON)
    return status, json.loads(body)


def weight(url: str) -> float:
    status, _, body = request(url, "GET", "/api/state")
    assert status == 200
    value: float = json.loads(body)["weight"]
    return value


@pytest.fixture
def url(vekxsim: Simulator) -> str:
    """The address of the panel every test here starts vekxsim with."""
    assert vekxsim.web_url
    return vekxsim.web_url


def test_a_command_answers_as_the_json_control_does_and_the_state_holds_it(vekxsim: Simulator, url: str) -> None:
    assert url.startswith("http://127.0.0.1:")
    commands: list[dict[str, Any]] = [{"command": "weight", "args": [7.25]}, {"command": "input", "args": [12, 1]},
                                      {"command": "nosuch", "args": []}, {"command": "event", "args": [0]}]
    for command in commands:
        status, answer = post(url, command)
        assert answer == vekxsim.request(json.dumps(command))
        assert status == (200 if answer["ok"] else 400), answer
    status, _, body = request(url, "GET", "/api/state")
    state = json.loads(body)
    assert status == 200 and state["weight"] == 7.25 and state["inputs"][11] is True and state["node"] == vekxsim.node


def test_a_body_over_64_kib_gets_413_and_changes_nothing(vekxsim: Simulator, url: str) -> None:
    padded = json.dumps({"command": "lower", "args": ["x" * LARGEST_BODY]})
    assert request(url, "POST", "/api/command", padded, JSON)[0] == 413
    assert "x" not in vekxsim.command("get", "bd001")["bytes"]["text"]


def test_every_answer_carries_the_security_headers(url: str) -> None:
    for method, path in (("GET", "/"), ("GET", "/panel.js"), ("GET", "/api/state"), ("GET", "/nothing"),
                         ("POST", "/api/command")):
        _, headers, _ = request(url, method, path, "{}" if method == "POST" else None, JSON)
        assert "default-src 'self'" in headers["Content-Security-Policy"], path
        assert "frame-ancestors 'none'" in headers["Content-Security-Policy"], path
        assert headers["X-Content-Type-Options"] == "nosniff", path


def test_the_page_s_files_are_served_as_they_are_and_nothing_else(url: str) -> None:
    """A file of the page left out of vekxsim or served stale breaks the
    panel; a path outside them that answers with a file's bytes (a folder on
    the disk, a way up from it) gives away what the PC holds."""
    for file in PAGE.iterdir():
        status, headers, body = request(url, "GET", f"/{file.name}")
        assert (status, body) == (200, file.read_bytes()), file.name
        assert headers["Content-Type"].split(";")[0] != "application/octet-stream", file.name
    for path in ("/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "//etc/passwd", "/page/panel.js",
                 "/CMakeLists.txt", "/simulator/web/page/panel.js", "/panel.js/", "/index.html/.."):
        status, _, body = request(url, "GET", path)
        assert status == 404, (path, status, body[:40])


def test_the_openapi_document_describes_the_api_that_answers(url: str) -> None:
    """A client builds on the document: a route it describes that does not
    answer, one the page or the manual uses that it leaves out, or an
    undescribed /api/ path that answers, each misleads it."""
    status, _, body = request(url, "GET", "/api/openapi.json")
    document = json.loads(body)
    assert status == 200 and document["openapi"].startswith("3.")
    described = {(method.upper(), path) for path, item in document["paths"].items() for method in item}
    for method, path in sorted(described):
        got = request(url, method, path, "{}" if method == "POST" else None, JSON, read=False)[0]
        assert got not in (404, 405), f"{method} {path} is described but answers {got}"
    script = request(url, "GET", "/panel.js")[2].decode()
    assert set(re.findall(r'"(/api/[^"?]*)"', script)) <= {path for _, path in described}, "the page's calls"
    manual = (SOURCES / "doc/man/vekxsim.1.scd").read_text()
    assert set(re.findall(r"^\*(GET|POST) (/api/\S+)\*$", manual, re.M)) <= described, "the manual's routes"
    for path in sorted({path + "x" for _, path in described} | {"/api/", "/api/nothing", "/api/STATE"}):
        for method in ("GET", "POST"):
            got = request(url, method, path, "{}" if method == "POST" else None, JSON, read=False)[0]
            assert got == 404, f"{method} {path} is not described but answers {got}"


def test_a_token_is_needed_on_the_api_but_not_for_the_page(tmp_path: Path) -> None:
    """A page that needed the token itself could never ask for it."""
    (tmp_path / "token").write_text("s3cret-token\n")
    with Simulator(web="127.0.0.1:0", web_token=str(tmp_path / "token"), delay=0) as simulator:
        assert simulator.web_url
        for path in ("/api/state", "/api/events"):
            status, headers, _ = request(simulator.web_url, "GET", path, read=False)
            assert status == 401 and headers["WWW-Authenticate"].startswith("Bearer"), path


@pytest.mark.parametrize("web, token, says", [("0.0.0.0:0", None, "--web-token"), ("0", "missing", "token file")])
def test_a_panel_that_cannot_serve_safely_ends_vekxsim_at_start(tmp_path: Path, web: str, token: str | None,
                                                               says: str) -> None:
    """A browser would be refused on the address, or the panel would serve
    without the token it was given."""
    with pytest.raises(SimulatorError, match=f"(?s)ended with status 2 .*{re.escape(says)}"):
        Simulator(web=web, web_token=token and str(tmp_path / token))


def test_a_replays_panel_shows_what_it_serves_and_refuses_every_change(
        monkeypatch: pytest.MonkeyPatch, logged_session: Callable[[Path, float], str], tmp_path: Path) -> None:
    """A replay's panel that carried out a change (or quit) would answer
    otherwise than the capture (what it shows is the browser test's)."""
    log = tmp_path / "bench.log"
    weight = logged_session(log, 33)
    with Simulator.replay(log, web=0) as replay:
        assert replay.web_url
        refused: list[dict[str, Any]] = [{"command": "weight", "args": [5]}, {"command": "quit", "args": []},
                                         {"command": "set", "args": ["wt101", "1"]}, {"command": 7}]
        for command in refused:
            got, answer = post(replay.web_url, command)
            assert got == 409 and answer["ok"] is False and "read-only" in answer["error"], (command, answer)
        got, answer = post(replay.web_url, {"command": "status", "args": []})
        assert got == 200 and answer["port"] == replay.port
        assert replay.process.poll() is None, "quit on the panel ended the replay"
        monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(replay.port))
        with vekxapi.Terminal(replay.address) as t:
            assert t.read_text("/t1/wt101") == weight, "the replay answers as captured after the refusals"
        status, _, capture = request(replay.web_url, "GET", "/api/capture.pcap")
        assert status == 200 and len(capture) > 24, "the datagrams the replay served are in its capture"


def connect(url: str) -> socket.socket:
    where = urllib.parse.urlsplit(url)
    assert where.hostname and where.port
    return socket.create_connection((where.hostname, where.port), timeout=10)


def exchange(url: str, data: bytes) -> bytes:
    """Sends data on one connection and returns all the panel sends back
    until it closes."""
    with connect(url) as s:
        s.sendall(data)
        return b"".join(iter(lambda: s.recv(65536), b""))


def test_a_head_request_is_answered_with_the_head_alone(url: str) -> None:
    """Bytes after the head of a HEAD answer would be read as the start of
    the next answer on the connection."""
    host = urllib.parse.urlsplit(url).netloc
    answer = exchange(url, f"HEAD /panel.js HTTP/1.1\r\nHost: {host}\r\nConnection: close\r\n\r\n".encode())
    head, _, rest = answer.partition(b"\r\n\r\n")
    assert head.startswith(b"HTTP/1.1 200") and rest == b"", answer[:300]
    length = re.search(rb"(?im)^content-length: (\d+)", head)
    assert length and int(length[1]) == (PAGE / "panel.js").stat().st_size


def test_a_refused_request_never_runs_the_request_in_its_body(vekxsim: Simulator, url: str) -> None:
    """A refusal that left its body unread let any page's fetch() smuggle a
    command in; quit answered "bye" and ended nothing; PUT got 404."""
    host = urllib.parse.urlsplit(url).netloc
    second = (f"POST /api/command HTTP/1.1\r\nHost: {host}\r\nContent-Type: application/json\r\n"
              f"Content-Length: 37\r\n\r\n{json.dumps({'command': 'weight', 'args': [99]})}")
    # The second request starts where the server's next read of 4 KiB did.
    first = f"POST /api/command HTTP/1.1\r\nHost: {host}\r\nContent-Type: text/plain\r\nContent-Length: 00000\r\n\r\n"
    body = "x" * (4096 - len(first)) + second
    answer = exchange(url, (first.replace("00000", f"{len(body):05d}") + body).encode())
    assert answer.startswith(b"HTTP/1.1 415") and answer.count(b"HTTP/1.1") == 1, answer
    for command, args, status in (("quit", [], 409), ("sleep", [600000], 409), ("log", ["off"], 409),
                                  ("traffic", [100000], 400)):
        got, answer_json = post(url, {"command": command, "args": args})
        assert got == status and answer_json["ok"] is False, (command, answer_json)
    for method, headers in (("PUT", JSON), ("DELETE", None), ("OPTIONS", None)):
        assert request(url, method, "/api/command", "{}", headers)[0] == 405, "the method, whatever the type"
    assert vekxsim.process.poll() is None and weight(url) == 0


def cut_off(url: str, head: bytes, piece: bytes, times: int) -> None:
    """Sends head, then piece times over, which the panel must cut off
    long before the end."""
    with connect(url) as s, pytest.raises(OSError):
        s.sendall(head)
        for _ in range(times):
            s.sendall(piece)


def flood_headers(url: str) -> None:
    with ThreadPoolExecutor(4) as pool:
        list(pool.map(lambda _: cut_off(url, b"GET / HTTP/1.1\r\n", b"X-Flood: 1\r\n" * 1000, 1000), range(4)))


def chunked_256_mib(url: str) -> None:
    head = (f"POST /api/command HTTP/1.1\r\nHost: {urllib.parse.urlsplit(url).netloc}\r\n"
            "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n")
    cut_off(url, head.encode(), b"100000\r\n" + b"x" * 0x100000 + b"\r\n", 256)


def slow_heads(url: str) -> None:
    slow = [connect(url) for _ in range(30)]
    deadline = time.monotonic() + 10
    assert weight(url) == 0, "the panel answers beside 30 slow clients"
    while slow and time.monotonic() < deadline:
        for s in list(slow):
            try:
                s.sendall(b"G")
            except OSError:
                slow.remove(s)
        time.sleep(0.2)  # the pace of the attack, not a wait for the panel
    assert not slow, "slow clients were not cut"


def many_connections(url: str) -> None:
    held = [connect(url) for _ in range(200)]
    assert held[-1].recv(100).startswith(b"HTTP/1.1 503")
    assert held[0].recv(100) == b"", "an idle connection is cut"
    for s in held:
        s.close()


@pytest.mark.parametrize("attack", [flood_headers, chunked_256_mib, slow_heads, many_connections])
def test_an_attack_on_the_panel_is_cut_and_the_terminal_answers_throughout(vekxsim: Simulator, url: str,
                                                                          terminal: Terminal,
                                                                          attack: Callable[[str], None]) -> None:
    """Each of these once took gigabytes, or held every panel request."""
    with ThreadPoolExecutor(1) as pool:
        attacking = pool.submit(attack, url)
        while not attacking.done():
            assert terminal.read_text("/t1/wt101")
        attacking.result()
    status = Path(f"/proc/{vekxsim.process.pid}/status").read_text()
    peak = int(status.split("VmHWM:")[1].split()[0])
    # The sanitizers' shadow memory and quarantine would be counted too.
    assert peak < MOST_MEMORY_KB or "libasan" in os.environ.get("LD_PRELOAD", "")
    assert weight(url) == 0
