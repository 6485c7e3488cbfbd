"""Finding the vekxapi shared library and binding its functions.

The C-convention twin of every operation is bound (``VekReadC`` for
``VekRead``), with its argument and result types as ``vekxapi.h`` declares
them, so that ctypes converts and checks every argument.
"""

from __future__ import annotations

import ctypes
import functools
import os
import struct
import sys

#: The environment variable that names the library's file, overriding the
#: platform's search.
LIBRARY_VARIABLE = "VEKXAPI_LIBRARY"

_I16 = ctypes.c_int16
_I32 = ctypes.c_int32
_TEXT = ctypes.c_char_p
_BYTES = ctypes.c_void_p

#: The functions bound, each with its argument types in order; every one
#: returns a signed 16-bit result.
SIGNATURES: dict[str, tuple[type, ...]] = {
    "VekRegisterProcessC": (_I16, _TEXT, _I32),
    "VekCloseProcessC": (),
    "VekReadC": (_TEXT, _I16, _BYTES, ctypes.POINTER(_I16)),
    "VekFormattedReadC": (_TEXT, _I16, _BYTES, ctypes.POINTER(_I16)),
    "VekWriteC": (_TEXT, _I16, _BYTES),
    "VekFormattedWriteC": (_TEXT, _I16, _BYTES),
    "VekDisplayTextC": (_I16, _TEXT),
    "VekResetDisplayC": (_I16,),
    "VekSendKeystrokeC": (_I16, _I16, _I32),
}


class LibraryNotFound(OSError):
    """The vekxapi shared library could not be loaded."""


def library_file_name() -> str:
    """The library's file name on this platform."""
    return "VEKXAPI.dll" if sys.platform == "win32" else "libvekxapi.so.1"


def windows_places() -> list[tuple[str, str]]:
    """Where VEKXAPI.dll is looked for on Windows, in order, as (place,
    folder): beside this package, then beside the program (the script that
    Python runs, or the current folder), then each folder of PATH. Since
    Python 3.8 Windows itself looks in none of them for a DLL that Python
    loads."""
    program = sys.argv[0] if sys.argv and os.path.isfile(sys.argv[0]) else ""
    places = [("beside the package", os.path.dirname(os.path.abspath(__file__))),
              ("beside the program", os.path.dirname(os.path.abspath(program)) if program else os.getcwd())]
    return places + [("on PATH", folder) for folder in os.environ.get("PATH", "").split(os.pathsep) if folder]


def _load_by_name() -> ctypes.CDLL:
    # The dynamic loader of other systems searches by file name itself.
    if sys.platform != "win32":
        return ctypes.CDLL(library_file_name())
    for place, folder in windows_places():
        path = os.path.join(folder, library_file_name())
        if os.path.isfile(path):
            if place != "on PATH":
                # The folder stays among those searched for the DLLs it
                # needs, for the rest of the process.
                os.add_dll_directory(folder)
            return ctypes.CDLL(path)
    raise OSError(f"no {library_file_name()} there")


def _where_to_put_it() -> str:
    if sys.platform != "win32":
        return f"install it (Debian: libvekxapi1), or set {LIBRARY_VARIABLE} to its path"
    package, program = (folder for _, folder in windows_places()[:2])
    bits = struct.calcsize("P") * 8
    return (f"copy the VEKXAPI.dll of the {'x64' if bits == 64 else 'x86'} kit (this Python is {bits}-bit) beside "
            f"the package ({package}), beside the program ({program}) or into a folder on PATH, or set "
            f"{LIBRARY_VARIABLE} to its path")


@functools.cache
def library() -> ctypes.CDLL:
    """The loaded library with every function of SIGNATURES bound.

    Loaded once, at the first call: the file that VEKXAPI_LIBRARY names, or
    else the library the platform finds by name (on Windows: windows_places).
    """
    path = os.environ.get(LIBRARY_VARIABLE)
    try:
        loaded = ctypes.CDLL(path) if path else _load_by_name()
    except OSError as e:
        if path:
            raise LibraryNotFound(f"{LIBRARY_VARIABLE}={path} cannot be loaded ({e}): set it to the path of "
                                  f"{library_file_name()}, or unset it to use the installed one") from e
        raise LibraryNotFound(f"{library_file_name()} cannot be loaded ({e}): {_where_to_put_it()}") from e
    for name, arguments in SIGNATURES.items():
        function = getattr(loaded, name)
        function.argtypes = arguments
        function.restype = _I16
    return loaded
