"""VEKXAPI.dll found as on Windows (sys.platform patched, folders laid out
as there): beside the package, then beside the program, then on PATH; a
search that finds none names those places, not a Debian package."""

import ctypes
import os
import sys
from pathlib import Path

import pytest

from vekxapi import library


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
