#!/usr/bin/env bash
# Line and branch coverage of the validator's folders, measured with gcov and summed by gcovr:
#   1. the whole test suite (without the 3 GB document, label slow);
#   2. the fuzzing corpus alone, replayed (tests FuzzCorpus.*: every document in the four formats and
#      the properties the fuzzer checks);
#   3. with a folder of fuzzer inputs as argument (tools/coverage.sh DIR ...), each folder replayed the
#      same way, so that the corpora two fuzzing runs left behind can be compared.
# The build goes to build-cov (or $VALIX_COV_BUILD); the lines not reached are listed per file in
# build-cov/uncovered-*.txt. Needs gcovr (Debian: gcovr), installed when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${VALIX_COV_BUILD:-build-cov}
folders=(validator reader report checks refdata util)

if ! command -v gcovr >/dev/null 2>&1; then
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y gcovr
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" -j2 >/dev/null

# The coverage of the library's sources, per folder (the generated register tables are data, not code).
summary() { # title
  printf '\n%s\n' "$1"
  gcovr -r "$src" --object-directory "$build" --filter "$src/(validator|reader|report|checks|refdata|util)/" \
    --exclude "$src/validator/main.cpp" --exclude-unreachable-branches --exclude-throw-branches \
    --json-summary "$build/summary.json" -o "$build/summary.txt" 2>/dev/null # never -o /dev/null: gcovr replaces the file it writes
  python3 - "$build/summary.json" "${folders[@]}" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
def row(name, fs):
    l = sum(f["line_covered"] for f in fs); lt = sum(f["line_total"] for f in fs)
    b = sum(f["branch_covered"] for f in fs); bt = sum(f["branch_total"] for f in fs)
    pct = lambda a, t: "%.1f%%" % (100.0 * a / t) if t else "-"
    print("| %-10s | %6s | %9s | %6s | %9s |" % (name, pct(l, lt), "%d/%d" % (l, lt), pct(b, bt), "%d/%d" % (b, bt)))
print("| folder     |  lines | reached   | branches | reached |")
print("|------------|-------:|----------:|-------:|----------:|")
for folder in sys.argv[2:]:
    row(folder + "/", [f for f in files if f["filename"].startswith(folder + "/")])
row("all", files)
PY
}

# The lines not reached, per file.
uncovered() { # file
  gcovr -r "$src" --object-directory "$build" --filter "$src/(validator|reader|report|checks|refdata|util)/" \
    --exclude "$src/validator/main.cpp" --txt - 2>/dev/null | awk '$4 ~ /%$/ && $4 != "100%"' >"$1"
}

reset_counters() { find "$build" -name '*.gcda' -delete; }

reset_counters
# A build without optimisation is slow: a test that times itself may fail here; the coverage counts.
ctest --test-dir "$build" -j2 -LE slow >/dev/null ||
  echo "(failed in this build: $(tr '\n' ' ' <"$build/Testing/Temporary/LastTestsFailed.log"))"
summary "The whole test suite"
uncovered "$build/uncovered-suite.txt"

reset_counters
"$build/valix_tests" --gtest_filter='FuzzCorpus.*' >/dev/null
summary "The fuzzing corpus alone (tests/fuzz/corpus, replayed)"

for dir in "$@"; do
  reset_counters
  VALIX_FUZZ_CORPUS=$(cd "$dir" && pwd) "$build/valix_tests" --gtest_filter='FuzzCorpus.*' >/dev/null
  summary "The inputs in $dir, replayed"
done
echo
echo "Lines not reached by the suite, per file: $build/uncovered-suite.txt"
