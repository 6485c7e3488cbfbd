"""Python's words for each result are those of the project's one table of
result meanings, and each result raises the exception it names."""

from pathlib import Path

import pytest

import vekxapi
from vekxapi import meanings
from vekxapi.errors import error_for

TABLE = Path(__file__).resolve().parents[2] / "common" / "result_meanings.txt"


def table_rows():
    """The table's rows as the manual pages and vekx read them."""
    for line in TABLE.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.lstrip().startswith("#"):
            yield [cell.strip() for cell in line.split("|")]


def test_the_package_has_every_row_of_the_table():
    rows = {(origin, int(code)): [name, words, details] for origin, code, name, words, details in table_rows()}
    assert {key: [m.name, m.words, m.details] for key, m in meanings.table().items()} == rows


CLASSES = {"VEKX_ALREADY_REGISTERED": vekxapi.AlreadyRegistered, "VEKX_NOT_REGISTERED": vekxapi.NotRegistered,
           "VEKX_NO_MEMORY": vekxapi.NoMemory, "VEKX_NO_ANSWER": vekxapi.NoAnswer,
           "VEKX_BAD_ARGUMENT": vekxapi.BadArgument, "VEKX_BAD_NODE": vekxapi.BadNode,
           "VEKX_BAD_ADDRESS": vekxapi.BadAddress}


@pytest.mark.parametrize("origin, code, name, words, details", list(table_rows()))
def test_each_result_raises_its_exception_with_the_table_s_words(origin, code, name, words, details):
    code = int(code)
    if code == 0:
        return  # success raises nothing
    if origin == "vekxsim":  # a status byte of the simulated terminal
        error = error_for(code, "field", field="/t1/bx297")
        assert isinstance(error, vekxapi.TerminalStatus) and error.status == code
        assert words in error.meaning and error.details.startswith(details)
        return
    error = error_for(code, "one-way" if origin == "one-way" else "register")
    expected = vekxapi.SocketError if origin == "sockets" else CLASSES[name]
    assert type(error) is expected
    assert (error.result, error.meaning, error.details) == (code, words, details)
    assert f"{code} {words}" in str(error)


def test_a_malformed_row_is_refused_with_its_line():
    with pytest.raises(ValueError, match="line 2: a row has 5 cells"):
        meanings.parse_table("# comment\nlibrary | 1 | VEKX_NO_ANSWER | no usable answer\n")
    with pytest.raises(ValueError, match="line 1: the code 'x' is not a whole number"):
        meanings.parse_table("library | x | N | w | d\n")
