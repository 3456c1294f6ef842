#!/usr/bin/env bash
# Benchmarks the validator against the floor of any tag scanner (reading the bytes and finding every '<'
# with memchr, tools/scan_floor.cpp) and a generic XML parser that checks nothing of ZPV (xmllint
# --stream), on generated documents, in one run on the same files.
#
#   tools/bench.sh [BUILD_DIR]        (default: build; the documents are generated there once)
#
# Every command runs under /usr/bin/time, which gives its processor seconds (user and system) and its peak
# RSS. The table shows the median of 5 runs as MB/s of processor time, and the ratios: the time of valix
# (CSV report, no echo file) to the floor's, xmllint's time to valix's, and the speed of valix with the
# echo file and of valix on the file to that of valix without it and on clean-300m.xml. Processor time, not wall time: on a shared machine a run waits
# for a processor for a time that says nothing of the program. Last, the time per finding on a document
# with more than a million of them.
set -euo pipefail
export LC_ALL=C # decimal points in the clock and in awk
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=5

missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v xmllint >/dev/null 2>&1 || missing+=(libxml2-utils)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null
fi

[ -x "$build/valix" ] && [ -x "$build/zpvgen" ] && [ -x "$build/scan_floor" ] ||
  { cmake -S . -B "$build" >/dev/null && cmake --build "$build" -j2 --target valix zpvgen scan_floor >/dev/null; }
valix=$(realpath "$build/valix")
gen=$(realpath "$build/zpvgen")
floor=$(realpath "$build/scan_floor")
data="$build/bench"
mkdir -p "$data"

make_doc() { # name, zpvgen options...
  local name=$1; shift
  [ -s "$data/$name" ] || { echo "generating $name" >&2; "$gen" "$@" -o "$data/$name"; }
}
make_doc clean-300m.xml --size 300M --employees 10-2000 --seed 1
make_doc faulty-200m.xml --size 200M --employees 10-2000 --error-rate 0.01 --seed 2
make_doc findings-1m.xml --size 160M --employees 10-2000 --error-rate 0.1 --seed 5
make_doc small-employers.xml --employers 20000 --employees 3 --seed 3
make_doc one-employer.xml --employers 1 --employees 15000 --reverse-ids --seed 4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run of a command: its processor seconds (user + system), peak RSS (kB) and exit status, appended as a
# line to the file named first.
run_once() {
  local out=$1
  shift
  /usr/bin/time -f "%U %S %M %x" -o "$work/t" "$@" >/dev/null 2>&1 || true
  awk '{ printf "%.4f %d %d\n", $1 + $2, $3, $4 }' "$work/t" >>"$out"
}

# The median seconds of the runs in a file, the largest peak RSS (kB) and the exit status of the last run
# that failed (0 when none did).
summary() {
  printf '%s %s %s\n' "$(sort -g "$1" | sed -n "$(((rounds + 1) / 2))p" | cut -d' ' -f1)" \
    "$(awk '$2 > m { m = $2 } END { print m + 0 }' "$1")" "$(awk '$3 != 0 { s = $3 } END { print s + 0 }' "$1")"
}

files=(clean-300m.xml faulty-200m.xml findings-1m.xml small-employers.xml one-employer.xml)
for f in "${files[@]}"; do cat "$data/$f" >/dev/null; done # in the page cache for every command alike

# Every command on every file runs once per round, and the rounds follow one another: a machine whose speed
# drifts during the benchmark (a shared one does, by a third and for many seconds) then treats every cell
# of the table alike, and the median drops the rounds that met a slow spell. The previous run's output
# files are removed first, untimed: overwriting a large echo file written a second earlier would time the
# kernel's writing back of that file, not valix.
rm -f "$work"/runs-*
for _ in $(seq "$rounds"); do
  for f in "${files[@]}"; do
    path=$(realpath "$data/$f")
    rm -f "$work/out.csv"
    (cd "$work" && run_once "$work/runs-csv-$f" "$valix" "$path" out.csv)
    rm -f "$work/out.htm" "$work/echo.xml"
    (cd "$work" && run_once "$work/runs-echo-$f" "$valix" "$path" out.htm echo.xml)
    run_once "$work/runs-floor-$f" "$floor" "$path"
    run_once "$work/runs-xmllint-$f" xmllint --noout --stream "$path"
  done
done

printf '%-20s %7s | %-20s %-20s %-20s %-20s | %7s %9s %8s %7s\n' file MB "valix csv MB/s (RSS)" \
  "valix htm+echo MB/s" "floor MB/s" "xmllint MB/s" "v/floor" "xmllint/v" "echo/csv" "v/clean"
clean_rate=
for f in "${files[@]}"; do
  mb=$(awk -v b="$(stat -c %s "$data/$f")" 'BEGIN { printf "%.1f", b / 1048576 }')
  read -r tc rc _ < <(summary "$work/runs-csv-$f")
  read -r te re _ < <(summary "$work/runs-echo-$f")
  read -r tf rf _ < <(summary "$work/runs-floor-$f")
  read -r tx rx sx < <(summary "$work/runs-xmllint-$f")
  rate() { awk -v m="$mb" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
  # xmllint gives up at the first error of well-formedness (the faulty files have some): its time then
  # says nothing of parsing the file, and no ratio is given.
  xrate="$(rate "$tx") ($((rx / 1024)) MB)" xratio=$(awk -v a="$tx" -v b="$tc" 'BEGIN { printf "%.1f", a / b }')
  [ "$sx" = 0 ] || { xrate="stops early"; xratio="-"; }
  [ -n "$clean_rate" ] || clean_rate=$(rate "$tc")
  printf '%-20s %7s | %-20s %-20s %-20s %-20s | %7s %9s %8s %7s\n' "$f" "$mb" \
    "$(rate "$tc") ($((rc / 1024)) MB)" "$(rate "$te") ($((re / 1024)) MB)" \
    "$(rate "$tf") ($((rf / 1024)) MB)" "$xrate" \
    "$(awk -v a="$tc" -v b="$tf" 'BEGIN { printf "%.2f", a / b }')" "$xratio" \
    "$(awk -v a="$tc" -v b="$te" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v r="$(rate "$tc")" -v c="$clean_rate" 'BEGIN { printf "%.2f", r / c }')"
done

# The time per finding: the whole run divided by its findings, and the part of it beyond what a clean
# document of the same size takes at clean-300m.xml's rate.
f=findings-1m.xml
path=$(realpath "$data/$f")
(cd "$work" && "$valix" "$path" out.csv >/dev/null 2>&1 || true)
n=$(grep -c '^[0-9]' "$work/out.csv" || true)
mb=$(awk -v b="$(stat -c %s "$data/$f")" 'BEGIN { printf "%.1f", b / 1048576 }')
read -r tc _ _ < <(summary "$work/runs-csv-$f")
awk -v n="$n" -v t="$tc" -v mb="$mb" -v r="$clean_rate" -v f="$f" 'BEGIN {
  printf "\n%s: %d findings (CSV report) in %.2f s: %.0f ns per finding in all, %.0f ns each beyond reading a clean document of its size\n",
    f, n, t, t / n * 1e9, (t - mb / r) / n * 1e9 }'
