#!/usr/bin/env python3
"""Mutation testing of VALIX: does the suite notice when one line of the program is wrong?

The tool copies the tree into BUILD/src, builds it once in BUILD/build (release, no link-time
optimisation, so that a change of one file is a quick incremental build), then takes a sample of mutants
(one change of one line each) of the production code in validator/ reader/ checks/ refdata/ report/
util/, and for each: writes the mutant into the copy, rebuilds, runs the suite (ctest, stopping at the
first failure) and restores the line. A mutant is

  killed        a test failed
  timeout       the suite did not end within the time allowed (a hang counts as detected)
  survived      every test passed: either the suite misses a fault or the mutant is equivalent
  compile       the mutant does not build
  same-object   the mutant builds to the very same object files (a platform branch this build does not
                compile, a change the compiler folds away): no test can tell it apart here

Equivalent mutants (no input can tell them apart from the program) are listed with a one-line reason in
tools/mutants-equivalent.txt; they and the same-object ones are left out of the score.

  tools/mutate.py --count 240 --seed 1            # a full run: results in BUILD/mutation-results.json
  tools/mutate.py --rerun BUILD/mutation-results.json   # only its survivors again, after new tests
  tools/mutate.py --list --count 20               # the sample, without running it
  tools/mutate.py --count 12 --seed 7 --budget 540 --check   # CI: fails on a survivor not listed

The sample is deterministic: the same seed and the same sources give the same mutants in the same order.
It is stratified by folder (the same share of every folder) and by line (a line is drawn first, then one
of its mutants), so long tables do not crowd out the code.
"""

import argparse
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["validator", "reader", "checks", "refdata", "report", "util"]
EQUIVALENT_LIST = os.path.join(ROOT, "tools", "mutants-equivalent.txt")
DETECTED = ("killed", "timeout")

# ---------------------------------------------------------------------------------------------------
# Reading the sources: which characters of a line are code (not a comment, string or character literal).
# ---------------------------------------------------------------------------------------------------


def code_masks(lines):
    """For each line, a string of the same length: the code characters as they are, every character of a
    comment, a string or a character literal as a blank; a preprocessor line is all blanks. Character
    literals are kept in a second list of (start, end) spans per line."""
    masks, chars = [], []
    in_block = False
    for line in lines:
        out = []
        spans = []
        i, n = 0, len(line)
        if not in_block and line.lstrip().startswith("#"):
            masks.append(" " * n)
            chars.append([])
            continue
        while i < n:
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    out.append("  ")
                    i += 2
                else:
                    out.append(" ")
                    i += 1
            elif line.startswith("//", i):
                out.append(" " * (n - i))
                i = n
            elif line.startswith("/*", i):
                in_block = True
                out.append("  ")
                i += 2
            elif c == '"' or c == "'":
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                j = min(j + 1, n)
                if c == "'" and i > 0 and (line[i - 1].isalnum()):  # a digit separator such as 1'000
                    out.append(c)
                    i += 1
                    continue
                if c == "'":
                    spans.append((i, j))
                out.append(" " * (j - i))
                i = j
            else:
                out.append(c)
                i += 1
        masks.append("".join(out))
        chars.append(spans)
    return masks, chars


# ---------------------------------------------------------------------------------------------------
# The operators. Each yields (column, original text, replacement) on one line.
# ---------------------------------------------------------------------------------------------------

# The tests of the test program that take a second or more; the quick ones run first.
LONG_TESTS = ("FuzzCorpus.*:*AListOfTwoParts*:HostileInput.FiftyMegabytesOnOneLine:HostileInput.ThirtyThousand*:"
              "RefdataBuildStep.*:ZpvMutator.*:OneLookReading.*")

RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*", "+=": "-=", "-=": "+=", "&": "|",
              "|": "&", "^": "|", "<<": ">>", ">>": "<<", "|=": "&=", "&=": "|="}
CONTROL_WORDS = {"return", "if", "while", "for", "switch", "case", "else", "do", "break", "continue",
                 "goto", "throw", "delete", "new", "using", "namespace", "static_assert", "default",
                 "template", "typedef", "const", "static", "constexpr", "inline", "struct", "class",
                 "enum", "public", "private", "protected"}


