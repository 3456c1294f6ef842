// The browser edition in headless Chromium, driven as a user drives it: the page is opened from file://,
// files are chosen, options set, the run started, and the report and echo file saved by the page's
// buttons. Every saved file must equal, byte for byte, what the native program writes for the same input,
// options and time stamp. Also: two files checked as a list (after reordering them), binary garbage and
// an empty file, a file that can no longer be read, a second run without a reload, no network request
// of any kind from file://, and the page served over http. Leaves a screenshot of the page after a run
// in OUT/web.png.
//
//   node tests/web/page_test.js --page build-web/web/index.html --valix build/valix --source . \
//        --npm build-web/npm --out build-web/page-test
//
// Exit status 77 (skipped) when Chromium, puppeteer-core or the native program is missing.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { spawnSync } = require('child_process');

const { options, setUp } = require('./browser_setup');

const opt = options(process.argv);
const EPOCH = '1246370709';
const { executable: chromium, puppeteer } = setUp(opt, 'chromium');

const out = path.resolve(opt.out);
fs.rmSync(out, { recursive: true, force: true });
const inputs = path.join(out, 'inputs');
fs.mkdirSync(inputs, { recursive: true });
const examples = path.join(opt.source, 'examples');
for (const f of ['zpv.xml', 'zpv-chyby.xml']) fs.copyFileSync(path.join(examples, f), path.join(inputs, f));
// A name the program is given otherwise: blanks and letters outside ASCII.
fs.copyFileSync(path.join(examples, 'zpv-chyby.xml'), path.join(inputs, 'mzdy září 2009.xml'));
// Binary garbage (the same bytes every run) and an empty file.
const garbage = Buffer.alloc(200000);
for (let i = 0, x = 12345; i < garbage.length; i++) {
  x = (x * 1103515245 + 12345) >>> 0;
  garbage[i] = x >>> 24;
}
fs.writeFileSync(path.join(inputs, 'smeti.xml'), garbage);
fs.writeFileSync(path.join(inputs, 'prazdny.xml'), '');

// The native program in a folder of its own with the inputs under the names the page gives them.
let nativeRuns = 0;
function native(files, args, outputs) {
  const dir = path.join(out, `native-${++nativeRuns}`);
  fs.mkdirSync(dir);
  for (const [from, name] of files) if (from) fs.copyFileSync(from, path.join(dir, name));
  if (args[0].startsWith('@')) fs.writeFileSync(path.join(dir, args[0].slice(1)), files.map((f) => f[1]).join('\r\n') + '\r\n');
  // The console of a large document holds a progress line per employee: more than spawnSync keeps by default.
  const r = spawnSync(path.resolve(opt.valix), args, { cwd: dir, env: { ...process.env, SOURCE_DATE_EPOCH: EPOCH, TZ: 'UTC' },
                                                     maxBuffer: 1 << 30 });
  const got = { status: r.status, console: r.stdout.toString('latin1') };
  for (const o of outputs) got[o] = fs.existsSync(path.join(dir, o)) ? fs.readFileSync(path.join(dir, o)) : null;
  return got;
}

let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    console.log(`FAIL ${what}`);
  }
}

const chromiumArgs = ['--no-sandbox', '--disable-gpu', '--no-first-run'];

