"""VekRead against vekxsim with 8 pages following its web panel's event
stream, beside the same reads with none, repetitions interleaved; and how
long a weight set through the API takes to reach a page. Prints Markdown
table rows.

    python3 bench/web_panel.py BUILD-FOLDER
"""
import http.client
import json
import statistics
import sys
import threading
import time
import urllib.parse

from built_library import c_reads as timed_reads
from built_library import use_build

build = use_build(sys.argv[1])

from vekxapi.simulator import Simulator  # noqa: E402

READS = 5000
REPETITIONS = 7
PAGES = 8
WEIGHTS = 20


class Page(threading.Thread):
    """A page following /api/events: reads every event as it comes and
    notes when a state with a given weight arrived."""

    def __init__(self, url):
        super().__init__(daemon=True)
        where = urllib.parse.urlsplit(url)
        # Pages closed just before hold their places until the panel's next
        # write to them finds them gone (within a second).
        deadline = time.monotonic() + 5
        while True:
            self.connection = http.client.HTTPConnection(where.hostname, where.port, timeout=30)
            self.connection.request("GET", "/api/events")
            self.socket = self.connection.sock
            self.response = self.connection.getresponse()
            if self.response.status == 200:
                break
            self.connection.close()
            if time.monotonic() > deadline:
                raise RuntimeError(f"the panel refused a page: HTTP {self.response.status}")
            time.sleep(0.05)
        self.seen = {}
        self.start()

    def run(self):
        try:
            for line in self.response:
                if line.startswith(b"data: {"):
                    weight = json.loads(line[6:]).get("weight")
                    self.seen.setdefault(weight, time.perf_counter())
        except (OSError, ValueError, AttributeError):
            pass  # closed at the end

    def close(self):
        self.socket.shutdown(2)
        self.connection.close()


def c_reads(port):
    return timed_reads(build, port, READS)


def post_weight(url, weight):
    where = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(where.hostname, where.port, timeout=10)
    connection.request("POST", "/api/command", json.dumps({"command": "weight", "args": [weight]}),
                       {"Content-Type": "application/json"})
    connection.getresponse().read()
    connection.close()


with Simulator(quiet=True, web=0) as simulator:
    url = simulator.web_url
    c_reads(simulator.port)  # warm-up
    alone, followed = [], []
    for _ in range(REPETITIONS):
        alone.append(c_reads(simulator.port))
        pages = [Page(url) for _ in range(PAGES)]
        followed.append(c_reads(simulator.port))
        for page in pages:
            page.close()
    pages = [Page(url) for _ in range(PAGES)]
    delays = []
    for n in range(1, WEIGHTS + 1):
        sent = time.perf_counter()
        post_weight(url, float(n))
        while time.perf_counter() < sent + 2 and any(float(n) not in p.seen for p in pages):
            time.sleep(0.002)
        delays += [(p.seen[float(n)] - sent) * 1000 for p in pages if float(n) in p.seen]
    for page in pages:
        page.close()
ratio = statistics.median(f / a for f, a in zip(followed, alone))
print("| VekRead, µs | With 8 pages, µs | Ratio | Update reaches a page, median / worst ms |")
print("|---|---|---|---|")
print(f"| {statistics.median(alone):.1f} | {statistics.median(followed):.1f} | {ratio:.2f} | "
      f"{statistics.median(delays):.0f} / {max(delays):.0f} |")
print()
print(f"Limits: ratio 1.20, update 200 ms ({len(delays)} of {WEIGHTS * PAGES} updates seen).")
missed = []
if ratio > 1.20:
    missed.append(f"VekRead with {PAGES} pages following the panel is {ratio:.2f}x the same run without them (goal 1.20)")
if len(delays) < WEIGHTS * PAGES or max(delays) > 200:
    missed.append(f"{len(delays)} of {WEIGHTS * PAGES} updates reached a page, the slowest in {max(delays):.0f} ms "
                  "(goal: every one within 200 ms)")
for goal in missed:
    print(f"bench: goal missed: {goal}", file=sys.stderr)
sys.exit(1 if missed else 0)
