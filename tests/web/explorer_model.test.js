// The explorer's data model (web/explorer/model.js) under node's test runner:
//
//   node --test tests/web/explorer_model.test.js
//
// With VALIX_NATIVE=<build/valix> the model is also checked against the native program's CSV and XML
// reports of the documents of tests/data and of examples/ (see the second half of this file).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const path = require('path');
const model = require('../../web/explorer/model.js');

const { FindingStore, compareRuns, parseCsvReport, parseXmlReport } = model;

const { makeBatch: batchFor } = require('./batch.js');
// A batch as the program's observer writes it.
const makeBatch = (records) => batchFor(model, records);

const NO = '   ';
const rec = (line, code, employer, person, element, value, expected, message) =>
  ({ line, code, employer, person, element, value, expected, message });

// Small runs of the shape real ones have: header findings without an employer, employer findings with
// the person of three blanks, several persons, several records of one person.
const RUN = [
  rec(3, 'ESICO', '', '', 'ICOpredkladatele', '1234', '', 'Chybná hodnota nebo délka'),
  rec(14, 'WL054', '12345679/1;2', NO, 'AA0113', '1;2', NO, 'Kód zařízení'),
  rec(30, 'EL046', '12345679/1;2', '1001', 'AA0013', '32328', NO, 'Neznámý kód zaměstnání'),
  rec(31, 'EL005', '12345679/1;2', '1001', 'AA0131', '"x"', '0 - 40', 'Překročena maximální hodnota'),
  rec(60, 'EL046', '12345679/1;2', '1002', 'AA0013', '32328', NO, 'Neznámý kód zaměstnání'),
  rec(90, 'EL046', '12345679/1;2', '1001', 'AA0013', '99999', NO, 'Neznámý kód zaměstnání'),
  rec(20, 'EL021', '12345679/1;2', NO, 'AA0118', '5', '4', 'Evidenční stav'),
  rec(120, 'ES303', '25596641', '7', 'AA0131', NO, NO, 'Prvkek nebyl uveden'),
];
// A finding about two records of one person names both lines.
const TWO_LINES = rec('96,30', 'EL003', '12345679/1;2', '1001', 'AA0231', '1952', '1953', 'Hodnota není shodná');

function storeOf(records, batchSize = 3) {
  const s = new FindingStore();
  for (let i = 0; i < records.length; i += batchSize) s.addBatch(makeBatch(records.slice(i, i + batchSize)));
  return s;
}

test('batches become records, with the file and its own line', () => {
  const s = storeOf([...RUN, TWO_LINES]);
  s.finish([1, 100]);
  assert.strictEqual(s.count, RUN.length + 1);
  const r = s.record(3);
  assert.deepStrictEqual(r, { ...RUN[3], lineText: '31', weight: 'E', file: 0, fileLine: 31 });
  // A line text of two lines: the first one counts for the order and the file.
  assert.deepStrictEqual([s.record(8).line, s.record(8).lineText, s.record(8).file], [96, '96,30', 0]);
  assert.deepStrictEqual([s.record(7).file, s.record(7).fileLine], [1, 21]);
  // The line where the second file starts is its line 1.
  assert.strictEqual(s.fileOfLine(100), 1);
  assert.strictEqual(s.fileOfLine(99), 0);
});

test('CSV rows are the console program\'s: quoted cells, empty and blank cells as they are', () => {
  const s = storeOf(RUN);
  assert.strictEqual(s.csvRow(1), '14;WL054;"12345679/1;2";   ;AA0113;"1;2";   ;Kód zařízení');
  assert.strictEqual(s.csvRow(3), '31;EL005;"12345679/1;2";1001;AA0131;"""x""";0 - 40;Překročena maximální hodnota');
  assert.strictEqual(s.csvRow(0), '3;ESICO;;;ICOpredkladatele;1234;;Chybná hodnota nebo délka');
  const bytes = s.exportCsv([0, 1]);
  const expected = Buffer.concat([
    Buffer.from(model.CSV_HEADER + '\r\n'),
    Buffer.from(model.encodeCp1250(s.csvRow(0) + '\r\n' + s.csvRow(1) + '\r\n')),
  ]);
  assert.ok(Buffer.from(bytes).equals(expected));
  // Windows-1250: one byte a character.
  assert.strictEqual(bytes.length, model.CSV_HEADER.length + s.csvRow(0).length + s.csvRow(1).length + 6);
});

