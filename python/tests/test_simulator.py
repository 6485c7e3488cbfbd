"""Stopping a simulated terminal: one that dies of a signal instead of ending
cleanly fails the test that used it, rather than passing in silence. A
request it leaves unanswered, and the library's local ports."""

import socket
import stat
import sys

import pytest

from vekxapi import simulator
from vekxapi.simulator import PROGRAM_VARIABLE, Simulator, SimulatorError, free_local_port, program

# vekxsim as a child of a program that, asked to stop, stops it and then
# dies of the signal itself: what a crash in vekxsim's own SIGTERM handling
# looks like from outside.
DYING_WRAPPER = """#!{python}
import os, signal, subprocess, sys
simulator = subprocess.Popen([{program!r}] + sys.argv[1:])
def die(number, frame):
    os.kill(simulator.pid, signal.SIGTERM)
    os.waitpid(simulator.pid, 0)  # the Popen's own wait is the one interrupted
    signal.signal(signal.SIGTERM, signal.SIG_DFL)
    os.kill(os.getpid(), signal.SIGTERM)
signal.signal(signal.SIGTERM, die)
sys.exit(simulator.wait())
"""


def test_a_simulator_killed_by_a_signal_fails_the_fixture_s_teardown(pytester: pytest.Pytester, monkeypatch: pytest.MonkeyPatch) -> None:
    wrapper = pytester.path / "dying-vekxsim"
    wrapper.write_text(DYING_WRAPPER.format(python=sys.executable, program=program()))
    wrapper.chmod(wrapper.stat().st_mode | stat.S_IXUSR)
    monkeypatch.setenv(PROGRAM_VARIABLE, str(wrapper))
    pytester.makepyfile("def test_uses_it(vekxsim):\n    vekxsim.command('status')\n")
    result = pytester.runpytest_inprocess("-p", "vekxapi.pytest_plugin")
    result.assert_outcomes(passed=1, errors=1)
    result.stdout.fnmatch_lines(["*vekxsim ended with status -15*"])


def test_a_request_left_unanswered_breaks_the_simulator_rather_than_shift_its_answers() -> None:
    with Simulator() as vekxsim:
        with pytest.raises(SimulatorError, match="did not answer within 0.05 s"):
            vekxsim.command("sleep", 500, seconds=0.05)
        with pytest.raises(SimulatorError, match="takes no more commands: it did not answer within"):
            vekxsim.command("status")  # would take the sleep's answer as its own
        vekxsim.restart()
        assert vekxsim.command("status")["port"] == vekxsim.port


def test_a_local_port_base_leaves_every_node_a_free_port(monkeypatch: pytest.MonkeyPatch) -> None:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(("", 0))
        port: int = taken.getsockname()[1]
        first, chosen = iter([port - 2]), simulator._local_port_candidate  # node 3 would get the port taken
        monkeypatch.setattr(simulator, "_local_port_candidate", lambda count: next(first, None) or chosen(count))
        base = free_local_port(3)
        assert base != port - 2 and not base <= port < base + 3
