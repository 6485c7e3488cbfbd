"""Terminal.read of one byte from Python against VekRead from C, the same
reads against the same simulated terminal in the same run, repetitions
interleaved. Prints a Markdown table row: median microseconds per read of
each, and the median of the repetitions' ratios (each repetition's two
figures are taken one right after the other, so drift falls on both).

    python3 bench/python_read.py BUILD-FOLDER
"""
import os
import statistics
import sys
import time

from built_library import c_reads as timed_reads
from built_library import use_build

build = use_build(sys.argv[1])

import vekxapi  # noqa: E402
from vekxapi.simulator import Simulator, free_local_port  # noqa: E402

READS = 5000
REPETITIONS = 9


def c_reads(port):
    return timed_reads(build, port, READS)


def python_reads(terminal):
    start = time.perf_counter()
    for _ in range(READS):
        terminal.read("/t1/bx297", 1)
    return (time.perf_counter() - start) / READS * 1e6


with Simulator(quiet=True) as simulator:
    os.environ["VEKX_TERMINAL_PORT"] = str(simulator.port)
    os.environ["VEKX_LOCAL_PORT"] = str(free_local_port())
    with vekxapi.Terminal(simulator.address) as terminal:
        python_reads(terminal)  # warm-up
        python, c = [], []
        for _ in range(REPETITIONS):
            c.append(c_reads(simulator.port))
            python.append(python_reads(terminal))
ratio = statistics.median(p / c_ for p, c_ in zip(python, c))
print(f"| Terminal.read of 1 byte | {statistics.median(python):.1f} | {statistics.median(c):.1f} | {ratio:.2f} |")
