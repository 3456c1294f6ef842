#!/usr/bin/env bash
# Benchmarks the validator against the floor of reading the bytes (wc -l) and a generic XML parser that
# checks nothing of ZPV (xmllint --stream), on generated documents, in one run on the same files.
#
#   tools/bench.sh [BUILD_DIR]        (default: build; the documents are generated there once)
#
# Prints, per file and command, the median wall time of 3 runs as MB/s and the peak RSS (of a fourth run,
# under /usr/bin/time), and the ratios of valix (CSV report, no echo file) to wc and xmllint, of valix with
# the echo file to valix without it, and of valix on the file to valix on clean-1g.xml.
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

# One run of a command: its wall seconds (bash's own clock, in microseconds) and exit status, appended as a
# line to the file named first. The command runs bare: a wrapper process would add its own start to every
# run, a good part of the time of a small file.
run_once() {
  local out=$1 t0 t1 x=0
  shift
  t0=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || x=$?
  t1=$EPOCHREALTIME
  printf '%s %s\n' "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')" "$x" >>"$out"
}

# The peak RSS (kB) of one more run of a command, not timed.
peak_rss() {
  /usr/bin/time -f "%M" -o "$work/t" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$work/t"
}

# The median seconds of the runs in a file and the exit status of the last run that failed (0 when none
# did).
summary() {
  printf '%s %s\n' "$(sort -g "$1" | sed -n 2p | cut -d' ' -f1)" "$(awk '$2 != 0 { s = $2 } END { print s + 0 }' "$1")"
}

files=(clean-1g.xml faulty-200m.xml small-employers.xml one-employer.xml)
for f in "${files[@]}"; do cat "$data/$f" >/dev/null; done # in the page cache for every command alike

# Every command on every file runs once per round, and the rounds follow one another: a machine whose speed
# drifts during the benchmark (a shared one does, by a third and for many seconds) then treats every cell
# of the table alike, and the median drops the round that met a slow spell. The previous run's output files
# are removed first, untimed: overwriting a gigabyte echo file written a second earlier would time the
# kernel's writing back of that file, not valix.
rm -f "$work"/runs-* "$work"/rss-*
for f in "${files[@]}"; do
  path=$(realpath "$data/$f")
  (cd "$work" && peak_rss "$valix" "$path" out.csv) >"$work/rss-csv-$f"
  (cd "$work" && peak_rss "$valix" "$path" out.htm echo.xml) >"$work/rss-echo-$f"
  peak_rss wc -l "$path" >"$work/rss-wc-$f"
  peak_rss xmllint --noout --stream "$path" >"$work/rss-xmllint-$f"
done
for _ in 1 2 3; do
  for f in "${files[@]}"; do
    path=$(realpath "$data/$f")
    rm -f "$work/out.csv"
    (cd "$work" && run_once "$work/runs-csv-$f" "$valix" "$path" out.csv)
    rm -f "$work/out.htm" "$work/echo.xml"
    (cd "$work" && run_once "$work/runs-echo-$f" "$valix" "$path" out.htm echo.xml)
    run_once "$work/runs-wc-$f" wc -l "$path"
    run_once "$work/runs-xmllint-$f" xmllint --noout --stream "$path"
  done
done

printf '%-20s %8s | %-22s %-22s %-22s %-22s | %6s %9s %9s %9s\n' file MB "valix csv MB/s (RSS)" "valix htm+echo MB/s" \
  "wc -l MB/s" "xmllint MB/s" "v/wc" "v/xmllint" "echo/csv" "v/clean"
clean_rate=
for f in "${files[@]}"; do
  mb=$(awk -v b="$(stat -c %s "$data/$f")" 'BEGIN { printf "%.1f", b / 1048576 }')
  read -r tc _ < <(summary "$work/runs-csv-$f")
  read -r te _ < <(summary "$work/runs-echo-$f")
  read -r tw _ < <(summary "$work/runs-wc-$f")
  read -r tx sx < <(summary "$work/runs-xmllint-$f")
  rc=$(cat "$work/rss-csv-$f") re=$(cat "$work/rss-echo-$f") rw=$(cat "$work/rss-wc-$f") rx=$(cat "$work/rss-xmllint-$f")
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