def op_relational(mask, line, spans):
    for m in re.finditer(r"(?<=\S) (<=|>=|==|!=|<|>) (?=\S)", mask):
        yield m.start(1), m.group(1), RELATIONAL[m.group(1)]


def op_arithmetic(mask, line, spans):
    for m in re.finditer(r"(?<=\S) (\+=|-=|\|=|&=|<<|>>|[-+*/%&|^]) (?=\S)", mask):
        yield m.start(1), m.group(1), ARITHMETIC[m.group(1)]
    for m in re.finditer(r"\+\+|--", mask):
        yield m.start(), m.group(), "--" if m.group() == "++" else "++"


def op_logical(mask, line, spans):
    for m in re.finditer(r"(?<=\S) (&&|\|\|) (?=\S)", mask):
        yield m.start(1), m.group(1), "||" if m.group(1) == "&&" else "&&"
    for m in re.finditer(r"!(?=[A-Za-z_(*])", mask):
        yield m.start(), "!", ""


def op_constant(mask, line, spans):
    if "static_assert" in mask:
        return
    for m in re.finditer(r"(?<![\w.])(\d+\.\d*|\d*\.\d+|0[xX][0-9a-fA-F]+|\d+)([uUlLfF]*)(?![\w.])", mask):
        text = m.group(1)
        if "." in text:
            new = "0.0" if float(text) != 0 else "1.0"
        else:
            value = int(text, 16) if text[:2] in ("0x", "0X") else int(text, 8 if text[0] == "0" else 10)
            new = "1" if value == 0 else "0" if value == 1 else hex(value + 1) if "x" in text.lower() else str(value + 1)
        yield m.start(1), text, new
    for m in re.finditer(r"\b(true|false)\b", mask):
        yield m.start(), m.group(), "false" if m.group() == "true" else "true"


FLAGS = {"A": "N", "N": "A", "0": "1", "1": "0", " ": "x"}


def op_flag(mask, line, spans):
    for start, end in spans:
        text = line[start:end]
        if len(text) == 3:
            c = text[1]
            new = FLAGS.get(c, chr(ord(c) + 1) if ord(c) < 126 else " ")
            yield start, text, "'" + new + "'"
        elif text in ("'\\0'", "'\\n'", "'\\r'", "'\\t'"):
            yield start, text, "'x'"


def op_deleted_call(mask, line, spans, prev_mask=""):
    body = mask.strip()
    if not re.match(r"^[A-Za-z_][\w:]*(\.|->|::)?[\w:.>-]*(<[\w:, ]*>)?\(.*\);$", body):
        return
    word = re.match(r"[A-Za-z_]\w*", body).group()
    if word in CONTROL_WORDS:
        return
    depth = 0
    for c in body:  # an assignment at the top level is no call statement
        depth += c in "([{"
        depth -= c in ")]}"
        if depth < 0:
            return
    if re.search(r"(?<![=!<>])=(?!=)", re.sub(r"\(.*\)", "()", body)):
        return
    prev = prev_mask.strip()
    if prev and prev[-1] not in ";{}:)" and not prev.endswith("else"):
        return  # the line continues a statement
    column = len(mask) - len(mask.lstrip())
    yield column, line.rstrip()[column:], "(void)0;"


def op_return(mask, line, spans):
    m = re.match(r"^(\s*)return (.+);\s*$", mask)
    if not m or "(" in m.group(2) and m.group(2).count("(") != m.group(2).count(")"):
        return
    value = line[m.start(2):m.end(2)]
    if value in ("{}", "nullptr"):
        return
    new = {"true": "false", "false": "true", "0": "1"}.get(value, "{}")
    yield m.start(2), value, new


OPERATORS = {
    "relational": op_relational,
    "arithmetic": op_arithmetic,
    "logical": op_logical,
    "constant": op_constant,
    "flag": op_flag,
    "call": op_deleted_call,
    "return": op_return,
}


def mutant_id(path, lineno, line, col, op, original, new):
    digest = hashlib.sha1(line.strip().encode()).hexdigest()[:8]
    return f"{path}:{lineno}:{col}:{op}:{digest}:{original}->{new}"


