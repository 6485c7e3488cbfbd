"""pytest fixtures for tests against simulated VekX terminals, registered
with pytest through the pytest11 entry point "vekxapi".

``vekxsim`` starts ``vekxsim --port 0 --control json --no-power-up`` for the
test, points the library at it (VEKX_TERMINAL_PORT, and VEKX_LOCAL_PORT at a
free port) for the test's duration, yields a vekxapi.simulator.Simulator
and stops it after the test. ``terminal`` is a Terminal registered with it::

    import pytest

    @pytest.mark.vekxsim(weight=12.5, delay=0)
    def test_weight(vekxsim, terminal):
        assert terminal.read_text("/t1/wt101") == "   12.50"
        vekxsim.event(104)
        assert terminal.read("/t1/bx298") == bytes([104])

vekxsim's options come from the ini setting ``vekxsim_options`` ("delay=0
weight=12.5"), then the test's markers, then the fixture's parameter (a
dict, with indirect parametrization): weight=12.5 gives --weight 12.5,
lenient=True gives --lenient, a list repeats its option
(field=["xx001=HELLO"]), power_up=True keeps the power-up event 54, and
web=0 starts its web panel on a free port (``vekxsim.web_url``).

``vekxsim_session`` is one simulator for the whole session (for each
pytest-xdist worker), started with the ini setting's options and reset
before each test that uses it, for suites that want speed: a test sees the
terminal as it was at start, and its failure report shows only its own
notes and traffic. ``terminal_session`` is a Terminal registered with it.
Markers cannot change its options; a test that needs others takes
``vekxsim``. Under ``--vekxsim-log-dir`` its log is vekxsim_session.log
(vekxsim_session.gw0.log for a worker), each test's part after the note of
its reset.

``vekxsim_factory`` starts several, each a node of its own (node 2 on
127.0.0.2, all on the first one's port); ``vekxsim_factory.terminal()`` is
a Terminal registered with all of them. ``vekxsim_replay`` starts one that
answers as the terminal of a capture did.

The program: ``--vekxsim PATH``, else the ini setting ``vekxsim_path``,
else VEKXSIM, else vekxsim on PATH. ``--vekxsim-log-dir DIR`` keeps each
simulator's traffic log in DIR, named after its test. A failing test's
report gets a section per simulator with its notes and its last traffic.
"""

from __future__ import annotations

import os
import re
import shlex
from collections.abc import Callable, Generator, Iterator
from pathlib import Path
from typing import Any

import pytest

from .names import NODE_COUNT
from .simulator import LOCAL_PORT_VARIABLE, Simulator, SimulatorError, free_local_port
from .terminal import TERMINAL_PORT_VARIABLE, Terminal

#: How many of the latest datagrams a failing test's report shows.
REPORTED_TRAFFIC = 50
#: How many of the latest notes (beside the traffic) it shows.
REPORTED_NOTES = 50
#: A traffic log line: "12:00:00.250 IN  : 40000 read ...".
_TRAFFIC_LINE = re.compile(r"^\d\d:\d\d:\d\d\.\d{3} (IN |OUT) :")

_simulators_key = pytest.StashKey[list[Simulator]]()


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("vekxapi", "simulated VekX terminals (vekxsim)")
    group.addoption("--vekxsim", metavar="PATH", dest="vekxsim_path", default=None,
                    help="the vekxsim program (default: ini vekxsim_path, then VEKXSIM, then PATH)")
    group.addoption("--vekxsim-log-dir", metavar="DIR", dest="vekxsim_log_dir", default=None,
                    help="keep every simulator's traffic log in DIR, one file per test named after it")
    parser.addini("vekxsim_path", "the vekxsim program, when --vekxsim does not name it")
    parser.addini("vekxsim_options", "default options of every simulator, as vekxsim --help names them without "
                  "dashes: delay=0 weight=12.5 lenient field=xx001=HELLO")


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers", "vekxsim(**options): options of the test's simulated terminal (vekxsim's command-line options "
        "as keywords: weight=12.5, delay=0, lenient=True, field=[...]; power_up=True keeps event 54; web=0 starts the web panel)")


def ini_options(text: str) -> dict[str, Any]:
    """Simulator options from the ini setting: "delay=0 lenient" gives
    {"delay": "0", "lenient": True}; a name given twice gives a list."""
    options: dict[str, Any] = {}
    for word in shlex.split(text):
        name, equals, value = word.partition("=")
        if not name:
            raise pytest.UsageError(f"vekxsim_options: {word!r} has no option name; write NAME=VALUE or NAME, "
                                    f"as in delay=0 lenient")
        one: Any = value if equals else True
        if name in options:
            kept = options[name]
            options[name] = (kept if isinstance(kept, list) else [kept]) + [one]
        else:
            options[name] = one
    return options