(async () => {
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: [...chromiumArgs, '--lang=cs'],
    env: { ...process.env, TZ: 'UTC' },
  });
  const requests = [];
  let runs = 0;
  try {
    let page = await browser.newPage();
    page.setDefaultTimeout(120000);
    await page.setViewport({ width: 1100, height: 1000 });
    page.on('request', (r) => requests.push(r.url()));
    page.on('pageerror', (e) => check(false, `script error in the page: ${e.message}`));
    const cdp = await browser.target().createCDPSession();
    const downloads = new Map();
    cdp.on('Browser.downloadWillBegin', (e) => downloads.set(e.guid, { name: e.suggestedFilename }));
    cdp.on('Browser.downloadProgress', (e) => {
      const d = downloads.get(e.guid);
      if (d && (e.state === 'completed' || e.state === 'canceled')) d.state = e.state;
    });

    const pageUrl = `file://${path.resolve(opt.page)}?epoch=${EPOCH}`;
    await page.goto(pageUrl);
    const text = await page.evaluate(() => document.body.innerText);
    check(text.includes('Soubor se kontroluje na tomto počítači a nikam se neodesílá.'), 'the page says the file stays on the computer');
    const version = fs.readFileSync(path.join(opt.source, 'CMakeLists.txt'), 'utf8').match(/project\(valix VERSION ([0-9.]+)/)[1];
    check(text.includes(`VALIX_v${version}`), `the page names version ${version}`);
    check(await page.$eval('#unsupported', (e) => e.hidden), 'a browser with wasm SIMD is not told that it lacks it');

    // One run as a user makes it: removes the files of the last run, chooses the files (in this order,
    // then moves the first one down `moveDown` times), sets the options, starts it and saves the outputs.
    async function pageRun(files, { format = 'htm', noWarnings = false, echo = false, moveDown = 0, beforeRun } = {}) {
      const dir = path.join(out, `page-${++runs}`);
      fs.mkdirSync(dir);
      await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir, eventsEnabled: true });
      while (await page.$('#files li')) await page.click('#files li button[title="odebrat"]');
      const input = await page.$('#choose');
      await input.uploadFile(...files.map((f) => path.join(inputs, f)));
      for (let i = 0; i < moveDown; i++) await page.click('#files li:first-child button[title="posunout dolů"]');
      await page.select('#format', format);
      const setBox = async (id, on) => {
        if ((await page.$eval(id, (b) => b.checked)) !== on) await page.click(id);
      };
      await setBox('#no-warnings', noWarnings);
      await setBox('#echo', echo);
      if (beforeRun) await beforeRun();
      const shownNames = await page.$$eval('#files li', (lis) => lis.map((li) => li.querySelector('.as') ?
        li.querySelector('.as').textContent.replace('v protokolu jako ', '') : li.querySelector('.name').textContent.replace(/^\d+\. (.*) \([^)]*\)$/, '$1')));
      await page.click('#run');
      await page.waitForFunction(() => !document.getElementById('result').hidden && document.body.dataset.status !== undefined);
      const result = await page.evaluate(() => ({
        status: document.body.dataset.status,
        heap: Number(document.body.dataset.heap),
        e: document.getElementById('total-e').textContent,
        w: document.getElementById('total-w').textContent,
        totalsShown: !document.getElementById('totals').hidden,
        fatal: document.getElementById('fatal').hidden ? '' : document.getElementById('fatal').textContent,
        console: document.getElementById('console').textContent,
        saves: [...document.querySelectorAll('#saves a')].map((a) => a.download),
      }));
      downloads.clear();
      for (const a of await page.$$('#saves a')) await a.click();
      const until = Date.now() + 30000;
      while ((downloads.size < result.saves.length || [...downloads.values()].some((d) => !d.state)) && Date.now() < until) {
        await new Promise((r) => setTimeout(r, 50));
      }
      result.files = {};
      for (const name of result.saves) {
        const p = path.join(dir, name);
        result.files[name] = fs.existsSync(p) ? fs.readFileSync(p) : null;
      }
      await page.evaluate(() => { delete document.body.dataset.status; });
      return { result, names: shownNames };
    }

    // Compares a page run with the native program's run on the same inputs with the same arguments.
    async function compare(label, files, options = {}) {
      const report = `zpve.${options.format || 'htm'}`;
      const { result, names } = await pageRun(files, options);
      const order = options.moveDown ? [...files.slice(1, 1 + options.moveDown), files[0], ...files.slice(1 + options.moveDown)] : files;
      const args = [order.length > 1 ? '@seznam.txt' : names[0], report];
      if (options.echo) args.push('vystup.xml');
      if (options.noWarnings) args.push('-w');
      const nat = native(order.map((f, i) => [options.missing === f ? null : path.join(inputs, f), names[i]]), args,
                         [report, 'vystup.xml']);
      check(String(nat.status) === result.status, `${label}: status ${result.status}, the program's ${nat.status}`);
      check(result.files[report] && nat[report] && result.files[report].equals(nat[report]), `${label}: ${report} equals the program's`);
      if (options.echo) {
        check(result.files['vystup.xml'] && nat['vystup.xml'] && result.files['vystup.xml'].equals(nat['vystup.xml']),
              `${label}: vystup.xml equals the program's`);
      } else {
        check(!result.saves.includes('vystup.xml'), `${label}: no echo file without the option`);
      }
      const m = /Celkem chyb vahy E:\s*(\d+)\s+Celkem chyb vahy W:\s*(\d+)/.exec(nat.console);
      if (m) check(result.totalsShown && result.e === m[1] && result.w === m[2], `${label}: totals E ${result.e} W ${result.w}, the program's ${m[1]} ${m[2]}`);
      check(result.heap === 16 * 1024 * 1024, `${label}: the wasm heap stayed at 16 MB (${result.heap})`);
      return { result, nat };
    }

    for (const doc of ['zpv.xml', 'zpv-chyby.xml']) {
      for (const format of ['htm', 'csv', 'txt', 'xml']) {
        await compare(`${doc} ${format}`, [doc], { format });
        await compare(`${doc} ${format} -w echo`, [doc], { format, noWarnings: true, echo: true });
      }
    }

    // Two files as a list, the first chosen moved below the second, one of them under a safe name.
    const list = await compare('list of two files', ['zpv.xml', 'mzdy září 2009.xml'], { moveDown: 1, format: 'txt', echo: true });
    check(list.result.files['zpve.txt'] && list.result.files['zpve.txt'].includes('Soubor:   mzdy_z____2009.xml'),
          'list: the report names the first file (after the reorder) under its safe name');
    await compare('binary garbage', ['smeti.xml'], { format: 'txt' });
    await compare('empty file', ['prazdny.xml'], { format: 'htm', echo: true });

    // A file that can no longer be read when the run starts: the program's own message and status 13.
    fs.copyFileSync(path.join(examples, 'zpv.xml'), path.join(inputs, 'zmizi.xml'));
    const gone = await compare('unreadable file', ['zmizi.xml'], {
      format: 'txt', missing: 'zmizi.xml', beforeRun: async () => fs.unlinkSync(path.join(inputs, 'zmizi.xml')),
    });
    check(gone.result.status === '13' && gone.result.fatal !== '' && gone.result.console.includes('Nelze otevrit soubor  zmizi.xml'),
          `unreadable file: the program's message is shown (${gone.result.console})`);
    // And the next run needs no reload.
    await compare('a run after the failed one', ['zpv-chyby.xml'], { format: 'htm' });
    // The HTML report is shown in a frame that may run no script and reach nothing of the page.
    await page.waitForSelector('#shown iframe');
    const frame = await page.$eval('#shown iframe', (f) => ({ sandbox: f.getAttribute('sandbox'), text: f.srcdoc }));
    check(frame.sandbox === '' && frame.text.includes('zpv-chyby.xml') && frame.text.includes('ESEMA'),
          `the HTML report is shown in a sandboxed frame (sandbox="${frame.sandbox}")`);
    await page.screenshot({ path: path.join(out, 'web.png'), fullPage: true });

    // A worker started ahead that never takes the run (Firefox has been seen to leave one waiting for
    // good; here the run's message to it, the one with the program's arguments, is lost): the run is
    // given to a new worker after a few seconds.
    await compare('a worker that does not take the run', ['zpv-chyby.xml'], {
      format: 'csv', echo: true, beforeRun: () => page.evaluate(() => {
        const post = Worker.prototype.postMessage;
        Worker.prototype.postMessage = function (message, transfer) {
          if (!message || !message.args) return post.call(this, message, transfer);
          Worker.prototype.postMessage = post;
        };
      }),
    });
    check(await page.evaluate(() => document.body.dataset.restarted) === '1', 'the run was given to a new worker once');

    const foreign = requests.filter((u) => !/^(file|blob|data):/.test(u));
    check(foreign.length === 0, `the page made no network request (${foreign.join(', ')})`);
    check(requests.filter((u) => u.startsWith('file:')).length === 1, `the page loaded nothing but itself (${requests.filter((u) => u.startsWith('file:')).join(', ')})`);

    // A document of 40 MB, read in several slices: the same bytes across the slices' edges, and the
    // progress bar moves with the employer and employee of the progress line (zpvgen of the native build).
    const zpvgen = path.join(path.dirname(path.resolve(opt.valix)), 'zpvgen');
    if (fs.existsSync(zpvgen)) {
      const big = path.join(inputs, 'velky.xml');
      spawnSync(zpvgen, ['--size', '40M', '--employees', '10-2000', '--error-rate', '0.01', '--seed', '7', '-o', big]);
      const seen = [];
      const watch = setInterval(async () => {
        try {
          seen.push(await page.$eval('#progress-text', (e) => e.textContent));
        } catch (e) { /* between runs */ }
      }, 30);
      await compare('40 MB in slices', ['velky.xml'], { format: 'csv', echo: true });
      clearInterval(watch);
      check(await page.evaluate(() => document.body.dataset.readAhead) === 'worker', '40 MB: the slices were read ahead, by a worker of their own');
      check(await page.evaluate(() => document.body.dataset.prefetched) === 'yes', '40 MB: the first slices were read while the options were set');
      // A document of 120 MB: the slices after the first few are read into the buffers of those the
      // program has passed, which the reading worker gets back.
      const larger = path.join(inputs, 'vetsi.xml');
      spawnSync(zpvgen, ['--size', '120M', '--employees', '10-2000', '--error-rate', '0.01', '--seed', '8', '-o', larger]);
      await compare('120 MB in slices', ['vetsi.xml'], { format: 'csv' });
      const refilled = Number(await page.evaluate(() => document.body.dataset.refilled));
      check(refilled >= 2, `120 MB: slices were read into buffers given back (${refilled})`);
      fs.rmSync(larger);
      // And each slice read when it is needed, as where the browser has no JSPI.
      await page.goto(`${pageUrl}&readahead=0`);
      await compare('40 MB in slices read when needed', ['velky.xml'], { format: 'htm', noWarnings: true });
      check(await page.evaluate(() => document.body.dataset.readAhead) === 'no', '40 MB: the slices were read when needed');
      check(seen.some((t) => /Přečteno [\d,]+ MB z 40,0 MB\nRadek +\d+ pro zamestnance +\d+ zamestnavatel +\d+/.test(t)),
            `40 MB: the progress shows the bytes read and the progress line (${seen.slice(-1)})`);
    } else {
      check(false, `no zpvgen next to ${opt.valix}`);
    }

    // The same page served over http, as an office may put it on its web site.
    const server = http.createServer((req, res) => {
      served.push(req.url);
      res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      res.end(fs.readFileSync(opt.page));
    });
    const served = [];
    await new Promise((r) => server.listen(0, '127.0.0.1', r));
    try {
      page = await browser.newPage();
      page.setDefaultTimeout(120000);
      page.on('pageerror', (e) => check(false, `script error in the page over http: ${e.message}`));
      await page.goto(`http://127.0.0.1:${server.address().port}/index.html?epoch=${EPOCH}`);
      await compare('over http', ['zpv-chyby.xml'], { format: 'xml', echo: true });
      check(served.length === 1, `over http the page asked the server for itself only (${served.join(', ')})`);
    } finally {
      server.close();
    }
  } finally {
    await browser.close();
  }

  // A browser without wasm SIMD (here V8 told that the processor lacks SSE4.1, which its SIMD needs) is
  // told so when the page opens, in Czech, and cannot start a run that would fail to compile the program.
  const old = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: [...chromiumArgs, '--js-flags=--no-enable-sse4-1'],
  });
  try {
    const page = await old.newPage();
    page.on('pageerror', (e) => check(false, `script error in the page without SIMD: ${e.message}`));
    await page.goto(`file://${path.resolve(opt.page)}`);
    await (await page.$('#choose')).uploadFile(path.join(inputs, 'zpv.xml'));
    const state = await page.evaluate(() => ({
      told: !document.getElementById('unsupported').hidden,
      text: document.getElementById('unsupported').textContent,
      listed: document.querySelectorAll('#files li').length,
      runDisabled: document.getElementById('run').disabled,
    }));
    check(state.told && /chybí mu WebAssembly\s+s instrukcemi SIMD/.test(state.text),
          `without SIMD: the page says so (${state.told}: ${state.text.trim()})`);
    check(state.listed === 1 && state.runDisabled, `without SIMD: the chosen file is listed, but the run cannot start`);
  } finally {
    await old.close();
  }
  console.log(`${runs} runs of the page, ${failures} failures; screenshot in ${path.join(out, 'web.png')}`);
  process.exit(failures === 0 ? 0 : 1);
})().catch((e) => {
  console.log(`FAIL ${e.stack || e}`);
  process.exit(1);
});
