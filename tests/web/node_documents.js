// The WebAssembly build of the program under node on the end-to-end documents of tests/data: the same
// report bytes (all four formats) and echo files as the expected ones, and the same exit status.
//
//   node tests/web/node_documents.js build-web/valix.js tests/data
//
// A folder holds case.xml and expected.{htm,csv,txt,xml}; with expected-echo.xml the HTML run also writes
// the echo file; `args` replaces the default arguments ("case.xml REPORT [ECHO]"), `status` holds an exit
// status other than 0.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const [program, dataDir] = process.argv.slice(2).map((p) => path.resolve(p));

function cases(dir) {
  const out = [];
  for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
    const p = path.join(dir, e.name);
    if (e.isDirectory()) out.push(...cases(p));
    else if (e.name === 'expected.csv') out.push(dir);
  }
  return out.sort();
}

let failures = 0;
let runs = 0;
for (const dir of cases(dataDir)) {
  const name = path.relative(dataDir, dir);
  const withEcho = fs.existsSync(path.join(dir, 'expected-echo.xml'));
  const expectedStatus = fs.existsSync(path.join(dir, 'status'))
    ? Number(fs.readFileSync(path.join(dir, 'status'), 'utf8').trim()) : 0;
  for (const ext of ['htm', 'csv', 'txt', 'xml']) {
    const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-web-'));
    for (const f of fs.readdirSync(dir)) {
      if (fs.statSync(path.join(dir, f)).isFile()) fs.copyFileSync(path.join(dir, f), path.join(scratch, f));
    }
    const report = `report.${ext}`;
    const echo = withEcho && ext === 'htm';
    let args;
    if (fs.existsSync(path.join(dir, 'args'))) {
      args = fs.readFileSync(path.join(dir, 'args'), 'utf8').split(/\s+/).filter(Boolean)
        .map((w) => (w === 'REPORT' ? report : w === 'ECHO' ? 'echo.xml' : w));
    } else {
      args = ['case.xml', report].concat(echo ? ['echo.xml'] : []);
    }
    const runOnce = () => spawnSync(process.execPath, [program, ...args], {
      cwd: scratch,
      env: { ...process.env, SOURCE_DATE_EPOCH: '1246370709', TZ: 'UTC' },
      timeout: 60000,
    });
    const problems = [];
    const same = (got, want) => fs.existsSync(got) && fs.readFileSync(got).equals(fs.readFileSync(want));
    // The HTML run is made twice: the second replaces the report and the echo file of the first, as a
    // user's second run does (the files the first one made can be read and replaced by their owner).
    for (let round = 0; round < (ext === 'htm' ? 2 : 1); round++) {
      const run = runOnce();
      runs++;
      if (run.status !== expectedStatus) problems.push(`status ${run.status}, expected ${expectedStatus}`);
      if (!same(path.join(scratch, report), path.join(dir, `expected.${ext}`))) problems.push(`${report} differs`);
      if (echo && !same(path.join(scratch, 'echo.xml'), path.join(dir, 'expected-echo.xml'))) {
        problems.push('echo.xml differs');
      }
      for (const made of [report].concat(echo ? ['echo.xml'] : [])) {
        const p = path.join(scratch, made);
        if (fs.existsSync(p) && (fs.statSync(p).mode & 0o600) !== 0o600) problems.push(`${made} is not readable and writable by its owner`);
      }
      if (problems.length) break;
    }
    if (problems.length) {
      failures++;
      console.log(`FAIL ${name} ${ext}: ${problems.join('; ')} (kept in ${scratch})`);
    } else {
      fs.rmSync(scratch, { recursive: true, force: true });
    }
  }
}
console.log(`${runs - failures} of ${runs} runs gave the expected bytes`);
process.exit(failures === 0 && runs > 0 ? 0 : 1);
