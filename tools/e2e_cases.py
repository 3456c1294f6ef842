#!/usr/bin/env python3
"""Writes the documents of the end-to-end cases under tests/data/ (case.xml, Windows-1250, CR LF).

Each case starts from one complete, clean document and changes what the case is about. Run it from the
repository root after changing a case; then run the tests with VALIX_BLESS=1 to write the expected reports,
and check every expected row by hand against the rules before committing it.
"""
import os
import re

# Builds the complete, clean base document used by the end-to-end cases.
HEADER = [("rok","2009"),("AA0226","1-6"),("ICOpredkladatele","12345679"),("predkladatel","Ministerstvo vnitra"),
          ("autor","Jan Novák"),("mail","jan.novak@mv.cz"),("telefon","+420974811111"),("vytvoreno","2009-07-15T10:30:00")]
EMPLOYER = [("AA0017","12345679"),("AA0113",""),("AA0019","325"),("AA0179","CZ0100"),("AA0110","20090630"),
            ("AA0116","1"),("AA0123","229720"),("AA0114","1"),("AA0115","1"),("AA0118","114860"),("AA0119","0")]
EMPLOYEE = [("AA0126","1001"),("AA0231","1970"),("AA0211","1"),("AA0223","M"),("AA0033","CZ"),("AA0013","11211"),
            ("AA0125","1"),("AA0130","1"),("AA0131","40"),("AA0225","10"),("AA0216","0.5"),("AA0132","1000"),
            ("AA0133","0"),("AA0134","80"),("AA0135","40"),("AA0136","1"),("AA0137","1"),("AA0127","10"),
            ("AA0128","5"),("AA0129","1"),("AA0138","15810"),("AA0139","2000"),("AA0140","0"),("AA0141","0"),
            ("AA0142","0"),("AA0143","0"),("AA0144","114860"),("AA0145","94860"),("AA0146","12000"),("AA0147","0"),
            ("AA0148","0"),("AA0160","0"),("AA0162","0"),("AA0150","3000"),("AA0239","3000"),("AA0240","0"),
            ("AA0151","0"),("AA0152","0"),("AA0153","0"),("AA0154","0"),("AA0155","0"),("AA0156","0"),
            ("AA0157","0"),("AA0163","0"),("AA0161","0"),("AA0237","0"),("AA0238","0"),("AA0158","5000"),
            ("AA0159","2500"),("AA0165","110.5"),("AA0166","0"),("AA0167","0"),("AA0168","0"),("AA0091","1111"),
            ("AA0210","2"),("AA0218","181"),("AA0219","15"),("AA0690","CZ0100")]

def fields(pairs, indent):
    return [f"{indent}<{k}>{v}</{k}>" for k, v in pairs]

def employee(over=None, drop=(), indent="    "):
    d = dict(EMPLOYEE); d.update(over or {})
    pairs = [(k, d[k]) for k, _ in EMPLOYEE if k not in drop]
    return [f"{indent}<zamestnanec>"] + fields(pairs, indent + "  ") + [f"{indent}</zamestnanec>"]

def employer(emps, over=None, drop=()):
    d = dict(EMPLOYER); d.update(over or {})
    pairs = [(k, d[k]) for k, _ in EMPLOYER if k not in drop]
    out = ["  <zamestnavatel>"] + fields(pairs, "    ")
    for e in emps: out += e
    return out + ["  </zamestnavatel>"]

def document(body, header_over=None, header_drop=(), comment=None):
    d = dict(HEADER); d.update(header_over or {})
    lines = ['<?xml version="1.0" encoding="Windows-1250"?>']
    if comment: lines.append(f"<!-- {comment} -->")
    lines.append('<ZPV verze="1.6" xmlns="http://www.example.cz/schemas/2004/ZPV/1.6/">')
    lines += fields([(k, d[k]) for k, _ in HEADER if k not in header_drop], "  ")
    lines += body
    lines.append("</ZPV>")
    return "\r\n".join(lines) + "\r\n"

