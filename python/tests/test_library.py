"""Loading the library, and binding each function as vekxapi.h declares it;
VEKXAPI.dll found as on Windows (sys.platform patched, folders laid out as
there): beside the package, then beside the program, then on PATH, and a
search that finds none names those places, not a Debian package."""

import ctypes
import os
import re
import sys
from collections.abc import Iterator
from pathlib import Path
from typing import Any

import pytest

from vekxapi import library

HEADER = Path(__file__).resolve().parents[2] / "vekxapi" / "include" / "vekxapi.h"
C_TYPES = {"int16_t": ctypes.c_int16, "int32_t": ctypes.c_int32, "const char *": ctypes.c_char_p,
           "void *": ctypes.c_void_p, "const void *": ctypes.c_void_p, "int16_t *": ctypes.POINTER(ctypes.c_int16)}


def declared() -> Iterator[tuple[str, tuple[Any, ...]]]:
    """Each C-convention function of the header with its argument types."""
    text = HEADER.read_text()
    for name, arguments in re.findall(r"VEKX_CDECL (\w+)\(([^)]*)\)", text):
        types = [re.sub(r"\s*\b\w+$", "", a.strip()).replace("*", " *").replace("  ", " ").strip()
                 for a in arguments.split(",") if a.strip() != "void"]
        yield name, tuple(C_TYPES[t] for t in types)


def test_every_c_function_is_bound_with_its_declared_types() -> None:
    assert dict(declared()) == library.SIGNATURES
    loaded = library.library()
    for name, arguments in library.SIGNATURES.items():
        assert getattr(loaded, name).argtypes == arguments
        assert getattr(loaded, name).restype is ctypes.c_int16


def test_a_library_that_cannot_be_loaded_says_what_to_set(monkeypatch: pytest.MonkeyPatch, tmp_path: Path) -> None:
    monkeypatch.setenv(library.LIBRARY_VARIABLE, str(tmp_path / "missing.so"))
    library.library.cache_clear()
    try:
        with pytest.raises(library.LibraryNotFound, match=f"{library.LIBRARY_VARIABLE}=.*missing.so cannot be loaded"):
            library.library()
    finally:
        monkeypatch.undo()
        library.library.cache_clear()


def test_the_package_has_the_project_s_version() -> None:
    import vekxapi
    if "VEKX_PROJECT_VERSION" not in os.environ:
        pytest.skip("the build's tests set VEKX_PROJECT_VERSION")
    assert vekxapi.__version__ == os.environ["VEKX_PROJECT_VERSION"]


@pytest.mark.parametrize("holders", [("package", "program", "path"), ("program", "path"), ("path",), ()])
def test_the_dll_is_found_in_order(monkeypatch: pytest.MonkeyPatch, tmp_path: Path, holders: tuple[str, ...]) -> None:
    folders = {name: tmp_path / name for name in ("package", "program", "empty", "path")}
    for name, folder in folders.items():
        folder.mkdir()
        if name in holders:
            (folder / "VEKXAPI.dll").write_bytes(b"")
    (folders["program"] / "weigh.py").write_text("")
    added: list[str] = []
    monkeypatch.setattr(sys, "platform", "win32")
    monkeypatch.setattr(sys, "argv", [str(folders["program"] / "weigh.py")])
    monkeypatch.setattr(library, "__file__", str(folders["package"] / "library.py"))
    monkeypatch.setenv("PATH", f"{folders['empty']}{os.pathsep}{folders['path']}")
    monkeypatch.delenv(library.LIBRARY_VARIABLE, raising=False)
    monkeypatch.setattr(os, "add_dll_directory", added.append, raising=False)
    monkeypatch.setattr(ctypes, "CDLL", lambda path: (_ for _ in ()).throw(OSError(f"loaded {path}")))
    library.library.cache_clear()
    with pytest.raises(library.LibraryNotFound) as failure:
        library.library()
    library.library.cache_clear()
    if holders:  # the first holder wins; a DLL on PATH is loaded from there, with no folder added
        assert f"loaded {folders[holders[0]] / 'VEKXAPI.dll'}" in str(failure.value)
        assert added == ([] if holders[0] == "path" else [str(folders[holders[0]])])
    else:
        assert "Debian" not in str(failure.value)
        for words in (f"beside the package ({folders['package']})", f"beside the program ({folders['program']})",
                      "on PATH", library.LIBRARY_VARIABLE):
            assert words in str(failure.value)