def simulator_options(request: pytest.FixtureRequest) -> dict[str, Any]:
    """The test's options for vekxsim: the ini setting's, then its vekxsim
    markers, the closest last, then the fixture's parameter."""
    options = ini_options(str(request.config.getini("vekxsim_options") or ""))
    for marker in reversed(list(request.node.iter_markers("vekxsim"))):
        options.update(marker.kwargs)
    options.update(getattr(request, "param", None) or {})
    return options


def program_path(config: pytest.Config) -> str | None:
    """--vekxsim, else the ini setting vekxsim_path; None leaves it to
    VEKXSIM and PATH."""
    path = config.getoption("vekxsim_path") or str(config.getini("vekxsim_path") or "")
    return path or None


def log_path(request: pytest.FixtureRequest, suffix: str = "") -> str | None:
    """The file for a simulator's traffic log under --vekxsim-log-dir, named
    after the test; emptied, so that it holds this run alone."""
    folder = request.config.getoption("vekxsim_log_dir")
    if not folder:
        return None
    name = re.sub(r"[^\w.-]+", "_", request.node.nodeid).strip("_") + suffix + ".log"
    path = Path(folder) / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b"")
    return str(path)


def _reported(item: pytest.Item, simulator: Simulator) -> None:
    simulators: list[Simulator] = item.stash.setdefault(_simulators_key, [])
    simulators.append(simulator)


def failure_section(simulator: Simulator) -> str:
    """What a failing test's report shows of a simulator: its notes, and its
    last datagrams as the traffic command decodes them."""
    notes = [note for note in simulator.notes if not _TRAFFIC_LINE.match(note)][-REPORTED_NOTES:]
    text = "notes:\n" + "".join(f"  {note}\n" for note in notes or ["(none)"])
    status = simulator.process.poll()
    if status is not None:
        return text + f"traffic: none to show, vekxsim had ended with status {status}\n"
    try:
        records = simulator.traffic(REPORTED_TRAFFIC)
    except SimulatorError as e:
        return text + f"traffic: none to show: {e}\n"
    text += f"last {len(records)} datagrams:\n" if records else "traffic: none\n"
    return text + "".join(f"  {record['line']}\n" for record in records)


@pytest.hookimpl(hookwrapper=True)  # type: ignore[misc]
def pytest_runtest_makereport(item: pytest.Item, call: pytest.CallInfo[None]) -> Generator[None, Any, None]:
    outcome = yield
    report: pytest.TestReport = outcome.get_result()
    if not report.failed:
        return
    for simulator in item.stash.get(_simulators_key, []):
        when, text = f"{report.when}: {simulator!r}", failure_section(simulator)
        report.sections.append((f"Captured stderr {when}", text))
        # The reports of the later phases carry it too: JUnit XML takes the
        # captured output (junit_logging) from the teardown's.
        if report.when != "teardown":
            item.add_report_section(when, "stderr", text)


def _started(request: pytest.FixtureRequest, options: dict[str, Any], log_suffix: str = "",
             port: int = 0) -> Simulator:
    log = log_path(request, log_suffix)
    if log:
        options = {**options, "log": log}
    simulator = Simulator(port=port, path=program_path(request.config), **options)
    _reported(request.node, simulator)
    return simulator


def _point_library_at(monkeypatch: pytest.MonkeyPatch, port: int) -> None:
    monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(port))
    monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))


