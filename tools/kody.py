#!/usr/bin/env python3
"""The reference page of the finding codes, made from the table of explanations.

    tools/kody.py --md docs/kody.md          the page in Markdown (committed; a test keeps it up to date)
    tools/kody.py --html kody.html           the same page as one standalone UTF-8 HTML file
    tools/kody.py --json kody.json           {"EL021": {"nazev": "...", "html": "..."}} for the browser page
    tools/kody.py --check-md docs/kody.md    status 1 when the file is not what --md would write

It reads docs/vysvetleni.txt (the entries), docs/vysvetleni-pole.txt (the fields' meanings) and the
catalogue's messages from report/catalogue.cpp, all from the source tree this script stands in.
Python 3 with its standard library only.
"""

import argparse
import html
import json
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

KEYS = ("nazev", "kontroluje", "meze", "konstanty", "hlaseni", "pricina", "naprava", "priklad",
        "chyba", "opraveno", "nevyvolava")

# The parts of an entry that the page shows, in order, with their headings.
SHOWN = (("kontroluje", "Co pravidlo kontroluje"), ("meze", "Meze a číselníky"),
         ("hlaseni", "Kde se nález hlásí"), ("pricina", "Obvyklá příčina"), ("naprava", "Co změnit"))

# The sections of the page: a code belongs to the first whose test it passes.
SECTIONS = (
    ("struktura", "Stavba dokumentu (ES300 až ES309)", lambda c, e: c.startswith("ES3")),
    ("pole", "Jednotlivá pole (ES, WS)", lambda c, e: c[1] == "S"),
    ("el", "Logická pravidla – chyby (EL)", lambda c, e: c.startswith("EL")),
    ("wl", "Logická pravidla – varování (WL)", lambda c, e: c.startswith("WL")),
    ("r", "Registry a seznamy (ER, WR)", lambda c, e: c[1] == "R"),
)
UNRAISED = ("nehlasene", "Kódy katalogu, které žádné pravidlo nehlásí")


def parse_table(text):
    """Entries of docs/vysvetleni.txt: a list of (code, [(key, value)]) in table order."""
    entries = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.rstrip("\r")
        if not line or line.startswith("#"):
            continue
        if line.startswith("=="):
            code = line[2:].strip().split(" ")[0]
            entries.append((code, []))
            continue
        if line[0] in " \t":
            if line.strip() and entries and entries[-1][1]:
                key, value = entries[-1][1][-1]
                entries[-1][1][-1] = (key, value + "\n" + line.strip())
            continue
        m = re.match(r"([a-z_]+):(.*)$", line)
        if not m or m.group(1) not in KEYS or not entries:
            sys.exit(f"docs/vysvetleni.txt:{number}: cannot read this line: {line}")
        entries[-1][1].append((m.group(1), m.group(2).strip()))
    return entries


def parse_meanings(text):
    """Field -> meaning, from docs/vysvetleni-pole.txt."""
    out = {}
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        cols = [c.strip() for c in line.split("|")]
        out[cols[0]] = cols[1]
    return out


def parse_catalogue(text):
    """Code -> (message, expected text) of the first catalogue row of each code."""
    out = {}
    for m in re.finditer(r'\{"([EW][SLR][0-9A-Z]{3})",\s*"((?:[^"\\]|\\.)*)",\s*"((?:[^"\\]|\\.)*)"\}', text):
        unescape = lambda s: s.replace('\\"', '"').replace("\\\\", "\\")
        out.setdefault(m.group(1), (unescape(m.group(2)), unescape(m.group(3))))
    return out


def one_line(value):
    return " ".join(value.split())


def section_of(code, fields):
    if any(k == "nevyvolava" for k, _ in fields):
        return UNRAISED[0]
    for key, _, test in SECTIONS:
        if test(code, fields):
            return key
    return SECTIONS[-1][0]


