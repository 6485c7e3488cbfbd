"""Python's words for each result are those of the project's one table of
result meanings, and each result raises the exception it names."""

import dataclasses

import pytest

import vekxapi
from vekxapi import meanings
from vekxapi.errors import error_for


def test_the_table_s_rows_by_origin_and_code() -> None:
    text = ("# origin | code | constant | words | details\n\n"
            "library | -1 | VEKX_ALREADY_REGISTERED | already registered | Close the other one.\n"
            "  sockets|10048|VEKX_WSAEADDRINUSE|address in use|Close it.  \n"
            "library | 1 | VEKX_NO_ANSWER | no usable answer | Check the address.\n")
    rows = [("library", -1, "VEKX_ALREADY_REGISTERED", "already registered", "Close the other one."),
            ("sockets", 10048, "VEKX_WSAEADDRINUSE", "address in use", "Close it."),
            ("library", 1, "VEKX_NO_ANSWER", "no usable answer", "Check the address.")]
    assert meanings.parse_table(text) == {(row[0], row[1]): meanings.Meaning(*row) for row in rows}


@pytest.mark.parametrize("origin, code, name, words, details",
                         [dataclasses.astuple(row) for row in meanings.table().values()])
def test_each_result_raises_its_exception_with_the_table_s_words(origin: str, code: int, name: str, words: str, details: str) -> None:
    if code == 0:
        return  # success raises nothing
    if origin == "vekxsim":  # a status byte of the simulated terminal
        error = error_for(code, "field", field="/t1/bx297")
        assert isinstance(error, vekxapi.TerminalStatus) and error.status == code
        assert words in error.meaning and error.details.startswith(details)
        return
    error = error_for(code, "one-way" if origin == "one-way" else "register")
    # The class that names the row's constant (any one, for a sockets error).
    assert isinstance(error, vekxapi.SocketError) if origin == "sockets" else type(error).constant == name
    assert (error.result, error.meaning, error.details) == (code, words, details)
    assert f"{code} {words}" in str(error)


def test_a_malformed_row_is_refused_with_its_line() -> None:
    with pytest.raises(ValueError, match="line 2: a row has 5 cells"):
        meanings.parse_table("# comment\nlibrary | 1 | VEKX_NO_ANSWER | no usable answer\n")
    with pytest.raises(ValueError, match="line 1: the code 'x' is not a whole number"):
        meanings.parse_table("library | x | N | w | d\n")
