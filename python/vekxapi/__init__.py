"""VekX weighing terminals from Python.

Reads and writes the fields of a terminal's shared-data service, and sends
its display texts and keystrokes, through the vekxapi client library
(libvekxapi.so.1 on Linux, VEKXAPI.dll on Windows; VEKXAPI_LIBRARY may name
its file)::

    import vekxapi

    with vekxapi.Terminal("192.168.1.50", process_type=1) as t:
        print(t.read_text("/t1/wt101"))           # the weight, as text
        t.write("/t1/Lit01", "LOT 42")            # Windows-1252
        t.display(1, "HELLO")                     # one-way: sent, never answered
    # a NoAnswer, TerminalStatus, ... (all VekxError) says what went wrong

The library reads VEKX_TERMINAL_PORT and VEKX_LOCAL_PORT when a Terminal
opens, so that it can talk to a simulated terminal (vekxsim) on the same PC.
For tests, the pytest plugin vekxapi.pytest_plugin starts one per test.

Modules: terminal (Terminal), errors (the exceptions), names (field names
and node characters), meanings (what each result means), library (loading
and binding the library), simulator (driving vekxsim) and pytest_plugin.
"""

from .errors import (AlreadyRegistered, BadAddress, BadArgument, BadNode, NoAnswer, NoMemory, NotRegistered,
                     SocketError, TerminalStatus, VekxError)
from .library import LibraryNotFound
from .names import field_name, node_character
from .terminal import Terminal

__version__ = "1.0.0"

__all__ = [
    "AlreadyRegistered", "BadAddress", "BadArgument", "BadNode", "LibraryNotFound", "NoAnswer", "NoMemory",
    "NotRegistered", "SocketError", "Terminal", "TerminalStatus", "VekxError", "field_name", "node_character",
]