class Page:
    def __init__(self):
        self.entries = parse_table((ROOT / "docs" / "vysvetleni.txt").read_text(encoding="utf-8"))
        self.meanings = parse_meanings((ROOT / "docs" / "vysvetleni-pole.txt").read_text(encoding="utf-8"))
        self.catalogue = parse_catalogue((ROOT / "report" / "catalogue.cpp").read_text(encoding="utf-8"))
        self.sections = [(k, t) for k, t, _ in SECTIONS] + [UNRAISED]
        by_section = {k: [] for k, _ in self.sections}
        for code, fields in self.entries:
            by_section[section_of(code, fields)].append((code, fields))
        for k in by_section:
            by_section[k].sort(key=lambda e: e[0])
        self.by_section = by_section

    def title(self, code, fields):
        return dict(fields).get("nazev", "")

    # ---- Markdown ----
    def markdown(self):
        out = ["# Kódy nálezů VALIX", "",
               "Každý nález ve výsledku kontroly nese kód: první písmeno je váha (E chyba, W varování), druhé",
               "třída (S jedno pole nebo stavba dokumentu, L logické pravidlo, R registr nebo seznam mimo",
               "dokument). Ke každému kódu tu je, co pravidlo kontroluje, s jakými mezemi, kde se nález hlásí,",
               "obvyklá příčina v mzdových datech a co změnit, a příklad: úprava dokumentu `examples/zpv.xml`,",
               "po níž program kód ohlásí, a oprava, po níž jej neohlásí. Testy programu každý příklad ověřují.",
               "",
               "Stránka je vytvořena z `docs/vysvetleni.txt` programem `tools/kody.py`; neupravujte ji ručně.",
               "", "## Obsah", ""]
        for key, title in self.sections:
            if self.by_section[key]:
                out.append(f"- [{title}](#{key}) ({len(self.by_section[key])})")
        out.append("- [Pole výkazu](#pole-vykazu)")
        out.append("")
        for key, title in self.sections:
            entries = self.by_section[key]
            if not entries:
                continue
            out += [f'<a id="{key}"></a>', "", f"## {title}", ""]
            if key == UNRAISED[0]:
                out += ["| Kód | Text katalogu | Proč se nehlásí |", "|---|---|---|"]
                for code, fields in entries:
                    f = dict(fields)
                    msg = self.catalogue.get(code, ("", ""))[0]
                    out.append(f"| {code} | {md_cell(msg)} | {md_cell(one_line(f.get('nevyvolava', '')))} |")
                out.append("")
                continue
            out.append(" · ".join(f"[{code}](#{code.lower()})" for code, _ in entries))
            out.append("")
            for code, fields in entries:
                out += self.md_entry(code, fields)
        out += ['<a id="pole-vykazu"></a>', "", "## Pole výkazu", "", "| Pole | Význam |", "|---|---|"]
        for elem, meaning in self.meanings.items():
            out.append(f"| {elem} | {md_cell(meaning)} |")
        out.append("")
        return "\n".join(out)

    def md_entry(self, code, fields):
        f = dict(fields)
        msg, expected = self.catalogue.get(code, ("", ""))
        out = [f'<a id="{code.lower()}"></a>', "", f"### {code} – {f.get('nazev', '')}", ""]
        if msg:
            out.append(f"Text ve výsledku: „{md_text(msg)}“" + (f", očekáváno „{md_text(expected)}“" if expected else "") + ".")
            out.append("")
        for key, heading in SHOWN:
            if key in f:
                out += [f"**{heading}.** {md_text(one_line(f[key]))}", ""]
        example = example_parts(fields)
        if example:
            out.append(f"**Příklad.** {md_text(one_line(f.get('priklad', '')))}")
            out.append("")
            for label, edits in example:
                out += [f"{label}:", "", "```"] + edits + ["```", ""]
        return out

    # ---- HTML ----
    def html_entry(self, code, fields):
        """The body of one entry, as a fragment of HTML (no heading)."""
        f = dict(fields)
        msg, expected = self.catalogue.get(code, ("", ""))
        parts = []
        if msg:
            parts.append(f"<p class=\"msg\">Text ve výsledku: „{h(msg)}“"
                         + (f", očekáváno „{h(expected)}“" if expected else "") + ".</p>")
        if "nevyvolava" in f:
            parts.append(f"<p>{h(one_line(f['nevyvolava']))}</p>")
        for key, heading in SHOWN:
            if key in f:
                parts.append(f"<p><b>{heading}.</b> {h(one_line(f[key]))}</p>")
        example = example_parts(fields)
        if example:
            parts.append(f"<p><b>Příklad.</b> {h(one_line(f.get('priklad', '')))}</p>")
            for label, edits in example:
                parts.append(f"<p>{label}:</p><pre>" + "\n".join(h(e) for e in edits) + "</pre>")
        return "\n".join(parts)

    def html(self):
        toc, body = [], []
        for key, title in self.sections:
            entries = self.by_section[key]
            if not entries:
                continue
            toc.append(f'<li><a href="#{key}">{h(title)}</a> ({len(entries)})<br>'
                       + " ".join(f'<a href="#{c.lower()}">{c}</a>' for c, _ in entries) + "</li>")
            body.append(f'<h2 id="{key}">{h(title)}</h2>')
            for code, fields in entries:
                body.append(f'<section id="{code.lower()}"><h3>{code} – {h(dict(fields).get("nazev", ""))}</h3>')
                body.append(self.html_entry(code, fields))
                body.append("</section>")
        toc.append('<li><a href="#pole-vykazu">Pole výkazu</a></li>')
        body.append('<h2 id="pole-vykazu">Pole výkazu</h2><table><tr><th>Pole</th><th>Význam</th></tr>')
        for elem, meaning in self.meanings.items():
            body.append(f"<tr><td>{h(elem)}</td><td>{h(meaning)}</td></tr>")
        body.append("</table>")
        return HTML_PAGE.format(toc="\n".join(toc), body="\n".join(body))

    def json(self):
        out = {}
        for code, fields in self.entries:
            out[code] = {"nazev": dict(fields).get("nazev", ""), "html": self.html_entry(code, fields)}
        return json.dumps(out, ensure_ascii=False, sort_keys=True, indent=1) + "\n"


