#!/usr/bin/env python3
"""Plants faults in the sources one at a time, builds, runs the suite and
says which tests caught each; the sources are put back after every fault,
also when the run is interrupted. A fault no test catches fails the run.

    scripts/plant-faults.py [--build DIR] [--list FILE] [-L LABEL] [NAME...]
    scripts/plant-faults.py --check [--list FILE]

The faults are those of tests/planted-faults.txt (--list), all of them or
the NAMEs given. Before a test is deleted, plant the faults it catches and
see another test catch them too. Each fault takes a build and a run of the
suite, half a minute to a minute on two cores; -L runs one part's tests
alone (library, simulator, console, python, web). --check builds nothing:
it says whether each fault's text is still found once in its file, as the
suite's planted_faults.list test does."""

from __future__ import annotations

import argparse
import os
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


@dataclass
class Fault:
    name: str
    path: str
    line: int  # where the fault starts in the list
    old: list[str] = field(default_factory=list)
    new: list[str] = field(default_factory=list)


def read_faults(list_file: Path) -> list[Fault]:
    """The faults of the list: "== NAME PATH", then the text it replaces
    ("- " lines) and the text put in its place ("+ " lines; none: the text
    goes). Anything else but comments and blank lines is refused."""
    faults: list[Fault] = []
    for number, line in enumerate(list_file.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        if m := re.fullmatch(r"== (\S+) (\S+)", line):
            faults.append(Fault(m[1], m[2], number))
        elif faults and (line[:2] in ("- ", "+ ") or line in ("-", "+")):
            (faults[-1].old if line[0] == "-" else faults[-1].new).append(line[2:])
        else:
            sys.exit(f"{list_file}:{number}: not a fault's line: {line!r}; "
                     "a fault is '== NAME PATH', then '- ' and '+ ' lines")
    for f in faults:
        if not f.old:
            sys.exit(f"{list_file}:{f.line}: fault {f.name} replaces nothing: give its text in '- ' lines")
    return faults


def run(command: list[str]) -> subprocess.CompletedProcess[str]:
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, check=False)


def misplaced(fault: Fault, original: str) -> str | None:
    """Why the fault cannot be planted in the file's text, if it cannot."""
    found = original.count("\n".join(fault.old))
    return None if found == 1 else f"its text is in {fault.path} {found} times, not once: mend the list"


def plant(fault: Fault, build: str, ctest_options: list[str]) -> tuple[str, bool]:
    """What planting the fault showed, and whether a test caught it."""
    path = ROOT / fault.path
    original = path.read_text()
    old, new = "\n".join(fault.old), "\n".join(fault.new)
    if why := misplaced(fault, original):
        return why, False
    path.write_text(original.replace(old, new))
    try:
        built = run(["cmake", "--build", build])
        if built.returncode != 0:
            return f"does not build, so no test can run: mend the list\n{built.stdout[-1500:]}", False
        suite = run(["ctest", "--test-dir", build, "-j", str(os.cpu_count() or 2), "--timeout", "120",
                     *ctest_options])
        # "N - NAME (Failed)"; a parameterized test's NAME is followed by "  # GetParam() = ...".
        caught = re.findall(r"^\s*\d+ - (\S+)(?:  # [^\n]*)? \([^()\n]*\)$", suite.stdout, re.M)
        if not caught:
            return "NOT CAUGHT: no test failed", False
        return f"caught by {len(caught)}: {' '.join(caught)}", True
    finally:
        path.write_text(original)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("names", nargs="*", metavar="NAME", help="the faults to plant (default: all)")
    parser.add_argument("--build", default="build", help="a configured build folder (default: build)")
    parser.add_argument("--list", default=str(ROOT / "tests/planted-faults.txt"), help="the list of faults")
    parser.add_argument("-L", dest="label", help="run only the tests of this label")
    parser.add_argument("--check", action="store_true", help="only check that each fault's text is found once")
    arguments = parser.parse_args()
    faults = read_faults(Path(arguments.list))
    if arguments.check:
        stale = [f"{f.name} ({arguments.list}:{f.line}): {why}" for f in faults
                 if (why := misplaced(f, (ROOT / f.path).read_text() if (ROOT / f.path).is_file() else ""))]
        print("\n".join(stale) or f"each of the {len(faults)} faults' texts is found once in its file")
        return 1 if stale else 0
    if unknown := set(arguments.names) - {f.name for f in faults}:
        sys.exit(f"no fault named {', '.join(sorted(unknown))} in {arguments.list}")
    chosen = [f for f in faults if not arguments.names or f.name in arguments.names]
    if not (ROOT / arguments.build / "CTestTestfile.cmake").exists():
        sys.exit(f"{arguments.build} is no configured build folder: cmake -S . -B {arguments.build} first, "
                 "or give one with --build")
    # An interrupt ends the fault at hand through its finally, which puts
    # the source back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    missed = []
    for fault in chosen:
        start = time.monotonic()
        said, caught = plant(fault, arguments.build, ["-L", arguments.label] if arguments.label else [])
        print(f"{fault.name} ({fault.path}, {time.monotonic() - start:.0f} s): {said}", flush=True)
        if not caught:
            missed.append(fault.name)
    run(["cmake", "--build", arguments.build])  # the build of the sources as they are
    if missed:
        print(f"{len(missed)} of {len(chosen)} faults not caught or not planted: {' '.join(missed)}")
        return 1
    print(f"every one of the {len(chosen)} faults was caught")
    return 0


if __name__ == "__main__":
    sys.exit(main())
