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
        path = os.path.join(d, k)
        if k.startswith("expected"):
            # Asks for an expected file (written by the blessing run); one already there stays as it is.
            open(path, "ab").close()
            continue
        open(path, "wb").write(v.encode("cp1250") if isinstance(v, str) else v)
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

    # An empty code is not a missing one: the empty text files its terminator, which shows as nothing.
    half = {"AA0131": "20", "AA0136": "0.5", "AA0132": "500"}
    write("fields/empty-codes", document(firm(staff(
        {"AA0126": "1001", **half}, {"AA0126": "1001", **half, "AA0211": ""},
        {"AA0126": "1003", **half, "AA0223": ""}, ({"AA0126": "1003", **half}, ("AA0223",)))),
        comment="Empty sex and education codes (length findings EL032, ES223): person 1001's records compare 1 with the "
                "empty code (EL003, expected text empty); person 1003's empty code differs from the blank of a record "
                "without the field (EL003, value empty, expected one blank)."))

    # The submitter's number is the number its text begins with: 12A45678 reads as 12.
    write("fields/submitter-number-text", document(employer([employee()]) +
        employer([employee()], over={"AA0017": "25596641"}), header_over={"ICOpredkladatele": "12A45678"},
        comment="A submitter number with a letter (EL031 for its check digit): both employers, providers of 12345679, "
                "are warned against submitter 00000012 (WR204)."))

    # A provider registered without a submitter, in a file whose submitter number reads as 0: equal numbers.
    write("fields/provider-without-submitter", document(employer([employee()], over={"AA0017": "45274649"}) +
        employer([employee()], over={"AA0017": "25596641"}), header_over={"ICOpredkladatele": "abcdefgh"},
        comment="A submitter number that is no number (EL031) reads as 0: provider 45274649, registered without a "
                "submitter, gets no WR204; provider 25596641 of submitter 12345679 does."))


def list_cases():
    # Two documents named in a list file are read as one stream (with -w: the warning is counted, not
    # written): line numbers run on, the header names the first file, the second document's root and
    # header arrive after the first root ended.
    a = document(employer([employee()]), comment="The first document of the list.")
    b = document(employer([employee(over={"AA0131": "40.5", "AA0033": "DE"})], over={"AA0017": "25596641"}),
                 comment="The second document of the list.")
    write("lists/two-files", a, {"b.xml": b.encode("cp1250"), "list.txt": "case.xml\r\n  b.xml\r\n",
                                 "args": "@list.txt REPORT -w"})
    # An entry of three dots ends the list; a missing file after the first ends the run with status 13.
    write("lists/dots-end-the-list", a, {"list.txt": "case.xml ... missing.xml\n", "args": "@list.txt REPORT"})
    write("lists/missing-second", a, {"list.txt": "case.xml missing.xml\n", "args": "@list.txt REPORT",
                                      "status": "13"})


def firm(people, over=None, drop=()):
    """An employer block holding employee blocks, with the employer figures that agree with them.

    `people` lists the employees, each a dict of field values that differ from EMPLOYEE, or a pair of
    such a dict and the fields to leave out. AA0114 is the sum of AA0136, AA0115 the number of persons
    (distinct AA0126) with AA0137 = 1, AA0118 the sum of AA0144; AA0116 equals AA0115 and AA0123 is twice
    AA0118, so the budget rules stay quiet. `over` and `drop` then change the employer's fields.
    """
    blocks, headcount, persons, salaries = [], 0.0, set(), 0
    for p in people:
        d_over, d_drop = p if isinstance(p, tuple) else (p, ())
        d = dict(EMPLOYEE); d.update(d_over)
        blocks.append(employee(over=d_over, drop=d_drop))
        if "AA0136" not in d_drop:
            headcount += float(d["AA0136"])
        if "AA0137" not in d_drop and d["AA0137"] == "1":
            persons.add(d["AA0126"])
        if "AA0144" not in d_drop:
            salaries += int(d["AA0144"])
    figures = {"AA0114": f"{headcount:.10g}", "AA0115": str(len(persons)), "AA0116": str(len(persons)),
               "AA0118": str(salaries), "AA0123": str(2 * salaries)}
    figures.update(over or {})
    return employer(blocks, over=figures, drop=drop)


