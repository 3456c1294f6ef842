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

[ -x "$build/valix" ] && [ -x "$build/zpvgen" ] || { cmake -S . -B "$build" >/dev/null && cmake --build "$build" -j2 --target valix zpvgen >/dev/null; }
[ -f "$web/web/index.html" ] || { echo "build the web edition first: emcmake cmake -S . -B $web && cmake --build $web -j2" >&2; exit 1; }
[ -d "$web/npm/node_modules/puppeteer-core" ] || npm install --prefix "$web/npm" --no-audit --no-fund puppeteer-core >/dev/null
data="$build/bench"
mkdir -p "$data"
[ -s "$data/clean-1g.xml" ] || "$build/zpvgen" --size 1G --employees 10-2000 --seed 1 -o "$data/clean-1g.xml"
[ -s "$data/million.xml" ] || "$build/zpvgen" --size 160M --employees 50-2000 --error-rate 0.1 --seed 5 -o "$data/million.xml"
node tests/web/explorer_test.js --browser "${VALIX_BROWSER:-chromium}" --page "$web/web/index.html" --valix "$build/valix" \
  --source . --npm "$web/npm" --out "$web/explorer-bench" --big 1 --document "$data/million.xml" \
  --gigabyte "$data/clean-1g.xml"
