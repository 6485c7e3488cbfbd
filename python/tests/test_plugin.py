"""The pytest plugin from outside: options reach vekxsim, the library is
pointed at it for the test alone, it is stopped after every test, a failing
one included, and a failing test's report shows the simulator's side."""

import json
import os
import xml.etree.ElementTree as ElementTree
from typing import Any

import pytest

from vekxapi.pytest_plugin import ini_options

INNER_TESTS = """
import json, os, pytest

def record(vekxsim, *fields):
    with open("seen.jsonl", "a") as f:
        f.write(json.dumps({"pid": vekxsim.process.pid, "port": vekxsim.port,
                            "fields": [vekxsim.get(field).decode() for field in fields],
                            "terminal_port": os.environ["VEKX_TERMINAL_PORT"],
                            "local_port": os.environ["VEKX_LOCAL_PORT"],
                            "weight": vekxsim.command("status")["weight"],
                            "mailbox": vekxsim.command("events")["mailbox"]}) + "\\n")

# A True option stands alone, a False one is left out, a list repeats it.
@pytest.mark.vekxsim(weight=7.5, power_up=True, quiet=True, lenient=False, field=["xx001=A", "xx002=B"])
def test_marker(vekxsim):
    record(vekxsim, "xx001", "xx002")

@pytest.mark.parametrize("vekxsim", [{"weight": 3}], indirect=True)
def test_parameter(vekxsim):
    record(vekxsim)

def test_failing(vekxsim, terminal):
    record(vekxsim)
    assert terminal.read("/t1/bx298") == b"wrong"
"""


def seen(pytester: pytest.Pytester) -> list[dict[str, Any]]:
    return [json.loads(line) for line in (pytester.path / "seen.jsonl").read_text().splitlines()]


def test_options_ports_and_stopping(pytester: pytest.Pytester, monkeypatch: pytest.MonkeyPatch) -> None:
    monkeypatch.delenv("VEKX_TERMINAL_PORT", raising=False)
    pytester.makepyfile(INNER_TESTS)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin")
    result.assert_outcomes(passed=2, failed=1)
    assert [(s["weight"], s["mailbox"], s["fields"]) for s in seen(pytester)] == [
        (7.5, 54, ["A", "B"]), (3, 0, []), (0, 0, [])]
    for s in seen(pytester):
        assert s["terminal_port"] == str(s["port"]) and s["local_port"].isdigit()
        with pytest.raises(ProcessLookupError):
            os.kill(s["pid"], 0)  # stopped and reaped
    assert "VEKX_TERMINAL_PORT" not in os.environ, "set for the test's duration only"


REPORTED = """
import pytest

def test_fails_after_a_read(vekxsim, terminal):
    terminal.read("/t1/wt101")
    vekxsim.event(104)
    assert False, "the weight was wrong"

def test_passes(vekxsim, terminal):
    terminal.read("/t1/bx297")
"""


def test_a_failing_report_shows_the_simulators_notes_and_traffic(pytester: pytest.Pytester) -> None:
    pytester.makepyfile(REPORTED)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin", "-rA", "--junitxml=report.xml",
                                          "-o", "junit_logging=system-err")
    result.assert_outcomes(passed=1, failed=1)
    text = result.stdout.str()
    failing, passing = text.split(" FAILURES ")[1].split(" PASSES ")
    assert "Captured stderr call: <vekxsim node 1 at 127.0.0.1:" in failing
    assert "ktrv: event 104 posted" in failing, "its notes"
    assert "read /w1/w0001 -> /t1/wt101" in failing and "read /t1/wt101 -> /w1/w0001" in failing, \
        "the request and the reply, decoded"
    assert "vekxsim node" not in passing, "a passing test's report adds nothing"
    cases = {case.get("name"): case for case in ElementTree.parse(pytester.path / "report.xml").iter("testcase")}
    assert "read /w1/w0001 -> /t1/wt101" in (cases["test_fails_after_a_read"].findtext("system-err") or "")
    assert "vekxsim" not in (cases["test_passes"].findtext("system-err") or "")


SETTINGS = """
import os, pytest

@pytest.mark.vekxsim(weight=2)
def test_marker_over_ini(vekxsim):
    assert vekxsim.command("status")["weight"] == 2
    assert vekxsim.command("delay", 0)["delay_ms"] == 0

def test_ini(vekxsim, terminal):
    assert vekxsim.command("status")["weight"] == 12.5
    assert "--delay" in vekxsim.arguments
    terminal.read("/t1/wt101")
"""


