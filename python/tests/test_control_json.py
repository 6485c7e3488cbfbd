"""vekxsim --control json end to end: every command of the control language
in its JSON form, and lines that are no request."""

import json

import pytest

from vekxapi.simulator import Simulator
from vekxapi.terminal import Terminal

# Every command help lists, with arguments and a name its answer's data has
# (None: a reply without data): a new command gets its row here. quit comes
# last, as it ends the simulator.
SAMPLES = [
    ("help", [], "commands"), ("status", [], "queued_events"), ("fields", [], "fields"),
    ("get", ["bx297"], "bytes"), ("set", ["Lit01", "HELLO  THERE"], "bytes"), ("sethex", ["raw", "ff 00"], "bytes"),
    ("setbyte", ["bx251", 1], "bytes"), ("fieldstatus", ["Lit01", 3], "status"),
    ("fieldsilent", ["Lit01", True], "silent"), ("event", [104], "posted"), ("events", [], "queued"),
    ("ack", [], "mailbox"), ("key", ["LOT 42", "f6"], "terminator_name"), ("serial", ["BADGE 7"], "text"),
    ("weight", [12.5], "weight"), ("settle", [0], "settle_ms"), ("drift", [0.5], "drift"),
    ("select", [2], "shown"), ("input", [5, 1], "field"), ("inputs", [], "inputs"), ("lower", ["READY"], "text"),
    ("display", [], "lines"), ("outputs", [], "outputs"), ("command", [15], "command"), ("delay", [0], "delay_ms"),
    ("silent", [False], "silent"), ("drop", [0], "drop"), ("replydelay", [0], "reply_delay_ms"),
    ("decoy", ["name"], "decoy"), ("traffic", [5, "wt"], "traffic"), ("log", [False], "log"), ("sleep", [0], None),
    ("reset", [], None), ("quit", [], None),
]


def test_every_command_answers_in_json_with_its_data(vekxsim: Simulator) -> None:
    listed = {c["command"] for c in vekxsim.command("help")["commands"]}
    assert listed == {word for word, _, _ in SAMPLES}, "a command without a sample here, or one no longer listed"
    for word, args, data in SAMPLES:
        answer = vekxsim.request(json.dumps({"command": word, "args": args}))
        assert answer["ok"] is True, (word, answer)
        assert isinstance(answer["reply"], str)
        if data:
            assert data in answer, (word, answer)
    assert vekxsim.process.wait(5) == 0, "quit ends it"


def test_answers_carry_values_as_data(vekxsim: Simulator) -> None:
    vekxsim.event(104)
    vekxsim.event(105)
    assert vekxsim.command("events")["queued"] == [105]
    assert vekxsim.command("key", "4711-B", "enter")["terminator"] == 8


@pytest.mark.parametrize("line, error", [
    ("get bx297", "not JSON: parse error at line 1, column 1"),
    ('{"command": "get", "args": ["bx297"]', "not JSON: parse error at line 1, column 37"),
    ('{"command": "get", "command": "set"}', '"command" is given twice'),
    ('{"command": "set", "args": ["Lit01", "' + "x" * 5000 + '"]}', "a line longer than 4096 bytes was ignored"),
    ('{"command": "nothere"}', 'unknown command "nothere" (try help)'),
    ('{"command": "event", "args": [0]}', "usage: event N (1..255)"),
    ('{"command": "get", "args": [null]}', "args[0] is null; an argument is a string, a number, true or false"),
])
def test_a_bad_line_gets_an_error_and_the_simulator_goes_on(vekxsim: Simulator, line: str, error: str) -> None:
    answer = vekxsim.request(line)
    assert answer["ok"] is False and answer["error"].startswith(error), answer
    assert vekxsim.command("get", "bx297")["bytes"]["hex"] == "00"


def test_the_end_of_its_input_ends_it(vekxsim: Simulator) -> None:
    # The program that drove it has gone; it must not hold its port on.
    assert vekxsim.process.stdin
    vekxsim.process.stdin.close()
    assert vekxsim.process.wait(5) == 0


# Each text goes as one JSON argument and comes back as it went: joined and
# split again, it lost its leading and repeated blanks, or was no argument.
@pytest.mark.parametrize("text", ["  X", "a  b ", "", "a\tb"])
def test_a_text_set_comes_back_byte_for_byte(vekxsim: Simulator, terminal: Terminal, text: str) -> None:
    assert vekxsim.set("Lit01", text)["bytes"]["text"] == text
    assert terminal.read("/t1/Lit01") == text.encode("cp1252")
