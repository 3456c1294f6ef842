// Runs the browser edition in headless Chromium on one file, as a user would (choose it, CSV report, run),
// and prints the seconds from the click to the result, the page's exit status and the size of the wasm
// heap at the end:   node tools/bench_web.js PAGE FILE NPM_DIR
'use strict';
const path = require('path');
const [page, file, npm] = process.argv.slice(2).map((p) => path.resolve(p));
const puppeteer = require(require.resolve('puppeteer-core', { paths: [path.join(npm, 'node_modules')] }));

(async () => {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'].concat((process.env.VALIX_CHROMIUM_FLAGS || '').split(' ').filter(Boolean)).concat(process.env.VALIX_JS_FLAGS ? ['--js-flags=' + process.env.VALIX_JS_FLAGS] : []),
  });
  try {
    const tab = await browser.newPage();
    tab.setDefaultTimeout(600000);
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
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
