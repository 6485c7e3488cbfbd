"""pytest fixtures for tests against simulated VekX terminals, registered
with pytest through the pytest11 entry point "vekxapi".

``vekxsim`` starts ``vekxsim --port 0 --control json --no-power-up`` for the
test, points the library at it (VEKX_TERMINAL_PORT, and VEKX_LOCAL_PORT at
local ports free for every node, below the range from which the system
picks the ports of other tests' servers) for the test's duration, yields a
vekxapi.simulator.Simulator and stops it after the test.
``vekxsim_terminal`` is a Terminal registered with it; where another
program takes one of its local ports all the same (10048), it registers
again on others and repeats the call::

    import pytest

    @pytest.mark.vekxsim(weight=12.5, delay=0)
    def test_weight(vekxsim, vekxsim_terminal):
        assert vekxsim_terminal.read_text("/t1/wt101") == "   12.50"
        vekxsim.event(104)
        assert vekxsim_terminal.read("/t1/bx298") == bytes([104])

A simulator's options come from the ``vekxsim_options`` fixture (by
default the ini setting ``vekxsim_options``, "delay=0 weight=12.5"; a
module or conftest.py overrides it by defining a fixture of that name that
returns a dict), then the test's markers, then the fixture's parameter (a
dict, with indirect parametrization): weight=12.5 gives --weight 12.5,
lenient=True gives --lenient, a list repeats its option
(field=["xx001=HELLO"]), power_up=True keeps the power-up event 54, and
web=0 starts its web panel on a free port (``vekxsim.web_url``). A marker
takes keywords only; port=, path= and control= are refused, as the plugin
sets them.

``vekxsim_session`` is one simulator for the whole session (for each
pytest-xdist worker; the process itself is ``vekxsim_session_process``),
started with the ini setting's options and reset before each test that
uses it, for suites that want speed: a test sees the terminal as it was at
start, and its failure report shows only its own notes and traffic. A test
during which it ends (or stops answering) errors in its teardown, and the
next test gets a new one. ``vekxsim_session_terminal`` is a Terminal
registered with it. Neither markers nor an overridden ``vekxsim_options``
change its options; a test that needs others takes ``vekxsim``. Under
``--vekxsim-log-dir`` its log is vekxsim_session.log
(vekxsim_session.gw0.log for a worker), each test's part after the note of
its reset.

``vekxsim_factory`` (a SimulatorFactory) starts several, each a node of its
own (node 2 on 127.0.0.2, all on the first one's port);
``vekxsim_factory.terminal()`` is a Terminal registered with all of them.
``vekxsim_replay`` (a ReplayFactory) starts one that answers as the
terminal of a capture did. The old names ``terminal``, ``terminal_session``
and ``_vekxsim_session_process`` still work.

The program: ``--vekxsim PATH``, else the ini setting ``vekxsim_path`` (a
relative path is taken from the ini file's folder), else VEKXSIM, else
vekxsim on PATH; a wrapper script will do. The program and the ini options
are checked once, when pytest starts (a simulator is started and stopped).
``--vekxsim-log-dir DIR`` keeps each simulator's traffic log in DIR, named
after its test. A failing test's report gets a section per simulator, its
header naming the node, address and port, with its notes and its last
datagrams (from its traffic log when it had ended or stopped answering);
a JUnit XML report (``--junitxml``) holds the same sections in the test's
system-err, without further settings.

A suite in CI::

    # pytest.ini
    [pytest]
    vekxsim_path = build/bin/vekxsim
    vekxsim_options = delay=0

    pytest -n 4 --junitxml=report.xml --vekxsim-log-dir=vekxsim-logs
"""

from __future__ import annotations

import dataclasses
import os
import re
import shlex
import shutil
import xml.etree.ElementTree as ElementTree
from collections.abc import Callable, Generator, Iterator
from pathlib import Path
from typing import Any

import pytest

from .meanings import code_of
from .names import NODE_COUNT
from .simulator import LOCAL_PORT_VARIABLE, Simulator, SimulatorError, free_local_port
from .terminal import TERMINAL_PORT_VARIABLE, Terminal

