#!/usr/bin/env bash
# Benchmarks the validator against the floor of reading the bytes (wc -l) and a generic XML parser that
# checks nothing of ZPV (xmllint --stream), on generated documents, in one run on the same files.
#
#   tools/bench.sh [BUILD_DIR]        (default: build; the documents are generated there once)
#
# Prints, per file and command, the median wall time of 3 runs as MB/s and the peak RSS, and the ratios
# of valix (CSV report, no echo file) to wc and xmllint, of valix with the echo file to valix without it,
# and of valix on the file to valix on clean-1g.xml.
set -euo pipefail
export LC_ALL=C # decimal points in the clock and in awk
cd "$(dirname "$0")/.."
build=${1:-build}

missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v xmllint >/dev/null 2>&1 || missing+=(libxml2-utils)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null
fi

[ -x "$build/valix" ] && [ -x "$build/zpvgen" ] || { cmake -S . -B "$build" >/dev/null && cmake --build "$build" -j2 --target valix zpvgen >/dev/null; }
valix=$(realpath "$build/valix")
gen=$(realpath "$build/zpvgen")
data="$build/bench"
mkdir -p "$data"

make_doc() { # name, zpvgen options...
  local name=$1; shift
  [ -s "$data/$name" ] || { echo "generating $name" >&2; "$gen" "$@" -o "$data/$name"; }
}
make_doc clean-1g.xml --size 1G --employees 10-2000 --seed 1
make_doc faulty-200m.xml --size 200M --employees 10-2000 --error-rate 0.01 --seed 2
make_doc small-employers.xml --employers 20000 --employees 3 --seed 3
make_doc one-employer.xml --employers 1 --employees 15000 --reverse-ids --seed 4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run of a command: its wall seconds (bash's clock in microseconds: /usr/bin/time gives hundredths), peak
# RSS (kB) and exit status, appended as a line to the file named first.
run_once() {
  local out=$1 t0 t1 x m
  shift
  t0=$EPOCHREALTIME
  /usr/bin/time -f "%x %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  read -r x m < <(tail -n 1 "$work/t")
  printf '%s %s %s\n' "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')" "$m" "$x" >>"$out"
}

# The median seconds of the runs in a file, their largest peak RSS and the exit status of the last run
# that failed (0 when none did).
summary() {
  printf '%s %s %s\n' "$(sort -g "$1" | sed -n 2p | cut -d' ' -f1)" \
    "$(sort -k2,2n "$1" | tail -n 1 | cut -d' ' -f2)" \
    "$(awk '$3 != 0 { s = $3 } END { print s + 0 }' "$1")"
}

printf '%-20s %8s | %-22s %-22s %-22s %-22s | %6s %9s %9s %9s\n' file MB "valix csv MB/s (RSS)" "valix htm+echo MB/s" \
  "wc -l MB/s" "xmllint MB/s" "v/wc" "v/xmllint" "echo/csv" "v/clean"
clean_rate=
for f in clean-1g.xml faulty-200m.xml small-employers.xml one-employer.xml; do
  path=$(realpath "$data/$f")
  mb=$(awk -v b="$(stat -c %s "$path")" 'BEGIN { printf "%.1f", b / 1048576 }')
  cat "$path" >/dev/null # warm the page cache for every command alike
  # The commands take turns, so that a machine whose speed drifts during the run treats them alike. The
  # previous run's output files are removed first (not timed): overwriting a gigabyte echo file written a
  # second earlier would time the kernel's writing back of that file, not valix.
  rm -f "$work"/runs-*
  for _ in 1 2 3; do
    rm -f "$work/out.csv"
    (cd "$work" && run_once "$work/runs-csv" "$valix" "$path" out.csv)
    rm -f "$work/out.htm" "$work/echo.xml"
    (cd "$work" && run_once "$work/runs-echo" "$valix" "$path" out.htm echo.xml)
    run_once "$work/runs-wc" wc -l "$path"
    run_once "$work/runs-xmllint" xmllint --noout --stream "$path"
  done
  read -r tc rc _ < <(summary "$work/runs-csv")
  read -r te re _ < <(summary "$work/runs-echo")
  read -r tw rw _ < <(summary "$work/runs-wc")
  read -r tx rx sx < <(summary "$work/runs-xmllint")
  rate() { awk -v m="$mb" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
  # xmllint gives up at the first error of well-formedness (the faulty file has some): its time then
  # says nothing of parsing the file, and no ratio is given.
  xrate="$(rate "$tx") ($((rx / 1024)) MB)" xratio=$(awk -v a="$tx" -v b="$tc" 'BEGIN { printf "%.1f", a / b }')
  [ "$sx" = 0 ] || { xrate="stops early"; xratio="-"; }
  [ -n "$clean_rate" ] || clean_rate=$(rate "$tc")
  printf '%-20s %8s | %-22s %-22s %-22s %-22s | %6s %9s %9s %9s\n' "$f" "$mb" \
    "$(rate "$tc") ($((rc / 1024)) MB)" "$(rate "$te") ($((re / 1024)) MB)" \
    "$(rate "$tw") ($((rw / 1024)) MB)" "$xrate" \
    "$(awk -v a="$tw" -v b="$tc" 'BEGIN { printf "%.2f", a / b }')" "$xratio" \
    "$(awk -v a="$tc" -v b="$te" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v r="$(rate "$tc")" -v c="$clean_rate" 'BEGIN { printf "%.2f", r / c }')"
done