def staff(*changes):
    """Employees numbered 1001, 1002, ... in order, each with its own changes (see `firm`)."""
    out = []
    for n, c in enumerate(changes):
        c_over, c_drop = c if isinstance(c, tuple) else (c, ())
        out.append(({"AA0126": str(1001 + n), **c_over}, c_drop))
    return out


def employee_rule_cases():
    # The end of an employee block: a missing and a repeated field.
    firm_lines = firm(staff(({}, ("AA0690",)), {}))
    last = max(k for k, l in enumerate(firm_lines) if "<AA0690>" in l)
    firm_lines.insert(last + 1, firm_lines[last])
    write("employee-rules/presence", document(firm_lines,
        comment="The employee end reports a missing field (ES303, AA0690 left out) and a repeated one (ES304 from the "
                "end handler and again from the presence rule; the second AA0690 stands past the last row: ES305)."))

    # Working time. The bound 40 of AA0131 is the field's own range, so an AA0131 above 40 gets the generic
    # EL005 with "0 - 40" and its mark; the rules with "max. 40" and "max. 42,5" then skip themselves.
    write("employee-rules/working-time", document(firm(staff(
        {"AA0131": "40.5"},                                  # EL005 0 - 40 only
        {"AA0013": "01234", "AA0131": "42.6"},               # longer-week code (unknown: EL046), EL005 0 - 40 only
        {"AA0132": "600"},                                   # WL009: 720 below 0.6 x 1248
        {"AA0132": "1200"},                                  # WL009: 1320 above 1248
        {"AA0134": "30"},                                    # EL010: leave 40 h, compensated 30 h
        {"AA0131": "10"},                                    # WL060 20 - 60 shown as 20 - 40; EL070
        {"AA0136": "0.5", "AA0132": "500"},                  # WL060: 40 above 10 - 30
        {"AA0219": "60"},                                    # EL080 125 + 60 days > 181, and WL009 above
        {"AA0013": "01234", "AA0219": "60"},                 # 8.5-hour days: 117.6 + 60 <= 181, WL009 only
    )), comment="Working time: AA0131 above 40 (generic EL005 only, also for a code beginning with 0), total hours "
                "below and above the period (WL009), leave beyond the compensated time (EL010), weekly hours against "
                "the headcount (WL060, EL070), worked and absent days beyond the days in the register (EL080, not "
                "with the 8.5-hour days of a code beginning with 0)."))

    # Days in the register, absence and age.
    write("employee-rules/days", document(firm(staff(
        {"AA0225": "0.40", "AA0216": "0.05"},                # EL006 0.45 < 0.49
        {"AA0218": "365", "AA0136": "0.5", "AA0131": "10", "AA0132": "500", "AA0225": "0.5", "AA0216": "0.49"},
                                                             # EL006 with the whole year: 0.99 < 1.00; EL077
        {"AA0218": "80", "AA0136": "0.5", "AA0132": "400"},  # EL066 0.5 > 1.1 x 80 / 181
        {"AA0218": "180"},                                   # EL071 (EL066 passes: 1 <= 1.0939)
        {"AA0218": "0", "AA0136": "0.5", "AA0132": "0", "AA0219": "0", "AA0135": "0", "AA0210": "0"},  # EL073
        {"AA0231": "1990"},                                  # EL076 10.5 years > 2009 - 1990 - 13
        {"AA0219": "131", "AA0132": "0"},                    # EL078
        {"AA0135": "16.5", "AA0210": "3", "AA0219": "4"},    # EL069: 165 div 80 = 2 days of leave + 3 > 4
        {"AA0135": "16.5", "AA0210": "3", "AA0219": "5"},    # passes
        {"AA0013": "01234", "AA0135": "16.5", "AA0210": "3", "AA0219": "4", "AA0223": "V"},  # 165 div 85 = 1:
                                                             # passes (EL046); education V, so no EL081
    )), comment="Days: years of employment against the days in the register (EL006, also for a whole year of 365 "
                "days), converted headcount against the days (EL066, EL071, EL073), age at the start of employment "
                "(EL076), days above the period (EL077, EL078), absence against sickness and leave (EL069, with "
                "8.5-hour days for a code beginning with 0)."))

    # A zero headcount asks for zero amounts and the state code 2.
    write("employee-rules/zero-headcount", document(firm(staff(
        {"AA0136": "0", "AA0133": "5"},                      # EL037 for all seven fields, EL038; WL060 0 - 0
        {"AA0136": "0", "AA0218": "0", "AA0137": "2", "AA0132": "0", "AA0135": "0", "AA0210": "0", "AA0219": "0"},
                                                             # EL037 for AA0134 only; WL060 skipped (no days)
        {"AA0137": "2"},                                     # EL059: full headcount, not in the register
    )), comment="Zero converted headcount: every non-zero amount (EL037, each in its own format), state code other "
                "than 2 (EL038, on the line of AA0138); a full headcount with state code 2 (EL059)."))

    # Guards: a field whose mark is 'E' takes part in no rule; an absent field has the mark of its last occurrence.
    write("employee-rules/guards", document(firm(staff(
        {"AA0218": "12x"},                                   # ES218; every rule on AA0218 skips itself
        {"AA0219": "400"},                                   # ES219 (value kept, mark 'E'): no EL078, EL080, WL009
        ({}, ("AA0219",)),                                   # absent; mark 'E' from the block before: no EL069
        {},                                                  # AA0219 read cleanly again
        ({}, ("AA0219",)),                                   # absent; mark blank: counts 0, EL069
    )), comment="Guards: a field with a finding skips the rules that use it; a field absent from a block (ES303, "
                "AA0690 then out of order) has the mark of its last occurrence in an earlier block."))


