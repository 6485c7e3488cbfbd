"""A truck weighing as the KTRV device reports it, checked from the PC's
side, and the library against a terminal that misbehaves.

Copy this file and run it with pytest; the vekxapi plugin (installed with
python3-vekxapi) gives each test a simulated terminal of its own (the
``vekxsim`` fixture) and a Terminal registered with it (``terminal``):

    pytest-3 test_weigh_transaction.py
"""

import time

import pytest

import vekxapi

# The KTRV application's fields and codes.
WEIGHT = "/t1/wt101"
COMMAND_MAILBOX = "/t1/bx297"
EVENT_MAILBOX = "/t1/bx298"
LITERAL, LITERAL_SOURCE, LITERAL_TERMINATOR = "/t1/Lit50", "/t1/bx251", "/t1/bx252"
DISPLAY_LINES_1_2, DISPLAY_LINE_3 = "/t1/Lit01", "/t1/Lit02"
DISPLAY_LINE_LENGTH = 20
OK_TO_WEIGH, BARRIERS_CLOSED, LITERAL_EVENT = 104, 105, 51
FOUR_LINE_DISPLAY = 2
COMMAND_PENDING = 255
ENTER_KEY, FROM_KEYBOARD = 8, 0
# A read the terminal does not answer: 3 attempts, each waiting up to 100 ms
# to send and 500 ms for the reply.
ATTEMPTS, SEND_WAIT, REPLY_WAIT = 3, 0.1, 0.5


def take_event(terminal):
    """The event in the mailbox, acknowledged as the console does (which
    lets the next queued event in)."""
    code = terminal.read(EVENT_MAILBOX, 1)[0]
    terminal.write(EVENT_MAILBOX, bytes([0]))
    return code


def post_command(terminal, code, seconds=2.0):
    """Posts a command and waits until the terminal has taken it."""
    terminal.write(COMMAND_MAILBOX, bytes([code]))
    deadline = time.monotonic() + seconds
    while terminal.read(COMMAND_MAILBOX, 1)[0] == COMMAND_PENDING:
        assert time.monotonic() < deadline, f"command {code} not taken within {seconds} s"
        time.sleep(0.01)


def test_a_truck_is_weighed(vekxsim, terminal):
    vekxsim.command("settle", 0)  # the scale settles at once
    vekxsim.weight(18250.5)
    vekxsim.event(OK_TO_WEIGH)
    vekxsim.event(BARRIERS_CLOSED)  # queues behind the unacknowledged one
    vekxsim.key("4711-B", "enter")  # the driver keys his permit number

    assert terminal.read_text(WEIGHT) == "18250.50"
    assert [take_event(terminal) for _ in range(3)] == [OK_TO_WEIGH, BARRIERS_CLOSED, LITERAL_EVENT]
    assert terminal.read_text(LITERAL) == "4711-B"
    assert terminal.read(LITERAL_SOURCE, 1) == bytes([FROM_KEYBOARD])
    assert terminal.read(LITERAL_TERMINATOR, 1) == bytes([ENTER_KEY])
    assert terminal.read(EVENT_MAILBOX, 1) == bytes([0])


@pytest.mark.vekxsim(delay=0)  # commands are taken at once
def test_the_display_command_shows_the_lines_written(vekxsim, terminal):
    lines = ["GROSS 18250.5 KG", "DRIVE OFF", "THANK YOU"]
    padded = [line.ljust(DISPLAY_LINE_LENGTH) for line in lines]
    terminal.write(DISPLAY_LINES_1_2, padded[0] + padded[1])
    terminal.write(DISPLAY_LINE_3, padded[2])
    post_command(terminal, FOUR_LINE_DISPLAY)
    assert vekxsim.command("display")["lines"] == padded


def test_a_silent_terminal_raises_no_answer_after_the_retries(vekxsim, terminal):
    vekxsim.fault("silent", True)
    start = time.monotonic()
    with pytest.raises(vekxapi.NoAnswer) as caught:
        terminal.read(WEIGHT)
    seconds = time.monotonic() - start
    assert ATTEMPTS * REPLY_WAIT <= seconds < ATTEMPTS * (SEND_WAIT + REPLY_WAIT) + 0.5
    assert caught.value.result == 1
    assert f"127.0.0.1:{vekxsim.port}" in caught.value.cause


def test_a_dropped_reply_is_made_good_by_the_resend(vekxsim, terminal):
    vekxsim.fault("drop", 1)
    assert terminal.read_text(WEIGHT) == "    0.00"
    requests = [r["field"] for r in vekxsim.traffic(pattern="wt101") if r["inbound"]]
    assert requests == [WEIGHT, WEIGHT], "the read, and after 500 ms without a reply the read again"