def test_the_ini_options_path_and_log_folder_reach_every_simulator(pytester: pytest.Pytester,
                                                                   monkeypatch: pytest.MonkeyPatch) -> None:
    program = os.environ["VEKXSIM"]
    monkeypatch.setenv("VEKXSIM", "/nonexistent/vekxsim")  # --vekxsim comes first
    pytester.makeini("[pytest]\nvekxsim_options = delay=0 weight=12.5\n")
    pytester.makepyfile(SETTINGS)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin", f"--vekxsim={program}",
                                          "--vekxsim-log-dir", "logs")
    result.assert_outcomes(passed=2)
    log = (pytester.path / "logs" / "test_the_ini_options_path_and_log_folder_reach_every_simulator.py_test_ini.log")
    lines = log.read_text().splitlines()
    assert lines[0].startswith("# vekxsim session ") and any("-> /t1/wt101" in line for line in lines[1:])
    monkeypatch.delenv("VEKXSIM")
    monkeypatch.setenv("PATH", "/nonexistent")
    pytester.makeini(f"[pytest]\nvekxsim_path = {program}\n")
    pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin", "-k", "marker").assert_outcomes(passed=1)


def test_the_ini_options_become_keywords() -> None:
    assert ini_options("delay=0 lenient field=a=1 field='b c'") == {
        "delay": "0", "lenient": True, "field": ["a=1", "b c"]}
    with pytest.raises(pytest.UsageError, match="'=5' has no option name"):
        ini_options("=5")


FACTORY = """
def test_stopped_though_failing(vekxsim_factory):
    import json
    sims = [vekxsim_factory(node=1), vekxsim_factory(node=2)]
    with open("pids.json", "w") as f:
        json.dump([s.process.pid for s in sims], f)
    assert [s.address for s in sims] == ["127.0.0.1", "127.0.0.2"]
    assert sims[0].port == sims[1].port
    assert False
"""


def test_the_factory_stops_every_simulator_of_a_failing_test(pytester: pytest.Pytester) -> None:
    pytester.makepyfile(FACTORY)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin")
    result.assert_outcomes(failed=1)
    assert "<vekxsim node 2 at 127.0.0.2:" in result.stdout.str(), "each simulator in the report"
    for pid in json.loads((pytester.path / "pids.json").read_text()):
        with pytest.raises(ProcessLookupError):
            os.kill(pid, 0)


def test_two_terminals_in_parallel_workers(pytester: pytest.Pytester) -> None:
    pytest.importorskip("xdist")
    example = os.path.join(os.path.dirname(__file__), "..", "examples", "test_two_terminals.py")
    pytester.makepyfile(test_two=open(example).read(), test_again=open(example).read())
    result = pytester.runpytest_subprocess("-p", "vekxapi.pytest_plugin", "-p", "xdist", "-n", "2")
    result.assert_outcomes(passed=4)


SESSION = """
import json

def record(vekxsim_session, terminal_session):
    with open("session.jsonl", "a") as f:
        f.write(json.dumps({"pid": vekxsim_session.process.pid,
                            "weight": terminal_session.read_text("/t1/wt101"),
                            "xx001": terminal_session.read_text("/t1/xx001"),
                            "fields": vekxsim_session.command("fields")["reply"]}) + "\\n")

def test_changes_everything(vekxsim_session, terminal_session):
    record(vekxsim_session, terminal_session)
    terminal_session.write("/t1/Lit01", b"FIRST")
    vekxsim_session.weight(99)
    vekxsim_session.set("xx001", "CHANGED")
    vekxsim_session.set("new1", "NEW")
    vekxsim_session.fault("silent", True)

def test_fails_on_a_clean_terminal(vekxsim_session, terminal_session):
    record(vekxsim_session, terminal_session)
    assert False, "shows this test's traffic alone"
"""


def test_the_session_simulator_is_one_process_reset_between_tests(pytester: pytest.Pytester,
                                                                  monkeypatch: pytest.MonkeyPatch) -> None:
    monkeypatch.delenv("VEKX_TERMINAL_PORT", raising=False)
    pytester.makeini("[pytest]\nvekxsim_options = weight=12.5 delay=0 field=xx001=A\n")
    pytester.makepyfile(SESSION)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin", "-p", "no:randomly")
    result.assert_outcomes(passed=1, failed=1)
    first, second = [json.loads(line) for line in (pytester.path / "session.jsonl").read_text().splitlines()]
    assert first == second, "the second test sees the terminal as the first one found it"
    assert first["weight"].strip() == "12.50" and first["xx001"] == "A", "the ini options"
    failing = result.stdout.str().split(" FAILURES ")[1]
    assert "-> /t1/wt101" in failing and "Lit01" not in failing, "the failing test's own traffic, not the first's"
    with pytest.raises(ProcessLookupError):
        os.kill(first["pid"], 0)  # stopped at the session's end