#: How many of the latest datagrams a failing test's report shows.
REPORTED_TRAFFIC = 50
#: How many of the latest notes (beside the traffic) it shows.
REPORTED_NOTES = 50
#: A traffic log line: "12:00:00.250 IN  : 40000 read ...".
_TRAFFIC_LINE = re.compile(r"^\d\d:\d\d:\d\d\.\d{3} (IN |OUT) :")
#: Options a test cannot give, as the plugin sets them, and why.
REFUSED_OPTIONS = {
    "port": "the plugin starts each simulator on a free port (its .port says which); a test that needs a fixed "
            "one starts its own vekxapi.simulator.Simulator(port=...)",
    "path": "the program is the same for the whole run: --vekxsim PATH or the ini setting vekxsim_path",
    "control": "the plugin drives vekxsim through --control json",
}
#: The Windows Sockets error of a local port that another program holds.
ADDRESS_IN_USE = code_of("VEKX_WSAEADDRINUSE", "sockets")

_simulators_key = pytest.StashKey[list[Simulator]]()


@dataclasses.dataclass
class Settings:
    """The run's configuration, checked once at start."""

    #: The program, as an absolute path; None leaves it to VEKXSIM and PATH.
    program: str | None
    #: The ini setting vekxsim_options as keywords.
    options: dict[str, Any]
    #: The process of the session simulator whose end a test was blamed for.
    blamed: int | None = None


_settings_key = pytest.StashKey[Settings]()


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("vekxapi", "simulated VekX terminals (vekxsim)")
    group.addoption("--vekxsim", metavar="PATH", dest="vekxsim_path", default=None,
                    help="the vekxsim program, or a script that runs it (default: ini vekxsim_path, then VEKXSIM, "
                         "then PATH)")
    group.addoption("--vekxsim-log-dir", metavar="DIR", dest="vekxsim_log_dir", default=None,
                    help="keep every simulator's traffic log in DIR, one file per test named after it")
    parser.addini("vekxsim_path", "the vekxsim program, when --vekxsim does not name it; a relative path is taken "
                  "from the ini file's folder")
    parser.addini("vekxsim_options", "default options of every simulator, as vekxsim --help names them without "
                  "dashes: delay=0 weight=12.5 lenient field=xx001=HELLO")


# Last, after junitxml's, which makes the JUnit XML report.
@pytest.hookimpl(trylast=True)  # type: ignore[misc]
def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers", "vekxsim(**options): options of the test's simulated terminal (vekxsim's command-line options "
        "as keywords: weight=12.5, delay=0, lenient=True, field=[...]; power_up=True keeps event 54; web=0 starts the web panel)")
    config.stash[_settings_key] = checked_settings(config)
    try:
        from _pytest.junitxml import xml_key
        xml = config.stash.get(xml_key, None)
    except ImportError:
        xml = None
    if xml is not None:
        config.pluginmanager.register(JUnitSections(xml), "vekxapi-junit-sections")


def ini_options(text: str) -> dict[str, Any]:
    """Simulator options from the ini setting: "delay=0 lenient" gives
    {"delay": "0", "lenient": True}; a name given twice gives a list."""
    options: dict[str, Any] = {}
    try:
        words = shlex.split(text)
    except ValueError as e:
        raise pytest.UsageError(f"vekxsim_options: {e} in {text!r}; quote a value as in field='xx001=A B'") from None
    for word in words:
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


def _refusal(options: dict[str, Any], where: str) -> str | None:
    """Why options that hold one the plugin sets are refused; None when
    they hold none."""
    refused = [name for name in options if name in REFUSED_OPTIONS]
    if not refused:
        return None
    return f"{where} gives {refused[0]}=, which is not an option here: {REFUSED_OPTIONS[refused[0]]}"


def _refuse_fixed(options: dict[str, Any], where: str) -> None:
    refusal = _refusal(options, where)
    if refusal:
        raise ValueError(refusal)


def _program(value: str, folder: Path) -> str:
    """A program named on the command line or in the ini file, taken from
    folder when relative; a bare name that is not there is looked up on
    PATH."""
    path = folder / value
    if not any(sep and sep in value for sep in (os.sep, os.altsep)) and not path.exists():
        return shutil.which(value) or str(path)
    return str(path.absolute())


