// How fast headless Chromium reads a chosen file and does nothing else: a worker reads it as one stream
// (Blob.stream() with a BYOB reader) into one 16 MB buffer used again, as the page's reading worker does.
// No page can have the file's bytes sooner, so this bounds the page's speed. Prints the seconds from the
// start of the read to its end and the bytes read:   node tools/bench_web_read.js FILE NPM_DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const [file, npm] = process.argv.slice(2).map((p) => path.resolve(p));
const puppeteer = require(require.resolve('puppeteer-core', { paths: [path.join(npm, 'node_modules')] }));

const worker = `onmessage = async (e) => {
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
const page = `<!doctype html><input type="file" id="choose"><script>
document.getElementById('choose').onchange = function () {
  var w = new Worker(URL.createObjectURL(new Blob([${JSON.stringify(worker)}], { type: 'text/javascript' })));
  w.onmessage = function (e) { document.body.dataset.result = e.data.seconds + ' ' + e.data.total; };
  w.postMessage(this.files[0]);
};
</script>`;

(async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-read-'));
  fs.writeFileSync(path.join(dir, 'read.html'), page);
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                           args: ['--no-sandbox', '--disable-gpu', '--no-first-run'] });
  try {
    const tab = await browser.newPage();
    tab.setDefaultTimeout(600000);
    await tab.goto(`file://${path.join(dir, 'read.html')}`);
    await (await tab.$('#choose')).uploadFile(file);
    await tab.waitForFunction(() => document.body.dataset.result, { polling: 100 });
    console.log(await tab.evaluate(() => document.body.dataset.result));
  } finally {
    await browser.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