test('summary by count, E before W on a tie, with distinct values, employers and persons', () => {
  const s = storeOf(RUN);
  const summary = s.codeSummary();
  assert.deepStrictEqual(summary.map((r) => r.code), ['EL046', 'EL005', 'EL021', 'ES303', 'ESICO', 'WL054']);
  assert.deepStrictEqual(summary[0], {
    weight: 'E', code: 'EL046', message: 'Neznámý kód zaměstnání', count: 3, values: 2, employers: 1,
    persons: 2, structure: false,
  });
  assert.strictEqual(summary.find((r) => r.code === 'ES303').structure, true);
  // Blank fillers are no value, person or employer.
  assert.deepStrictEqual(summary.find((r) => r.code === 'WL054'), {
    weight: 'W', code: 'WL054', message: 'Kód zařízení', count: 1, values: 1, employers: 1, persons: 0,
    structure: false,
  });
  assert.deepStrictEqual(s.patterns('EL046'), [
    { element: 'AA0013', value: '32328', count: 2 }, { element: 'AA0013', value: '99999', count: 1 }]);
  assert.deepStrictEqual(s.patterns('XX999'), []);
});

test('employers, their persons and one person\'s findings', () => {
  const s = storeOf(RUN);
  assert.deepStrictEqual(s.employers(), [
    { employer: '12345679/1;2', e: 5, w: 1 }, { employer: '', e: 1, w: 0 }, { employer: '25596641', e: 1, w: 0 }]);
  assert.deepStrictEqual(s.persons('12345679/1;2'), [
    { person: '1001', e: 3, w: 0 }, { person: NO, e: 1, w: 1 }, { person: '1002', e: 1, w: 0 }]);
  assert.deepStrictEqual(Array.from(s.personFindings('1001', '12345679/1;2')), [2, 3, 5]);
  assert.deepStrictEqual(Array.from(s.personFindings('7')), [7]);
});

test('select: every filter, both sorts, no cap', () => {
  const s = storeOf(RUN);
  const sel = (o) => Array.from(s.select(o));
  // By line; the report's order where lines are equal.
  assert.deepStrictEqual(sel({}), [0, 1, 6, 2, 3, 4, 5, 7]);
  assert.deepStrictEqual(sel({ sort: 'code' }), [3, 6, 2, 4, 5, 7, 0, 1]);
  assert.deepStrictEqual(sel({ weight: 'W' }), [1]);
  assert.deepStrictEqual(sel({ weight: 'E', code: 'EL046', person: '1001' }), [2, 5]);
  assert.deepStrictEqual(sel({ employer: '25596641' }), [7]);
  assert.deepStrictEqual(sel({ element: 'AA0131' }), [3, 7]);
  assert.deepStrictEqual(sel({ code: 'NOPE' }), []);
  // Free text: any text, case-insensitive, Czech letters included, and the line.
  assert.deepStrictEqual(sel({ text: 'neznámý KÓD' }), [2, 4, 5]);
  assert.deepStrictEqual(sel({ text: 'PŘEKROČENA' }), [3]);
  assert.deepStrictEqual(sel({ text: '120' }), [7]);
  const many = new FindingStore();
  for (let i = 0; i < 5000; i++) many.addRecord(rec(5000 - i, 'EL046', 'A', String(i), 'AA0013', 'v', NO, 'm'));
  const all = many.select({});
  assert.strictEqual(all.length, 5000);
  assert.strictEqual(many.record(all[0]).line, 1);
});

