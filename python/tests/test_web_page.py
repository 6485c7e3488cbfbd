"""The web panel in a real browser: headless Chromium through Selenium,
finding controls by their accessible names as a screen reader does."""

from __future__ import annotations

import os
import shutil
import subprocess
import time
from collections.abc import Iterator
from pathlib import Path

import pytest

from vekxapi.simulator import LOCAL_PORT_VARIABLE, Simulator, free_local_port
from vekxapi.terminal import TERMINAL_PORT_VARIABLE, Terminal

webdriver = pytest.importorskip("selenium.webdriver", reason="install python3-selenium (scripts/install-deps.sh)")
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

pytestmark = pytest.mark.vekxsim(web=0, delay=0)
#: Everything the page shows arrives within this.
SHOWN_SECONDS = 5.0
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1400,1500"]


@pytest.fixture
def browser(tmp_path: Path) -> Iterator[webdriver.Chrome]:
    driver_path = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    if not os.path.exists(driver_path):
        pytest.fail("no chromedriver: install chromium and chromium-driver (scripts/install-deps.sh)")
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS + [f"--user-data-dir={tmp_path / 'profile'}"]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": str(tmp_path / "downloads")})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    # The sanitizer build preloads its runtimes into Python; the browser is
    # not ours to check, and does not start with them.
    clean = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")}
    driver = webdriver.Chrome(service=Service(executable_path=driver_path, env=clean), options=options)
    try:
        yield driver
    finally:
        driver.quit()


def named(browser: webdriver.Chrome, name: str) -> object:
    """The element whose accessible name is name."""
    return browser.find_element(By.XPATH, f"//*[@aria-label='{name}' or @id=(//label[normalize-space()='{name}']/@for)"
                                          f" or (self::button and normalize-space()='{name}')]"
                                          f" | //label[normalize-space()='{name}']/input")


def shows(browser: webdriver.Chrome, name: str, text: str) -> None:
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: text in named(b, name).text,
                                                f"{name} does not show {text!r}")


def test_the_page_follows_and_drives_the_terminal(vekxsim: Simulator, terminal: Terminal, browser: webdriver.Chrome,
                                                  tmp_path: Path) -> None:
    assert vekxsim.web_url
    browser.get(vekxsim.web_url)
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: b.find_element(By.ID, "link").text == "live")

    # A weight set through the API reaches the face.
    vekxsim.weight(12.5)
    shows(browser, "Weight shown", "12.50")

    # "In 1" switched on the page is read back through the library.
    named(browser, "In 1").click()
    deadline = time.monotonic() + SHOWN_SECONDS
    while vekxsim.command("inputs")["inputs"][0] is not True and time.monotonic() < deadline:
        time.sleep(0.05)
    assert terminal.read("/t1/p_100") == b"\x01"

    # A key pressed with a literal reaches the terminal's literal fields.
    named(browser, "Literal").send_keys("4711")
    named(browser, "Enter Key").click()
    shows(browser, "Literal field", "4711")
    assert vekxsim.get("Lit50").rstrip(b"\0") == b"4711"
    assert vekxsim.get("bx252") == b"\x08"

    # A display request of the console appears on the face.
    terminal.display(vekxsim.node, "HELLO PANEL")
    shows(browser, "Display text", "HELLO PANEL")

    # Trace rows arrive.
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: len(b.find_elements(By.CSS_SELECTOR, "#trace-rows tr")) > 3)

    build = Path(os.environ.get("VEKX_BUILD_DIR", tmp_path))
    browser.save_screenshot(str(build / "web-panel.png"))

    # The capture downloads and replays.
    named(browser, "Download capture").click()
    capture = tmp_path / "downloads" / "vekxsim.pcap"
    deadline = time.monotonic() + SHOWN_SECONDS
    while not capture.exists() and time.monotonic() < deadline:
        time.sleep(0.05)
    summary = subprocess.run([os.environ["VEKXSIM"], "--replay", str(capture), "--summary"], capture_output=True,
                             text=True, timeout=10)
    assert summary.returncode == 0, summary.stderr
    assert "p_100" in summary.stdout or "bx298" in summary.stdout, summary.stdout

    errors = [entry for entry in browser.get_log("browser") if entry["level"] == "SEVERE"]
    assert errors == []


def test_a_replays_page_shows_it_read_only(browser: webdriver.Chrome, tmp_path: Path,
                                           monkeypatch: pytest.MonkeyPatch) -> None:
    """A replay's page with live controls would offer changes the replay
    refuses; one without its values would show nothing of the capture."""
    log = tmp_path / "bench.log"
    monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))
    with Simulator(log=str(log), weight=33) as bench:
        monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(bench.port))
        with Terminal(bench.address) as t:
            t.read_text("/t1/wt101")
    with Simulator.replay(log, web=0) as replay:
        assert replay.web_url
        browser.get(replay.web_url)
        WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: b.find_element(By.ID, "read-only").is_displayed())
        shows(browser, "Weight shown", "33.00")
        assert not named(browser, "In 1").is_enabled() and not named(browser, "Enter Key").is_enabled()
        assert named(browser, "Download capture").is_enabled()
        errors = [entry for entry in browser.get_log("browser") if entry["level"] == "SEVERE"]
        assert errors == []


def test_a_token_panel_opens_and_works_once_the_token_is_typed(browser: webdriver.Chrome, tmp_path: Path) -> None:
    """The page and its files once needed the token themselves: a browser got
    401 JSON and never saw the form that asks for it."""
    token = tmp_path / "token"
    token.write_text("s3cret-token\n")
    with Simulator(web="127.0.0.1:0", web_token=str(token), delay=0) as simulator:
        assert simulator.web_url
        browser.get(simulator.web_url)
        named(browser, "Token").send_keys("s3cret-token\n")
        WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: b.find_element(By.ID, "link").text == "live")
        simulator.weight(12.5)
        shows(browser, "Weight shown", "12.50")
