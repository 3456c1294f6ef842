#!/usr/bin/env bash
# Benchmarks the validator against the floor of reading the bytes (wc -l) and a generic XML parser that
# checks nothing of ZPV (xmllint --stream), on generated documents, in one run on the same files.
#
#   tools/bench.sh [BUILD_DIR]        (default: build; the documents are generated there once)
#
# Prints, per file and command, the median wall time of 3 runs as MB/s and the peak RSS, and the ratios
# valix/wc and valix/xmllint.
set -euo pipefail
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

# median wall seconds and the largest peak RSS (kB) of 3 runs of a command
measure() {
  local times=() rss=0 t m
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
    read -r t m < <(tail -n 1 "$work/t")
    times+=("$t")
    [ "$m" -gt "$rss" ] && rss=$m
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -g | sed -n 2p)" "$rss"
}

printf '%-20s %8s | %-22s %-22s %-22s %-22s | %7s %9s\n' file MB "valix csv MB/s (RSS)" "valix htm+echo MB/s" \
  "wc -l MB/s" "xmllint MB/s" "v/wc" "v/xmllint"
for f in clean-1g.xml faulty-200m.xml small-employers.xml one-employer.xml; do
  path=$(realpath "$data/$f")
  mb=$(awk -v b="$(stat -c %s "$path")" 'BEGIN { printf "%.1f", b / 1048576 }')
  cat "$path" >/dev/null # warm the page cache for every command alike
  read -r tc rc < <(cd "$work" && measure "$valix" "$path" out.csv)
  read -r te re < <(cd "$work" && measure "$valix" "$path" out.htm echo.xml)
  read -r tw rw < <(measure wc -l "$path")
  read -r tx rx < <(measure xmllint --noout --stream "$path")
  rate() { awk -v m="$mb" -v t="$1" 'BEGIN { if (t <= 0) t = 0.005; printf "%.0f", m / t }'; }
  printf '%-20s %8s | %-22s %-22s %-22s %-22s | %7s %9s\n' "$f" "$mb" \
    "$(rate "$tc") ($((rc / 1024)) MB)" "$(rate "$te") ($((re / 1024)) MB)" \
    "$(rate "$tw") ($((rw / 1024)) MB)" "$(rate "$tx") ($((rx / 1024)) MB)" \
    "$(awk -v a="$tw" -v b="$tc" 'BEGIN { if (a <= 0) a = 0.005; printf "%.2f", a / b }')" \
    "$(awk -v a="$tx" -v b="$tc" 'BEGIN { printf "%.1f", a / b }')"
done
