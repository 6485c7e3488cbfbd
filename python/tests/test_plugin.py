"""The pytest plugin from outside: options reach vekxsim, the library is
pointed at it for the test alone, and it is stopped after every test, a
failing one included."""

import json
import os

import pytest

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


def test_options_ports_and_stopping(pytester, monkeypatch):
    monkeypatch.delenv("VEKX_TERMINAL_PORT", raising=False)
    pytester.makepyfile(INNER_TESTS)
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin")
    result.assert_outcomes(passed=2, failed=1)
    seen = [json.loads(line) for line in (pytester.path / "seen.jsonl").read_text().splitlines()]
    assert [(s["weight"], s["mailbox"], s["fields"]) for s in seen] == [(7.5, 54, ["A", "B"]), (3, 0, []), (0, 0, [])]
    for s in seen:
        assert s["terminal_port"] == str(s["port"]) and s["local_port"].isdigit()
        with pytest.raises(ProcessLookupError):
            os.kill(s["pid"], 0)  # stopped and reaped
    assert "VEKX_TERMINAL_PORT" not in os.environ, "set for the test's duration only"

