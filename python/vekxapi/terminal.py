"""A registration with VekX terminals, and the requests made through it."""

from __future__ import annotations

import ctypes
import functools
import os
from collections.abc import Callable
from types import TracebackType

from .errors import error_for
from .library import library
from .names import NODE_COUNT, node_of

#: The code page in which texts travel to and from the terminal.
CODE_PAGE = "cp1252"
#: The reply buffer of a read when no size is given: what the largest reply
#: carries and more.
READ_SIZE = 600
#: How many bytes a display text has; a shorter one is padded with blanks.
DISPLAY_LENGTH = 16
#: The environment variable that holds the terminal's port, and its default.
TERMINAL_PORT_VARIABLE = "VEKX_TERMINAL_PORT"
DEFAULT_PORT = 1701

Data = bytes | bytearray | memoryview | str

# Field names as the library takes them, kept for the next call: reads in
# a loop should cost little more than they cost from C.
@functools.lru_cache(maxsize=1024)
def _name(field: str) -> bytes:
    return field.encode(CODE_PAGE)


def _int16(value: int, what: str) -> int:
    # ctypes would cut a larger number to 16 bits without a word.
    if not isinstance(value, int) or not -32768 <= value <= 32767:
        raise ValueError(f"{what} must be a whole number from -32768 to 32767, not {value!r}")
    return value


def _bytes(data: Data) -> bytes:
    # A character outside Windows-1252 raises UnicodeEncodeError.
    return data.encode(CODE_PAGE) if isinstance(data, str) else bytes(data)


