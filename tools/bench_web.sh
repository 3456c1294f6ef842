#!/usr/bin/env bash
# The browser edition against the native program on the same generated documents, side by side:
#
#   tools/bench_web.sh [BUILD_DIR] [WEB_BUILD_DIR]    (default: build and build-web)
#
# Per file: the native program (`valix FILE out.csv`), the wasm console program under node, and the page
# in headless Chromium (choose the file, CSV report, run; timed in the page from the click to the result,
# the start of the worker and of the module included). Each runs 3 times, round after round; the median
# is given as MB/s, with the page's wasm heap at the end of the run. Beside them, how fast Chromium reads
# the file in a page and does nothing else (tools/bench_web.js --read): the page cannot be faster than
# that, and read/native is the most page/native can be on the machine. The documents are those of
# tools/bench.sh (clean-1g.xml and faulty-200m.xml), generated once in BUILD_DIR/bench.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${1:-build}
web=${2:-build-web}

. tools/web_bench_setup.sh
valix=$(realpath "$build/valix")
[ -s "$data/faulty-200m.xml" ] || "$build/zpvgen" --size 200M --employees 10-2000 --error-rate 0.01 --seed 2 -o "$data/faulty-200m.xml"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=(clean-1g.xml faulty-200m.xml)
for f in "${files[@]}"; do cat "$data/$f" >/dev/null; done

seconds() { # command...: wall seconds of one run
  local t0 t1
  t0=$EPOCHREALTIME
  (cd "$work" && "$@" >/dev/null 2>&1) || true
  t1=$EPOCHREALTIME
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}
median() { sort -g | sed -n 2p; }

for _ in 1 2 3; do
  for f in "${files[@]}"; do
    path=$(realpath "$data/$f")
    seconds "$valix" "$path" out.csv >>"$work/native-$f"; echo >>"$work/native-$f"
    seconds node "$(realpath "$web/valix.js")" "$path" out.csv >>"$work/node-$f"; echo >>"$work/node-$f"
    read -r s status heap _ < <(node tools/bench_web.js "$web/web/index.html" "$path" "$web/npm")
    echo "$s" >>"$work/page-$f"
    read -r s _ < <(node tools/bench_web.js --read "$path" "$web/npm")
    echo "$s" >>"$work/read-$f"
    echo "$status $heap" >"$work/heap-$f"
  done
done

printf '%-18s %8s | %-12s %-12s %-24s %-9s | %11s %11s\n' file MB "native MB/s" "node MB/s" "page MB/s (wasm heap)" \
  "read MB/s" "page/native" "read/native"
for f in "${files[@]}"; do
  mb=$(awk -v b="$(stat -L -c %s "$data/$f")" 'BEGIN { printf "%.1f", b / 1048576 }')
  tn=$(median <"$work/native-$f") to=$(median <"$work/node-$f") tp=$(median <"$work/page-$f") tr=$(median <"$work/read-$f")
  read -r status heap <"$work/heap-$f"
  rate() { awk -v m="$mb" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
  ratio() { awk -v a="$tn" -v b="$1" 'BEGIN { printf "%.2f", a / b }'; }
  printf '%-18s %8s | %-12s %-12s %-24s %-9s | %11s %11s\n' "$f" "$mb" "$(rate "$tn")" "$(rate "$to")" \
    "$(rate "$tp") ($((heap / 1048576)) MB, status $status)" "$(rate "$tr")" "$(ratio "$tp")" "$(ratio "$tr")"
done
