// Runs the browser edition in headless Chromium on one file, as a user would (choose it, CSV report, run),
// and prints the seconds from the click to the result, the page's exit status and the size of the wasm
// heap at the end:   node tools/bench_web.js PAGE FILE NPM_DIR
//
// With --read instead of the page, a page of its own only reads the chosen file and does nothing else: a
// worker reads it as one stream (Blob.stream() with a BYOB reader) into one 16 MB buffer used again, as
// the page's reading worker does. No page has the file's bytes sooner, so this bounds the page's speed.
// It prints the seconds from the start of the read to its end and the bytes read.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const [page, file, npm] = process.argv.slice(2).map((p) => (p === '--read' ? p : path.resolve(p)));
const puppeteer = require(require.resolve('puppeteer-core', { paths: [path.join(npm, 'node_modules')] }));

const readingWorker = `onmessage = async (e) => {
  const started = performance.now();
  const reader = e.data.stream().getReader({ mode: 'byob' });
  let buffer = new ArrayBuffer(16 << 20);
  let total = 0;
  for (;;) {
    const r = await reader.read(new Uint8Array(buffer));
    if (r.done) break;
    total += r.value.byteLength;
    buffer = r.value.buffer;
  }
  postMessage({ seconds: (performance.now() - started) / 1000, total: total });
};`;
const readingPage = `<!doctype html><input type="file" id="choose"><script>
document.getElementById('choose').onchange = function () {
  var w = new Worker(URL.createObjectURL(new Blob([${JSON.stringify(readingWorker)}], { type: 'text/javascript' })));
  w.onmessage = function (e) { document.body.dataset.result = e.data.seconds + ' ' + e.data.total; };
  w.postMessage(this.files[0]);
};
</script>`;

(async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-bench-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'].concat((process.env.VALIX_CHROMIUM_FLAGS || '').split(' ').filter(Boolean)).concat(process.env.VALIX_JS_FLAGS ? ['--js-flags=' + process.env.VALIX_JS_FLAGS] : []),
  });
  try {
    const tab = await browser.newPage();
    tab.setDefaultTimeout(600000);
    if (page === '--read') {
      fs.writeFileSync(path.join(dir, 'read.html'), readingPage);
      await tab.goto(`file://${path.join(dir, 'read.html')}`);
      await (await tab.$('#choose')).uploadFile(file);
      await tab.waitForFunction(() => document.body.dataset.result, { polling: 100 });
      console.log(await tab.evaluate(() => document.body.dataset.result));
      return;
    }
    await tab.goto(`file://${page}${process.env.VALIX_PAGE_QUERY || ""}`);
    // The page prepares its next run while the user chooses a file; a user takes longer than that.
    await tab.waitForFunction(() => document.body.dataset.ready === "yes", { polling: 50, timeout: 30000 }).catch(() => {});
    await (await tab.$('#choose')).uploadFile(file);
    await tab.select('#format', 'csv');
    await tab.click('#run');
    await tab.waitForFunction(() => document.body.dataset.status !== undefined, { polling: 200 });
    const r = await tab.evaluate(() => ({ ...document.body.dataset }));
    console.log(`${r.seconds} ${r.status} ${r.heap} ${r.runSeconds} ${r.waitSeconds} ${r.readAhead}`);
  } finally {
    await browser.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