def checked_settings(config: pytest.Config) -> Settings:
    """The program and the ini options, checked once: where either is
    set, a simulator is started with them and stopped, so that a fault in
    them ends the run at once, in one message, and not each test."""
    option = config.getoption("vekxsim_path")
    ini = str(config.getini("vekxsim_path") or "")
    ini_file = str(config.inipath) if config.inipath else "the ini file"
    if option:
        where, program = "--vekxsim", _program(option, Path.cwd())
    elif ini:
        folder = config.inipath.parent if config.inipath else config.rootpath
        where, program = f"vekxsim_path in {ini_file}", _program(ini, folder)
    else:
        where, program = "", None
    options = ini_options(str(config.getini("vekxsim_options") or ""))
    settings = Settings(program, options)
    # xdist's workers run after the check of the run that started them;
    # where nothing is set, pytest may run without a simulator in mind.
    if hasattr(config, "workerinput") or config.option.help or not (where or options or os.environ.get("VEKXSIM")):
        return settings
    try:
        _refuse_fixed(options, f"vekxsim_options in {ini_file}")
        if program and not (os.path.isfile(program) and os.access(program, os.X_OK)):
            raise ValueError(f"{where}: {program} is not a program that can be run: give the path of vekxsim "
                             f"(or of a script that runs it)")
        Simulator(path=program, **options).stop(check=False)
    except (ValueError, SimulatorError) as e:
        said = f" (vekxsim_options in {ini_file}: {shlex.join(f'{k}={v}' for k, v in options.items())})" \
            if options and isinstance(e, SimulatorError) else ""
        raise pytest.UsageError(f"{e}{said}") from None
    return settings


def simulator_options(request: pytest.FixtureRequest, base: dict[str, Any] | None = None) -> dict[str, Any]:
    """The test's options for vekxsim: base (by default the vekxsim_options
    fixture's), then its vekxsim markers, the closest last, then the
    fixture's parameter. A marker with positional arguments, or an option
    the plugin sets itself, fails the test in words."""
    options = dict(request.getfixturevalue("vekxsim_options") if base is None else base)
    for marker in reversed(list(request.node.iter_markers("vekxsim"))):
        if marker.args:
            pytest.fail(f"{request.node.nodeid}: @pytest.mark.vekxsim takes options as keywords, as in "
                        f"@pytest.mark.vekxsim(weight=5, lenient=True), not {', '.join(map(repr, marker.args))}",
                        pytrace=False)
        options.update(marker.kwargs)
    options.update(getattr(request, "param", None) or {})
    refusal = _refusal(options, f"{request.node.nodeid}: the vekxsim marker or parameter")
    if refusal:
        pytest.fail(refusal, pytrace=False)
    return options


def program_path(config: pytest.Config) -> str | None:
    """The program that --vekxsim or the ini setting vekxsim_path names,
    as checked at start; None leaves it to VEKXSIM and PATH."""
    return config.stash[_settings_key].program


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
    return str(path.absolute())


def _reported(item: pytest.Item, simulator: Simulator) -> None:
    simulators: list[Simulator] = item.stash.setdefault(_simulators_key, [])
    simulators.append(simulator)


def failure_section(simulator: Simulator) -> str:
    """What a failing test's report shows of a simulator: its notes, and its
    last datagrams as the traffic command decodes them, or as its traffic
    log has them once it has ended or stopped answering."""
    status = simulator.ended()
    said = simulator.said()
    notes = [line for line in said if not _TRAFFIC_LINE.match(line)][-REPORTED_NOTES:]
    text = "notes:\n" + "".join(f"  {note}\n" for note in notes or ["(none)"])
    records: list[str] = []
    if status is None and not simulator.broken:
        try:
            records = [record["line"] for record in simulator.traffic(REPORTED_TRAFFIC)]
            text += f"last {len(records)} datagrams:\n" if records else "traffic: none\n"
        except SimulatorError as e:
            text += f"traffic: none to show: {e}\n"
    else:
        why = f"vekxsim had ended with status {status}" if status is not None else f"vekxsim {simulator.broken}"
        records = [line for line in said if _TRAFFIC_LINE.match(line)][-REPORTED_TRAFFIC:]
        text += f"last {len(records)} datagrams of its traffic log ({why}):\n" if records else \
            f"traffic: none in its traffic log ({why})\n"
    return text + "".join(f"  {record}\n" for record in records)


def _is_section(name: str) -> bool:
    return name.startswith("<vekxsim ")


@pytest.hookimpl(hookwrapper=True)  # type: ignore[misc]
def pytest_runtest_makereport(item: pytest.Item, call: pytest.CallInfo[None]) -> Generator[None, Any, None]:
    outcome = yield
    report: pytest.TestReport = outcome.get_result()
    if report.failed:
        for simulator in item.stash.get(_simulators_key, []):
            report.sections.append((f"{simulator!r} {report.when}", failure_section(simulator)))


class JUnitSections:
    """Puts the simulators' sections of a failing test's report, each
    under its header, into the test's system-err of the JUnit XML report,
    whatever junit_logging says (which decides on the captured output)."""

    def __init__(self, xml: Any) -> None:
        self._xml = xml

    @pytest.hookimpl(tryfirst=True)  # type: ignore[misc]
    def pytest_runtest_logreport(self, report: pytest.TestReport) -> None:
        # Before junitxml's, which closes the test's case after teardown.
        sections = [(name, text) for name, text in report.sections if _is_section(name)]
        if not report.failed or not sections:
            return
        from _pytest.junitxml import bin_xml_escape
        element = ElementTree.Element("system-err")
        element.text = bin_xml_escape("".join(f"{f' {name} ':-^80}\n{text}" for name, text in sections))
        self._xml.node_reporter(report).append(element)


