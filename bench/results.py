"""Turns a Google Benchmark JSON file into the results table (RESULTS.md) on
standard output; exits with status 1, naming them on standard error, when
figures miss their goals."""
import datetime
import json
import os
import platform
import subprocess
import sys

# The library's time against the raw-UDP floor, and Python's against C's.
LIBRARY_RATIO_GOAL = 1.30
PYTHON_RATIO_GOAL = 1.20


def medians(path):
    with open(path) as f:
        data = json.load(f)
    found = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            found[b["run_name"]] = b
    return data["context"], found


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def us(b):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b["time_unit"]]
    return b["real_time"] * scale


def main():
    context, m = medians(sys.argv[1])
    console_cpu = sys.argv[2] if len(sys.argv) > 2 else ""
    python_read = sys.argv[3] if len(sys.argv) > 3 else ""
    rows = []
    worst = 0.0
    for name, floor in [("VekRead1/real_time", "Floor_Read1/real_time"),
                        ("VekWriteN/1/real_time", "Floor_Write/1/real_time"),
                        ("VekWriteN/40/real_time", "Floor_Write/40/real_time")]:
        if name in m and floor in m:
            ratio = us(m[name]) / us(m[floor])
            worst = max(worst, ratio)
            rows.append(f"| {name.split('/real_time')[0]} | {us(m[name]):.1f} | {us(m[floor]):.1f} | {ratio:.2f} |")
    print("# Benchmark results\n")
    print(f"Measured {datetime.date.today().isoformat()} on {cpu_model()}, "
          f"{context.get('num_cpus', os.cpu_count())} cores, {platform.system()} {platform.release()}, "
          f"with `bench/run.sh` (release build, median of 5 repetitions run interleaved, all on loopback).\n")
    print("## The library against the raw-UDP floor\n")
    print("The floor is a blocking send/recv of the same request bytes over a connected")
    print("socket against the same simulated terminal in the same run. Absolute loopback")
    print("times move between runs (an idle machine adds the wake-up of the sleeping")
    print("peer to every round trip); the ratio within one run is the figure that counts.\n")
    print("| Operation | Library, µs | Floor, µs | Ratio |")
    print("|---|---|---|---|")
    print("\n".join(rows))
    print(f"\nWorst ratio: {worst:.2f} (limit {LIBRARY_RATIO_GOAL:.2f}).\n")
    missed = []
    if not rows:
        missed.append("the library's figures are missing from the benchmark's output")
    elif worst > LIBRARY_RATIO_GOAL:
        missed.append(f"the library's worst ratio to the floor is {worst:.2f}, above {LIBRARY_RATIO_GOAL:.2f}")
    tick = m.get("PollTick16Reads/real_time")
    if tick:
        floor = m.get("Floor_Read1/real_time")
        line = f"One poll tick's 16 reads: {us(tick):.0f} µs per tick"
        if floor:
            line += f" (16 x floor = {16 * us(floor):.0f} µs)"
        print("## Poll tick\n\n" + line + ".\n")
    print("## Simulator throughput\n")
    print("| Clients | Requests per second |")
    print("|---|---|")
    for name, label in [("SimulatorRequests/real_time/threads:1", "1"),
                        ("SimulatorRequests/real_time/threads:16", "16")]:
        if name in m:
            print(f"| {label} | {m[name].get('items_per_second', 0):,.0f} |")
    if python_read:
        print("\n## Python against C\n")
        print("The same one-byte read of the same field of one simulated terminal, from Python")
        print("through `vekxapi.Terminal.read` and from C through `VekRead`, repetitions")
        print(f"interleaved; the ratio is the median of the repetitions' ratios (goal: at most "
              f"{PYTHON_RATIO_GOAL:.2f}).\n")
        print("| Operation | Python, µs | C, µs | Ratio |")
        print("|---|---|---|---|")
        print(python_read)
        python_ratio = float(python_read.strip().strip("|").split("|")[-1])
        if python_ratio > PYTHON_RATIO_GOAL:
            missed.append(f"Python's ratio to C is {python_ratio:.2f}, above {PYTHON_RATIO_GOAL:.2f}")
    if console_cpu:
        print("\n## Console CPU use\n")
        print(console_cpu)
    for goal in missed:
        print(f"bench: goal missed: {goal}", file=sys.stderr)
    return 1 if missed else 0


sys.exit(main())
