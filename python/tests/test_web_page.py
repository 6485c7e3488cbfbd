"""The web panel in a real browser: headless Chromium through Selenium,
finding controls by their accessible names as a screen reader does."""

from __future__ import annotations

import os
import shutil
import subprocess
from collections.abc import Iterator
from typing import TYPE_CHECKING, Any
from pathlib import Path

import pytest

from vekxapi.errors import NoAnswer
from vekxapi.simulator import LOCAL_PORT_VARIABLE, Simulator, free_local_port
from vekxapi.terminal import TERMINAL_PORT_VARIABLE, Terminal

webdriver = pytest.importorskip("selenium.webdriver", reason="install python3-selenium (scripts/install-deps.sh)")
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.wait import WebDriverWait  # noqa: E402

if TYPE_CHECKING:
    from selenium.webdriver import Chrome
    from selenium.webdriver.remote.webelement import WebElement

pytestmark = pytest.mark.vekxsim(web=0, delay=0)
#: Everything the page shows arrives within this.
SHOWN_SECONDS = 5.0
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1400,1500"]


@pytest.fixture(scope="module")
def downloads(tmp_path_factory: pytest.TempPathFactory) -> Path:
    return tmp_path_factory.mktemp("downloads")


@pytest.fixture(scope="module")
def chromium(tmp_path_factory: pytest.TempPathFactory, downloads: Path) -> Iterator[Chrome]:
    """One browser for the tests of this file: starting one takes seconds."""
    driver_path = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    if not os.path.exists(driver_path):
        pytest.fail("no chromedriver: install chromium and chromium-driver (scripts/install-deps.sh)")
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS + [f"--user-data-dir={tmp_path_factory.mktemp('profile')}"]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads)})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    # The sanitizer build preloads its runtimes into Python; the browser is
    # not ours to check, and does not start with them.
    clean = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")}
    driver = webdriver.Chrome(service=Service(executable_path=driver_path, env=clean), options=options)
    try:
        yield driver
    finally:
        driver.quit()


@pytest.fixture
def browser(chromium: Chrome) -> Chrome:
    """The browser on a blank page, with the messages of earlier tests gone."""
    chromium.get("about:blank")
    page_errors(chromium)
    return chromium


@pytest.fixture(scope="session")
def axe_source() -> str:
    """axe-core from the npm registry, fetched once into the build directory."""
    where = Path(os.environ.get("VEKX_BUILD_DIR", "/tmp")) / "axe-core"
    if not (where / "node_modules/axe-core/axe.min.js").exists():
        subprocess.run([shutil.which("npm") or "npm (scripts/install-deps.sh)", "install", "--prefix", str(where),
                        "--no-save", "axe-core@4"], check=True, capture_output=True, timeout=50)
    return (where / "node_modules/axe-core/axe.min.js").read_text()


def serious_violations(browser: Chrome, axe_source: str) -> list[str]:
    browser.execute_script(axe_source)  # type: ignore[no-untyped-call]  # selenium's own
    found: list[str] = browser.execute_async_script(
        "axe.run(document).then((r) => arguments[0](r.violations.filter((v) => /serious|critical/.test(v.impact))"
        ".map((v) => v.id)))")
    return found


def named(browser: Chrome, name: str) -> WebElement:
    """The element whose accessible name is name."""
    return browser.find_element(By.XPATH, f"//*[@aria-label='{name}' or @id=(//label[normalize-space()='{name}']/@for)"
                                          f" or (self::button and normalize-space()='{name}')]"
                                          f" | //label[normalize-space()='{name}']/input")


def page_errors(browser: Chrome) -> list[dict[str, Any]]:
    """What the page logged as errors in the browser's console."""
    log: list[dict[str, Any]] = browser.get_log("browser")  # type: ignore[no-untyped-call]  # selenium's own
    return [entry for entry in log if entry["level"] == "SEVERE"]


def shows(browser: Chrome, name: str, text: str) -> None:
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: text in named(b, name).text,
                                                f"{name} does not show {text!r}")


def test_the_page_follows_and_drives_the_terminal(vekxsim: Simulator, terminal: Terminal, browser: Chrome,
                                                  tmp_path: Path, downloads: Path, axe_source: str) -> None:
    assert vekxsim.web_url
    browser.get(vekxsim.web_url)
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: b.find_element(By.ID, "link").text == "live")

    # A weight set through the API reaches the face.
    vekxsim.weight(12.5)
    shows(browser, "Weight shown", "12.50")

    # "In 1" switched on the page is read back through the library.
    named(browser, "In 1").click()
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: vekxsim.command("inputs")["inputs"][0] is True)
    assert terminal.read("/t1/p_100") == b"\x01"

    # A key pressed with a literal reaches the terminal's literal fields.
    named(browser, "Literal").send_keys("4711")
    named(browser, "Enter Key").click()
    shows(browser, "Literal field", "4711")
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
    capture = downloads / "vekxsim.pcap"
    WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: capture.exists())

    assert page_errors(browser) == []
    assert serious_violations(browser, axe_source) == []


