"""Opens each web page of a folder and follows its links: every page must be
well formed enough to name its title, every link inside the folder must
lead to a page there and to an anchor on it, and index.html must lead to
every page. Links out of the folder (http, https, mailto) are not followed;
any other (a path of the build machine, file:, ../) is a fault.

Usage: python3 html-links.py FOLDER; prints one line a fault, exits 1 on any.
"""

import html.parser
import pathlib
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self) -> None:
        super().__init__()
        self.ids: set[str] = set()
        self.links: list[str] = []
        self.title = ""
        self._in_title = False

    def handle_starttag(self, tag: str, attrs: list[tuple[str, str | None]]) -> None:
        for name, value in attrs:
            if name in ("id", "name") and value:
                self.ids.add(value)
            if name in ("href", "src") and value is not None:
                self.links.append(value)
        self._in_title = tag == "title"

    def handle_endtag(self, tag: str) -> None:
        self._in_title = False

    def handle_data(self, data: str) -> None:
        if self._in_title:
            self.title += data.strip()


def main() -> int:
    folder = pathlib.Path(sys.argv[1])
    pages = {}
    for path in sorted(folder.glob("*.html")):
        page = Page()
        page.feed(path.read_text(encoding="utf-8"))
        page.close()
        pages[path.name] = page
    faults = []
    if "index.html" not in pages:
        faults.append(f"{folder}: no index.html")
    for name, page in pages.items():
        if not page.title:
            faults.append(f"{name}: no <title>")
        for link in page.links:
            parts = urllib.parse.urlsplit(link)
            if parts.scheme in ("http", "https", "mailto"):
                continue
            if parts.scheme or parts.netloc or "/" in parts.path:
                faults.append(f"{name}: link {link} leaves the folder")
                continue
            target = parts.path or name
            if target not in pages:
                faults.append(f"{name}: link {link} leads to no page")
            elif parts.fragment and parts.fragment not in pages[target].ids:
                faults.append(f"{name}: link {link} leads to no anchor on {target}")
    if "index.html" in pages:
        linked = {urllib.parse.urlsplit(link).path for link in pages["index.html"].links}
        for name in pages:
            if name != "index.html" and name not in linked:
                faults.append(f"index.html: no link to {name}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
