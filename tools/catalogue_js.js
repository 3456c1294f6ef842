// Writes the error catalogue of report/catalogue.cpp (code, message, default expected text, in catalogue
// order) as a script for the page, so that the explorer knows every code's weight and message without a
// second copy of the table:
//
//   node tools/catalogue_js.js report/catalogue.cpp OUT.js
//
// OUT.js defines VALIX_CATALOGUE (and exports it to node). The first row of a code is the one the program
// uses; the end row ("KONEC") is left out.
'use strict';
const fs = require('fs');

const [source, out] = process.argv.slice(2);
const text = fs.readFileSync(source, 'utf8');
const start = text.indexOf('kCatalogue[kEndRow + 1] = {');
const end = text.indexOf('\n};', start);
if (start < 0 || end < 0) throw new Error(`no catalogue table in ${source}`);
const body = text.slice(text.indexOf('{', start) + 1, end).replace(/^\s*\/\/.*$/gm, ''); // comment lines

const rows = [];
const row = /\{((?:\s*"(?:[^"\\]|\\.)*"\s*,?)+)\s*\}/g;
for (let m; (m = row.exec(body));) {
  const fields = [''];
  const token = /"((?:[^"\\]|\\.)*)"|,/g;
  for (let t; (t = token.exec(m[1]));) {
    if (t[0] === ',') fields.push('');
    else fields[fields.length - 1] += t[1].replace(/\\(.)/g, '$1'); // adjacent literals are one text
  }
  if (fields.length !== 3) throw new Error(`a catalogue row of ${fields.length} texts: ${m[0]}`);
  rows.push(fields);
}
if (!rows.length || rows[rows.length - 1][0] !== 'KONEC') throw new Error('the catalogue does not end with its end row');
rows.pop();
fs.writeFileSync(out, '// The error catalogue (code, message, default expected text), made from report/catalogue.cpp.\n' +
  `var VALIX_CATALOGUE = ${JSON.stringify(rows)};\n` +
  "if (typeof module === 'object' && module.exports) module.exports = VALIX_CATALOGUE;\n");
