"""What several test files share: a bench session written to a traffic log."""

from __future__ import annotations

from collections.abc import Callable
from pathlib import Path

import pytest

import vekxapi
from vekxapi.simulator import LOCAL_PORT_VARIABLE, Simulator, free_local_port
from vekxapi.terminal import TERMINAL_PORT_VARIABLE

#: The weight field a bench session reads.
WEIGHT = "/t1/wt101"


@pytest.fixture
def logged_session(monkeypatch: pytest.MonkeyPatch) -> Callable[[Path, float], str]:
    """Runs a session onto a traffic log: a simulator with --log log and its
    scale at weight, read once from the library; gives the weight text read."""
    def run(log: Path, weight: float) -> str:
        monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))
        with Simulator(log=str(log), weight=weight) as bench:
            monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(bench.port))
            with vekxapi.Terminal(bench.address) as t:
                return t.read_text(WEIGHT)
    return run