test('two runs compared by code, employer, person, element and value as multisets, not by line', () => {
  const prev = storeOf(RUN);
  const fixedRun = [
    // Lines moved; EL046 32328 of 1001 is still there, 99999 was fixed, EL005 twice now (one new).
    rec(25, 'EL046', '12345679/1;2', '1001', 'AA0013', '32328', NO, 'Neznámý kód zaměstnání'),
    rec(26, 'EL005', '12345679/1;2', '1001', 'AA0131', '"x"', '0 - 40', 'Překročena maximální hodnota'),
    rec(27, 'EL005', '12345679/1;2', '1001', 'AA0131', '"x"', '0 - 40', 'Překročena maximální hodnota'),
    rec(50, 'EL046', '12345679/1;2', '1002', 'AA0013', '32328', NO, 'Neznámý kód zaměstnání'),
    rec(55, 'EL047', '12345679/1;2', '1002', 'AA0033', 'XX', NO, 'Neznámý kód státu'),
  ];
  const cur = storeOf(fixedRun);
  const c = compareRuns(prev, cur);
  const by = Object.fromEntries(c.codes.map((r) => [r.code, [r.fixed, r.still, r.added]]));
  assert.deepStrictEqual(by, {
    EL046: [1, 2, 0], EL005: [0, 1, 1], EL047: [0, 0, 1], ESICO: [1, 0, 0], WL054: [1, 0, 0],
    EL021: [1, 0, 0], ES303: [1, 0, 0],
  });
  assert.deepStrictEqual(Array.from(c.fresh), [0, 0, 1, 0, 1]);
  assert.deepStrictEqual([c.fixed, c.still, c.added], [5, 3, 2]);
  assert.deepStrictEqual(Array.from(cur.select({ onlyNew: true })), [2, 4]);
});

// The store keeps its texts as Windows-1250 bytes and answers the list's questions with scans of typed
// arrays; a plain reading of the records' strings must give the same answers.
test('searches and orders agree with a plain reading of the records', () => {
  let seed = 7;
  const rnd = (n) => {
    seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
    return (seed >>> 8) % n;
  };
  const pick = (a) => a[rnd(a.length)];
  const words = ['Neznámý KÓD', 'překročena', 'ŽLUŤOUČKÝ kůň', '2009', '1;2', '"x"', '', NO, 'ab', 'b'];
  const records = [];
  for (let i = 0; i < 3000; i++) {
    const line = rnd(9) === 0 ? `${rnd(5000)},${rnd(5000)}` : pick([rnd(10), rnd(100000), 1000000000 + rnd(100), 2009 * rnd(30)]);
    records.push(rec(line, pick(['EL046', 'WL009', 'EL005', 'ES303', 'WL054']), pick(['A', 'B', '', 'Č' + rnd(20)]),
      pick([NO, String(rnd(300))]), pick(['AA0013', 'AA0131']), pick(words) + pick(words), pick([NO, '0 - 40']),
      pick(words) + ' ' + rnd(50)));
  }
  const s = storeOf(records, 1000);
  s.finish([1]);
  const all = Array.from({ length: s.count }, (_, i) => s.record(i));
  const byLine = all.map((r, i) => i).sort((a, b) => all[a].line - all[b].line || a - b);
  for (const needle of ['0', '09', '2009', '00', '1000000000', '10000000001', '45,', 'kód', 'ŽLUŤ', 'ůň 1', 'bb', 'b"',
    'a', ' ', ';', 'ab2', '€']) {
    const want = byLine.filter((i) => {
      const r = all[i];
      return [r.lineText, r.code, r.employer, r.person, r.element, r.value, r.expected, r.message]
        .some((t) => t.toLowerCase().includes(needle.toLowerCase()));
    });
    assert.deepStrictEqual(Array.from(s.select({ text: needle })), want, `free text ${JSON.stringify(needle)}`);
  }
  const byCode = byLine.slice().sort((a, b) => (all[a].code < all[b].code ? -1 : all[a].code > all[b].code ? 1 : 0));
  assert.deepStrictEqual(Array.from(s.select({ sort: 'code' })), byCode);
  assert.deepStrictEqual(Array.from(s.select({ sort: 'code', weight: 'W', text: 'b' })),
    byCode.filter((i) => all[i].weight === 'W' && Array.from(s.select({ text: 'b' })).includes(i)));
  // The hundred largest patterns of a code are the head of all of them.
  for (const code of ['EL046', 'WL009', 'NOPE']) {
    const top = s.topPatterns(code, 5);
    assert.deepStrictEqual(top.patterns, s.patterns(code).slice(0, 5));
    assert.strictEqual(top.total, s.patterns(code).length);
  }
  // The employers, most findings first, then in the report's order.
  const counts = new Map();
  all.forEach((r) => {
    const c = counts.get(r.employer) || { employer: r.employer, e: 0, w: 0 };
    c[r.weight.toLowerCase()]++;
    counts.set(r.employer, c);
  });
  assert.deepStrictEqual(s.employers(), [...counts.values()].sort((a, b) => b.e + b.w - a.e - a.w));
  // A text is one number however it came (a batch, a report's row), and only a text of the findings has one.
  const id = s.idOf('Neznámý KÓDab');
  assert.ok(id > 0);
  s.addRecord(rec(1, 'EL046', 'A', NO, 'AA0013', 'Neznámý KÓDab', NO, 'x'));
  assert.strictEqual(s.columns[4][s.count - 1], id);
  assert.strictEqual(s.idOf('neznámý kódab'), -1);
  assert.strictEqual(s.idOf('€'), -1);
  assert.strictEqual(s.texts[id], 'Neznámý KÓDab');
  // Compared in steps, the same as at once.
  const other = storeOf(records.slice(500, 2500).reverse(), 700);
  const once = compareRuns(s, other);
  const steps = model.compareSteps(s, storeOf(records.slice(500, 2500).reverse(), 700));
  let step;
  let yields = 0;
  while (!(step = steps.next()).done) yields++;
  assert.deepStrictEqual(step.value, once);
});

