"""pytest fixtures for tests against a simulated VekX terminal, registered
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

vekxsim's options come from the marker's keywords or from the fixture's
parameter (a dict, with indirect parametrization): weight=12.5 gives
--weight 12.5, lenient=True gives --lenient, a list repeats its option
(field=["xx001=HELLO"]), power_up=True keeps the power-up event 54, and
web=0 starts its web panel on a free port (``vekxsim.web_url``).
VEKXSIM may name the program's path; else it is found on PATH.
"""

from __future__ import annotations

from collections.abc import Iterator
from typing import Any

import pytest

from .simulator import LOCAL_PORT_VARIABLE, Simulator, free_local_port
from .terminal import TERMINAL_PORT_VARIABLE, Terminal


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers", "vekxsim(**options): options of the test's simulated terminal (vekxsim's command-line options "
        "as keywords: weight=12.5, delay=0, lenient=True, field=[...]; power_up=True keeps event 54; web=0 starts the web panel)")


def simulator_options(request: pytest.FixtureRequest) -> dict[str, Any]:
    """The test's options for vekxsim: its vekxsim markers, the closest
    last, then the fixture's parameter."""
    options: dict[str, Any] = {}
    for marker in reversed(list(request.node.iter_markers("vekxsim"))):
        options.update(marker.kwargs)
    options.update(getattr(request, "param", None) or {})
    return options


@pytest.fixture
def vekxsim(request: pytest.FixtureRequest, monkeypatch: pytest.MonkeyPatch) -> Iterator[Simulator]:
    """A simulated terminal for the test, with the library pointed at it."""
    simulator = Simulator(**simulator_options(request))
    try:
        monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(simulator.port))
        monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))
        yield simulator
    finally:
        simulator.stop()


@pytest.fixture
def terminal(vekxsim: Simulator) -> Iterator[Terminal]:
    """A Terminal registered with the test's simulated terminal as node 1,
    closed after the test."""
    with Terminal(vekxsim.address, process_type=1) as t:
        yield t