def pay_cases():
    write("pay/tariff", document(firm(staff(
        {"AA0127": "1", "AA0128": "1", "AA0138": "6551"},                   # EL051: cell 6550
        {"AA0127": "1", "AA0128": "1", "AA0138": "6551", "AA0137": "2"},    # not in the register: EL059 only
        {"AA0129": "2", "AA0127": "16", "AA0128": "0", "AA0138": "40000"},  # EL051: class 16 of table 2
        {"AA0129": "0", "AA0138": "5000"},                                   # EL051: all tables
        {"AA0129": "0", "AA0138": "40000"},                                  # EL051: all tables
        {"AA0129": "0", "AA0138": "20000"},                                  # passes
        {"AA0127": "17"},                                                    # EL044; no tariff rule
    )), comment="Pay tariff against the tariff table: the cell (EL051), the range of the class when no grade is given "
                "(two blanks before the dash), the whole table when no table is given (one blank); none for an "
                "employee out of the register or with a class out of range."))

    write("pay/bonuses", document(firm(staff(
        {"AA0127": "9", "AA0138": "14570", "AA0139": "9446"},   # EL012: half of 18890 = 9445
        {"AA0127": "9", "AA0138": "14570", "AA0140": "11335"},  # EL013: 0.6 x 18890 = 11334
        {"AA0139": "20511"},                                     # EL012: class 10 has the full 20510
        {"AA0139": "20510"},                                     # passes
    )), comment="Bonus limits from the grade-12 tariff of the class: personal bonus (EL012, half the tariff below "
                "class 10), management bonus (EL013)."))

    write("pay/sums", document(firm(staff(
        {"AA0144": "114861"},                                    # EL015 on the end tag's line
        {"AA0159": "5001"},                                      # WL016
        {"AA0239": "2999"},                                      # EL027
        {"AA0237": "100"},                                       # EL028
    )), comment="Pay totals against their components (EL015, EL027, EL028) and the leave compensation against the "
                "compensations (WL016)."))


