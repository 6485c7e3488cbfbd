"""VEKXAPI.dll found on Windows (sys.platform patched, folders laid out as
there): beside the package, then beside the program, then on PATH; a search
that finds none names those places, not a Debian package."""

import sys

import pytest

from vekxapi import library


@pytest.mark.parametrize("holders, loaded", [
    (("package", "program", "path"), "package"),  # a stray DLL on PATH must not win
    (("program", "path"), "program"),
    (("path",), "path"),
    ((), None),
])
def test_the_dll_is_found_in_order(monkeypatch, tmp_path, holders, loaded):
    folders = {name: tmp_path / name for name in ("package", "program", "path", "empty")}
    for name, folder in folders.items():
        folder.mkdir()
        if name in holders:
            (folder / "VEKXAPI.dll").write_bytes(b"MZ")
    (folders["program"] / "weigh.py").write_text("")
    added = []
    monkeypatch.setattr(sys, "platform", "win32")
    monkeypatch.setattr(sys, "argv", [str(folders["program"] / "weigh.py")])
    monkeypatch.setattr(library, "__file__", str(folders["package"] / "library.py"))
    monkeypatch.setenv("PATH", f"{folders['empty']}{library.os.pathsep}{folders['path']}")
    monkeypatch.delenv(library.LIBRARY_VARIABLE)
    monkeypatch.setattr(library.os, "add_dll_directory", added.append, raising=False)
    monkeypatch.setattr(library.ctypes, "CDLL", lambda path: (_ for _ in ()).throw(OSError(f"loaded {path}")))
    library.library.cache_clear()
    try:
        with pytest.raises(library.LibraryNotFound) as failure:
            library.library()
    finally:
        library.library.cache_clear()
    message = str(failure.value)
    if loaded:
        assert f"loaded {folders[loaded] / 'VEKXAPI.dll'}" in message
        assert added == ([] if loaded == "path" else [str(folders[loaded])])
    else:
        assert "Debian" not in message and "no VEKXAPI.dll there" in message
        for words in (f"beside the package ({folders['package']})", f"beside the program ({folders['program']})",
                      "on PATH", library.LIBRARY_VARIABLE):
            assert words in message
