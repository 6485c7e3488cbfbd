"""Field names as the library reads them: "/t1/wt101" is field wt101 of
node 1; nodes 1 to 16 have the node characters 1 to 9 and : to @."""

from __future__ import annotations

#: How many nodes a registration can address.
NODE_COUNT = 16
#: How many characters of a field name are sent; the rest is cut off.
SENT_LENGTH = 10


def node_character(node: int) -> str:
    """The character that names a node (1 to 16) in a field name: "1" for
    node 1, "<" for node 12, "@" for node 16."""
    if not 1 <= node <= NODE_COUNT:
        raise ValueError(f"node {node} is outside 1 to {NODE_COUNT}")
    return chr(ord("0") + node)


def field_name(node: int, name: str) -> str:
    """The full name of a node's field: field_name(2, "wt101") is "/t2/wt101"."""
    return f"/t{node_character(node)}/{name}"


def node_of(field: str) -> int | None:
    """The node (1 to 16) a field name addresses; None for a name that
    breaks the rules (see field_name_problem)."""
    if field_name_problem(field):
        return None
    name = _sent(field)
    return ord(name[name.find("/") + 2]) - ord("0")


def _sent(field: str) -> str:
    # The library takes a name up to its first NUL, as C does.
    return field[:SENT_LENGTH].split("\0", 1)[0]


def field_name_problem(field: str) -> str | None:
    """Why the library refuses a field name before sending anything (with
    result 2 for a name with one '/', 4 for the rest); None when it keeps
    the rules. Only the first 10 characters count: the rest is not sent."""
    name = _sent(field)
    cut = " in its first 10 characters, all that is sent" if len(field) > SENT_LENGTH else ""
    form = "; a field name looks like /t1/wt101"
    first = name.find("/")
    if first < 0:
        return f"{field} has no '/'{cut}{form}"
    second = name.find("/", first + 1)
    if second < 0:
        return f"{field} has one '/'{cut}{form}"
    # With two slashes, the letter and the node character lie at or before
    # the second one.
    letter, character = name[first + 1], name[first + 2]
    if letter not in "tT":
        return f"{field} has the node letter '{letter}' where t or T belongs"
    if not 1 <= ord(character) - ord("0") <= NODE_COUNT:
        return f"{field} has the node character '{character}'; nodes 1 to 16 are 1 to 9 and : to @"
    return None
