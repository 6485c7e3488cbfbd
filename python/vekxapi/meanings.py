"""What each result of the library means, from the one table of result
meanings that vekx, the console and the manual pages take their words from
(``result_meanings.txt``, shipped with this package).

Each row has an origin, a code, the constant that holds it, a few words and
a sentence of details. The origins: ``library`` (the library's own results),
``one-way`` (how a display or keystroke request words a result), ``sockets``
(Windows Sockets error numbers) and ``vekxsim`` (status bytes the simulated
terminal answers with; a real terminal's are its own).
"""

from __future__ import annotations

import dataclasses
import functools
from importlib import resources

#: The table's file in this package.
TABLE_FILE = "result_meanings.txt"


@dataclasses.dataclass(frozen=True)
class Meaning:
    """One row of the table."""

    origin: str
    code: int
    name: str
    words: str
    details: str


def parse_table(text: str) -> dict[tuple[str, int], Meaning]:
    """The rows of the table's text by origin and code.

    Raises ValueError, naming the line, for a row without five cells or
    with a code that is not a whole number.
    """
    rows: dict[tuple[str, int], Meaning] = {}
    for number, line in enumerate(text.splitlines(), start=1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        cells = [cell.strip() for cell in line.split("|")]
        if len(cells) != 5:
            raise ValueError(f"{TABLE_FILE} line {number}: a row has 5 cells separated by '|', not {len(cells)}")
        origin, code, name, words, details = cells
        try:
            meaning = Meaning(origin, int(code), name, words, details)
        except ValueError:
            raise ValueError(f"{TABLE_FILE} line {number}: the code {code!r} is not a whole number") from None
        rows[(origin, meaning.code)] = meaning
    return rows


@functools.cache
def table() -> dict[tuple[str, int], Meaning]:
    """Every row of the table shipped with the package, by origin and code."""
    return parse_table(resources.files(__package__).joinpath(TABLE_FILE).read_text(encoding="utf-8"))


def meaning(origin: str, code: int) -> Meaning | None:
    """The row of this origin and code; None when the table has none."""
    return table().get((origin, code))


def code_of(name: str, origin: str = "library") -> int:
    """The code of a result of this origin by the constant that holds it,
    such as VEKX_NO_ANSWER (or VEKX_WSAEADDRINUSE of "sockets")."""
    for row in table().values():
        if row.origin == origin and row.name == name:
            return row.code
    raise KeyError(f"{TABLE_FILE} has no {origin} result named {name}")