test('saved CSV and XML reports give the records back', () => {
  const s = storeOf([...RUN, TWO_LINES]);
  const csv = Buffer.concat([Buffer.from(s.exportCsv()), Buffer.from('\r\nCelkem chyb vahy E:;       7\r\n\r\nCelkem chyb vahy W:;       1\r\n')]);
  const back = parseCsvReport(csv);
  assert.strictEqual(back.count, s.count);
  for (let i = 0; i < s.count; i++) assert.deepStrictEqual(back.record(i), s.record(i));
  assert.deepStrictEqual(back.totals, { e: 7, w: 1 });
  const x = (t) => t.replace(/</g, '&lt;').replace(/>/g, '&gt;');
  let xml = '<?xml version = "1.0" encoding = "Windows-1250"?><ZPV_chyby>\r\n<DatumCas>30/06/2009  14:05:09</DatumCas>\r\n<Soubor>zpv.xml</Soubor>\r\n';
  for (const r of [...RUN, TWO_LINES]) {
    xml += `<Chyba>\r\n<Radek>${r.line}</Radek>\r\n<KodChyby>${r.code}</KodChyby>\r\n<Zamestnavatel>${x(r.employer)}</Zamestnavatel>\r\n<Zamestnanec>${x(r.person)}</Zamestnanec>\r\n<Prvek>${x(r.element)}</Prvek>\r\n<Hodnota>${x(r.value)}</Hodnota>\r\n<DelkaHodn>${x(r.expected)}</DelkaHodn>\r\n<Popis>${x(r.message)}</Popis>\r\n</Chyba>\r\n`;
  }
  xml += '\r\n<CelkemchybE>       7</CelkemchybE>\r\n<CelkemchybW>       1</CelkemchybW>\r\n</ZPV_chyby>\r\n';
  const fromXml = parseXmlReport(model.encodeCp1250(xml));
  assert.strictEqual(fromXml.count, s.count);
  for (let i = 0; i < s.count; i++) assert.deepStrictEqual(fromXml.record(i), s.record(i));
  assert.deepStrictEqual(fromXml.source, { file: 'zpv.xml', datetime: '30/06/2009  14:05:09' });
});

// ---- The model against the program ----
// The wasm program of the page (web/main.cpp, built for node) hands its findings over in batches; the
// records they make must export to the very finding rows of the native program's CSV report, and the
// native program's saved CSV and XML reports must read back as the same records. Skipped without the two
// programs (VALIX_NATIVE, VALIX_FINDINGS_MODULE), unless VALIX_WEB_REQUIRED is set.
const fs = require('fs');
const os = require('os');
const { spawnSync } = require('child_process');

const SOURCE = process.env.VALIX_SOURCE || path.resolve(__dirname, '../..');
const NATIVE = process.env.VALIX_NATIVE;
const MODULE = process.env.VALIX_FINDINGS_MODULE;
const missing = !NATIVE || !MODULE || !fs.existsSync(NATIVE) || !fs.existsSync(MODULE);
if (missing && process.env.VALIX_WEB_REQUIRED) throw new Error('VALIX_NATIVE and VALIX_FINDINGS_MODULE are required');
const withPrograms = missing ? { skip: 'no native program or wasm findings module' } : {};
const ENV = { ...process.env, SOURCE_DATE_EPOCH: '1246370709', TZ: 'UTC' };

