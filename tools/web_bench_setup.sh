# Sourced by the browser benchmarks (tools/bench_web.sh, tools/bench_web_explorer.sh) with $build and $web
# set: the native program and zpvgen built when missing, the web edition required, puppeteer-core
# installed, and the folder of the generated documents ($data) with the clean 1 GB one of tools/bench.sh.
[ -x "$build/valix" ] && [ -x "$build/zpvgen" ] || { cmake -S . -B "$build" >/dev/null && cmake --build "$build" -j2 --target valix zpvgen >/dev/null; }
[ -f "$web/web/index.html" ] || { echo "build the web edition first: emcmake cmake -S . -B $web && cmake --build $web -j2" >&2; exit 1; }
[ -d "$web/npm/node_modules/puppeteer-core" ] || npm install --prefix "$web/npm" --no-audit --no-fund puppeteer-core >/dev/null
data="$build/bench"
mkdir -p "$data"
[ -s "$data/clean-1g.xml" ] || "$build/zpvgen" --size 1G --employees 10-2000 --seed 1 -o "$data/clean-1g.xml"