def _point_library_at(monkeypatch: pytest.MonkeyPatch, port: int) -> None:
    monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(port))
    monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))


class RetryingTerminal(Terminal):
    """A Terminal on the local ports that the plugin found free: where
    another program took one since (Windows Sockets error 10048, and
    nothing was sent), it registers again on other free ports, for the
    test's duration, and makes the call again."""

    def __init__(self, *addresses: str, process_type: int = 1, monkeypatch: pytest.MonkeyPatch) -> None:
        super().__init__(*addresses, process_type=process_type)
        self._monkeypatch = monkeypatch

    def _call(self, function: Callable[..., int], *arguments: object) -> int:
        result: int = function(*arguments)
        for _ in range(NODE_COUNT):
            if result != ADDRESS_IN_USE:
                break
            self.close()
            self._monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port(len(self.addresses))))
            self.open()
            result = function(*arguments)
        return result


def _started(request: pytest.FixtureRequest, options: dict[str, Any], log_suffix: str = "",
             port: int = 0) -> Simulator:
    log = log_path(request, log_suffix)
    if log:
        options = {**options, "log": log}
    simulator = Simulator(port=port, path=program_path(request.config), **options)
    _reported(request.node, simulator)
    return simulator


def _stop_all(simulators: Iterator[Simulator]) -> None:
    """Stops every simulator, and raises the first failure to stop."""
    failures: list[SimulatorError] = []
    for simulator in simulators:
        try:
            simulator.stop()
        except SimulatorError as e:
            failures.append(e)
    if failures:
        raise failures[0]


@pytest.fixture
def vekxsim_options(pytestconfig: pytest.Config) -> dict[str, Any]:
    """The options every simulator of a test starts with, before its
    markers: the ini setting vekxsim_options as keywords. Override it in a
    module or conftest.py to give its tests others."""
    return dict(pytestconfig.stash[_settings_key].options)


@pytest.fixture
def vekxsim(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch,
            vekxsim_options: dict[str, Any]) -> Iterator[Simulator]:
    """A simulated terminal for the test, with the library pointed at it."""
    simulator = _started(request, simulator_options(request, vekxsim_options))
    try:
        _point_library_at(monkeypatch, simulator.port)
        yield simulator
    finally:
        simulator.stop()


@pytest.fixture
def vekxsim_terminal(vekxsim: Simulator, monkeypatch: pytest.MonkeyPatch) -> Iterator[Terminal]:
    """A Terminal registered with the test's simulated terminal as node 1,
    closed after the test."""
    with RetryingTerminal(vekxsim.address, process_type=1, monkeypatch=monkeypatch) as t:
        yield t


@pytest.fixture
def terminal(vekxsim_terminal: Terminal) -> Terminal:
    """The old name of vekxsim_terminal."""
    return vekxsim_terminal


@pytest.fixture(scope="session")
def vekxsim_session_process(request: pytest.FixtureRequest) -> Iterator[Simulator]:
    """The session's simulator process, started with the ini setting's
    options on a free port; the worker's name keeps the logs of parallel
    workers apart. vekxsim_session restarts it (in place) after a test
    that it did not outlive."""
    settings = request.config.stash[_settings_key]
    options = settings.options
    worker = os.environ.get("PYTEST_XDIST_WORKER")
    log = log_path(request, "vekxsim_session" + (f".{worker}" if worker else ""))
    if log:
        options = {**options, "log": log}
    simulator = Simulator(path=settings.program, **options)
    try:
        yield simulator
    finally:
        simulator.stop(check=simulator.process.pid != settings.blamed)


@pytest.fixture(scope="session")
def _vekxsim_session_process(vekxsim_session_process: Simulator) -> Simulator:
    """The old name of vekxsim_session_process."""
    return vekxsim_session_process


