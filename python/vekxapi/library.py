"""Finding the vekxapi shared library and binding its functions.

The C-convention twin of every operation is bound (``VekReadC`` for
``VekRead``), with its argument and result types as ``vekxapi.h`` declares
them, so that ctypes converts and checks every argument.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import functools
import os
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


def _platform_search() -> str:
    # Windows looks for DLLs along PATH; the dynamic loader of other systems
    # searches by file name itself.
    if sys.platform == "win32":
        return ctypes.util.find_library("VEKXAPI") or library_file_name()
    return library_file_name()


@functools.cache
def library() -> ctypes.CDLL:
    """The loaded library with every function of SIGNATURES bound.

    Loaded once, at the first call: the file that VEKXAPI_LIBRARY names, or
    else the library the platform finds by name.
    """
    path = os.environ.get(LIBRARY_VARIABLE)
    try:
        loaded = ctypes.CDLL(path or _platform_search())
    except OSError as e:
        if path:
            raise LibraryNotFound(f"{LIBRARY_VARIABLE}={path} cannot be loaded ({e}): set it to the path of "
                                  f"{library_file_name()}, or unset it to use the installed one") from e
        raise LibraryNotFound(f"{library_file_name()} cannot be loaded ({e}): install it (Debian: libvekxapi1), "
                              f"or set {LIBRARY_VARIABLE} to its path") from e
    for name, arguments in SIGNATURES.items():
        function = getattr(loaded, name)
        function.argtypes = arguments
        function.restype = _I16
    return loaded