let compiled = null;
// One run of the wasm program in `dir`: its status and the store its batches make.
async function wasmRun(dir, args) {
  const createValix = require(MODULE);
  if (!compiled) compiled = new WebAssembly.Module(fs.readFileSync(MODULE.replace(/\.js$/, '.wasm')));
  const batches = [];
  const starts = [];
  const m = await createValix({
    print() {}, printErr() {},
    valixFindings: (b) => batches.push(b),
    valixFileStart: (line) => starts.push(line),
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
      return {};
    },
  });
  const old = process.cwd();
  process.chdir(dir);
  process.env.SOURCE_DATE_EPOCH = ENV.SOURCE_DATE_EPOCH;
  let status;
  try {
    status = m.callMain(args);
  } finally {
    process.chdir(old);
  }
  const store = new FindingStore();
  for (const b of batches) store.addBatch(b);
  store.finish(starts);
  return { status, store, batches: batches.length, starts };
}

function nativeRun(dir, args) {
  return spawnSync(NATIVE, args, { cwd: dir, env: ENV }).status;
}

// The cases of tests/data (folders with expected.csv, their args) and the two examples.
function cases() {
  const out = [];
  const walk = (dir) => {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      const p = path.join(dir, e.name);
      if (e.isDirectory()) walk(p);
      else if (e.name === 'expected.csv') out.push(dir);
    }
  };
  walk(path.join(SOURCE, 'tests/data'));
  return out.sort();
}

function scratchOf(dir) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-explorer-'));
  for (const f of fs.readdirSync(dir)) {
    if (fs.statSync(path.join(dir, f)).isFile()) fs.copyFileSync(path.join(dir, f), path.join(scratch, f));
  }
  return scratch;
}

function argsOf(dir, report) {
  const file = path.join(dir, 'args');
  if (!fs.existsSync(file)) return ['case.xml', report];
  return fs.readFileSync(file, 'utf8').split(/\s+/).filter(Boolean)
    .map((w) => (w === 'REPORT' ? report : w)).filter((w) => w !== 'ECHO');
}

// The record's texts and line, without the file (a saved report does not say where files begin).
const texts = (store) => Array.from({ length: store.count }, (_, i) => {
  const { file, fileLine, ...rest } = store.record(i);
  return rest;
});

// The bytes of a report's header and finding rows: all before the totals (or the message of a run that
// ended early) that follow the rows.
function assertRowsOfReport(exported, report, name) {
  const head = Buffer.from(report.subarray(0, exported.length));
  assert.ok(head.equals(Buffer.from(exported)), `${name}: the export is not the report's start`);
  const after = report.subarray(exported.length).toString('latin1');
  assert.ok(after === '' || after.startsWith('\r\nCelkem chyb vahy E:') || after.startsWith(' '),
    `${name}: the report has more rows than the export: ${after.slice(0, 80)}`);
}

test('the wasm program\'s findings export to the CSV report\'s rows; saved reports read back the same', withPrograms, async () => {
  const all = cases().map((dir) => ({ dir, name: path.relative(SOURCE, dir) }));
  for (const doc of ['zpv.xml', 'zpv-chyby.xml']) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-explorer-ex-'));
    fs.copyFileSync(path.join(SOURCE, 'examples', doc), path.join(dir, 'case.xml'));
    all.push({ dir, name: 'examples/' + doc });
  }
  let findings = 0;
  for (const { dir, name } of all) {
    const scratch = scratchOf(dir);
    const nativeCsv = nativeRun(scratch, argsOf(dir, 'native.csv'));
    nativeRun(scratch, argsOf(dir, 'native.xml'));
    const run = await wasmRun(scratch, argsOf(dir, 'wasm.csv'));
    assert.strictEqual(run.status, nativeCsv, name);
    const csv = fs.readFileSync(path.join(scratch, 'native.csv'));
    assert.ok(fs.readFileSync(path.join(scratch, 'wasm.csv')).equals(csv), `${name}: the wasm report`);
    assertRowsOfReport(run.store.exportCsv(), csv, name);
    assertRowsOfReport(run.store.exportCsv(run.store.select({ sort: 'line' }).sort()), csv, name);
    for (let i = 0; i < run.store.count; i++) {
      const row = Buffer.from(model.encodeCp1250(run.store.csvRow(i) + '\r\n'));
      assert.ok(csv.includes(row), `${name}: row ${i}`);
    }
    assert.deepStrictEqual(texts(parseCsvReport(csv)), texts(run.store), `${name}: the saved CSV report`);
    const xml = fs.readFileSync(path.join(scratch, 'native.xml'));
    assert.deepStrictEqual(texts(parseXmlReport(xml)), texts(run.store), `${name}: the saved XML report`);
    findings += run.store.count;
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  assert.ok(findings > 200, `only ${findings} findings in all`);
});