def example_parts(fields):
    """The example's edits, as the table writes them: [(label, [edit lines])]."""
    out = []
    for key, label in (("chyba", "Úprava základu, po níž program kód ohlásí"),
                       ("opraveno", "Opravená varianta (kód se neohlásí)")):
        edits = [line for k, v in fields if k == key for line in v.split("\n")]
        if edits:
            out.append((label, edits))
    if out and not any(k == "opraveno" for k, _ in fields):
        out.append(("Opravená varianta", ["nezměněný základ examples/zpv.xml"]))
    return out


def h(text):
    return html.escape(text, quote=True)


def md_text(text):
    """Prose for Markdown: a "<" would start an HTML tag there, "*" and "_" emphasis."""
    return re.sub(r"([\\`*_<\[\]])", r"\\\1", text)


def md_cell(text):
    return md_text(text).replace("|", "\\|")


HTML_PAGE = """<!DOCTYPE html>
<html lang="cs">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kódy nálezů VALIX</title>
<style>
body {{ font-family: system-ui, sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }}
h3 {{ margin-bottom: 0.3em; border-top: 1px solid #ccc; padding-top: 0.8em; }}
pre {{ background: #f4f4f4; padding: 0.5em; overflow-x: auto; white-space: pre-wrap; }}
.msg {{ color: #444; font-style: italic; }}
nav li {{ margin-bottom: 0.5em; }}
table {{ border-collapse: collapse; }} td, th {{ border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; }}
</style>
</head>
<body>
<h1>Kódy nálezů VALIX</h1>
<p>Každý nález ve výsledku kontroly nese kód: první písmeno je váha (E chyba, W varování), druhé třída
(S jedno pole nebo stavba dokumentu, L logické pravidlo, R registr nebo seznam mimo dokument). Ke každému
kódu tu je, co pravidlo kontroluje, s jakými mezemi, kde se nález hlásí, obvyklá příčina v mzdových datech
a co změnit, a příklad: úprava dokumentu examples/zpv.xml, po níž program kód ohlásí, a oprava, po níž jej
neohlásí. Testy programu každý příklad ověřují.</p>
<nav><h2>Obsah</h2><ul>
{toc}
</ul></nav>
{body}
</body>
</html>
"""


def main():
    ap = argparse.ArgumentParser(description="The reference page of the finding codes.")
    ap.add_argument("--md", help="write the Markdown page")
    ap.add_argument("--html", help="write the standalone HTML page")
    ap.add_argument("--json", help="write the entries as JSON for the browser page")
    ap.add_argument("--check-md", help="status 1 when this file is not what --md would write")
    args = ap.parse_args()
    page = Page()
    for path, text in ((args.md, page.markdown), (args.html, page.html), (args.json, page.json)):
        if path:
            Path(path).write_text(text(), encoding="utf-8", newline="\n")
    if args.check_md:
        if Path(args.check_md).read_text(encoding="utf-8") != page.markdown():
            print(f"{args.check_md} is not up to date with docs/vysvetleni.txt: run tools/kody.py --md "
                  f"{args.check_md}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
