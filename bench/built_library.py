"""The library, vekxsim and read_loop of a build folder, for the Python
benchmarks: the environment that points the vekxapi package at them, and
read_loop's timed VekRead loop against a terminal."""
import os
import subprocess
import sys
from pathlib import Path

PACKAGE = Path(__file__).resolve().parents[1] / "python"


def use_build(folder):
    """Points the vekxapi package (imported after this) at the build's
    library and vekxsim; returns the folder as an absolute path."""
    build = Path(folder).resolve()
    os.environ.setdefault("VEKXAPI_LIBRARY", str(build / "lib" / "libvekxapi.so.1"))
    os.environ.setdefault("VEKXSIM", str(build / "bin" / "vekxsim"))
    sys.path.insert(0, str(PACKAGE))
    return build


def c_reads(build, port, reads):
    """Mean microseconds of one VekRead of /t1/bx297 over reads reads from
    C (read_loop) against the terminal on port."""
    from vekxapi.simulator import free_local_port
    environment = dict(os.environ, VEKX_TERMINAL_PORT=str(port), VEKX_LOCAL_PORT=str(free_local_port()))
    out = subprocess.run([str(build / "bin" / "read_loop"), str(reads)], env=environment, check=True,
                         capture_output=True, text=True).stdout
    return float(out)