@pytest.fixture
def vekxsim(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> Iterator[Simulator]:
    """A simulated terminal for the test, with the library pointed at it."""
    simulator = _started(request, simulator_options(request))
    try:
        _point_library_at(monkeypatch, simulator.port)
        yield simulator
    finally:
        simulator.stop()


@pytest.fixture
def terminal(vekxsim: Simulator) -> Iterator[Terminal]:
    """A Terminal registered with the test's simulated terminal as node 1,
    closed after the test."""
    with Terminal(vekxsim.address, process_type=1) as t:
        yield t


@pytest.fixture(scope="session")
def _vekxsim_session_process(request: pytest.FixtureRequest) -> Iterator[Simulator]:
    """The session's simulator process, started with the ini setting's
    options on a free port; the worker's name keeps the logs of parallel
    workers apart."""
    options = ini_options(str(request.config.getini("vekxsim_options") or ""))
    worker = os.environ.get("PYTEST_XDIST_WORKER")
    log = log_path(request, "vekxsim_session" + (f".{worker}" if worker else ""))
    if log:
        options = {**options, "log": log}
    simulator = Simulator(path=program_path(request.config), **options)
    try:
        yield simulator
    finally:
        simulator.stop()


@pytest.fixture
def vekxsim_session(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch,
                    _vekxsim_session_process: Simulator) -> Simulator:
    """The session's simulated terminal, reset to its state at start, with
    the library pointed at it for the test."""
    if any(request.node.iter_markers("vekxsim")):
        pytest.fail(f"{request.node.nodeid}: vekxsim_session keeps the options it was started with (ini setting "
                    f"vekxsim_options); for a vekxsim marker's options use the vekxsim fixture in this test",
                    pytrace=False)
    simulator = _vekxsim_session_process
    simulator.reset()
    _reported(request.node, simulator)
    _point_library_at(monkeypatch, simulator.port)
    return simulator


@pytest.fixture
def terminal_session(vekxsim_session: Simulator) -> Iterator[Terminal]:
    """A Terminal registered with the session's simulated terminal as node
    1, closed after the test."""
    with Terminal(vekxsim_session.address, process_type=1) as t:
        yield t


class SimulatorFactory:
    """Starts simulated terminals for one test, each a node of its own: node
    N serves on 127.0.0.N (unless listen= says otherwise), all on the port
    of the first, as the library sends every node's requests to one port.
    The first one points the library at that port."""

    def __init__(self, request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> None:
        self._request = request
        self._monkeypatch = monkeypatch
        self.simulators: dict[int, Simulator] = {}

    def __call__(self, node: int | None = None, **options: Any) -> Simulator:
        """Starts node (the lowest one not started when None) with the
        suite's and the test's options, overridden by these."""
        if node is None:
            node = min(set(range(1, NODE_COUNT + 1)) - set(self.simulators), default=0)
        if not 1 <= node <= NODE_COUNT or node in self.simulators:
            raise ValueError(f"node {node} is started already or outside 1 to {NODE_COUNT}; "
                             f"started: {sorted(self.simulators)}")
        merged = {**simulator_options(self._request), "listen": f"127.0.0.{node}", **options, "node": node}
        first = next(iter(self.simulators.values()), None)
        simulator = _started(self._request, merged, "" if first is None else f".node{node}",
                             port=first.port if first else 0)
        self.simulators[node] = simulator
        if first is None:
            _point_library_at(self._monkeypatch, simulator.port)
        return simulator

    def terminal(self, process_type: int = 1) -> Terminal:
        """A Terminal for every node started, to use in a with statement; a
        node between them that was not started gets an address nothing
        serves on, so that its requests go unanswered."""
        if not self.simulators:
            raise ValueError("no simulator started yet: call vekxsim_factory(node=1) first")
        addresses = [self.simulators[n].address if n in self.simulators else f"127.0.0.{n}"
                     for n in range(1, max(self.simulators) + 1)]
        return Terminal(*addresses, process_type=process_type)

    def stop(self) -> None:
        """Stops every simulator, and raises the first failure to stop."""
        failures: list[SimulatorError] = []
        for simulator in self.simulators.values():
            try:
                simulator.stop()
            except SimulatorError as e:
                failures.append(e)
        if failures:
            raise failures[0]


@pytest.fixture
def vekxsim_factory(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> Iterator[SimulatorFactory]:
    """Starts any number of simulated terminals; stops them all after the
    test, a failing one included."""
    factory = SimulatorFactory(request, monkeypatch)
    try:
        yield factory
    finally:
        factory.stop()


@pytest.fixture
def vekxsim_replay(request: pytest.FixtureRequest,
                   monkeypatch: pytest.MonkeyPatch) -> Iterator[Callable[..., Simulator]]:
    """Starts vekxsim --replay for a capture: ``vekxsim_replay(path,
    session=2)`` answers as the capture's terminal did, with the library
    pointed at it; stopped after the test."""
    started: list[Simulator] = []

    def replay(capture: str | os.PathLike[str], **options: Any) -> Simulator:
        log = log_path(request, f".replay{len(started) + 1}" if started else "")
        if log:
            options = {**options, "log": log}
        simulator = Simulator.replay(capture, path=program_path(request.config), **options)
        started.append(simulator)
        _reported(request.node, simulator)
        _point_library_at(monkeypatch, simulator.port)
        return simulator

    try:
        yield replay
    finally:
        for simulator in started:
            simulator.stop()
