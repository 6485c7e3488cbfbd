"""A traffic log of a simulator becomes a test: vekxsim --replay with
--control json behind Simulator.replay and the vekxsim_replay fixture, one
session of a log kept over several."""

from collections.abc import Callable
from pathlib import Path

import pytest
from conftest import WEIGHT

import vekxapi
from vekxapi.simulator import Simulator
from vekxapi.terminal import TERMINAL_PORT_VARIABLE

Session = Callable[[Path, float], str]


def test_a_logged_session_replays_and_answers_its_commands(vekxsim_replay: Callable[..., Simulator],
                                                           logged_session: Session, tmp_path: Path,
                                                           monkeypatch: pytest.MonkeyPatch) -> None:
    log = tmp_path / "bench.log"
    first, last = logged_session(log, 11), logged_session(log, 22)
    assert (first.strip(), last.strip()) == ("11.00", "22.00")
    assert log.read_text().count("# vekxsim session ") == 2, "each session begins with its dated line"

    replay = vekxsim_replay(log)
    status = replay.command("status")
    assert (status["node"], status["port"], status["file"]) == (1, replay.port, str(log))
    with vekxapi.Terminal(replay.address) as t:
        assert t.read_text(WEIGHT) == last, "the last session by default"
    assert replay.request('{"command": "weight", "args": [5]}')["error"].startswith(
        'unknown command "weight"; a replay answers status, summary and quit')

    # Another session chosen, and quit ends the replay.
    with Simulator.replay(log, session=1) as replay:
        monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(replay.port))
        with vekxapi.Terminal(replay.address) as t:
            assert t.read_text(WEIGHT) == first
        replay.command("quit")
        assert replay.process.wait(5) == 0
