"""Stopping a simulated terminal: one that dies of a signal instead of ending
cleanly fails the test that used it, rather than passing in silence."""

import stat
import sys

import pytest

from vekxapi.simulator import PROGRAM_VARIABLE, program

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