def id_key(mid):
    """What identifies a mutant when lines move: the file, the line's text, the column and the change."""
    path, _lineno, rest = mid.split(":", 2)
    return path + ":" + rest


def candidates(root):
    """Every mutant of every production file, grouped by folder and line."""
    by_folder = {f: [] for f in FOLDERS}
    for folder in FOLDERS:
        base = os.path.join(root, folder)
        for name in sorted(os.listdir(base)):
            if not (name.endswith(".cpp") or name.endswith(".h")):
                continue
            path = f"{folder}/{name}"
            with open(os.path.join(root, path), encoding="utf-8") as f:
                lines = f.read().split("\n")
            masks, spans = code_masks(lines)
            prev_code = ""
            for index, line in enumerate(lines):
                mask = masks[index]
                found = []
                for op, fn in OPERATORS.items():
                    args = (mask, line, spans[index])
                    gen = fn(*args, prev_mask=prev_code) if op == "call" else fn(*args)
                    for col, original, new in gen:
                        if op != "call" and line[col:col + len(original)] != original:
                            continue
                        found.append({"id": mutant_id(path, index + 1, line, col, op, original, new),
                                      "file": path, "line": index + 1, "col": col, "op": op,
                                      "original": original, "new": new, "text": line.strip()})
                if found:
                    by_folder[folder].append(found)
                if mask.strip():
                    prev_code = mask
    return by_folder


def sample(by_folder, count, seed):
    """count mutants, the same number from each folder (the rest from the first folders), one line drawn
    at a time and then one mutant of that line."""
    rng = random.Random(seed)
    per, extra = divmod(count, len(FOLDERS))
    chosen = []
    for k, folder in enumerate(FOLDERS):
        want = per + (1 if k < extra else 0)
        lines = list(by_folder[folder])
        rng.shuffle(lines)
        for group in lines[:want]:
            chosen.append(rng.choice(group))
    return chosen


def apply(line, m):
    if m["op"] == "call":
        return line[:m["col"]] + m["new"]
    return line[:m["col"]] + m["new"] + line[m["col"] + len(m["original"]):]


# ---------------------------------------------------------------------------------------------------
# The copy of the tree, its build and the suite.
# ---------------------------------------------------------------------------------------------------


def sync_copy(src_root, dst_root):
    """Copies the tracked and new files of the tree; a file already the same is left alone, so that its
    time stamp (and the incremental build) stays."""
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=src_root,
                            capture_output=True, check=True).stdout.decode().split("\0")
    for rel in filter(None, listed):
        if rel.startswith("build"):
            continue
        src = os.path.join(src_root, rel)
        dst = os.path.join(dst_root, rel)
        if not os.path.isfile(src):
            continue
        with open(src, "rb") as f:
            data = f.read()
        if os.path.isfile(dst):
            with open(dst, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(dst, "wb") as f:
            f.write(data)
        shutil.copymode(src, dst)


def run_bounded(cmd, timeout, **kw):
    """Runs cmd in its own process group; returns (status, output), status None after the timeout (the
    whole group is then killed)."""
    with subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True,
                          **kw) as p:
        try:
            out, _ = p.communicate(timeout=timeout)
            return p.returncode, out.decode(errors="replace")
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            out, _ = p.communicate()
            return None, out.decode(errors="replace")


def object_digests(build):
    digests = {}
    for base, _dirs, files in os.walk(build):
        for name in files:
            if name.endswith(".o"):
                path = os.path.join(base, name)
                with open(path, "rb") as f:
                    digests[path] = hashlib.sha1(f.read()).hexdigest()
    return digests


