#!/usr/bin/env bash
# The findings explorer of the browser edition with a million findings, in headless Chromium: the time
# from the end of the run to the explorer drawn, a filter's time to its first rows, the source lines of
# the last finding (at once, and once the line index is built), the JS heap and the long tasks after the
# run; then the source lines at the end of a clean 1 GB file (tools/bench.sh's clean-1g.xml).
#
#   tools/bench_web_explorer.sh [BUILD_DIR] [WEB_BUILD_DIR]    (default: build and build-web)
#
# The bounds it checks: ready within 2 s, a filter within 300 ms, the source lines within 500 ms, a JS
# heap under 300 MB, no long task over 200 ms. The figures are printed as one JSON line.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
web=${2:-build-web}

. tools/web_bench_setup.sh
[ -s "$data/million.xml" ] || "$build/zpvgen" --size 160M --employees 50-2000 --error-rate 0.1 --seed 5 -o "$data/million.xml"
node tests/web/explorer_test.js --browser "${VALIX_BROWSER:-chromium}" --page "$web/web/index.html" --valix "$build/valix" \
  --source . --npm "$web/npm" --out "$web/explorer-bench" --big 1 --document "$data/million.xml" \
  --gigabyte "$data/clean-1g.xml"