def totals_cases():
    # Person B has the first and the third block; the blocks differ in country, sex, education and year.
    part = {"AA0131": "20", "AA0136": "0.5", "AA0132": "500"}
    write("totals/person-records", document(firm([
        {"AA0126": "B", **part},
        {"AA0126": "A"},
        {"AA0126": "B", **part, "AA0033": "CZE", "AA0211": "2", "AA0223": "V", "AA0231": "1971"},
    ]), comment="Blocks B, A, B: person B's records are compared (EL003 for AA0033 CZ/CZE, AA0211, AA0223, AA0231) "
                 "under the lines of both blocks; B counts once in AA0115; a three-letter country code (WL053)."))

    # Eight records of one person: six are examined.
    eighth = {"AA0126": "P", "AA0136": "0.125", "AA0131": "5", "AA0132": "120"}
    people = [dict(eighth) for _ in range(8)]
    people[1]["AA0231"] = "1971"
    people[6]["AA0211"] = "2"
    write("totals/eight-records", document(firm(people, over={"AA0115": "1", "AA0116": "1"}),
        comment="A person with 8 records: the line list shows six and ends with ', ...... '; the year of the second "
                "differs (EL003), the sex of the seventh is not compared; the headcount correction covers six "
                "records, so 3 is expected for AA0115 (EL021)."))

    write("totals/hours", document(firm([
        {"AA0126": "W", "AA0131": "40.5", "AA0132": "800"},
        {"AA0126": "W", "AA0131": "40", "AA0132": "800"},
        {"AA0126": "X", "AA0131": "30"},
        {"AA0126": "X", "AA0131": "30"},
        {"AA0126": "X", "AA0131": "15", "AA0132": "500", "AA0136": "0.5"},
    ]), comment="A person's hours: weekly hours 40.5 and 40 (WL049 80.50; the 40.5 gets EL005, but the mark read at the "
                "employer's end is that of the last block), paid hours 1000, 1000, 500 (WL007 at 2000 and 2500); "
                "both persons count once in AA0115."))

    # AA0114 12.3457 against the sum 12.34567: equal when written with four decimals. The employer without
    # employees compares its figures with zero sums.
    many = staff(*([{}] * 12), {"AA0136": ".34567", "AA0137": "2", "AA0131": "15", "AA0132": "300", "AA0223": "V"})
    write("totals/figures", document(
        firm(many, over={"AA0114": "12.3457"})
        + employer([], over={"AA0017": "25596641", "AA0114": "0.0001", "AA0115": "5", "AA0116": "5"}),
        comment="Employer figures against the employees: AA0114 12.3457 against 12.34567 passes; an employer without "
                "employees: AA0114 0.0001 (EL020), AA0115 5 (EL021), AA0118 (EL022) against zero sums, then ES309."))

    # Eleven employees in the register: WL042; the salaries fall below six months of the lowest tariff: EL058.
    low_pay = {"AA0144": "27000", "AA0145": "7000"}
    half = {"AA0136": "0.5", "AA0131": "20", "AA0132": "500"}
    write("totals/eleven-employees", document(firm(staff(
        *([low_pay] * 8), {**low_pay, **half}, {**low_pay, **half, "AA0223": "V"},
        {"AA0144": "30000", "AA0145": "10000"},
    )), comment="Eleven employees, all in the register (WL042); AA0114 10 and AA0118 300000, below 6 x 10 x 6550 "
                "(EL058); their education differs."))

    write("totals/ten-employees", document(firm(staff(*([{**low_pay, "AA0223": "A"}] * 10)))
        + firm(staff(*([{"AA0223": "A"}] * 5), *([{}] * 5)), over={"AA0017": "25596641"}),
        comment="Ten employees, all with education A: the same education (EL081) and mostly below C (EL082); "
                "ten are too few for WL042 and EL058. Then ten employees, five of them with A: no finding."))

    # 103 employer blocks, each on one line: establishments 1 to 102 of one organisation, then the 5th again.
    base = employee()
    blocks = []
    for n in list(range(1, 103)) + [5]:
        lines = employer([base], over={"AA0113": str(n)})
        blocks.append("".join(l.strip() for l in lines))
    write("totals/many-employers", document(blocks,
        comment="101 distinct employers fill the table of employers (WL901 for the 101st, nothing for the 102nd); "
                "a repeat of the 5th is still found (EL074). Each establishment code gives WL054."))

    # The employee column after an employer's end: blanked only before the employer's own findings.
    half = {"AA0131": "20", "AA0136": "0.5", "AA0132": "500"}
    first = firm(staff(half, {"AA0126": "1001", **half, "AA0231": "1971"}, {"AA0126": "1002"}))
    second = firm([{"AA0126": "2001"}], over={"AA0017": "25596641"})
    between = ["  <mail>jan.novak@mv.cz</mail>", "  <bogus>1</bogus>"]
    write("totals/employee-column", document(first + between + second, header_drop=("autor",),
        comment="The employee column of findings after an employer's end: empty at the first employer start; person "
                "1001 is the last one reported (EL003), and the first employer's end reports nothing of its own, so "
                "the header field and the unknown element between the employers and the next employer start show "
                "1001; the second employer reports nothing, so the root end shows its last employee, 2001."))


