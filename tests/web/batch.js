// A batch of findings as the program's observer writes it (the format is described in
// web/explorer/model.js), for the model's tests and its benchmark. A record is
// {line, code, employer, person, element, value, expected, message}; texts are interned within the batch.
'use strict';

function makeBatch(model, records) {
  const texts = [];
  const ids = new Map();
  const id = (s) => {
    if (!ids.has(s)) {
      ids.set(s, texts.length);
      texts.push(s);
    }
    return ids.get(s);
  };
  const fields = ['code', 'employer', 'person', 'element', 'value', 'expected', 'message'];
  const nums = [];
  for (const r of records) {
    const line = String(r.line);
    const number = parseInt(line, 10);
    nums.push(number, String(number) === line ? 0xffffffff : id(line), ...fields.map((f) => id(r[f])));
  }
  const encoded = texts.map((s) => model.encodeCp1250(s));
  const bytes = encoded.reduce((n, e) => n + e.length, 0);
  const buf = new ArrayBuffer(16 + 4 * (nums.length + texts.length + 1) + bytes);
  const u32 = new Uint32Array(buf, 0, 4 + nums.length + texts.length + 1);
  u32.set([model.BATCH_MAGIC, records.length, texts.length, bytes]);
  u32.set(nums, 4);
  let off = 0;
  const at = 4 + nums.length;
  const u8 = new Uint8Array(buf, 16 + 4 * (nums.length + texts.length + 1));
  encoded.forEach((e, k) => {
    u32[at + k] = off;
    u8.set(e, off);
    off += e.length;
  });
  u32[at + texts.length] = off;
  return buf;
}

module.exports = { makeBatch };