def write(name, text, extra=None):
    d = os.path.join(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data"), name)
    os.makedirs(d, exist_ok=True)
    open(os.path.join(d, "case.xml"), "wb").write(text.encode("cp1250"))
    for k, v in (extra or {}).items():
        open(os.path.join(d, k), "wb").write(v.encode("cp1250") if isinstance(v, str) else v)
    open(os.path.join(d, "expected.csv"), "a").close()


def structure_cases():
    E = employer
    # Structure: syntax, end tags, empty forms, comments
    doc = document(E([employee()]), comment="x")
    doc = doc.replace("<autor>Jan Novák</autor>", '<autor a="1" b = "2">Jan Novák</autor>')
    doc = doc.replace("<rok>2009</rok>", "<rok>2009</rokx>")
    doc = doc.replace("<AA0226>1-6</AA0226>", "<AA0226>1-6</AA0225>")
    doc = doc.replace("<telefon>+420974811111</telefon>", "<!-- telefon follows --><telefon>+420974811111</telefon>")
    doc = doc.replace("<AA0113></AA0113>", "<AA0113 />")
    doc = doc.replace("<AA0141>0</AA0141>", "<AA0141/>")
    doc = doc.replace("<AA0142>0</AA0142>", "<zpv:AA0142>0</zpv:AA0142>")
    doc = doc.replace("<AA0013>11211</AA0013>", "<AA0013>\r\n      11211</AA0013>")
    write("structure/syntax", doc.replace("<!-- x -->", "<!-- An attribute on a field (ES300), end tags that match loosely or not at all (ES302), empty forms, a comment between fields, a prefixed field, content over two lines. -->"), {"expected-echo.xml": ""})

    # Missing and repeated fields; two employers; missing header field reported three times
    emp2 = E([employee()], over={"AA0017": "25596641"})
    doc = document(E([employee(drop=("AA0135",)) , employee(over={"AA0126":"1002"})], drop=("AA0019",)) + emp2,
                   header_drop=("autor",), comment="Missing and repeated fields of header, employer and employee.")
    doc = doc.replace("<AA0114>1</AA0114>", "<AA0114>1</AA0114>\r\n    <AA0114>1</AA0114>", 1)
    doc = doc.replace("<AA0131>40</AA0131>", "<AA0131>40</AA0131><AA0131>40</AA0131>", 1)
    write("structure/missing-repeated", doc)

    # Unknown elements and order
    doc = document(E([employee()]), header_drop=("AA0226",), comment="Unknown elements and fields out of order.")
    doc = doc.replace("<AA0131>40</AA0131>", "<AA9999>12345</AA9999><AA0131>40</AA0131>")
    doc = doc.replace("<AA0116>1</AA0116>", "<zamestnavatel>x</zamestnavatel><AA0116>1</AA0116>")
    doc = doc.replace("<AA0091>1111</AA0091>", "<AA0210>2</AA0210><AA0091>1111</AA0091>")
    doc = doc.replace("  <zamestnavatel>", "  <bogus>1</bogus>\r\n  <zamestnavatel>", 1)
    write("structure/unknown-order", doc)

    # Not a ZPV document at all
    write("structure/not-zpv", '<?xml version="1.0"?>\r\n<!-- not a ZPV document -->\r\n<doc>\r\n<rok>2009</rok>\r\n</doc>\r\n', {"expected-echo.xml": ""})
    # Root without employers
    write("structure/no-employer", document([], comment="A root with its header and no employer block: ES308."))
    # Broken off inside an employee block
    doc = document(E([employee()]), comment="The document breaks off inside an employee block: ES306.")
    write("structure/truncated", doc[:doc.index("<AA0137>")+5])
    # Employer without employees; employee block without end tag before the employer's end
    doc = document(E([]) + E([employee()[:-1]], over={"AA0017": "25596641"}) + E([employee()], over={"AA0017":"49240901"}),
                   comment="An employer without employees (ES309); an employee block whose end tag is missing.")
    write("structure/employer-shapes", doc)
    # Prefixed document
    doc = document(E([employee()]), comment="Every element with the zpv: prefix walks like an unprefixed document.")
    doc = re.sub(r"<(/?)([A-Za-z][A-Za-z0-9]*)([ >])", lambda m: f"<{m.group(1)}zpv:{m.group(2)}{m.group(3)}" if m.group(2)!="xml" else m.group(0), doc)
    write("structure/prefixed", doc, {"expected-echo.xml": ""})



def field_cases():
    E = employer
    write("fields/header-values", document(E([employee()]), comment="Header values: text bounds, length, check digit, e-mail form, telephone, time stamp.",
        header_over={"rok":"2010","AA0226":"1-12","ICOpredkladatele":"12345670","predkladatel":"(Ministerstvo)","autor":"J",
                     "mail":"jan.novak@mvcz","telefon":"12345678","vytvoreno":"2009-05-31T10:30:00"}))
    write("fields/header-values-2", document(E([employee()]), comment="Header values: unregistered submitter, telephone below '+', a blank in the address, a short year.",
        header_over={"rok":"209","ICOpredkladatele":"11111119","predkladatel":"Ústav","mail":"jan novak@mv.cz","telefon":"(420)974811"}))
    write("fields/employer-values", document(E([employee()], over={"AA0017":"1234567A","AA0019":"999","AA0179":"CZ1000",
        "AA0110":"20090631","AA0116":"12x","AA0123":"1234567890123","AA0114":"0"}), comment="Employer values: parse, length, bounds, code lists, date."))
    doc = document(E([employee()], over={"AA0017":"123456789","AA0113":"1","AA0110":"20091301"})
                   + E([employee()], over={"AA0017":"12345670"}) + E([employee()], over={"AA0017":"12345679"})
                   + E([employee()], over={"AA0017":"12345679","AA0113":"1"})
                   + E([employee()], over={"AA0017":"12345679"}) + E([employee()], over={"AA0017":"12345679","AA0113":"1"})
                   + E([employee()], over={"AA0017":"87654326"}) + E([employee()], over={"AA0017":"45274649"}),
                   comment="Employer values: length after parse, establishment code, date, check digit, repeated employers, providers.")
    write("fields/employer-values-2", doc)
    write("fields/employee-values", document(E([employee(over={"AA0131":"12a","AA0013":"1121","AA0223":"a","AA0033":"XX",
        "AA0130":"2","AA0091":"1234","AA0690":"CZ0999","AA0125":"3","AA0231":"1900"})]), comment="Employee values: parse, length, bounds, code lists."))
    write("fields/employee-values-2", document(E([employee(over={"AA0131":"40.5","AA0033":"DEU","AA0013":"11210","AA0126":"12345678901",
        "AA0144":"114860 ","AA0240":"-999990"})]), comment="Employee values: number bound, long country code, occupation ending in 0, identifier too long, trailing blank."))



if __name__ == "__main__":
    structure_cases()
    field_cases()


def list_cases():
    # Two documents named in a list file are read as one stream (with -w: the warning is counted, not
    # written): line numbers run on, the header names the
    # first file, the second document's root and header arrive after the first root ended.
    a = document(employer([employee()]), comment="The first document of the list.")
    b = document(employer([employee(over={"AA0131": "40.5", "AA0033": "DE"})], over={"AA0017": "25596641"}),
                 comment="The second document of the list.")
    write("lists/two-files", a, {"b.xml": b.encode("cp1250"), "list.txt": "case.xml\r\n  b.xml\r\n",
                                 "args": "@list.txt REPORT -w"})
    # An entry of three dots ends the list; a missing file after the first ends the run with status 13.
    write("lists/dots-end-the-list", a, {"list.txt": "case.xml ... missing.xml\n", "args": "@list.txt REPORT"})
    write("lists/missing-second", a, {"list.txt": "case.xml missing.xml\n", "args": "@list.txt REPORT",
                                      "status": "13"})


if __name__ == "__main__":
    list_cases()
