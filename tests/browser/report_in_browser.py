#!/usr/bin/env python3
"""The HTML report as a user sees it: headless Chromium opens the report of examples/zpv-chyby.xml.

The page Chromium builds (--dump-dom) must hold the four tables of the report: the run's date, file and
version; the findings, one row of eight cells per finding, in the order and with the texts of the CSV
report of the same run; the per-code summary; and the totals. The Czech texts must come out right, which
they only do when the browser decodes the page as Windows-1250, as its META line says. A screenshot of
the page is left in the output folder (README shows a copy as docs/report.png).

    report_in_browser.py --valix PATH/valix --source SOURCE_DIR --out OUTPUT_DIR

Exit status 0 when everything holds, 1 when something does not, 77 when there is no Chromium here.
"""

import argparse
import csv
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from collections import Counter

SKIP = 77
NBSP = "\u00a0"
FINDING_HEADER = ["Řádek", "Chyba", "Zaměstnavatel", "Zaměstnanec", "Prvek", "Hodnota", "Očekáváno",
                  "Popis"]
WIDTH, HEIGHT = 1400, 1640


class Tables(html.parser.HTMLParser):
    """Collects every table of a page as rows of cells; a cell is (text, kind 'th' or 'td', bold)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.title = [], ""
        self._cell = None
        self._in_title = False

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.tables.append([])
        elif tag == "tr" and self.tables:
            self.tables[-1].append([])
        elif tag in ("td", "th") and self.tables and self.tables[-1]:
            self._cell = {"text": "", "kind": tag, "bold": False}
            self.tables[-1][-1].append(self._cell)
        elif tag == "b" and self._cell is not None:
            self._cell["bold"] = True
        elif tag == "title":
            self._in_title = True

    def handle_endtag(self, tag):
        if tag in ("td", "th", "tr", "table"):
            self._cell = None
        elif tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._cell is not None:
            self._cell["text"] += data
        elif self._in_title:
            self.title += data


def find_chromium():
    for name in (os.environ.get("VALIX_CHROMIUM"), "chromium", "chromium-browser"):
        if name and shutil.which(name):
            return shutil.which(name)
    return None


def chromium(browser, profile, *args):
    command = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--hide-scrollbars", "--user-data-dir=" + profile, *args]
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=180)
    if done.returncode != 0:
        sys.stderr.write(done.stderr.decode("utf-8", "replace"))
        raise SystemExit("Chromium ended with status %d: %s" % (done.returncode, " ".join(args)))
    return done


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, condition, message):
        if not condition:
            self.failures += 1
            print("FAILED:", message)
        return condition


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--valix", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()

    browser = find_chromium()
    if browser is None:
        print("no Chromium here (Debian: apt-get install chromium); skipped")
        return SKIP

    out = os.path.abspath(options.out)
    os.makedirs(out, exist_ok=True)
    shutil.copy(os.path.join(options.source, "examples", "zpv-chyby.xml"), os.path.join(out, "zpv-chyby.xml"))
    env = dict(os.environ, SOURCE_DATE_EPOCH="1246370709", TZ="UTC")  # 30/06/2009 14:05:09
    for report in ("zpv-chyby.htm", "zpv-chyby.csv"):
        subprocess.run([os.path.abspath(options.valix), "zpv-chyby.xml", report], cwd=out, env=env,
                       stdout=subprocess.DEVNULL, check=True, timeout=60)
    with open(os.path.join(out, "zpv-chyby.csv"), encoding="cp1250", newline="") as f:
        lines = list(csv.reader(f, delimiter=";"))
    # The CSV report: the column names, one line per finding, then the totals after an empty line.
    findings = lines[1:lines.index([])]

    page = "file://" + os.path.join(out, "zpv-chyby.htm")
    shot = os.path.join(out, "report.png")
    with tempfile.TemporaryDirectory(prefix="valix-chromium-") as profile:
        dom = chromium(browser, profile, "--dump-dom", page).stdout.decode("utf-8")
    with open(os.path.join(out, "zpv-chyby.dom.html"), "w", encoding="utf-8") as f:
        f.write(dom)
    if os.path.exists(shot):
        os.remove(shot)
    with tempfile.TemporaryDirectory(prefix="valix-chromium-") as profile:
        chromium(browser, profile, "--screenshot=" + shot, "--window-size=%d,%d" % (WIDTH, HEIGHT), page)

    page_tables = Tables()
    page_tables.feed(dom)
    tables = page_tables.tables
    check = Checks()
    check.expect(page_tables.title == "ZPV - vysledky kontroly dat", "page title %r" % page_tables.title)
    if not check.expect(len(tables) == 4,
                        "four tables (run, findings, summary, totals), found %d" % len(tables)):
        return 1
    run, found, summary, totals = tables

    def texts(row):
        return [c["text"].strip(" \r\n" + NBSP) for c in row]

    check.expect(len(run) == 1 and texts(run[0]) == ["Datum a čas:", "30/06/2009  14:05:09", "Soubor:",
                                                     "zpv-chyby.xml", "VALIX_v0.96"],
                 "run table %r" % [texts(r) for r in run])

    check.expect(texts(found[0]) == FINDING_HEADER, "findings header %r" % texts(found[0]))
    check.expect(len(found) - 1 == len(findings) and len(findings) > 0,
                 "%d finding rows on the page, %d in the CSV report" % (len(found) - 1, len(findings)))
    for number, (row, expected) in enumerate(zip(found[1:], findings), start=1):
        cells = [c["text"] for c in row]
        if not check.expect(len(row) == 8 and all(c["kind"] == "td" for c in row),
                            "finding %d has %d cells %r" % (number, len(row), cells)):
            continue
        # Every cell is a no-break space and then the text as the CSV report has it, blanks included.
        check.expect(cells == [NBSP + e for e in expected],
                     "finding %d: %r, CSV %r" % (number, cells, expected))
        check.expect(row[1]["bold"] == expected[1].startswith("E"),
                     "finding %d: code %s bold only for weight E" % (number, expected[1]))
    descriptions = [texts(r)[7] for r in found[1:] if len(r) == 8]
    check.expect("Chybná hodnota nebo délka" in descriptions,
                 "a row described as 'Chybná hodnota nebo délka'")

    # The summary: one row per code found, in ascending order of the code, with its count and message.
    counts = Counter(f[1] for f in findings)
    message = {f[1]: f[7] for f in findings}
    check.expect(texts(summary[0]) == ["Chyba", "Počet", "Popis chyby"],
                 "summary header %r" % texts(summary[0]))
    listed = [texts(r) for r in summary[1:]]
    check.expect(listed == [[code, str(counts[code]), message[code]] for code in sorted(counts)],
                 "summary rows %r" % listed)

    weight = Counter(f[1][0] for f in findings)
    check.expect([texts(r) for r in totals] == [["Celkem chyb", "Počet"], ["Váha E", str(weight["E"])],
                                                 ["Váha W", str(weight["W"])]],
                 "totals %r" % [texts(r) for r in totals])

    check.expect(png_size(shot) == (WIDTH, HEIGHT),
                 "screenshot %s of %dx%d: %r" % (shot, WIDTH, HEIGHT, png_size(shot)))
    print("%d findings, %d codes in the summary; screenshot %s" % (len(findings), len(counts), shot))
    print("%d failed" % check.failures if check.failures else "all checks passed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