class Suite:
    def __init__(self, args):
        self.args = args
        self.src = os.path.join(args.build, "src")
        self.build = os.path.join(args.build, "build")

    def configure(self):
        os.makedirs(self.src, exist_ok=True)
        sync_copy(ROOT, self.src)
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        if not os.path.exists(os.path.join(self.build, "CMakeCache.txt")):
            subprocess.run(["cmake", "-S", self.src, "-B", self.build, *generator,
                            "-DCMAKE_BUILD_TYPE=Release", "-DVALIX_LTO=OFF"],
                           check=True, stdout=subprocess.DEVNULL)

    def compile(self, timeout=3600):
        """Builds what the suite runs; (True, output) when it built, (False, output) when it did not, (None,
        output) when the time ran out."""
        status, out = run_bounded(["cmake", "--build", self.build, f"-j{self.args.jobs}", "--target", "valix",
                                   "valix_tests"], timeout)
        return (None if status is None else status == 0), out

    def other_tests(self):
        """The ctest tests that are not tests of the test program (the shell, the layers, the banner),
        without the excluded labels."""
        out = subprocess.run(["ctest", "--test-dir", self.build, "--show-only=json-v1"], capture_output=True,
                             check=True).stdout
        excluded = set(self.args.label_exclude.split("|"))
        names = []
        for t in json.loads(out)["tests"]:
            command = t.get("command") or [""]
            labels = set()
            for p in t.get("properties", []):
                if p["name"] == "LABELS":
                    labels = set(p["value"])
            if os.path.basename(command[0]) != "valix_tests" and not labels & excluded:
                names.append(t["name"])
        return names

    def test(self, timeout, limits=None):
        """The test program in one process, stopping at its first failure (what ctest runs as one test per
        case, without starting a process for each): first the quick tests, then the few long ones (most
        mutants fail a quick one); then the other ctest tests, stopping likewise. Each of the three parts
        may take its own limit (limits), the whole at most timeout seconds. Returns the outcome, the
        output and the seconds each part took."""
        deadline = time.monotonic() + timeout
        limits = limits or [timeout] * 3
        taken = []
        program = os.path.join(self.build, "valix_tests")
        for part, tests in enumerate(("-HostileInputSlow.*:" + LONG_TESTS, LONG_TESTS)):
            t0 = time.monotonic()
            left = min(limits[part], deadline - t0)
            status, out = run_bounded([program, "--gtest_fail_fast", "--gtest_brief=1", "--gtest_filter=" + tests],
                                      max(1, left), cwd=self.build)
            taken.append(time.monotonic() - t0)
            if status is None:
                return "timeout", out, taken
            if status != 0:
                return "killed", out, taken
        if not hasattr(self, "others"):
            self.others = self.other_tests()
        left = max(10, int(min(limits[2], deadline - time.monotonic())))
        cmd = ["ctest", "--test-dir", self.build, "--stop-on-failure", f"-j{self.args.jobs}", "--timeout",
               str(left), "-R", "^(" + "|".join(re.escape(n) for n in self.others) + ")$"]
        t0 = time.monotonic()
        status, out = run_bounded(cmd, left + 30)
        taken.append(time.monotonic() - t0)
        if status is None or "***Timeout" in out:
            return "timeout", out, taken
        return ("survived" if status == 0 else "killed"), out, taken


def failed_test(out):
    """The first failing test named in the output of the test program or of ctest."""
    for line in out.splitlines():
        m = re.match(r"\[  FAILED  \] (\S+)", line)
        if m:
            return m.group(1)
        if "***Failed" in line or "***Timeout" in line or "***Exception" in line:
            return re.sub(r"\s+", " ", line.split(":", 1)[-1]).strip()[:120]
    return ""


