#!/usr/bin/env python3
"""Writes the placeholder campaign registers of refdata/data/.

The real registers of submitters, providers and occupations are campaign data that is not published.
This script makes stand-ins of the same sizes and forms, so that the validator builds and its tests and
examples run:

  submitters.txt   7135 company numbers, ascending
  providers.txt    18606 providers, ascending, each with its submitter (0 for about 2 % of them)
  occupations.txt  3702 five-digit occupation codes, ascending, from 11210 to 93399

The output is the same on every run (fixed seed), so a regenerated file differs from the committed one
only when this script was changed. Usage: tools/gen_registers.py [output folder, default refdata/data of this repository]
"""

import pathlib
import random
import sys

SUBMITTERS = 7135
PROVIDERS = 18606
OCCUPATIONS = 3702

# Numbers the examples and tests rely on.
KNOWN_SUBMITTERS = [12345679]
KNOWN_PROVIDERS = {  # provider: its submitter
    12345679: 12345679,
    25596641: 12345679,
    6947: 12345679,
    45274649: 0,
    49240901: 12345679,
}
# Valid company numbers that must stay out of the registers, so that a test can be sure they are unknown.
NOT_SUBMITTERS = {11111119, 87654326} | (set(KNOWN_PROVIDERS) - set(KNOWN_SUBMITTERS))
NOT_PROVIDERS = {11111119, 87654326}

FIRST_OCCUPATION, LAST_OCCUPATION = 11210, 93399
KNOWN_OCCUPATIONS = [11210, 11211, 93399]


def check_digit(first7):
    """The eighth digit of a company number whose first seven digits are given as a number."""
    digits = f"{first7:07d}"
    s = sum((8 - i) * int(d) for i, d in enumerate(digits))
    c = 11 - s % 11
    return c - 10 if c > 9 else c


def company_number(first7):
    return first7 * 10 + check_digit(first7)


def is_valid(number):
    return company_number(number // 10) == number


def company_numbers(rng, count, known, excluded):
    """`count` distinct valid company numbers in ascending order, `known` among them."""
    chosen = set(known)
    while len(chosen) < count:
        n = company_number(rng.randrange(1, 10_000_000))
        if n not in excluded:
            chosen.add(n)
    return sorted(chosen)


def occupations(rng):
    """Five-digit codes in the shape of the classification: digits 2 and 3 are not 0."""
    def shaped(code):
        s = f"{code:05d}"
        return s[1] != "0" and s[2] != "0"

    universe = [c for c in range(FIRST_OCCUPATION, LAST_OCCUPATION + 1) if shaped(c)]
    rest = [c for c in universe if c not in KNOWN_OCCUPATIONS]
    return sorted(KNOWN_OCCUPATIONS + rng.sample(rest, OCCUPATIONS - len(KNOWN_OCCUPATIONS)))


HEADER = """\
# {title}
#
# PLACEHOLDER DATA: made up by tools/gen_registers.py, not the register of any campaign.
# Each campaign replaces this file with the register it has received: {form}
# Blank lines and lines beginning with '#' are skipped. The build compiles the file into the program
# and stops, naming the file and line, on a malformed line, an entry out of order or a wrong number of
# entries; when the new register has another size, change {constant} in {header} to match.
#
"""


def write(path, title, form, constant, header, lines):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(HEADER.format(title=title, form=form, constant=constant, header=header))
        for line in lines:
            f.write(line + "\n")


def main():
    default = pathlib.Path(__file__).resolve().parent.parent / "refdata" / "data"
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    for n in KNOWN_SUBMITTERS + list(KNOWN_PROVIDERS) + sorted(NOT_SUBMITTERS | NOT_PROVIDERS):
        assert is_valid(n), n
    rng = random.Random(20090630)

    submitters = company_numbers(rng, SUBMITTERS, KNOWN_SUBMITTERS, NOT_SUBMITTERS)
    providers = company_numbers(rng, PROVIDERS, KNOWN_PROVIDERS, NOT_PROVIDERS)
    owner = {}
    for p in providers:
        if p in KNOWN_PROVIDERS:
            owner[p] = KNOWN_PROVIDERS[p]
        else:
            owner[p] = 0 if rng.random() < 0.02 else rng.choice(submitters)

    write(out / "submitters.txt",
          "Submitters registered for the campaign (TcisPred).",
          "one company number (ICO) per line,\n"
          "# ascending, no repeats; leading zeros may be written or left out.",
          "kSubmitters", "refdata/registers.h",
          [f"{n:08d}" for n in submitters])
    write(out / "providers.txt",
          "Providers: the employers that may appear in a file, with their submitter (TcisPosPre, TcisPrePos).",
          "per line the provider's company\n"
          "# number, one blank and the company number of the submitter it belongs to (0 when the register\n"
          "# names none); ascending by provider, no repeats.",
          "kProviders", "refdata/registers.h",
          [f"{p:08d} {owner[p]:08d}" for p in providers])
    write(out / "occupations.txt",
          "Occupation codes of the national classification of occupations (TcisKzam).",
          "one five-digit code per line,\n# ascending, no repeats.",
          "kOccupations", "refdata/registers.h",
          [f"{c:05d}" for c in occupations(rng)])


if __name__ == "__main__":
    main()
