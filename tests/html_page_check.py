#!/usr/bin/env python3
"""Checks the HTML pages of --html, as markup and as a browser shows them.

    html_page_check.py markup|browser RULEVAL EXAMPLES_DIR ESCAPING_DIR

Runs RULEVAL with --html and --json on the weather, iris and soybean
examples and on the data set of ESCAPING_DIR (names holding markup, quotes,
ampersands and bytes that are no UTF-8) in a scratch directory.

markup: every page is well-formed HTML5 (doctype, lang, UTF-8, every
element closed in order, ids unique, no script) and the escaping page shows
the names as text, bytes that are no UTF-8 as U+FFFD.

browser: headless Chromium loads every page and dumps its DOM; the matrix
must hold the JSON's counts in the right cells and the header its accuracy,
and loading must log no console message. A page that breaks the page's
content security policy is loaded too, to prove such messages are seen.
Exits 77 (skipped) when chromium cannot be found, unless
RULEVAL_REQUIRE_BROWSER=1 (as CI sets it) makes that a failure.
"""

import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
EXAMPLES = ("weather", "iris", "soybean")
VOID = {"meta", "link", "br", "hr", "img", "input", "wbr", "col", "source"}
SVG_EMPTY = {"rect"}
BAD_POLICY_PAGE = ('<!DOCTYPE html><html lang="en"><head><meta charset="utf-8">'
                   '<meta http-equiv="Content-Security-Policy" content="default-src \'none\'">'
                   '<title>x</title></head><body><script>1</script></body></html>')


class Page(html.parser.HTMLParser):
    """The elements of a page, with what is wrong with its markup."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.problems, self.stack, self.ids = [], [], set()
        self.doctype, self.elements, self.text_of = None, [], {}
        self.feed(text)
        self.close()
        if self.stack:
            self.problems.append(f"unclosed: {self.stack}")

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if "id" in attributes:
            if attributes["id"] in self.ids:
                self.problems.append(f"id {attributes['id']} twice")
            self.ids.add(attributes["id"])
        element = {"tag": tag, "attrs": attributes, "text": ""}
        self.elements.append(element)
        if tag not in VOID:
            self.stack.append((tag, element))

    def handle_startendtag(self, tag, attrs):
        if tag not in VOID and tag not in SVG_EMPTY:
            self.problems.append(f"<{tag}/> is no void element")
        self.elements.append({"tag": tag, "attrs": dict(attrs), "text": ""})

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1][0] != tag:
            self.problems.append(f"</{tag}> closes {self.stack[-1:] or 'nothing'}")
            return
        self.stack.pop()

    def handle_data(self, data):
        for _, element in self.stack:
            element["text"] += data

    def find(self, tag=None, **attributes):
        return [e for e in self.elements if (tag is None or e["tag"] == tag)
                and all(e["attrs"].get(k.replace("_", "-")) == v for k, v in attributes.items())]


def make_pages(binary, examples, escaping, scratch):
    """Pages and JSON documents by data set name."""
    sources = {name: os.path.join(examples, name) for name in EXAMPLES}
    sources["esc"] = escaping
    results = {}
    for name, source in sources.items():
        for extension in ("fmc", "tst", "intr"):
            shutil.copy(os.path.join(source, f"{name}.{extension}"), scratch)
        subprocess.run([binary, name, "--quiet", "--html", f"{name}.html", "--json", f"{name}.json"],
                       cwd=scratch, check=True, env=dict(os.environ, SOURCE_DATE_EPOCH="0"))
        with open(os.path.join(scratch, f"{name}.json"), encoding="utf-8") as f:
            results[name] = (os.path.join(scratch, f"{name}.html"), json.load(f))
    return results


def check_markup(path, failures):
    with open(path, "rb") as f:
        page = Page(f.read().decode("utf-8"))  # raises on bytes that are no UTF-8
    failures += [f"{path}: {p}" for p in page.problems]
    if page.doctype != "DOCTYPE html" or not page.find("html", lang="en") \
            or not page.find("meta", charset="utf-8") or page.find("script"):
        failures.append(f"{path}: doctype, lang, charset or a script")
    return page


def check_escaping(page, failures):
    rows = [e["text"] for e in page.find("th", scope="row") if "data-actual" in e["attrs"]]
    conditions = " ".join(e["text"] for e in page.find("td", **{"class": "cond"}))
    expected = ['<script>alert(1)</script>="q" or it\'s', "humidité<=75", "vent\ufffd\ufffd!=<i>T</i>"]
    if rows != ["<b>yes</b>", "no&amp;"] or not all(text in conditions for text in expected):
        failures.append(f"escaping page: rows {rows}, conditions {conditions!r}")
    if page.find("b") or page.find("i"):
        failures.append("escaping page: a name became markup")


def browse(chromium, path, scratch, index):
    """Starts Chromium on path: its process, dumping the DOM and logging."""
    return subprocess.Popen(
        [chromium, "--headless", "--disable-gpu", "--no-sandbox", "--enable-logging=stderr",
         "--v=0", f"--user-data-dir={scratch}/profile-{index}", "--dump-dom", "file://" + path],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def check_rendered(name, dom, document, failures):
    page = Page(dom)
    rows = document["confusion_matrix"]["rows"]
    for i, row in enumerate(rows):
        for j, count in enumerate(row):
            cells = page.find("td", data_actual=str(i), data_given=str(j))
            if len(cells) != 1 or cells[0]["text"] != str(count):
                failures.append(f"{name}: cell {i},{j}: {cells}, expected {count}")
    accuracy = document["cases"]["accuracy"]
    shown = page.find(id="accuracy")
    if not shown or float(shown[0]["attrs"]["data-value"]) != accuracy \
            or shown[0]["text"] != f"{accuracy * 100:.2f}%":
        failures.append(f"{name}: accuracy {shown}, expected {accuracy}")


def check_browser(pages, scratch, failures):
    chromium = shutil.which("chromium")
    if chromium is None:
        print("chromium not found: the browser test is skipped")
        return 1 if os.environ.get("RULEVAL_REQUIRE_BROWSER") == "1" else SKIPPED
    control = os.path.join(scratch, "control.html")
    with open(control, "w", encoding="utf-8") as f:
        f.write(BAD_POLICY_PAGE)
    runs = {name: browse(chromium, path, scratch, k) for k, (name, (path, _)) in enumerate(pages.items())}
    runs["control"] = browse(chromium, control, scratch, len(runs))
    for name, process in runs.items():
        dom, log = process.communicate(timeout=60)
        console = [line for line in log.splitlines() if ":CONSOLE" in line]
        if (name == "control") != bool(console):
            failures.append(f"{name}: console messages {console}")
        if name != "control":
            check_rendered(name, dom, pages[name][1], failures)
    return 0


def main():
    mode, binary, examples, escaping = sys.argv[1:5]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        pages = make_pages(binary, examples, escaping, scratch)
        if mode == "markup":
            for name, (path, _) in pages.items():
                page = check_markup(path, failures)
                if name == "esc":
                    check_escaping(page, failures)
            status = 0
        else:
            status = check_browser(pages, scratch, failures)
    for failure in failures:
        print(failure)
    if failures:
        return 1
    print(f"{mode}: {len(pages)} pages checked" if status == 0 else "")
    return status


if __name__ == "__main__":
    sys.exit(main())
