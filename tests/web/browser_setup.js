// What a test of the page needs before it starts: its options from the command line, the browser, the
// native program, the built page and puppeteer-core. A missing piece ends the test as skipped (exit status
// 77), or as failed where CI sets VALIX_WEB_REQUIRED: there a missing piece is a failure, not a reason to
// skip.
'use strict';
const fs = require('fs');
const path = require('path');

function skip(why) {
  console.log(`${process.env.VALIX_WEB_REQUIRED ? 'FAIL' : 'skipped'}: ${why}`);
  process.exit(process.env.VALIX_WEB_REQUIRED ? 1 : 77);
}

// "--name value" pairs.
function options(argv) {
  const opt = {};
  for (let i = 2; i + 1 < argv.length; i += 2) opt[argv[i].replace(/^--/, '')] = argv[i + 1];
  return opt;
}

const executables = {
  chromium: ['/usr/bin/chromium', '/usr/bin/chromium-browser', '/usr/bin/google-chrome'],
  firefox: ['/usr/bin/firefox-esr', '/usr/bin/firefox'],
};
const packages = { chromium: 'chromium', firefox: 'firefox-esr' };

// The browser's executable and puppeteer-core, once the native program (opt.valix) and the page (opt.page)
// are there.
function setUp(opt, browserName) {
  const executable = executables[browserName].find((p) => fs.existsSync(p));
  if (!executable) skip(`no ${browserName} (Debian: ${packages[browserName]})`);
  if (!fs.existsSync(opt.valix)) skip(`no native program at ${opt.valix} (build it first, or set VALIX_NATIVE_PROGRAM)`);
  if (!fs.existsSync(opt.page)) skip(`no page at ${opt.page}`);
  let puppeteer;
  try {
    puppeteer = require(require.resolve('puppeteer-core', { paths: [path.join(opt.npm, 'node_modules'), opt.npm] }));
  } catch (e) {
    skip(`no puppeteer-core (npm install --prefix ${opt.npm} puppeteer-core)`);
  }
  return { executable, puppeteer };
}

module.exports = { options, setUp, skip };