class Terminal:
    """A registration with the shared-data service of one or more terminal
    nodes, for reading and writing their fields and for sending their
    display texts and keystrokes.

    The i-th address serves node i: field names "/t1/..." go to the first,
    "/t2/..." to the second (see vekxapi.field_name). The library holds one
    registration per process, so a second open Terminal raises
    AlreadyRegistered. Use it in a with statement, which registers on entry
    and closes on exit::

        with vekxapi.Terminal("192.168.1.50", process_type=1) as t:
            weight = t.read_text("/t1/wt101")
            t.write("/t1/bx297", bytes([14]))

    Every result other than 0 raises a VekxError subclass (vekxapi.errors).
    A read or write blocks until the terminal answers, up to about 1.8 s.
    Display and keystroke requests are one-way: they return once sent and
    raise only when they could not be sent.
    """

    def __init__(self, *addresses: str, process_type: int = 1) -> None:
        if not 1 <= len(addresses) <= NODE_COUNT:
            raise ValueError(f"a Terminal takes the addresses of 1 to {NODE_COUNT} nodes, not {len(addresses)}")
        #: The dotted IPv4 address of each node, node 1 first.
        self.addresses: tuple[str, ...] = tuple(addresses)
        #: 1 registers as "/w1/w0001", 2 as "/w2/w0002".
        self.process_type = _int16(process_type, "process_type")
        self._port = os.environ.get(TERMINAL_PORT_VARIABLE, str(DEFAULT_PORT))
        self._library = library()
        # Every read up to READ_SIZE takes its value through one buffer and
        # one count: a Terminal is used from one thread at a time, as the
        # library is.
        self._buffer = ctypes.create_string_buffer(READ_SIZE)
        self._count = ctypes.c_int16()
        self._count_address = ctypes.byref(self._count)

    def __repr__(self) -> str:
        listed = ", ".join(repr(a) for a in self.addresses)
        return f"Terminal({listed}, process_type={self.process_type})"

    def open(self) -> Terminal:
        """Registers with the nodes. The ports come from VEKX_TERMINAL_PORT
        and VEKX_LOCAL_PORT as they are now."""
        # A character that no address may hold is left to the library to
        # refuse, as the address it breaks.
        address_list = ",".join(self.addresses).encode("ascii", errors="replace")
        self._port = os.environ.get(TERMINAL_PORT_VARIABLE, str(DEFAULT_PORT))
        result = self._library.VekRegisterProcessC(self.process_type, address_list, len(self.addresses))
        if result:
            raise error_for(result, "register", f"registering process type {self.process_type} with "
                            f"{address_list.decode('ascii')}")
        return self

    def close(self) -> None:
        """Ends the registration and closes every node's socket."""
        result = self._library.VekCloseProcessC()
        if result:
            raise error_for(result, "register", "closing the registration")

    def __enter__(self) -> Terminal:
        return self.open()

    def __exit__(self, kind: type[BaseException] | None, error: BaseException | None,
                 trace: TracebackType | None) -> None:
        self.close()

    def read(self, field: str, size: int = READ_SIZE) -> bytes:
        """The value of a field: at most size bytes of it."""
        return self._read(self._library.VekReadC, "read", field, size)

    def formatted_read(self, field: str, size: int = READ_SIZE) -> bytes:
        """The value of a field as the terminal formats it: at most size
        bytes of it."""
        return self._read(self._library.VekFormattedReadC, "formatted read", field, size)

    def read_text(self, field: str) -> str:
        """The value of a field as text: Windows-1252, cut at the first NUL."""
        return self.read(field).split(b"\0", 1)[0].decode(CODE_PAGE, errors="replace")

    def write(self, field: str, data: Data) -> None:
        """Writes data to a field; a str is sent in Windows-1252."""
        self._write(self._library.VekWriteC, "write", field, data)

    def formatted_write(self, field: str, data: Data) -> None:
        """Writes data to a field, to be formatted by the terminal."""
        self._write(self._library.VekFormattedWriteC, "formatted write", field, data)

    def display(self, node: int, text: Data) -> None:
        """Sends a node's display 16 characters of text (a shorter text is
        padded with blanks)."""
        data = _bytes(text)
        if len(data) > DISPLAY_LENGTH:
            raise ValueError(f"a display text has at most {DISPLAY_LENGTH} characters, not {len(data)}: {text!r}")
        self._one_way(self._library.VekDisplayTextC, "display text", node,
                      _int16(node, "node"), data.ljust(DISPLAY_LENGTH))

    def reset_display(self, node: int) -> None:
        """Gives a node's display back to the terminal."""
        self._one_way(self._library.VekResetDisplayC, "display reset", node, _int16(node, "node"))

    def keystroke(self, node: int, kind: int, code: int) -> None:
        """Sends a node a keystroke: kind 1 or 2, and the key's code (only
        its low byte is sent)."""
        if not isinstance(code, int) or not -2**31 <= code < 2**31:
            raise ValueError(f"code must be a whole number that fits 32 bits, not {code!r}")
        self._one_way(self._library.VekSendKeystrokeC, f"keystroke of kind {kind}", node,
                      _int16(node, "node"), _int16(kind, "kind"), code)

    def _read(self, function: Callable[..., int], what: str, field: str, size: int) -> bytes:
        if size.__class__ is int and 0 <= size <= READ_SIZE:
            buffer = self._buffer
        elif 0 <= _int16(size, "size"):
            buffer = ctypes.create_string_buffer(size)
        else:
            raise ValueError(f"size must not be negative: {size}")
        # The library writes the count only for a reply it accepted: with a
        # count, a result of 1 is the terminal's status, not "no answer".
        self._count.value = -1
        result = self._call(function, _name(field), size, buffer, self._count_address)
        if result:
            call = "answered" if self._count.value >= 0 else "field"
            raise error_for(result, call, self._cause(f"a {what} of {field}", node_of(field)), field)
        return buffer.raw[:self._count.value]

    def _write(self, function: Callable[..., int], what: str, field: str, data: Data) -> None:
        value = _bytes(data)
        result = self._call(function, _name(field), _int16(len(value), "the length of data"), value)
        if result:
            raise error_for(result, "field", self._cause(f"a {what} of {field}", node_of(field)), field)

    def _one_way(self, function: Callable[..., int], what: str, node: int, *arguments: object) -> None:
        result = self._call(function, *arguments)
        if result:
            raise error_for(result, "one-way", self._cause(f"a {what} for node {node}", node))

    def _call(self, function: Callable[..., int], *arguments: object) -> int:
        """One call of the library's, and its result: the one place that a
        subclass wraps to act on a result before it is raised."""
        return function(*arguments)

    def _cause(self, what: str, node: int | None) -> str:
        """What a call was, and where it went."""
        if node is None or not 1 <= node <= NODE_COUNT:
            return what
        if node > len(self.addresses):
            return f"{what}: node {node} has no address (this Terminal has {', '.join(self.addresses)})"
        return f"{what}, node {node} at {self.addresses[node - 1]}:{self._port}"