def load_equivalents():
    """tools/mutants-equivalent.txt: one mutant id a line, then '#' and the reason."""
    equivalents = {}
    if os.path.exists(EQUIVALENT_LIST):
        with open(EQUIVALENT_LIST, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                mid, _, reason = line.partition(" # ")
                equivalents[id_key(mid.strip())] = reason.strip()
    return equivalents


def table(results, equivalents):
    rows = []
    header = ("| folder | mutants | killed or timed out | survived, real | equivalent | same object "
              "| compile error | killed of non-equivalent |")
    rows.append(header)
    rows.append("|---|---:|---:|---:|---:|---:|---:|---:|")
    totals = [0] * 6
    for folder in FOLDERS + ["all"]:
        mine = [r for r in results if folder == "all" or r["file"].startswith(folder + "/")]
        if folder == "all":
            counts = totals
        else:
            detected = sum(r["status"] in DETECTED for r in mine)
            equivalent = sum(r["status"] == "survived" and id_key(r["id"]) in equivalents for r in mine)
            real = sum(r["status"] == "survived" and id_key(r["id"]) not in equivalents for r in mine)
            same = sum(r["status"] == "same-object" for r in mine)
            compile_error = sum(r["status"] == "compile" for r in mine)
            counts = [len(mine), detected, real, equivalent, same, compile_error]
            totals = [a + b for a, b in zip(totals, counts)]
        n, detected, real = counts[0], counts[1], counts[2]
        score = f"{100.0 * detected / (detected + real):.1f} %" if detected + real else "-"
        name = f"**{folder}**" if folder == "all" else folder
        rows.append(f"| {name} | " + " | ".join(str(c) for c in counts) + f" | {score} |")
    return "\n".join(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=240, help="mutants in the sample (default 240)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutation"),
                        help="folder of the copy and its build (default build-mutation)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=0,
                        help="seconds the suite may take for a mutant (default: 3 times the original's)")
    parser.add_argument("--budget", type=int, default=0,
                        help="end the run after this many seconds, the initial build included (a mutant "
                             "cut off is not counted)")
    parser.add_argument("--label-exclude", default="slow|browser",
                        help="ctest labels left out (default: the 3 GB document and the browser)")
    parser.add_argument("--rerun", help="a results file: run its survivors (not listed as equivalent) again")
    parser.add_argument("--pick", type=int, default=0,
                        help="run only this many mutants of the sample, spread evenly over it (CI)")
    parser.add_argument("--headers", action="store_true",
                        help="run the mutants of headers too (each rebuilds most of the program, twice)")
    parser.add_argument("--resume", help="a results file of the same sample: run only the mutants it lacks")
    parser.add_argument("--only", action="append", default=[], help="a mutant id to run (repeatable)")
    parser.add_argument("--results", help="results file (default BUILD/mutation-results.json)")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--table", help="print the table of a results file and stop")
    parser.add_argument("--check", action="store_true",
                        help="status 1 if a mutant survives that is not listed as equivalent")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    results_path = args.results or os.path.join(args.build, "mutation-results.json")
    if args.rerun and os.path.abspath(results_path) == os.path.abspath(args.rerun):
        results_path = results_path.replace(".json", "") + "-rerun.json"  # the earlier file stays whole

    equivalents = load_equivalents()
    if args.table:
        with open(args.table, encoding="utf-8") as f:
            print(table(json.load(f)["results"], equivalents))
        return 0
    by_folder = candidates(ROOT)
    earlier = []
    if args.rerun:
        with open(args.rerun, encoding="utf-8") as f:
            earlier = json.load(f)["results"]
    done = []
    if args.resume:
        with open(args.resume, encoding="utf-8") as f:
            done = [r for r in json.load(f)["results"] if r["status"] != "unfinished"]
    if args.rerun or args.only:
        # Identical lines (the same call in several places) give the same key: the nearest line is meant.
        everything = {}
        for groups in by_folder.values():
            for g in groups:
                for m in g:
                    everything.setdefault(id_key(m["id"]), []).append(m)
        wanted = list(args.only)
        wanted += [r["id"] for r in earlier if r["status"] == "survived" and id_key(r["id"]) not in equivalents]
        mutants = []
        for mid in wanted:
            if id_key(mid) in everything:
                line = int(mid.split(":")[1])
                mutants.append(dict(min(everything[id_key(mid)], key=lambda m: abs(m["line"] - line)),
                                    requested=mid))
            else:
                print(f"not found in the sources any more: {mid}", file=sys.stderr)
    else:
        mutants = sample(by_folder, args.count, args.seed)
        ran = {id_key(r["id"]) for r in done}
        mutants = [m for m in mutants if id_key(m["id"]) not in ran]
        if not args.headers:
            headers = [m for m in mutants if m["file"].endswith(".h")]
            mutants = [m for m in mutants if not m["file"].endswith(".h")]
            if headers:
                print(f"{len(headers)} mutants of headers left out (--headers runs them)", flush=True)
        if args.pick and args.pick < len(mutants):
            mutants = [mutants[i * len(mutants) // args.pick] for i in range(args.pick)]
    if args.list:
        for m in mutants:
            print(m["id"], "   ", m["text"][:80])
        return 0

    start = time.monotonic()
    deadline = start + args.budget if args.budget else float("inf")
    suite = Suite(args)
    suite.configure()
    ok, out = suite.compile(timeout=min(3600, deadline - time.monotonic()))
    if ok is None:
        print(f"budget of {args.budget} s spent on building the copy: no mutant run")
        return 0
    if not ok:
        print(out[-3000:])
        sys.exit("the original program does not build")
    t0 = time.monotonic()
    status, out, taken = suite.test(int(min(3600, deadline - time.monotonic())))
    baseline = time.monotonic() - t0
    if status != "survived":
        print(out[-3000:])
        sys.exit("the suite fails on the original program")
    # A mutant that takes three times as long as the original in any part of the suite hangs.
    limits = [max(20, int(3 * t)) for t in taken]
    timeout = args.timeout or sum(limits)
    print(f"original: suite {baseline:.0f} s ({' + '.join(f'{t:.0f}' for t in taken)}); {len(mutants)} mutants, "
          f"{' + '.join(str(t) for t in limits)} s allowed each", flush=True)
    originals = object_digests(suite.build)

    # Mutants of one file one after another: the file's object is rebuilt for each, and the restored file
    # once when the next file is taken.
    order = sorted(range(len(mutants)), key=lambda i: (mutants[i]["file"], i))
    results = list(done)
    for count, index in enumerate(order, 1):
        if time.monotonic() + 10 > deadline:
            print(f"budget of {args.budget} s spent: {len(order) - count + 1} mutants not run", flush=True)
            break
        m = mutants[index]
        path = os.path.join(suite.src, m["file"])
        with open(path, encoding="utf-8") as f:
            original_text = f.read()
        lines = original_text.split("\n")
        lines[m["line"] - 1] = apply(lines[m["line"] - 1], m)
        t0 = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            ok, out = suite.compile(timeout=min(1200, deadline - time.monotonic()))
            detail = ""
            if ok is None:
                status = "unfinished"
            elif not ok:
                status = "compile"
            elif object_digests(suite.build) == originals:
                status = "same-object"
            elif deadline - time.monotonic() < timeout:
                # not enough time left to tell a hang from a survivor
                status = "unfinished"
            else:
                status, out, _ = suite.test(timeout, None if args.timeout else limits)
                detail = failed_test(out) if status in DETECTED else ""
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original_text)
        if status == "unfinished":
            print(f"budget of {args.budget} s spent: {len(order) - count + 1} mutants not run", flush=True)
            break
        note = ""
        if status == "survived":
            note = "equivalent" if id_key(m["id"]) in equivalents else "SURVIVED"
        r = dict(m, status=status, seconds=round(time.monotonic() - t0, 1), detail=detail)
        results.append(r)
        print(f"[{count}/{len(order)}] {status:11} {note:10} {m['id']}  {detail}", flush=True)
        with open(results_path, "w", encoding="utf-8") as f:
            json.dump({"seed": args.seed, "count": args.count, "results": results}, f, indent=1)
    # A re-run replaces the results of the mutants it ran again and keeps the others.
    if earlier:
        again = {r.pop("requested", r["id"]): r for r in results}
        results = [again.get(r["id"], r) for r in earlier]
        with open(results_path, "w", encoding="utf-8") as f:
            json.dump({"seed": args.seed, "count": args.count, "results": results}, f, indent=1)
    # Leave the copy built as the original, for the next run.
    if time.monotonic() < deadline:
        suite.compile(timeout=min(3600, deadline - time.monotonic()))

    print()
    print(table(results, equivalents))
    real = [r for r in results if r["status"] == "survived" and id_key(r["id"]) not in equivalents]
    if real:
        print("\nSurvivors not listed as equivalent:")
        for r in real:
            print(f"  {r['id']}    {r['text'][:90]}")
    print(f"\nresults: {results_path}")
    return 1 if args.check and real else 0


if __name__ == "__main__":
    sys.exit(main())
