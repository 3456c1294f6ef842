// The explorer's data model with many findings: the JS heap it takes and the time of what the page asks of
// it, for a run of a systematic fault (by default 1 000 000 findings: an unknown occupation code in
// every record, a wrong figure in many, a few per employer).
//
//   node --expose-gc tools/bench_explorer.js [FINDINGS]
//
// The batches are made here the way web/main.cpp makes them (a thousand findings each); their making is
// not timed.
'use strict';
const path = require('path');
const model = require(path.join(__dirname, '..', 'web', 'explorer', 'model.js'));

const total = Number(process.argv[2] || 1000000);
const gc = global.gc || (() => {});

const { makeBatch } = require(path.join(__dirname, '..', 'tests', 'web', 'batch.js'));
const FIELDS = ['line', 'code', 'employer', 'person', 'element', 'value', 'expected', 'message'];
// One batch of the program's observer for these records ([line, code, employer, person, element, value,
// expected, message]).
function batchOf(records) {
  return makeBatch(model, records.map((r) => Object.fromEntries(FIELDS.map((f, i) => [f, r[i]]))));
}

// The findings of a document of 2 000 employers of 250 records each, two findings a record on average.
function* findings(n) {
  let line = 20;
  for (let i = 0; i < n; i++) {
    const employer = String(10000000 + Math.floor(i / 500) * 7);
    const person = String(100000 + Math.floor(i / 2));
    line += 17 + (i % 5);
    if (i % 2 === 0) {
      yield [line, 'EL046', employer, person, 'AA0013', String(30000 + (i % 997)), '   ', 'Neznámý kód zaměstnání'];
    } else if (i % 7 === 1) {
      yield [line, 'EL051', employer, person, 'AA0138', String(12000 + (i % 5000)).padStart(10), String(11990).padStart(10),
        'Nesouhlasí výše platového tarifu - pro tabulku platových tarifů.'];
    } else if (i % 11 === 3) {
      yield [line, 'WL009', employer, person, 'AA0134', String(i % 900), '   ',
        'Průměrný evid. stav přep. krát počet proplacených hodin bez přesčasů neodpovídá celkovému počtu hodin v daném období'];
    } else {
      yield [line, 'EL005', employer, person, 'AA0131', String(40 + (i % 13)) + '.5', '0 - 40',
        'Překročena maximální hodnota týdenní pracovní doby'];
    }
  }
}

function storeOf(n) {
  const batches = [];
  let records = [];
  for (const r of findings(n)) {
    records.push(r);
    if (records.length === 1024) {
      batches.push(batchOf(records));
      records = [];
    }
  }
  if (records.length) batches.push(batchOf(records));
  gc();
  const before = process.memoryUsage().heapUsed;
  const t0 = performance.now();
  const store = new model.FindingStore();
  let longest = 0;
  for (let k = 0; k < batches.length; k++) {
    const t = performance.now();
    store.addBatch(batches[k]);
    longest = Math.max(longest, performance.now() - t);
    batches[k] = null; // the page holds a batch only until it is added
  }
  store.finish([1]);
  const seconds = (performance.now() - t0) / 1000;
  gc();
  const heap = process.memoryUsage().heapUsed - before;
  const buffers = store.lines.buffer.byteLength + store.columns.reduce((n, c) => n + c.buffer.byteLength, 0) +
    store.codeValues.bytes + store.codeEmployers.bytes + store.codePersons.bytes + store.textPool.size;
  return { store, seconds, longest, heap, buffers };
}

function time(label, f) {
  const t = performance.now();
  const v = f();
  console.log(`${label.padEnd(44)} ${(performance.now() - t).toFixed(0).padStart(6)} ms`);
  return v;
}

const { store, seconds, longest, heap, buffers } = storeOf(total);
console.log(`${store.count} findings, ${store.textCount} distinct texts`);
console.log(`${'batches added'.padEnd(44)} ${(seconds * 1000).toFixed(0).padStart(6)} ms (longest batch ${longest.toFixed(1)} ms)`);
console.log(`${'JS heap of the store: objects'.padEnd(44)} ${(heap / 1048576).toFixed(1).padStart(6)} MB`);
console.log(`${'  and its typed arrays'.padEnd(44)} ${(buffers / 1048576).toFixed(1).padStart(6)} MB`);
time('codeSummary()', () => store.codeSummary());
time('patterns(EL046)', () => store.patterns('EL046'));
time('employers()', () => store.employers());
time('persons(first employer)', () => store.persons(store.record(0).employer));
time('select({}) by line', () => store.select({}));
time('select({sort: code})', () => store.select({ sort: 'code' }));
time('select({code: EL005})', () => store.select({ code: 'EL005' }));
time('select({text: "12345"})', () => store.select({ text: '12345' }));
time('select({weight: W, element: AA0134})', () => store.select({ weight: 'W', element: 'AA0134' }));
const csv = time('exportCsv() of all', () => store.exportCsv());
console.log(`${'  CSV bytes'.padEnd(44)} ${(csv.length / 1048576).toFixed(1).padStart(6)} MB`);
const back = time('parseCsvReport() of that export', () => model.parseCsvReport(csv));
if (back.count !== store.count) throw new Error('the CSV read back has ' + back.count + ' findings');
const next = storeOf(Math.floor(total * 0.9)).store;
time('compareRuns() with a run of 90 % of them', () => model.compareRuns(store, next));
gc();
const mem = process.memoryUsage();
console.log(`${'JS heap in all (two stores, a CSV read back)'.padEnd(44)} ${((mem.heapUsed + mem.arrayBuffers) / 1048576).toFixed(1).padStart(6)} MB (objects ${(mem.heapUsed / 1048576).toFixed(1)}, array buffers ${(mem.arrayBuffers / 1048576).toFixed(1)})`);