@pytest.fixture
def vekxsim_session(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch,
                    vekxsim_session_process: Simulator) -> Iterator[Simulator]:
    """The session's simulated terminal, reset to its state at start, with
    the library pointed at it for the test. A test during which it ended,
    or stopped answering, errors in its teardown; the next one gets it
    restarted."""
    settings = request.config.stash[_settings_key]
    if any(request.node.iter_markers("vekxsim")) or request.getfixturevalue("vekxsim_options") != settings.options:
        pytest.fail(f"{request.node.nodeid}: vekxsim_session keeps the options it was started with (ini setting "
                    f"vekxsim_options); for a vekxsim marker's options, or an overridden vekxsim_options fixture's, "
                    f"use the vekxsim fixture in this test", pytrace=False)
    simulator = vekxsim_session_process
    if simulator.ended() is not None or simulator.broken:
        simulator.restart()
    simulator.reset()
    _reported(request.node, simulator)
    _point_library_at(monkeypatch, simulator.port)
    yield simulator
    status = simulator.ended()
    if status is not None or simulator.broken:
        settings.blamed = simulator.process.pid
        what = f"ended with status {status}" if status is not None else simulator.broken
        pytest.fail(f"{request.node.nodeid}: the session's vekxsim {what} during this test; the next test gets "
                    f"a new one", pytrace=False)


@pytest.fixture
def vekxsim_session_terminal(vekxsim_session: Simulator, monkeypatch: pytest.MonkeyPatch) -> Iterator[Terminal]:
    """A Terminal registered with the session's simulated terminal as node
    1, closed after the test."""
    with RetryingTerminal(vekxsim_session.address, process_type=1, monkeypatch=monkeypatch) as t:
        yield t


@pytest.fixture
def terminal_session(vekxsim_session_terminal: Terminal) -> Terminal:
    """The old name of vekxsim_session_terminal."""
    return vekxsim_session_terminal


class SimulatorFactory:
    """Starts simulated terminals for one test, each a node of its own: node
    N serves on 127.0.0.N (unless listen= says otherwise), all on the port
    of the first, as the library sends every node's requests to one port.
    The first one points the library at that port, and at local ports free
    for every node."""

    def __init__(self, request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch,
                 options: dict[str, Any] | None = None) -> None:
        self._request = request
        self._monkeypatch = monkeypatch
        self._options = options
        self.simulators: dict[int, Simulator] = {}

    def __call__(self, node: int | None = None, **options: Any) -> Simulator:
        """Starts node (the lowest one not started when None) with the
        suite's and the test's options, overridden by these."""
        if node is None:
            node = min(set(range(1, NODE_COUNT + 1)) - set(self.simulators), default=0)
        if not 1 <= node <= NODE_COUNT or node in self.simulators:
            raise ValueError(f"node {node} is started already or outside 1 to {NODE_COUNT}; "
                             f"started: {sorted(self.simulators)}")
        _refuse_fixed(options, f"vekxsim_factory(node={node})")
        merged = {**simulator_options(self._request, self._options), "listen": f"127.0.0.{node}", **options,
                  "node": node}
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
        return RetryingTerminal(*addresses, process_type=process_type, monkeypatch=self._monkeypatch)

    def stop(self) -> None:
        """Stops every simulator, and raises the first failure to stop."""
        _stop_all(iter(self.simulators.values()))


@pytest.fixture
def vekxsim_factory(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch,
                    vekxsim_options: dict[str, Any]) -> Iterator[SimulatorFactory]:
    """Starts any number of simulated terminals; stops them all after the
    test, a failing one included."""
    factory = SimulatorFactory(request, monkeypatch, vekxsim_options)
    try:
        yield factory
    finally:
        factory.stop()


class ReplayFactory:
    """Starts vekxsim --replay for a capture: ``vekxsim_replay(path,
    session=2)`` answers as the capture's terminal did, with the library
    pointed at it."""

    def __init__(self, request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> None:
        self._request = request
        self._monkeypatch = monkeypatch
        self.simulators: list[Simulator] = []

    def __call__(self, capture: str | os.PathLike[str], **options: Any) -> Simulator:
        """Starts a replay of capture (options as Simulator.replay takes
        them) and points the library at it."""
        _refuse_fixed(options, "vekxsim_replay")
        log = log_path(self._request, f".replay{len(self.simulators) + 1}" if self.simulators else "")
        if log:
            options = {**options, "log": log}
        simulator = Simulator.replay(capture, path=program_path(self._request.config), **options)
        self.simulators.append(simulator)
        _reported(self._request.node, simulator)
        _point_library_at(self._monkeypatch, simulator.port)
        return simulator

    def stop(self) -> None:
        """Stops every replay, and raises the first failure to stop."""
        _stop_all(iter(self.simulators))


@pytest.fixture
def vekxsim_replay(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> Iterator[ReplayFactory]:
    """Starts replays of captures; stops them all after the test."""
    factory = ReplayFactory(request, monkeypatch)
    try:
        yield factory
    finally:
        factory.stop()
