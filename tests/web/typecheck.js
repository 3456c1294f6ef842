// The page's JavaScript checked by the TypeScript compiler from its JSDoc types (tsc --noEmit): the page's
// scripts with the DOM, the worker's with a worker's globals, and the explorer's data model strictly.
//
//   node tests/web/typecheck.js <web folder> <folder where npm installed typescript>
//
// Exits with 77 (skipped) when typescript is not installed there, unless VALIX_WEB_REQUIRED is set.
'use strict';
const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');

const [web, npm] = process.argv.slice(2).map((p) => path.resolve(p));
const tsc = path.join(npm, 'node_modules', 'typescript', 'bin', 'tsc');
if (!fs.existsSync(tsc)) {
  console.log(`typescript is not installed in ${npm} (npm install --prefix ${npm} typescript)`);
  process.exit(process.env.VALIX_WEB_REQUIRED ? 1 : 77);
}
let failed = false;
for (const config of ['tsconfig.json', 'tsconfig.worker.json', 'tsconfig.explorer.json']) {
  const run = spawnSync(process.execPath, [tsc, '--noEmit', '-p', path.join(web, config)], { encoding: 'utf8' });
  process.stdout.write(run.stdout + run.stderr);
  console.log(`${config}: ${run.status === 0 ? 'no error' : 'errors'}`);
  failed = failed || run.status !== 0;
}
process.exit(failed ? 1 : 0);