def coverage_cases():
    # Codes of single values that the other cases leave out: one wrong value per field, each failing its length,
    # its parse or its bounds; with these marks no rule at the employee's end runs.
    bad = {"AA0211": "3", "AA0033": "C", "AA0130": "100", "AA0225": "99.5", "AA0216": "-1", "AA0132": "10000",
           "AA0133": "1,5", "AA0134": "12345678", "AA0135": "-0.5", "AA0136": "1.0001", "AA0137": "0",
           "AA0128": "13", "AA0129": "4", "AA0138": "-1", "AA0139": "1000000", "AA0140": "+-1", "AA0142": "12.5",
           "AA0143": "-1", "AA0145": "123456789", "AA0146": "x", "AA0147": "1 000", "AA0148": "-100000",
           "AA0160": "5-", "AA0162": "-10000", "AA0150": "x", "AA0239": "1.5", "AA0151": "x", "AA0152": "1.5",
           "AA0153": "x", "AA0154": "1.5", "AA0155": "x", "AA0156": "1.5", "AA0157": "-1000000", "AA0163": "x",
           "AA0161": "1.5", "AA0237": "x", "AA0238": "1.5", "AA0158": "x", "AA0159": "1.5", "AA0165": "10000",
           "AA0166": "-1", "AA0167": "x", "AA0168": "1.5", "AA0091": "123", "AA0210": "366", "AA0690": "CZ01"}
    write("fields/employee-codes", document(firm([bad]),
        comment="Each employee field's own code: lengths, numbers that do not parse, bounds."))

    # The employer's figures AA0115 and AA0118 are rejected, so neither is compared with the employee.
    write("fields/employer-codes", document(
        firm([{}], over={"AA0019": "32", "AA0113": "12345678901", "AA0115": "x", "AA0118": "-1", "AA0119": "1.5"}),
        header_over={"ICOpredkladatele": "1234567"},
        comment="Each employer field's own code, and the submitter's number of 7 digits (ESICO; no submitter is "
                "known, so the employer's registered submitter differs: WR204)."))

    # Budgeted headcount and budget against the figures of one employee each.
    write("employer-rules/budget", document(
        firm([{}], over={"AA0116": "12"})
        + firm([{}], over={"AA0017": "25596641", "AA0116": "102"})
        + firm([{}], over={"AA0017": "49240901", "AA0119": "113860", "AA0123": "3000"}),
        comment="Budgeted headcount 12 against 1 (WL063, range from 0 to 11) and 102 against 1 (EL064, range from 0 "
                "to 101); a budget of 3000 against salaries of 1000 from the budget (WL061, 1600 - 2400)."))


def employer_rule_cases():
    # The budget rules with the numbers the rules are explained with. The employers have no employee
    # blocks, so each also ends with its figures against zero sums and ES309; the e-mail address orders
    # before "0" and fails the text bounds of the field itself (the catalogue's example address).
    def lone(number, **figures):
        return employer([], over={"AA0017": number, **figures})
    body = (lone("12345679", AA0114="100", AA0115="100", AA0116="50", AA0118="1000", AA0123="2000")
            + lone("25596641", AA0114="1000", AA0115="1000", AA0116="10000", AA0118="1000", AA0123="2000")
            + lone("49240901", AA0114="1000", AA0115="9950", AA0116="10000", AA0118="1000", AA0123="2000")
            + lone("00006947", AA0118="1000", AA0123="100"))
    write("employer-rules/document-examples", document(body, header_over={"mail": "-jan@mv.cz"},
          comment="Budgeted headcount against the reported headcounts, budget against salaries."))


def safety_cases():
    # Markup in names, tag rests and end tags reaches report cells only as character references; cells
    # holding ';' or '"' are quoted in CSV.
    doc = document(employer([employee()], over={"AA0113": "1;2"}), comment="Markup and separators in report cells.",
                   header_over={"predkladatel": '"Ministerstvo" vnitra'})
    doc = doc.replace("<AA0116>", '<<img src=x onerror=alert(1)>x</<img>\r\n    <AA0116>')
    doc = doc.replace("<AA0131>40</AA0131>", '<AA0131 on="<b>">40</AA0131><script>alert(1)</script>')
    write("safety/markup", doc)


if __name__ == "__main__":
    structure_cases()
    field_cases()
    list_cases()
    employee_rule_cases()
    pay_cases()
    totals_cases()
    coverage_cases()
    employer_rule_cases()
    safety_cases()
