// The input lines of a finding (web/explorer/source.js) under node's test runner: the line index that the
// page's worker builds (here run in this process, with slices of a few bytes, so that line ends fall on
// every side of a slice's edge and of a 4-byte word), and the block of lines shown for a finding.
//
//   node --test tests/web/explorer_source.test.js
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { SourceFiles, valixLineIndexer } = require('../../web/explorer/source.js');

// Runs the index worker's body here: its messages for the files, given as Blobs.
async function indexMessages(blobs, step, slice) {
  const buffers = await Promise.all(blobs.map((b) => b.arrayBuffer()));
  const posted = [];
  // FileReaderSync of a slice: the bytes of the Blob it came from, cut at the slice's bounds.
  function FileReaderSync() { this.readAsArrayBuffer = (s) => s.bytes; }
  const self = { postMessage: (m) => posted.push(m), FileReaderSync };
  const files = blobs.map((b, i) => ({
    size: b.size,
    slice: (from, to) => ({ bytes: buffers[i].slice(from, to) }),
  }));
  new Function('self', `(${valixLineIndexer.toString()})();`)(self);
  self.onmessage({ data: { files, step, slice } });
  return posted;
}

// The offsets a plain count gives: where lines 1, step + 1, 2 * step + 1... start.
function plainOffsets(bytes, step) {
  const offsets = [0];
  let lines = 0;
  for (let i = 0; i < bytes.length; i++) if (bytes[i] === 10 && ++lines % step === 0) offsets.push(i + 1);
  return { offsets, lines };
}

test('the line index notes where every step-th line starts, across slice and word edges', async () => {
  const texts = [
    'a\nb\n',
    '\n\n\n\n\n\n\nxy',
    'ab\ncd\nef\ngh\nijk\n\n\nl',
    'x'.repeat(5) + '\n'.repeat(21) + 'abc\r\nd\r\n',
    // Bytes that differ from LF in one bit only, and high bytes, which a word trick could take for LFs.
    '\x0b\x0e\x08\x8a\n\xff\x0a\x4a\x2a\n\x0b\x00\x0a',
  ];
  for (const text of texts) {
    const bytes = Buffer.from(text, 'latin1');
    for (const step of [1, 2, 3, 5]) {
      for (const slice of [4, 8, 12, 1 << 20]) {
        const posted = await indexMessages([new Blob([bytes])], step, slice);
        const last = posted[posted.length - 1];
        const want = plainOffsets(bytes, step);
        assert.ok(last.done, 'the last message says the file is done');
        assert.strictEqual(last.lines, want.lines, `${JSON.stringify(text)} step ${step} slice ${slice}: lines`);
        assert.deepStrictEqual(Array.from(last.offsets), want.offsets, `${JSON.stringify(text)} step ${step} slice ${slice}`);
      }
    }
  }
});

test('an empty file is indexed as done with no line', async () => {
  const posted = await indexMessages([new Blob([]), new Blob(['x\n'])], 2, 8);
  assert.deepStrictEqual(posted.map((m) => [m.file, m.lines, m.done]), [[0, 0, true], [1, 1, true]]);
});

// A small ZPV document in Windows-1250 with CR LF, one employer with two employees.
const document = [
  '<?xml version="1.0" encoding="windows-1250"?>', // 1
  '<ZPV verze="1.6">', // 2
  '  <rok>2009</rok>', // 3
  '  <zamestnavatel>', // 4
  '    <AA0017>12345679</AA0017>', // 5
  '    <AA0114>9.2417</AA0114>', // 6
  '    <zamestnanec>', // 7
  '      <AA0126>62276275</AA0126>', // 8
  '      <AA0013>31103</AA0013>', // 9
  '    </zamestnanec>', // 10
  '    <zamestnanec>', // 11
  '      <AA0126>62276276</AA0126>', // 12
  '      <poznamka>Dvořáková</poznamka>', // 13
  '    </zamestnanec>', // 14
  '    <AA0115>8</AA0115>', // 15
  '  </zamestnavatel>', // 16
  '</ZPV>', // 17
];
function cp1250(text) {
  const table = new Map();
  const chars = new TextDecoder('windows-1250').decode(Uint8Array.from({ length: 256 }, (_, i) => i));
  for (let i = 0; i < 256; i++) table.set(chars[i], i);
  return Uint8Array.from([...text].map((c) => table.get(c)));
}

async function sourceOf(texts, step) {
  const blobs = texts.map((t) => new Blob([cp1250(t)]));
  const source = new SourceFiles(blobs);
  source.step = step;
  for (const m of await indexMessages(blobs, step, 8)) source.take(m);
  return source;
}

test('a finding shows its employee record, the line marked, decoded from Windows-1250', async () => {
  for (const step of [1, 3, 1024]) {
    const source = await sourceOf([document.join('\r\n') + '\r\n'], step);
    const c = await source.context(0, 13);
    assert.strictEqual(c.first, 11);
    assert.deepStrictEqual(c.lines, document.slice(10, 14));
    assert.strictEqual(c.lines[c.mark], '      <poznamka>Dvořáková</poznamka>');
    // The record's own tags: the opening one, and the closing one.
    assert.deepStrictEqual([(await source.context(0, 7)).first, (await source.context(0, 10)).lines.length], [7, 4]);
  }
});

test("an employer's finding shows the employer's own lines up to its first employee", async () => {
  const source = await sourceOf([document.join('\n')], 2);
  const c = await source.context(0, 6);
  assert.strictEqual(c.first, 4);
  assert.deepStrictEqual(c.lines, document.slice(3, 6));
  assert.strictEqual(c.mark, 2);
});

test('outside any record, and at the end of a file without a last line end, a few lines either side', async () => {
  const source = await sourceOf([document.join('\n')], 4);
  const header = await source.context(0, 3);
  assert.deepStrictEqual([header.first, header.lines[header.mark]], [1, '  <rok>2009</rok>']);
  const end = await source.context(0, 17);
  assert.strictEqual(end.lines[end.mark], '</ZPV>');
  assert.strictEqual(end.lines.length, 9);
});

test('with several files, the lines come from the file asked for', async () => {
  const source = await sourceOf(['a\nb\nc\n', document.join('\r\n')], 2);
  const c = await source.context(1, 9);
  assert.strictEqual(c.lines[c.mark], '      <AA0013>31103</AA0013>');
  assert.deepStrictEqual(await source.lines(0, 2, 5), ['b', 'c']);
});