def test_the_controls_follow_the_state_and_pause_keeps_its_rows(vekxsim: Simulator, terminal: Terminal,
                                                                 browser: Chrome) -> None:
    """Faults: a focused switch stayed ticked, the slider stepped from 0, Silent field was lost on a second page,
    the filter lost the rows paused on, a late reply delay looked fine, a dropped stream kept its controls."""
    assert vekxsim.web_url
    browser.get(vekxsim.web_url)
    wait = WebDriverWait(browser, SHOWN_SECONDS)
    # "live" once said before the first state had brought the switches.
    wait.until(lambda b: b.find_element(By.ID, "link").text == "live")
    assert named(browser, "In 2").is_enabled()
    named(browser, "In 2").click()
    wait.until(lambda b: vekxsim.command("inputs")["inputs"][1] is True)
    vekxsim.input(2, False)
    wait.until(lambda b: not named(b, "In 2").is_selected())
    vekxsim.command("settle", 0)
    vekxsim.weight(18250.5)
    wait.until(lambda b: named(b, "Weight slider").get_attribute("value") == "18250")
    named(browser, "Weight slider").send_keys(Keys.ARROW_RIGHT)
    wait.until(lambda b: vekxsim.command("status")["weight"] == 18260)
    for field in ("/t1/wt101", "/t1/wt101", "/t1/bx298"):
        terminal.read(field)
    wait.until(lambda b: len(b.find_elements(By.CSS_SELECTOR, "#trace-rows tr")) >= 6)
    named(browser, "Pause").click()
    paused = browser.find_element(By.ID, "trace-rows").text
    terminal.read("/t1/wt101")
    for typed, shown in (("WT101", "wt101"), (Keys.BACKSPACE * 5 + "18260", "18260"), (Keys.BACKSPACE * 5, "")):
        named(browser, "Filter (field or value)").send_keys(typed)
        rows = browser.find_element(By.ID, "trace-rows").text.splitlines()
        assert rows and all(shown in row.lower() and row in paused for row in rows), (typed, rows)
    assert browser.find_element(By.ID, "trace-rows").text == paused
    vekxsim.command("fieldsilent", "bx297", True)
    browser.refresh()
    wait.until(lambda b: named(b, "Silent field").is_selected())
    vekxsim.command("replydelay", 600)
    shows(browser, "Reply delay note", "the library will not wait this long")
    vekxsim.stop()
    wait.until(lambda b: "stale" in b.find_element(By.ID, "link").text)
    assert not named(browser, "In 1").is_enabled() and named(browser, "Pause").is_enabled()


def test_a_replays_page_shows_it_read_only(browser: Chrome, tmp_path: Path,
                                           monkeypatch: pytest.MonkeyPatch, axe_source: str) -> None:
    """A replay's page with live controls would offer changes the replay refuses; a replayed silence
    (fieldsilent) served "lower_display":, and ended vekxsim with SIGSEGV while a page followed."""
    log = tmp_path / "bench.log"
    monkeypatch.setenv(LOCAL_PORT_VARIABLE, str(free_local_port()))
    with Simulator(log=str(log), weight=33) as bench:
        monkeypatch.setenv(TERMINAL_PORT_VARIABLE, str(bench.port))
        with Terminal(bench.address) as t:
            t.read_text("/t1/wt101"), t.read_text("/t1/bd001"), bench.command("fieldsilent", "bd001", True)
            pytest.raises(NoAnswer, t.read_text, "/t1/bd001")
    with Simulator.replay(log, web=0, speed=100, loop=True) as replay:
        assert replay.web_url
        browser.get(replay.web_url)
        WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: "no answer" in named(b, "VekX Lower Display").text)
        shows(browser, "Weight shown", "33.00")
        assert not named(browser, "In 1").is_enabled() and not named(browser, "Enter Key").is_enabled()
        assert named(browser, "Download capture").is_enabled()
        shows(browser, "KTRV Display Line 3", "not in the capture")
        assert serious_violations(browser, axe_source) == []
        assert replay.process.poll() is None
        assert page_errors(browser) == []


def test_a_token_panel_opens_and_works_once_the_token_is_typed(browser: Chrome, tmp_path: Path) -> None:
    """The page and its files once needed the token themselves: a browser got
    401 JSON and never saw the form that asks for it."""
    token = tmp_path / "token"
    token.write_text("s3cret-token\n")
    with Simulator(web="127.0.0.1:0", web_token=str(token), delay=0) as simulator:
        assert simulator.web_url
        browser.get(simulator.web_url)
        named(browser, "Token").send_keys("s3cret-token\n")
        WebDriverWait(browser, SHOWN_SECONDS).until(lambda b: b.find_element(By.ID, "link").text == "live")
