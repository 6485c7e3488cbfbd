"""The package's field-name rules and default port are the library's: the
package words the library's refusals and names the node of a call from its
own copy of them, which would drift from the library without a word."""

import ctypes
import os
import re
from collections.abc import Iterator
from pathlib import Path

import vekxapi
from vekxapi.library import library
from vekxapi.names import NODE_COUNT, SENT_LENGTH, field_name_problem, node_of
from vekxapi.simulator import LOCAL_PORT_VARIABLE, Simulator
from vekxapi.terminal import CODE_PAGE, DEFAULT_PORT

LIBRARY_SOURCES = Path(__file__).resolve().parents[2] / "vekxapi"


def test_the_default_port_is_the_library_s() -> None:
    found = {(path.name, int(port)) for path in LIBRARY_SOURCES.rglob("*.h")
             for port in re.findall(r"\bdefault_port\s*=\s*(\d+)", path.read_text(encoding="utf-8"))}
    assert [port for _, port in found] == [DEFAULT_PORT], f"the library's default_port: {found}"


def names() -> Iterator[str]:
    """Field names at the edges of each rule, and every byte where the node
    letter and the node character stand."""
    yield from [
        "bx297", "/t1", "/t1/", "/t1/wt101", "/T1/wt101", "//t1/", "/t/1/", "ab/t2/cd", "abcdef/t3/",
        "abcdefg/t4/", "abcdefgh/t", "abcdefghi/", "/t1" + "x" * (SENT_LENGTH - 3) + "/", "/t1x/x",
        "/t1\0/wt101", "/t\0/1/", "/t5/\0x", "x" * SENT_LENGTH + "/t1/wt101", "/t12/wt",
    ]
    for byte in range(1, 256):
        try:
            character = bytes([byte]).decode(CODE_PAGE)
        except UnicodeDecodeError:
            continue  # no character sends this byte
        yield f"/t{character}/x"
        yield f"/{character}1/x"


def test_the_name_rules_are_the_library_s(vekxsim: Simulator) -> None:
    # Every node at the simulator: a name the library takes is sent from
    # that node's local port, and answered (status 4 for another node's).
    local_port = int(os.environ[LOCAL_PORT_VARIABLE])
    buffer, count = ctypes.create_string_buffer(8), ctypes.c_int16()
    taken = []
    with vekxapi.Terminal(*[vekxsim.address] * NODE_COUNT):
        for name in names():
            count.value = -1
            result = library().VekReadC(name.encode(CODE_PAGE), len(buffer), buffer, ctypes.byref(count))
            problem = field_name_problem(name)
            if count.value < 0:
                assert result in (2, 4) and problem, f"the library refused {name!r} with {result}"
                assert (result == 2) == ("one '/'" in problem), (name, result, problem)
            else:
                assert problem is None, f"the library took {name!r}, the package says: {problem}"
                taken.append((name, node_of(name)))
    sent = [(record["field"], record["peer_port"] - local_port + 1) for record in vekxsim.traffic()
            if record["inbound"]]
    assert [node for _, node in sent] == [node for _, node in taken], (taken, sent)
