"""Driving vekxsim, the simulated VekX terminal, from a program: it runs
with ``--control json``, and every control command is one request line and
one answer line."""

from __future__ import annotations

import collections
import contextlib
import json
import os
import queue
import random
import shutil
import signal
import socket
import subprocess
import threading
from types import TracebackType
from typing import Any, SupportsIndex, overload

from .names import NODE_COUNT
from .terminal import CODE_PAGE

#: The environment variable that may name the vekxsim program's path.
PROGRAM_VARIABLE = "VEKXSIM"
#: How long vekxsim may take to say where it serves, to answer a request
#: (but "sleep"), and to end after SIGTERM.
START_SECONDS = 10.0
ANSWER_SECONDS = 10.0
STOP_SECONDS = 5.0
#: How many lines of its standard error (the traffic log, the model's
#: notes) are kept.
KEPT_NOTES = 2000
#: The largest count "traffic" takes: more datagrams than vekxsim keeps.
ALL_TRAFFIC = 100000


class SimulatorError(Exception):
    """vekxsim could not be started or stopped, refused a command, or did
    not answer one."""


#: The environment variable that holds the library's local port of node 1.
LOCAL_PORT_VARIABLE = "VEKX_LOCAL_PORT"
#: The highest local port of node 1 that leaves every node a port.
HIGHEST_LOCAL_PORT = 65535 - (NODE_COUNT - 1)
#: The lowest local port chosen for the library: above the ports that
#: services and users commonly fix.
LOWEST_LOCAL_PORT = 10240
#: Where Linux says from which port up it picks the port of a socket
#: bound to port 0; Windows and the BSDs pick from 49152 up.
EPHEMERAL_PORTS = "/proc/sys/net/ipv4/ip_local_port_range"
DEFAULT_FIRST_EPHEMERAL_PORT = 49152
#: How many bases free_local_port tries before it gives up.
LOCAL_PORT_TRIES = 200


def _first_ephemeral_port() -> int:
    try:
        with open(EPHEMERAL_PORTS, encoding="ascii") as f:
            return int(f.read().split()[0])
    except (OSError, ValueError, IndexError):
        return DEFAULT_FIRST_EPHEMERAL_PORT


def _local_port_candidate(count: int) -> int:
    """A base port for count local ports, below the range the system picks
    from: no socket bound to port 0 (a simulator, another test's server)
    can take one of them later."""
    highest = min(_first_ephemeral_port(), HIGHEST_LOCAL_PORT + NODE_COUNT) - count
    return random.randint(LOWEST_LOCAL_PORT, max(LOWEST_LOCAL_PORT, highest))


def free_local_port(count: int = NODE_COUNT) -> int:
    """A port for VEKX_LOCAL_PORT, so that the library and a simulator share
    a PC: node N binds it + N - 1, and no program holds any of the count
    ports now (count: how many nodes the Terminal addresses, by default
    all)."""
    if not 1 <= count <= NODE_COUNT:
        raise ValueError(f"a Terminal binds 1 to {NODE_COUNT} local ports, not {count}")
    for _ in range(LOCAL_PORT_TRIES):
        base = _local_port_candidate(count)
        with contextlib.ExitStack() as held:
            try:
                for port in range(base, base + count):
                    held.enter_context(socket.socket(socket.AF_INET, socket.SOCK_DGRAM)).bind(("", port))
            except OSError:
                continue
        return base
    raise SimulatorError(f"no {count} free UDP ports in a row from {LOWEST_LOCAL_PORT} to {_first_ephemeral_port()} "
                         f"in {LOCAL_PORT_TRIES} tries: end the programs that hold them, or set {LOCAL_PORT_VARIABLE}")


class Notes(collections.deque[str]):
    """The latest lines of vekxsim's traffic log and notes, oldest first;
    a slice of them is a list (``notes[-5:]``)."""

    @overload
    def __getitem__(self, index: SupportsIndex) -> str: ...

    @overload
    def __getitem__(self, index: slice) -> list[str]: ...

    def __getitem__(self, index: SupportsIndex | slice) -> str | list[str]:
        if isinstance(index, slice):
            return list(self)[index]
        return super().__getitem__(index)


