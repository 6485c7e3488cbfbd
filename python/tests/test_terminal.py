"""Terminal against a simulated terminal: values both ways, one-way requests,
and the exception each kind of failure raises."""

import time
from collections.abc import Callable
from typing import Any

import pytest

import vekxapi
from vekxapi.simulator import Simulator
from vekxapi.terminal import Terminal


def test_values_and_texts_both_ways(vekxsim: Simulator, terminal: Terminal) -> None:
    terminal.write("/t1/Lit01", "CAF\u00c9 \u20ac5")  # Windows-1252 on the wire
    assert vekxsim.get("Lit01") == b"CAF\xc9 \x805"
    assert terminal.read_text("/t1/Lit01") == "CAF\u00c9 \u20ac5"
    with pytest.raises(UnicodeEncodeError):
        terminal.write("/t1/Lit01", "\u2192")  # no byte in Windows-1252
    assert vekxsim.get("Lit01") == b"CAF\xc9 \x805", "nothing was sent"
    vekxsim.set("Lit02", b"AB\x00CD\x81")
    assert terminal.read("/t1/Lit02") == b"AB\x00CD\x81"
    vekxsim.set("Lit01", "  X" + "X" * 37)  # leading blanks kept
    assert terminal.read("/t1/Lit01", size=3) == b"  X"
    terminal.formatted_write("/t1/bx251", bytes([7]))
    assert terminal.formatted_read("/t1/bx251") == bytes([7])


def eventually(condition: Callable[[], bool], seconds: float = 2.0) -> bool:
    """Whether condition() comes true within seconds: a one-way request
    reaches the simulator some time after the call returned."""
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.005)
    return True


def test_one_way_requests_reach_the_terminal_once_sent(vekxsim: Simulator, terminal: Terminal) -> None:
    vekxsim.fault("silent", True)  # no answer is awaited
    def shown() -> str | None:
        text: str | None = vekxsim.command("display").get("display_text", {}).get("text")
        return text
    terminal.display(1, "GROSS \u00d6L   42 kg")  # as long as a display text is, in Windows-1252
    assert eventually(lambda: shown() == "GROSS \u00d6L   42 kg")
    terminal.display(1, "HELLO")
    assert eventually(lambda: shown() == "HELLO".ljust(16))
    terminal.reset_display(1)
    assert eventually(lambda: shown() is None)
    terminal.keystroke(1, 2, 0x141)
    def keys() -> list[dict[str, Any]]:
        return [r for r in vekxsim.traffic() if r["inbound"] and r["size"] == 31]
    assert eventually(lambda: len(keys()) == 1)
    assert keys()[0]["bytes"]["hex"].split()[29] == "41", "the low byte of the code"
    with pytest.raises(ValueError):
        terminal.display(1, "SEVENTEEN CHARS!!")


# A call, the exception, its result, and what its cause names.
FAILURES = [
    (lambda t: t.read("bx297"), vekxapi.BadNode, 4, "bx297 has no '/'"),
    (lambda t: t.read("/t1"), vekxapi.BadArgument, 2, "/t1 has one '/'"),
    (lambda t: t.write("/x1/Lit01", b"A"), vekxapi.BadNode, 4, "node letter 'x'"),
    (lambda t: t.read("/t1/nothere"), vekxapi.TerminalStatus, 3, "a read of /t1/nothere"),
    (lambda t: t.read("/t2/bx297"), vekxapi.SocketError, 10038, "node 2 has no address"),
    (lambda t: t.display(17, "X"), vekxapi.BadNode, 4, "for node 17"),
    (lambda t: t.keystroke(1, 3, 65), vekxapi.BadArgument, 2, "keystroke of kind 3"),
    (lambda t: vekxapi.Terminal("127.0.0.1").open(), vekxapi.AlreadyRegistered, -1,
     "registering process type 1 with 127.0.0.1"),
]


@pytest.mark.parametrize("call, error, result, cause", FAILURES)
def test_each_failure_raises_its_exception_with_result_and_cause(terminal: Terminal, call: Callable[[Terminal], object],
                                                                  error: type[vekxapi.VekxError], result: int,
                                                                  cause: str) -> None:
    with pytest.raises(error) as caught:
        call(terminal)
    assert caught.value.result == result
    assert cause in (caught.value.cause or "")
    assert caught.value.meaning and caught.value.details


@pytest.mark.parametrize("status", [1, 2])
def test_a_status_like_the_library_s_own_codes_is_the_terminal_s(vekxsim: Simulator, terminal: Terminal, status: int) -> None:
    # The library refuses a bad name before sending: a 2 for a good name
    # came from the terminal. A read's 1 with a count is an answer, not
    # "no usable answer".
    vekxsim.command("fieldstatus", "Lit01", status)
    with pytest.raises(vekxapi.TerminalStatus) as caught:
        terminal.read("/t1/Lit01")
    assert caught.value.status == status


def test_registration_refusals(vekxsim: Simulator) -> None:
    with pytest.raises(vekxapi.BadArgument):
        vekxapi.Terminal("127.0.0.1", process_type=3).open()
    # ctypes would cut 65537 to the 16 bits of 1 and register.
    with pytest.raises(ValueError):
        vekxapi.Terminal("127.0.0.1", process_type=65537)
    with pytest.raises(vekxapi.NotRegistered):
        vekxapi.Terminal("127.0.0.1").read("/t1/bx297")
    with pytest.raises(vekxapi.NotRegistered):
        vekxapi.Terminal("127.0.0.1").close()