test('the catalogue made from the program\'s gives every finding\'s message and weight', withPrograms, async () => {
  const file = process.env.VALIX_CATALOGUE_JS;
  assert.ok(file && fs.existsSync(file), 'no catalogue.js of the build (VALIX_CATALOGUE_JS)');
  model.setCatalogue(require(file));
  assert.deepStrictEqual(model.catalogueEntry('EL005'), {
    code: 'EL005', weight: 'E', message: 'Překročena maximální hodnota týdenní pracovní doby', expected: '0 - 40' });
  assert.strictEqual(model.catalogueEntry('KONEC'), null);
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-explorer-catalogue-'));
  fs.copyFileSync(path.join(SOURCE, 'examples/zpv-chyby.xml'), path.join(scratch, 'case.xml'));
  const { store } = await wasmRun(scratch, ['case.xml', 'out.csv']);
  for (const row of store.codeSummary()) {
    assert.strictEqual(model.catalogueEntry(row.code).message, row.message, row.code);
  }
  fs.rmSync(scratch, { recursive: true, force: true });
});

test('a list of two files: each finding knows its file and that file\'s own line', withPrograms, async () => {
  const dir = path.join(SOURCE, 'tests/data/lists/two-files');
  const scratch = scratchOf(dir);
  // Without -w, so that the W finding is listed (and seen) too.
  const run = await wasmRun(scratch, ['@list.txt', 'wasm.csv']);
  assert.deepStrictEqual(run.starts, [1, 86]);
  const r = run.store.select({ code: 'EL005' });
  assert.strictEqual(r.length, 1);
  assert.deepStrictEqual([run.store.record(r[0]).line, run.store.record(r[0]).file, run.store.record(r[0]).fileLine], [118, 1, 33]);
  assert.strictEqual(run.store.select({ weight: 'W' }).length, 1);
  fs.rmSync(scratch, { recursive: true, force: true });
});

test('a corrected document compared with the run before: fixed, still there and new, though lines moved', withPrograms, async () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'valix-explorer-compare-'));
  const before = fs.readFileSync(path.join(SOURCE, 'examples/zpv-chyby.xml')).toString('latin1');
  fs.writeFileSync(path.join(scratch, 'before.xml'), before, 'latin1');
  // The 45 hours a week are corrected (EL005 fixed), a comment line above goes (every later line moves
  // up by one) and a wrong occupation code comes in (a new EL046 beside the one still there).
  const after = before.replace('      <!-- more than 40 hours a week -->\r\n', '')
    .replace('<AA0131>45</AA0131>', '<AA0131>40</AA0131>')
    .replace('<AA0013>44931</AA0013>', '<AA0013>99999</AA0013>');
  assert.notStrictEqual(after, before);
  fs.writeFileSync(path.join(scratch, 'after.xml'), after, 'latin1');
  const prev = (await wasmRun(scratch, ['before.xml', 'before.csv'])).store;
  const cur = (await wasmRun(scratch, ['after.xml', 'after.csv'])).store;
  const c = compareRuns(prev, cur);
  const by = Object.fromEntries(c.codes.map((r) => [r.code, r]));
  assert.deepStrictEqual([by.EL005.fixed, by.EL005.still, by.EL005.added], [1, 0, 0]);
  assert.deepStrictEqual([by.EL046.fixed, by.EL046.still, by.EL046.added], [0, 1, 1]);
  for (const r of c.codes) {
    if (r.code !== 'EL005' && r.code !== 'EL046') assert.deepStrictEqual([r.code, r.fixed, r.added], [r.code, 0, 0]);
  }
  assert.strictEqual(c.still, prev.count - 1);
  const fresh = Array.from(cur.select({ onlyNew: true }));
  assert.deepStrictEqual(fresh.map((i) => [cur.record(i).code, cur.record(i).value]), [['EL046', '99999']]);
  // Findings after the removed line are still there under a line one less.
  const moved = cur.select({ code: 'EL079' });
  assert.strictEqual(cur.record(moved[0]).line, prev.record(prev.select({ code: 'EL079' })[0]).line - 1);
  fs.rmSync(scratch, { recursive: true, force: true });
});