def _object(pairs: list[tuple[str, Any]]) -> dict[str, Any]:
    # An answer that names a value twice would lose one of them.
    names = [name for name, _ in pairs]
    if len(set(names)) != len(names):
        raise SimulatorError(f"vekxsim's answer names a value twice: {names}")
    return dict(pairs)


def program(path: str | None = None) -> str:
    """The vekxsim program: path when given, else VEKXSIM, else vekxsim
    found on PATH."""
    found = path or os.environ.get(PROGRAM_VARIABLE) or shutil.which("vekxsim")
    if not found:
        raise SimulatorError(f"vekxsim is not on PATH: install it (Debian: vekx-tools), "
                             f"or set {PROGRAM_VARIABLE} to its path (pytest: --vekxsim PATH)")
    return found


def option_arguments(options: dict[str, Any]) -> list[str]:
    """vekxsim's command-line options from keywords: weight=12.5 gives
    --weight 12.5, lenient=True gives --lenient (False: left out), and a
    list repeats its option (field=["a=1", "b"])."""
    arguments: list[str] = []
    for name, value in options.items():
        option = "--" + name.replace("_", "-")
        for one in value if isinstance(value, (list, tuple)) else [value]:
            if one is True:
                arguments.append(option)
            elif one is not False and one is not None:
                arguments += [option, str(one)]
    return arguments


