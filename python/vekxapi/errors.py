"""The exceptions that the library's results raise.

Every non-zero result of a call raises a VekxError: the number as
``.result``, its meaning in a few words (``.meaning``) and in a sentence of
what happened and what to do (``.details``), both from the table of result
meanings, and the cause as far as the call tells it (``.cause``, or None).
Each kind of result has a class of its own.
"""

from __future__ import annotations

from . import meanings
from .names import field_name_problem


class VekxError(Exception):
    """A library call returned a result other than 0.

    result   the number the call returned
    meaning  a few words for it, as vekx and the console give them
    details  what happened and what to do, in a sentence
    cause    what the call tells of the cause (the field, the node and
             its address, the rule a name breaks), or None
    """

    #: The constant of vekxapi.h whose result this class stands for.
    constant: str = ""

    def __init__(self, result: int, meaning: str, details: str, cause: str | None = None) -> None:
        super().__init__(result, meaning, details, cause)
        self.result = result
        self.meaning = meaning
        self.details = details
        self.cause = cause

    def __str__(self) -> str:
        text = f"{self.result} {self.meaning}"
        if self.cause:
            text += f": {self.cause}"
        return f"{text}. {self.details}" if self.details else text


class AlreadyRegistered(VekxError):
    """A registration is in force already; the library allows one per
    process, so close the other Terminal first (-1)."""

    constant = "VEKX_ALREADY_REGISTERED"


class NotRegistered(VekxError):
    """No registration is in force: the Terminal is not open (-2)."""

    constant = "VEKX_NOT_REGISTERED"


class NoMemory(VekxError):
    """No memory for a write request (-4)."""

    constant = "VEKX_NO_MEMORY"


class NoAnswer(VekxError):
    """No usable answer to a read or write after 3 attempts, or a request
    that could not be sent (1)."""

    constant = "VEKX_NO_ANSWER"


class BadArgument(VekxError):
    """An argument breaks a rule: a field name with one '/', a process type
    or key kind other than 1 or 2, a port variable that is no port (2)."""

    constant = "VEKX_BAD_ARGUMENT"


class BadNode(VekxError):
    """The call names no node from 1 to 16 (4)."""

    constant = "VEKX_BAD_NODE"


class BadAddress(VekxError):
    """An address of the list is not a dotted IPv4 address (5)."""

    constant = "VEKX_BAD_ADDRESS"


class TerminalStatus(VekxError):
    """The terminal answered a read or write with a status other than 0;
    ``.status`` is its status byte."""

    def __init__(self, status: int, cause: str | None = None) -> None:
        row = meanings.meaning("vekxsim", status)
        if row:
            meaning = f"terminal status {status} (vekxsim: {row.words})"
            details = f"{row.details} A real terminal's status bytes are its own."
        else:
            meaning = f"terminal status {status}"
            details = "The terminal refused the access with this status byte; what it means is the terminal's."
        super().__init__(status, meaning, details, cause)
        self.status = status


class SocketError(VekxError):
    """The network failed with a Windows Sockets error; ``.code`` is its
    number (10004 and up, mapped from the system's error elsewhere)."""

    def __init__(self, code: int, cause: str | None = None) -> None:
        row = meanings.meaning("sockets", code)
        super().__init__(code, row.words if row else f"Windows Sockets error {code}", row.details if row else "",
                         cause)
        self.code = code


#: The smallest Windows Sockets error number.
FIRST_SOCKETS_ERROR = 10004

_BY_CONSTANT = {c.constant: c for c in (AlreadyRegistered, NotRegistered, NoMemory, NoAnswer, BadArgument,
                                         BadNode, BadAddress)}


def error_for(result: int, call: str, cause: str | None = None, field: str | None = None) -> VekxError:
    """The exception for a non-zero result of a call of this kind:
    "register" (registration and close), "field" (reads and writes, whose
    results 1 to 255 may be the terminal's status), "answered" (a read whose
    reply the library accepted: the result is the terminal's status) or
    "one-way" (display and keystroke requests, never answered). ``field`` is
    the field name of a read or write."""
    if call == "answered":
        return TerminalStatus(result, cause)
    if result >= FIRST_SOCKETS_ERROR:
        return SocketError(result, cause)
    if call == "field" and 0 < result <= 255 and result != meanings.code_of("VEKX_NO_ANSWER"):
        # The library checks a field name before it sends anything: a 2 or 4
        # for a name that keeps the rules is the terminal's.
        name_codes = (meanings.code_of(BadArgument.constant), meanings.code_of(BadNode.constant))
        problem = field_name_problem(field or "") if result in name_codes else None
        if problem is None:
            return TerminalStatus(result, cause)
        cause = problem
    row = (meanings.meaning("one-way", result) if call == "one-way" else None) or meanings.meaning("library", result)
    if row is None:
        return VekxError(result, f"result {result}", "The table of result meanings does not know it.", cause)
    return _BY_CONSTANT.get(row.name, VekxError)(result, row.words, row.details, cause)
