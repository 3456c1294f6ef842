// The WebAssembly build of the program under node against the native program on every document of the
// fuzzing corpus: the CSV report, and the HTML report with the echo file, byte for byte, and the same exit
// status. The corpus holds the inputs that took the program down odd paths (cut documents, stray bytes,
// broken tags), where a difference of the two builds would show first.
//
//   node tests/web/node_corpus.js build-web/valix.js build/valix tests/fuzz/corpus
//
// Exit status 77 (skipped) when the native program is missing; CI sets VALIX_WEB_REQUIRED, and there a
// missing program is a failure.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFile } = require('child_process');

const [program, native, corpus] = process.argv.slice(2).map((p) => path.resolve(p));
if (!fs.existsSync(native)) {
  console.log(`${process.env.VALIX_WEB_REQUIRED ? 'FAIL' : 'skipped'}: no native program at ${native}`);
  process.exit(process.env.VALIX_WEB_REQUIRED ? 1 : 77);
}

const env = { ...process.env, SOURCE_DATE_EPOCH: '1246370709', TZ: 'UTC' };
// Each build runs in a folder of its own, under the same names, so the reports (which name the input)
// can be compared as they are.
const runs = [['case.xml', 'report.csv'], ['case.xml', 'report.htm', 'echo.xml']];
const outputs = ['report.csv', 'report.htm', 'echo.xml'];

function run(command, args, cwd) {
  return new Promise((resolve) => {
    execFile(command, args, { cwd, env, timeout: 60000, maxBuffer: 1 << 24 }, (error) => {
      resolve(error ? (error.code ?? String(error.signal)) : 0);
    });
  });
}

async function compare(name) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-corpus-'));
  const statuses = {};
  for (const side of ['native', 'web']) {
    const dir = path.join(scratch, side);
    fs.mkdirSync(dir);
    fs.copyFileSync(path.join(corpus, name), path.join(dir, 'case.xml'));
    statuses[side] = [];
    for (const args of runs) {
      statuses[side].push(await (side === 'native' ? run(native, args, dir)
        : run(process.execPath, [program, ...args], dir)));
    }
  }
  const problems = [];
  if (statuses.native.join() !== statuses.web.join()) {
    problems.push(`status ${statuses.web.join()}, native ${statuses.native.join()}`);
  }
  for (const f of outputs) {
    const a = path.join(scratch, 'native', f);
    const b = path.join(scratch, 'web', f);
    if (!fs.existsSync(a) || !fs.existsSync(b)) {
      if (fs.existsSync(a) !== fs.existsSync(b)) problems.push(`${f} written by one build only`);
    } else if (!fs.readFileSync(a).equals(fs.readFileSync(b))) {
      problems.push(`${f} differs`);
    }
  }
  if (problems.length) {
    console.log(`FAIL ${name}: ${problems.join('; ')} (kept in ${scratch})`);
    return false;
  }
  fs.rmSync(scratch, { recursive: true, force: true });
  return true;
}

async function main() {
  const names = fs.readdirSync(corpus).filter((n) => fs.statSync(path.join(corpus, n)).isFile()).sort();
  let failures = 0;
  let next = 0;
  // Two documents at a time: a node run is mostly the start of node and of the module.
  const worker = async () => {
    while (next < names.length) {
      if (!(await compare(names[next++]))) failures++;
    }
  };
  await Promise.all([worker(), worker()]);
  console.log(`${names.length - failures} of ${names.length} documents gave the native program's bytes`);
  process.exit(failures === 0 && names.length > 0 ? 0 : 1);
}

main();