class Simulator:
    """A running vekxsim on an address of this PC, serving node 1 unless
    told otherwise; started on a port the system picks (unless port is
    given), without the power-up event (unless power_up=True), and ready
    once constructed. path names the program (see program()).

    ``command(name, *args)`` sends any control command and returns its
    answer; the methods below are the common ones. ``notes`` holds the
    latest lines of its traffic log and notes (said() those of its log
    file too). A request it leaves unanswered breaks it (``broken`` says
    why): every later one raises, rather than take the late answer for its
    own, until restart(). Stop it with stop(), or use it in a with
    statement.
    """

    def __init__(self, power_up: bool = False, port: int = 0, path: str | None = None, **options: Any) -> None:
        arguments = [program(path), "--port", str(port), "--control", "json"]
        if not power_up and "replay" not in options:
            arguments.append("--no-power-up")
        self._start(arguments + option_arguments(options))

    @classmethod
    def replay(cls, capture: str | os.PathLike[str], port: int = 0, path: str | None = None,
               **options: Any) -> Simulator:
        """A vekxsim that answers as the terminal of a capture did (a pcap
        or pcapng file, or a traffic log of vekxsim --log): options such as
        terminal="192.168.1.50", session=2 or speed=10 choose what it
        replays. Its commands are status, summary and quit."""
        return cls(port=port, path=path, replay=os.fspath(capture), **options)

    def restart(self) -> None:
        """Stops it, if it still runs, and starts it again with the same
        arguments: a new process, on a new port when the system picked the
        old one (address, port and web_url say where)."""
        self.stop(check=False)
        self._start(self.arguments)

    def _start(self, arguments: list[str]) -> None:
        self.arguments = arguments
        # Where it logs to a file, its traffic log and notes go there, and
        # this run's part begins at the file's present end.
        self._log = arguments[arguments.index("--log") + 1] if "--log" in arguments else None
        self._log_start = self._log_size()
        #: Why its answers can no longer be told apart ("did not answer
        #: within ...": that answer may still come); None while they can.
        self.broken: str | None = None
        self.notes = Notes(maxlen=KEPT_NOTES)
        self._answers: queue.Queue[str | None] = queue.Queue()
        self._lock = threading.Lock()
        self._noted = threading.Condition()
        try:
            self.process = subprocess.Popen(self.arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                            stderr=subprocess.PIPE, text=True, encoding="utf-8", errors="replace",
                                            bufsize=1)
        except OSError as e:
            raise SimulatorError(f"cannot start {self.arguments[0]}: {e}") from e
        self._readers = [threading.Thread(target=self._read_answers, daemon=True),
                         threading.Thread(target=self._read_notes, daemon=True)]
        for reader in self._readers:
            reader.start()
        try:
            serving = self._next_answer(START_SECONDS, "it said where it serves")
        except SimulatorError:
            self.stop(check=False)
            raise
        #: Where it serves: the address, the UDP port and the node.
        self.address: str = serving["serving"]
        self.port: int = serving["port"]
        self.node: int = serving["node"]
        #: The web panel's address ("http://127.0.0.1:PORT/") when started
        #: with web=PORT (web=0: a port the system picks); None otherwise.
        self.web_url: str | None = serving.get("web")

    def __repr__(self) -> str:
        return f"<vekxsim node {getattr(self, 'node', '?')} at {getattr(self, 'address', '?')}:" \
               f"{getattr(self, 'port', '?')}>"

    def _read_answers(self) -> None:
        assert self.process.stdout
        for line in self.process.stdout:
            self._answers.put(line.rstrip("\n"))
        self._answers.put(None)  # the end of the output

    def _read_notes(self) -> None:
        assert self.process.stderr
        for line in self.process.stderr:
            with self._noted:
                self.notes.append(line.rstrip("\n"))
                self._noted.notify_all()

    def ended(self) -> int | None:
        """Its exit status once it has ended, with all it said by then in
        notes; None while it runs."""
        status = self.process.poll()
        if status is not None:
            self._readers[1].join(STOP_SECONDS)
        return status

    def _log_size(self) -> int:
        return os.path.getsize(self._log) if self._log and os.path.exists(self._log) else 0

    def said(self) -> list[str]:
        """The lines of its traffic log and notes since it started or was
        last reset: notes, or, where it logs to a file (log=PATH), which
        takes them instead, that file's lines."""
        if not self._log:
            return list(self.notes)
        try:
            with open(self._log, "rb") as f:
                f.seek(self._log_start)
                return f.read().decode("utf-8", errors="replace").splitlines()[-KEPT_NOTES:]
        except OSError as e:
            return [f"(its log {self._log} cannot be read: {e})"]

    def wait_for_note(self, text: str, seconds: float = ANSWER_SECONDS) -> str:
        """The first line of its traffic log and notes that holds text,
        waiting for it up to seconds: a note comes on another channel than
        the answers, so it may come later than the answer to a command."""
        found: list[str] = []

        def seen() -> bool:
            found[:] = [note for note in self.notes if text in note][:1]
            return bool(found)

        with self._noted:
            if not self._noted.wait_for(seen, seconds):
                raise SimulatorError(f"vekxsim noted nothing with {text!r} within {seconds} s; "
                                     f"its last notes: {self.notes[-5:]}")
        return found[0]

    def _next_answer(self, seconds: float, until: str) -> dict[str, Any]:
        """The next answer line, waited for up to seconds; until says what
        it would tell ("it said where it serves")."""
        try:
            line = self._answers.get(timeout=seconds)
        except queue.Empty:
            # Its late answer would be taken for the next request's.
            self.broken = f"did not answer within {seconds} s, waiting until {until}"
            raise SimulatorError(f"vekxsim {self.broken}; its last notes: {self.notes[-5:]}") from None
        if line is None:
            self._answers.put(None)
            status = self.process.wait()
            # Its own last words (why it refused its options, say) come on
            # standard error, which its reader takes to the end.
            self._readers[1].join(STOP_SECONDS)
            said = "; it said: " + " ".join(self.notes[-5:]) if self.notes else ""
            raise SimulatorError(f"vekxsim ended with status {status} before {until}{said}")
        try:
            answer: dict[str, Any] = json.loads(line, object_pairs_hook=_object)
        except json.JSONDecodeError as e:
            raise SimulatorError(f"vekxsim wrote a line that is not JSON ({e}): {line}") from None
        return answer

    def request(self, line: str, seconds: float = ANSWER_SECONDS) -> dict[str, Any]:
        """Sends one line as it is and returns vekxsim's answer to it, "ok"
        false included. A line holds one request: no newline, and not blank
        (a blank line gets no answer)."""
        if not line.strip() or "\n" in line:
            raise ValueError(f"a request is one line that is not blank: {line!r}")
        with self._lock:
            if self.broken:
                raise SimulatorError(f"vekxsim takes no more commands: it {self.broken}, so an answer could be "
                                     f"taken for another request's; stop it and start another (restart())")
            assert self.process.stdin
            try:
                self.process.stdin.write(line + "\n")
                self.process.stdin.flush()
            except OSError as e:
                raise SimulatorError(f"vekxsim takes no more commands ({e}): it has ended") from e
            return self._next_answer(seconds, f"it answered {line}")

    def command(self, name: str, *args: str | int | float | bool, seconds: float = ANSWER_SECONDS) -> dict[str, Any]:
        """Sends a control command with its arguments and returns the
        answer: "ok", "reply" (the text vekxsim would print) and the
        command's data. Raises SimulatorError when it is refused ("ok":
        false), with vekxsim's reason. The commands, their arguments and
        what they do: ``command("help")``, or vekxsim(1), CONTROL COMMANDS;
        the helpers below are the commonest of them."""
        request = json.dumps({"command": name, "args": list(args)})
        answer = self.request(request, seconds)
        if not answer.get("ok"):
            raise SimulatorError(f"vekxsim refused {request}: {answer.get('error')}")
        return answer

    def set(self, field: str, value: str | bytes) -> dict[str, Any]:
        """Sets a field to exactly this value, blanks included: a str as
        text, which vekxsim stores in Windows-1252 (a character outside it
        raises UnicodeEncodeError, and nothing is sent), bytes as they are.
        Creates the field."""
        if isinstance(value, str):
            value.encode(CODE_PAGE)
            return self.command("set", field, value)
        return self.command("sethex", field, value.hex())

    def get(self, field: str) -> bytes:
        """A field's value."""
        return bytes.fromhex(self.command("get", field)["bytes"]["hex"])

    def event(self, code: int) -> dict[str, Any]:
        """The control command event."""
        return self.command("event", code)

    def key(self, text: str, terminator: int | str) -> dict[str, Any]:
        """The control command key: text ended by terminator."""
        return self.command("key", text, terminator)

    def serial(self, text: str) -> dict[str, Any]:
        """The control command serial."""
        return self.command("serial", text)

    def weight(self, weight: float) -> dict[str, Any]:
        """The control command weight."""
        return self.command("weight", weight)

    def input(self, number: int, on: bool) -> dict[str, Any]:
        """The control command input, with on for its 0|1."""
        return self.command("input", number, 1 if on else 0)

    def fault(self, kind: str, value: str | int | bool) -> dict[str, Any]:
        """One of the control commands that put a fault on the service's
        replies, by its word: ("silent", True), ("drop", 3)."""
        if kind not in ("silent", "drop", "replydelay", "decoy"):
            raise ValueError(f"a fault is silent, drop, replydelay or decoy, not {kind!r}")
        return self.command(kind, value)

    def reset(self) -> dict[str, Any]:
        """The control command reset; the notes start again too."""
        answer = self.command("reset")
        self.notes.clear()
        self._log_start = self._log_size()
        return answer

    def traffic(self, count: int | None = None, pattern: str | None = None) -> list[dict[str, Any]]:
        """The control command traffic's records, oldest first (all of
        them when count is None): inbound, peer_port, size, field, bytes
        and the log line."""
        args: list[str | int] = [count or ALL_TRAFFIC]
        if pattern:
            args.append(pattern)
        records: list[dict[str, Any]] = self.command("traffic", *args)["traffic"]
        return records

    def stop(self, check: bool = True) -> None:
        """Stops it with SIGTERM and waits for its end. With check, raises
        SimulatorError when it does not end within STOP_SECONDS (it is
        killed then) or ends with a status other than 0."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            status = self.process.wait(STOP_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise SimulatorError(f"vekxsim did not end within {STOP_SECONDS} s of SIGTERM; it was killed") from None
        finally:
            # Its output ends with it, and with that the readers.
            for reader in self._readers:
                reader.join(STOP_SECONDS)
            for stream in (self.process.stdin, self.process.stdout, self.process.stderr):
                try:
                    if stream:
                        stream.close()
                except OSError:
                    pass  # a request it never read
        if check and status != 0:
            raise SimulatorError(f"vekxsim ended with status {status}; its last notes: {self.notes[-5:]}")

    def __enter__(self) -> Simulator:
        return self

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.stop(check=kind is None)
