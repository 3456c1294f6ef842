// @ts-check
// The findings explorer's data: every finding of a run (or of a saved CSV or XML report) as a record, held
// compactly, and what the page asks of them: the summary per code, the patterns of one code, the employers
// and their persons, a filtered and sorted list, the console program's CSV row of a finding, the comparison
// with the previous run and the parsing of saved reports. No DOM: the page, the worker and node's tests use
// this one script (a plain script, no module syntax, so that it also runs in the page opened from file://).
//
// A record is eight texts (line, code, employer, person, element, value, expected, message), the same texts
// the report's row shows. The line is held as a number (the few line texts that are not just a number, such
// as "519,579" of a finding about two records of one person, are kept beside it); every other text is
// interned (one JS string per distinct text) and the records hold only the texts' numbers in typed arrays:
// 32 bytes a record.
//
// The batches that the program's observer hands over (web/main.cpp writes them), all numbers 32-bit little
// endian:
//   magic 0x31425856 ("VXB1"), n records, m texts, b bytes of text;
//   n records of 9 numbers: the line (the first number of the line text), the batch's text number of the
//   line text when it is not simply that number's decimal text (else 0xFFFFFFFF), then the batch's text
//   numbers of code, employer, person, element, value, expected, message;
//   m + 1 offsets of the texts in the text bytes (the last one is b);
//   b bytes: the texts in Windows-1250, one after the other.
// A text stands once in a batch however many of its records show it.
'use strict';

var VALIX_BATCH_MAGIC = 0x31425856;
var VALIX_BATCH_FIELDS = 9;
var VALIX_PLAIN_LINE = 0xffffffff;

/** The CSV report's header line (without its line end). */
var VALIX_CSV_HEADER = 'Radek;Chyba;Zamestnavatel;Zamestnanec;Prvek;Hodnota;Ocekavano;Popis';

/**
 * @typedef {Object} FindingRecord
 * @property {number} line      global line number (over all files of a list); the first one of a line text
 *                              that names several
 * @property {string} lineText  the line as the report shows it
 * @property {string} code
 * @property {string} weight    'E' or 'W' (the code's first letter)
 * @property {string} employer
 * @property {string} person
 * @property {string} element
 * @property {string} value
 * @property {string} expected
 * @property {string} message
 * @property {number} file      index of the input file the line falls in
 * @property {number} fileLine  the line number within that file
 */

/**
 * @typedef {Object} FindingTexts
 * @property {number|string} line
 * @property {string} code
 * @property {string} employer
 * @property {string} person
 * @property {string} element
 * @property {string} value
 * @property {string} expected
 * @property {string} message
 */

/**
 * @typedef {Object} CodeSummaryRow
 * @property {string} weight
 * @property {string} code
 * @property {string} message
 * @property {number} count
 * @property {number} values     distinct values (blank fillers not counted)
 * @property {number} employers  distinct employers (the header's findings, with no employer, not counted)
 * @property {number} persons    distinct persons (employer and employee identifier; blank ones not counted)
 * @property {boolean} structure a structure finding (ES300 to ES309): later findings may follow from it
 */

/**
 * @typedef {Object} SelectOptions
 * @property {string} [weight]   'E', 'W' or '' for both
 * @property {string} [code]
 * @property {string} [employer]
 * @property {string} [person]
 * @property {string} [element]
 * @property {string} [text]     free text, found in any of the row's texts, case-insensitive
 * @property {'line'|'code'} [sort]
 * @property {boolean} [onlyNew] only the findings that compareRuns marked new
 */

/**
 * @typedef {Object} CodeComparison
 * @property {string} code
 * @property {string} weight
 * @property {number} fixed  in the previous run, not in this one
 * @property {number} still  in both
 * @property {number} added  in this run, not in the previous one
 */

// ---- Windows-1250 ----

/** @type {TextDecoder|null} */
var valixCp1250Decoder = null;
/** @returns {TextDecoder} */
function valixDecoder() {
  if (!valixCp1250Decoder) valixCp1250Decoder = new TextDecoder('windows-1250');
  return valixCp1250Decoder;
}

/** @type {Uint8Array|null} the Windows-1250 byte of each UTF-16 code unit, 0 where there is none */
var valixCp1250Table = null;
/** @returns {Uint8Array} */
function valixCp1250Bytes() {
  if (!valixCp1250Table) {
    var all = new Uint8Array(256);
    for (var b = 0; b < 256; b++) all[b] = b;
    var chars = valixDecoder().decode(all);
    valixCp1250Table = new Uint8Array(65536);
    for (var k = 1; k < 256; k++) valixCp1250Table[chars.charCodeAt(k)] = k;
  }
  return valixCp1250Table;
}

/** @type {Uint8Array|null} each Windows-1250 byte's lower-case byte */
var valixLowerTable = null;
/** @returns {Uint8Array} */
function valixLowerBytes() {
  if (!valixLowerTable) {
    var table = valixCp1250Bytes();
    var all = new Uint8Array(256);
    for (var b = 0; b < 256; b++) all[b] = b;
    var chars = valixDecoder().decode(all);
    valixLowerTable = new Uint8Array(256);
    for (var k = 0; k < 256; k++) {
      var lower = chars.charAt(k).toLowerCase();
      var byte = lower.length === 1 ? table[lower.charCodeAt(0)] : 0;
      valixLowerTable[k] = byte || k;
    }
  }
  return valixLowerTable;
}

/**
 * The text as Windows-1250 bytes. Every character of a text that came from Windows-1250 bytes has its
 * byte; any other character becomes '?'.
 * @param {string} s
 * @returns {Uint8Array}
 */
function valixEncodeCp1250(s) {
  var out = new Uint8Array(s.length);
  valixEncodeInto(s, out);
  return out;
}

/**
 * Writes the text's Windows-1250 bytes (s.length of them) to `out`; false when a character had none
 * (it became '?').
 * @param {string} s
 * @param {Uint8Array} out
 * @returns {boolean}
 */
function valixEncodeInto(s, out) {
  var table = valixCp1250Bytes();
  var whole = true;
  for (var i = 0; i < s.length; i++) {
    var c = s.charCodeAt(i);
    var byte = c < 128 ? c : table[c];
    if (byte === 0 && c !== 0) {
      byte = 63;
      whole = false;
    }
    out[i] = byte;
  }
  return whole;
}

/**
 * A cell of the CSV report: one holding ';', '"' or a line end is quoted, an inner '"' doubled.
 * @param {string} s
 * @returns {string}
 */
function valixCsvCell(s) {
  if (!/[;"\r\n]/.test(s)) return s;
  return '"' + s.replace(/"/g, '""') + '"';
}

/**
 * @param {string} s
 * @returns {boolean}
 */
function valixBlank(s) {
  return s.trim() === '';
}

/**
 * @param {string} code
 * @returns {boolean}
 */
function valixIsStructure(code) {
  return /^ES30[0-9]$/.test(code);
}

// ---- The catalogue ----

/** @type {Map<string, {code: string, weight: string, message: string, expected: string}>|null} */
var valixCatalogueByCode = null;

/**
 * The catalogue to use: rows of code, message and default expected text in catalogue order (the page
 * holds VALIX_CATALOGUE, made from the program's catalogue at build time; node's tests pass it here).
 * @param {string[][]} rows
 */
function setCatalogue(rows) {
  valixCatalogueByCode = new Map();
  for (var i = 0; i < rows.length; i++) {
    var code = rows[i][0];
    // The first row of a code is the one the program uses.
    if (!valixCatalogueByCode.has(code)) {
      valixCatalogueByCode.set(code, { code: code, weight: code.charAt(0), message: rows[i][1], expected: rows[i][2] });
    }
  }
}

/**
 * A code's entry in the program's catalogue (weight, message, default expected text), or null for a code
 * the catalogue lacks (or with no catalogue at hand).
 * @param {string} code
 * @returns {{code: string, weight: string, message: string, expected: string}|null}
 */
function catalogueEntry(code) {
  if (!valixCatalogueByCode && typeof VALIX_CATALOGUE !== 'undefined') setCatalogue(VALIX_CATALOGUE);
  var e = valixCatalogueByCode ? valixCatalogueByCode.get(code) : undefined;
  return e || null;
}

// ---- The distinct texts ----

/**
 * The distinct texts of a store, each with its number (0 is ''), held as their Windows-1250 bytes one after
 * the other and found again by a hash of those bytes: adding a batch makes no JS string, so that a run with
 * a million findings costs the page little while the program still runs. A text's string is decoded when
 * asked for; all of them at once when `all()` is called.
 */
class ValixTexts {
  constructor() {
    this.count = 0;
    /** @type {Uint8Array} the texts' bytes; text k is bytes[starts[k]] to bytes[starts[k + 1]] */
    this.bytes = new Uint8Array(1 << 16);
    this.starts = new Uint32Array(1025);
    /** @type {Uint32Array} each text's hash */
    this.hashes = new Uint32Array(1024);
    /** @type {Uint8Array} 1 for a text that is empty or only blanks (a filler, no value) */
    this.blank = new Uint8Array(1024);
    this.slots = new Int32Array(2048).fill(-1);
    this.mask = 2047;
    /** @type {string[]} the texts decoded so far, from the first one on */
    this.decoded = [];
    /** @type {Uint8Array|null} the bytes in lower case, as far as `lowered` */
    this.lower = null;
    this.lowered = 0;
    this.scratch = new Uint8Array(256);
    this.add(this.bytes, 0, 0);
  }

  /**
   * Room for `texts` more texts of `bytes` bytes in all, so that a batch grows the tables once at most.
   * @param {number} texts
   * @param {number} bytes
   */
  reserve(texts, bytes) {
    var need = this.count + texts;
    if (need > this.hashes.length) {
      var cap = this.hashes.length;
      while (cap < need) cap *= 2;
      var starts = new Uint32Array(cap + 1);
      starts.set(this.starts.subarray(0, this.count + 1));
      this.starts = starts;
      var hashes = new Uint32Array(cap);
      hashes.set(this.hashes.subarray(0, this.count));
      this.hashes = hashes;
      var blank = new Uint8Array(cap);
      blank.set(this.blank.subarray(0, this.count));
      this.blank = blank;
    }
    if (2 * need > this.mask + 1) {
      var size = this.mask + 1;
      while (size < 2 * need) size *= 2;
      this.mask = size - 1;
      var slots = new Int32Array(size).fill(-1);
      for (var id = 0; id < this.count; id++) {
        var s = this.hashes[id] & this.mask;
        while (slots[s] >= 0) s = (s + 1) & this.mask;
        slots[s] = id;
      }
      this.slots = slots;
    }
    var used = this.starts[this.count];
    if (used + bytes > this.bytes.length) {
      var room = this.bytes.length;
      while (room < used + bytes) room *= 2;
      var more = new Uint8Array(room);
      more.set(this.bytes.subarray(0, used));
      this.bytes = more;
    }
  }

  /**
   * The slot of the text of these bytes, or the free slot where it would go.
   * @param {Uint8Array} src @param {number} from @param {number} to @param {number} h its hash
   * @returns {number}
   */
  slot(src, from, to, h) {
    var len = to - from;
    var bytes = this.bytes;
    var starts = this.starts;
    for (var s = h & this.mask; ; s = (s + 1) & this.mask) {
      var id = this.slots[s];
      if (id < 0) return s;
      if (this.hashes[id] !== h || starts[id + 1] - starts[id] !== len) continue;
      var at = starts[id];
      var k = 0;
      while (k < len && bytes[at + k] === src[from + k]) k++;
      if (k === len) return s;
    }
  }

  /**
   * The number of the text of these bytes, added if new.
   * @param {Uint8Array} src @param {number} from @param {number} to
   * @returns {number}
   */
  add(src, from, to) {
    var h = valixHash(src, from, to);
    var s = this.slot(src, from, to, h);
    if (this.slots[s] >= 0) return this.slots[s];
    var len = to - from;
    if (this.count + 1 > this.hashes.length || 2 * (this.count + 1) > this.mask + 1 ||
        this.starts[this.count] + len > this.bytes.length) {
      this.reserve(1, len);
      s = this.slot(src, from, to, h);
    }
    var id = this.count++;
    var at = this.starts[id];
    var blank = 1;
    for (var k = 0; k < len; k++) {
      var b = src[from + k];
      this.bytes[at + k] = b;
      if (b !== 32) blank = 0;
    }
    this.starts[id + 1] = at + len;
    this.hashes[id] = h;
    this.blank[id] = blank;
    this.slots[s] = id;
    return id;
  }

  /**
   * The number of the text of these bytes, or -1.
   * @param {Uint8Array} src @param {number} from @param {number} to
   * @returns {number}
   */
  find(src, from, to) {
    return this.slots[this.slot(src, from, to, valixHash(src, from, to))];
  }

  /**
   * The text's bytes in the scratch buffer (their number), or -1 when the text has a character that
   * Windows-1250 lacks.
   * @param {string} s
   * @returns {number}
   */
  encode(s) {
    if (s.length > this.scratch.length) this.scratch = new Uint8Array(2 * s.length);
    return valixEncodeInto(s, this.scratch) ? s.length : -1;
  }

  /**
   * The number of a text, added if new (a character that Windows-1250 lacks becomes '?').
   * @param {string} s
   * @returns {number}
   */
  intern(s) {
    var n = this.encode(s);
    return this.add(this.scratch, 0, n < 0 ? s.length : n);
  }

  /**
   * The number of a text, or -1.
   * @param {string} s
   * @returns {number}
   */
  idOf(s) {
    var n = this.encode(s);
    return n < 0 ? -1 : this.find(this.scratch, 0, n);
  }

  /**
   * @param {number} id
   * @returns {string}
   */
  text(id) {
    if (id < this.decoded.length) return this.decoded[id];
    return valixDecoder().decode(this.bytes.subarray(this.starts[id], this.starts[id + 1]));
  }

  /**
   * Every text as a string, by number (decoded once; Windows-1250 is one byte a character, so the texts
   * are cut from one decoded string at their byte offsets).
   * @returns {string[]}
   */
  all() {
    var d = this.decoded;
    if (d.length < this.count) {
      var base = this.starts[d.length];
      var whole = valixDecoder().decode(this.bytes.subarray(base, this.starts[this.count]));
      for (var id = d.length; id < this.count; id++) d.push(whole.substring(this.starts[id] - base, this.starts[id + 1] - base));
    }
    return d;
  }

  /**
   * For each text, 1 when it holds the free text, case-insensitive: one scan of the texts' bytes in lower
   * case (kept for the next search).
   * @param {string} needle
   * @returns {Uint8Array}
   */
  matches(needle) {
    var out = new Uint8Array(this.count);
    var n = this.encode(needle.toLowerCase());
    if (n < 0) return out; // a character no text can hold
    var lowerOf = valixLowerBytes();
    var want = this.scratch.slice(0, n);
    for (var w = 0; w < n; w++) want[w] = lowerOf[want[w]];
    var end = this.starts[this.count];
    if (!this.lower || this.lower.length < end) {
      var lower = new Uint8Array(this.bytes.length);
      if (this.lower) lower.set(this.lower.subarray(0, this.lowered));
      this.lower = lower;
    }
    var l = this.lower;
    for (var b = this.lowered; b < end; b++) l[b] = lowerOf[this.bytes[b]];
    this.lowered = end;
    if (n === 0) return out.fill(1);
    var starts = this.starts;
    var id = 0;
    for (var p = l.indexOf(want[0], 0); p >= 0 && p + n <= end; p = l.indexOf(want[0], p + 1)) {
      while (starts[id + 1] <= p) id++;
      if (p + n > starts[id + 1]) continue;
      var k = 1;
      while (k < n && l[p + k] === want[k]) k++;
      if (k < n) continue;
      out[id] = 1;
      // The rest of this text need not be searched.
      p = starts[id + 1] - 1;
    }
    return out;
  }

  /** The bytes the texts take in typed arrays. */
  get size() {
    return this.bytes.byteLength + this.starts.byteLength + this.hashes.byteLength + this.blank.byteLength +
        this.slots.byteLength + (this.lower ? this.lower.byteLength : 0);
  }
}

/**
 * FNV-1a of the bytes.
 * @param {Uint8Array} src @param {number} from @param {number} to
 * @returns {number}
 */
function valixHash(src, from, to) {
  var h = 0x811c9dc5;
  for (var i = from; i < to; i++) h = Math.imul(h ^ src[i], 0x01000193);
  return h >>> 0;
}

// ---- The store ----

var VALIX_COLUMNS = ['code', 'employer', 'person', 'element', 'value', 'expected', 'message'];

class FindingStore {
  constructor() {
    /** @type {number} */
    this.size = 0;
    this.capacity = 1024;
    this.lines = new Uint32Array(this.capacity);
    /** @type {Uint32Array[]} texts' numbers, one column per field of VALIX_COLUMNS */
    this.columns = VALIX_COLUMNS.map(function () { return new Uint32Array(1024); });
    /** the distinct texts; 0 is '' */
    this.textPool = new ValixTexts();
    /** @type {Map<number, number>} the line texts that are not just their number, by record */
    this.lineTexts = new Map();
    /** @type {number[]} the global first line of each input file */
    this.fileStarts = [1];
    this.finished = false;
    /** @type {Uint8Array|null} 1 for a finding that compareRuns found new */
    this.newMarks = null;
    /** Totals of a saved report, or of the run as the page gives them: E and W (suppressed W included). */
    this.totals = { e: -1, w: -1 };
    /** The report header's input file name and time stamp, where a saved report gives them. */
    this.source = { file: '', datetime: '' };
    /** @type {Object<string, any>} results kept until the records change */
    this.cache = {};
    // The summary: per code its findings and how many distinct values, employers and persons they show
    // (counted by countSome, for a saved report's rows as they come).
    /** @type {Map<number, {count: number, values: number, employers: number, persons: number, message: number}>} */
    this.tally = new Map();
    /** The findings counted in the summary so far (the first ones). */
    this.counted = 0;
    this.codeValues = new ValixKeyTable(1024, 3);
    this.codeEmployers = new ValixKeyTable(64, 3);
    this.codePersons = new ValixKeyTable(1024, 3);
  }

  /** The number of findings. */
  get count() {
    return this.size;
  }

  /**
   * The number of a text, interned.
   * @param {string} s
   * @returns {number}
   */
  intern(s) {
    return this.textPool.intern(s);
  }

  /**
   * The number of a text, or -1 when no finding shows it.
   * @param {string} s
   * @returns {number}
   */
  idOf(s) {
    return this.textPool.idOf(s);
  }

  /**
   * A text by its number.
   * @param {number} id
   * @returns {string}
   */
  text(id) {
    return this.textPool.text(id);
  }

  /** Every distinct text by its number (all decoded on the first call). */
  get texts() {
    return this.textPool.all();
  }

  /** The number of distinct texts. */
  get textCount() {
    return this.textPool.count;
  }

  /** 1 for a text that is empty or only blanks (a filler, no value), by text number. */
  get blank() {
    return this.textPool.blank;
  }

  /** @param {number} n */
  reserve(n) {
    if (n <= this.capacity) return;
    var cap = this.capacity;
    while (cap < n) cap *= 2;
    var lines = new Uint32Array(cap);
    lines.set(this.lines.subarray(0, this.size));
    this.lines = lines;
    var size = this.size;
    this.columns = this.columns.map(function (col) {
      var c = new Uint32Array(cap);
      c.set(col.subarray(0, size));
      return c;
    });
    this.capacity = cap;
  }

  /**
   * Adds one batch of the program's observer (the format is described at the top of this file).
   * @param {ArrayBuffer} batch
   */
  addBatch(batch) {
    var head = new Uint32Array(batch, 0, 4);
    if (head[0] !== VALIX_BATCH_MAGIC) throw new Error('not a batch of findings');
    var n = head[1];
    var m = head[2];
    var b = head[3];
    var records = new Uint32Array(batch, 16, n * VALIX_BATCH_FIELDS);
    var offsets = new Uint32Array(batch, 16 + 4 * n * VALIX_BATCH_FIELDS, m + 1);
    var bytesAt = 16 + 4 * (n * VALIX_BATCH_FIELDS + m + 1);
    // The texts are interned as bytes: no string is made until one is shown.
    var bytes = new Uint8Array(batch, bytesAt, b);
    var pool = this.textPool;
    pool.reserve(m, b);
    var ids = new Uint32Array(m);
    for (var k = 0; k < m; k++) ids[k] = pool.add(bytes, offsets[k], offsets[k + 1]);
    this.reserve(this.size + n);
    var cols = this.columns;
    var ncols = cols.length;
    for (var i = 0; i < n; i++) {
      var at = this.size + i;
      var r = i * VALIX_BATCH_FIELDS;
      this.lines[at] = records[r];
      if (records[r + 1] !== VALIX_PLAIN_LINE) this.lineTexts.set(at, ids[records[r + 1]]);
      for (var c = 0; c < ncols; c++) cols[c][at] = ids[records[r + 2 + c]];
    }
    this.size += n;
    this.cache = {};
  }

  /**
   * Counts up to `most` findings not yet counted in the summary; true when all are counted. The page
   * counts a run's findings after the run in short tasks, so that the run does not share the processor
   * with them; every question that needs the summary counts what is left first.
   * @param {number} most
   * @returns {boolean}
   */
  countSome(most) {
    var end = Math.min(this.size, this.counted + most);
    for (var at = this.counted; at < end; at++) this.count1(at);
    this.counted = end;
    return end === this.size;
  }

  /**
   * Counts the new finding `at` in the summary.
   * @param {number} at
   */
  count1(at) {
    var cols = this.columns;
    var code = cols[0][at];
    var g = this.tally.get(code);
    if (!g) this.tally.set(code, g = { count: 0, values: 0, employers: 0, persons: 0, message: cols[6][at] });
    g.count++;
    var blank = this.blank;
    var value = cols[4][at];
    var employer = cols[1][at];
    var person = cols[2][at];
    if (!blank[value] && this.codeValues.fresh(code, value, 0)) g.values++;
    if (!blank[employer] && this.codeEmployers.fresh(code, employer, 0)) g.employers++;
    if (!blank[person] && this.codePersons.fresh(code, employer, person)) g.persons++;
  }

  /**
   * Adds one finding given by its texts (a saved report's row; tests).
   * @param {FindingTexts} t
   */
  addRecord(t) {
    this.reserve(this.size + 1);
    var at = this.size;
    var text = String(t.line);
    var line = 0;
    var d = 0;
    for (; d < text.length; d++) {
      var c = text.charCodeAt(d);
      if (c < 48 || c > 57) break;
      line = Math.min(line * 10 + c - 48, 0xffffffff);
    }
    this.lines[at] = line;
    // A text that is not just the number's decimal digits ("519,579") is kept as it is.
    if (d !== text.length || d === 0 || d > 9 || (d > 1 && text.charCodeAt(0) === 48)) this.lineTexts.set(at, this.intern(text));
    this.columns[0][at] = this.intern(t.code);
    this.columns[1][at] = this.intern(t.employer);
    this.columns[2][at] = this.intern(t.person);
    this.columns[3][at] = this.intern(t.element);
    this.columns[4][at] = this.intern(t.value);
    this.columns[5][at] = this.intern(t.expected);
    this.columns[6][at] = this.intern(t.message);
    this.size++;
    if (this.counted === at) this.countSome(1);
    // Results of the records before no longer hold (the check spares a new object per row of a report).
    for (var kept in this.cache) {
      this.cache = {};
      break;
    }
  }

  /**
   * The run is over: the global first line of each input file (one number for a single file).
   * @param {number[]} [fileStarts]
   */
  finish(fileStarts) {
    this.fileStarts = fileStarts && fileStarts.length ? fileStarts.slice() : [1];
    this.finished = true;
    this.cache = {};
  }

  /**
   * The file (index into fileStarts) a global line falls in. A line shared by the end of one file and
   * the start of the next (a file that does not end with a line end) counts for the next.
   * @param {number} line
   * @returns {number}
   */
  fileOfLine(line) {
    var s = this.fileStarts;
    var lo = 0;
    var hi = s.length - 1;
    while (lo < hi) {
      var mid = (lo + hi + 1) >> 1;
      if (s[mid] <= line) lo = mid;
      else hi = mid - 1;
    }
    return lo;
  }

  /**
   * @param {number} i
   * @returns {FindingRecord}
   */
  record(i) {
    var p = this.textPool;
    var c = this.columns;
    var line = this.lines[i];
    var code = p.text(c[0][i]);
    var file = this.fileOfLine(line);
    return {
      line: line,
      lineText: this.lineText(i),
      code: code,
      weight: code.charAt(0),
      employer: p.text(c[1][i]),
      person: p.text(c[2][i]),
      element: p.text(c[3][i]),
      value: p.text(c[4][i]),
      expected: p.text(c[5][i]),
      message: p.text(c[6][i]),
      file: file,
      fileLine: line - this.fileStarts[file] + 1,
    };
  }

  /**
   * The line of a finding as the report shows it.
   * @param {number} i
   * @returns {string}
   */
  lineText(i) {
    var id = this.lineTexts.size ? this.lineTexts.get(i) : undefined;
    return id === undefined ? String(this.lines[i]) : this.text(id);
  }

  /**
   * The console program's CSV row of a finding, without its line end.
   * @param {number} i
   * @returns {string}
   */
  csvRow(i) {
    var c = this.columns;
    var row = valixCsvCell(this.lineText(i));
    for (var k = 0; k < c.length; k++) row += ';' + valixCsvCell(this.text(c[k][i]));
    return row;
  }

  /**
   * The CSV header line and the rows of these findings, Windows-1250, CR LF: with every finding, the
   * finding rows of the console program's CSV report.
   * @param {ArrayLike<number>} [indices] all findings when not given
   * @returns {Uint8Array}
   */
  exportCsv(indices) {
    var n = indices ? indices.length : this.size;
    // Each distinct text is encoded once, as its CSV cell with the ';' before it, into one pool of bytes.
    var texts = this.texts;
    var cellAt = new Int32Array(texts.length).fill(-1);
    var cellLength = new Uint32Array(texts.length);
    var pool = new Uint8Array(1 << 16);
    var pooled = 0;
    /** @param {number} id */
    function cell(id) {
      if (cellAt[id] < 0) {
        var e = valixEncodeCp1250(';' + valixCsvCell(texts[id]));
        if (pooled + e.length > pool.length) {
          var bigger = new Uint8Array(Math.max(2 * pool.length, pooled + e.length));
          bigger.set(pool.subarray(0, pooled));
          pool = bigger;
        }
        pool.set(e, pooled);
        cellAt[id] = pooled;
        cellLength[id] = e.length;
        pooled += e.length;
      }
      return cellAt[id];
    }
    /** @type {Uint8Array[]} */
    var chunks = [];
    var header = valixEncodeCp1250(VALIX_CSV_HEADER + '\r\n');
    chunks.push(header);
    var total = header.length;
    var buf = new Uint8Array(1 << 20);
    var at = 0;
    var cols = this.columns;
    var lines = this.lines;
    var special = this.lineTexts;
    for (var k = 0; k < n; k++) {
      var i = indices ? indices[k] : k;
      // A row is at most eight texts of a few hundred bytes.
      if (at + 8192 > buf.length) {
        chunks.push(buf.subarray(0, at));
        total += at;
        buf = new Uint8Array(1 << 20);
        at = 0;
      }
      var lineId = special.size ? special.get(i) : undefined;
      if (lineId === undefined) {
        var line = lines[i];
        var from = at;
        do {
          buf[at++] = 48 + (line % 10);
          line = Math.floor(line / 10);
        } while (line > 0);
        for (var x = from, y = at - 1; x < y; x++, y--) {
          var swap = buf[x];
          buf[x] = buf[y];
          buf[y] = swap;
        }
      } else {
        // The cell without the ';' that the pool puts before it.
        var p0 = cell(lineId);
        for (var q = 1; q < cellLength[lineId]; q++) buf[at++] = pool[p0 + q];
      }
      for (var c = 0; c < cols.length; c++) {
        var id = cols[c][i];
        var p = cell(id);
        var len = cellLength[id];
        if (at + len + 2 > buf.length) {
          chunks.push(buf.subarray(0, at));
          total += at;
          buf = new Uint8Array(Math.max(1 << 20, len + 2));
          at = 0;
        }
        for (var b = 0; b < len; b++) buf[at++] = pool[p + b];
      }
      buf[at++] = 13;
      buf[at++] = 10;
    }
    chunks.push(buf.subarray(0, at));
    total += at;
    var out = new Uint8Array(total);
    var pos = 0;
    for (var j = 0; j < chunks.length; j++) {
      out.set(chunks[j], pos);
      pos += chunks[j].length;
    }
    return out;
  }

  /**
   * Per code: weight, message, count and the distinct values, employers and persons; by count, E before
   * W on a tie, then by code.
   * @returns {CodeSummaryRow[]}
   */
  codeSummary() {
    if (this.cache.summary) return this.cache.summary;
    var store = this;
    /** @param {number} id */
    var t = function (id) { return store.text(id); };
    /** @type {CodeSummaryRow[]} */
    var rows = [];
    this.countSome(Infinity);
    this.tally.forEach(function (g, code) {
      rows.push({ weight: t(code).charAt(0), code: t(code), message: t(g.message), count: g.count, values: g.values,
                  employers: g.employers, persons: g.persons, structure: valixIsStructure(t(code)) });
    });
    rows.sort(function (a, b) {
      if (a.count !== b.count) return b.count - a.count;
      if (a.weight !== b.weight) return a.weight === 'E' ? -1 : b.weight === 'E' ? 1 : a.weight < b.weight ? -1 : 1;
      return a.code < b.code ? -1 : a.code > b.code ? 1 : 0;
    });
    this.cache.summary = rows;
    return rows;
  }

  /**
   * A code's findings grouped by element and value, largest first (then by element and value).
   * @param {string} code
   * @returns {{element: string, value: string, count: number}[]}
   */
  patterns(code) {
    return this.topPatterns(code, Infinity).patterns;
  }

  /**
   * The `most` largest groups of patterns(code), and how many groups there are: a code of a million
   * findings may have half a million, of which the page shows a hundred.
   * @param {string} code
   * @param {number} most
   * @returns {{patterns: {element: string, value: string, count: number}[], total: number}}
   */
  topPatterns(code, most) {
    var id = this.idOf(code);
    if (id < 0) return { patterns: [], total: 0 };
    var codes = this.columns[0];
    var elements = this.columns[3];
    var values = this.columns[4];
    // Counted in typed arrays: each pair of element and value a key of its own.
    var pairs = new ValixKeyTable(1024, 3);
    var counts = new Uint32Array(1024);
    for (var i = 0; i < this.size; i++) {
      if (codes[i] !== id) continue;
      var k = pairs.add(elements[i], values[i], 0, 0, 0);
      if (k >= counts.length) {
        var more = new Uint32Array(2 * counts.length);
        more.set(counts);
        counts = more;
      }
      counts[k]++;
    }
    var keys = pairs.keys;
    var t = this.texts;
    /** @param {number} a @param {number} b */
    var order = function (a, b) {
      if (counts[a] !== counts[b]) return counts[b] - counts[a];
      var x = t[keys[3 * a]];
      var y = t[keys[3 * b]];
      if (x !== y) return x < y ? -1 : 1;
      x = t[keys[3 * a + 1]];
      y = t[keys[3 * b + 1]];
      return x < y ? -1 : x > y ? 1 : 0;
    };
    /** @type {number[]} */
    var top = [];
    if (most >= pairs.count) {
      for (var q = 0; q < pairs.count; q++) top.push(q);
      top.sort(order);
    } else {
      // The best `most` kept in order as the groups go by: few of them beat the last one kept.
      for (var r = 0; r < pairs.count && most > 0; r++) {
        if (top.length === most && order(r, top[most - 1]) >= 0) continue;
        var at = top.length;
        while (at > 0 && order(r, top[at - 1]) < 0) at--;
        top.splice(at, 0, r);
        if (top.length > most) top.pop();
      }
    }
    return {
      patterns: top.map(function (g) { return { element: t[keys[3 * g]], value: t[keys[3 * g + 1]], count: counts[g] }; }),
      total: pairs.count,
    };
  }


  /**
   * The employers with their E and W counts, most findings first (then in the order of the report). The
   * header's findings have the employer ''.
   * @returns {{employer: string, e: number, w: number}[]}
   */
  employers() {
    return this.countBy(this.columns[1], null);
  }

  /**
   * The persons of one employer with their E and W counts, most findings first. The employer's own
   * findings have the person of three blanks.
   * @param {string} employer
   * @returns {{person: string, e: number, w: number}[]}
   */
  persons(employer) {
    var id = this.idOf(employer);
    if (id < 0) return [];
    return this.countBy(this.columns[2], id).map(function (r) {
      return { person: r.employer, e: r.e, w: r.w };
    });
  }

  /**
   * @param {Uint32Array} column
   * @param {number|null} employer only this employer's findings, or all
   * @returns {{employer: string, e: number, w: number}[]}
   */
  countBy(column, employer) {
    // Counted in typed arrays by text number: a million findings in one short pass.
    var n = this.textCount;
    var weightOf = this.weights();
    var e = new Uint32Array(n);
    var w = new Uint32Array(n);
    var first = new Int32Array(n).fill(-1);
    /** @type {number[]} */
    var seen = [];
    var codes = this.columns[0];
    var employers = this.columns[1];
    for (var i = 0; i < this.size; i++) {
      if (employer !== null && employers[i] !== employer) continue;
      var k = column[i];
      if (first[k] < 0) {
        first[k] = i;
        seen.push(k);
      }
      var weight = weightOf[codes[i]];
      if (weight === 69) e[k]++;
      else if (weight === 87) w[k]++;
    }
    seen.sort(function (a, b) { return e[b] + w[b] - (e[a] + w[a]) || first[a] - first[b]; });
    var p = this.textPool;
    return seen.map(function (k) {
      return { employer: p.text(k), e: e[k], w: w[k] };
    });
  }

  /**
   * The weight letter's character code of each code's text number (0 for a text that is no code).
   * @returns {Uint8Array}
   */
  weights() {
    var out = new Uint8Array(this.textCount);
    var p = this.textPool;
    this.countSome(Infinity);
    this.tally.forEach(function (_g, code) { out[code] = p.text(code).charCodeAt(0); });
    return out;
  }

  /**
   * All findings of one person, across all their records (in the order of the report); of one employer's
   * person when the employer is given, else of that identifier under every employer.
   * @param {string} person
   * @param {string} [employer]
   * @returns {Uint32Array}
   */
  personFindings(person, employer) {
    return this.select({ person: person, employer: employer, sort: 'line' });
  }

  /**
   * The findings that pass every filter given, sorted by line (the report's order on equal lines) or by
   * code (then by line).
   * @param {SelectOptions} [options]
   * @returns {Uint32Array}
   */
  select(options) {
    var o = options || {};
    var order = o.sort === 'code' ? this.orderByCode() : this.orderByLine();
    var store = this;
    /** @param {string|undefined} s */
    var idOf = function (s) {
      if (s === undefined || s === null || s === '') return -1;
      var id = store.idOf(s);
      return id < 0 ? -2 : id;
    };
    var code = idOf(o.code);
    var employer = idOf(o.employer);
    var person = idOf(o.person);
    var element = idOf(o.element);
    if (code === -2 || employer === -2 || person === -2 || element === -2) return new Uint32Array(0);
    var weight = o.weight ? o.weight.charCodeAt(0) : -1;
    var textMatch = o.text ? this.textMatches(o.text) : null;
    var marks = o.onlyNew ? this.newMarks : null;
    var cols = this.columns;
    var codes = cols[0];
    var employers = cols[1];
    var persons = cols[2];
    var elements = cols[3];
    var weightOf = weight >= 0 ? this.weights() : null;
    // A line is found by its digits: the free text of up to nine digits is looked for in the line's
    // number without making its text (a line text that is not just a number is one of the texts).
    var digits = textMatch && /^[0-9]{1,9}$/.test(o.text || '') ? o.text || '' : '';
    var longer = textMatch && /^[0-9]{10,}$/.test(o.text || '') ? o.text || '' : '';
    var want = digits ? Number(digits) : 0;
    var span = Math.pow(10, digits.length);
    var least = digits.length > 1 ? span / 10 : 0;
    var lines = this.lines;
    var special = this.lineTexts.size ? this.lineTexts : null;
    var out = new Uint32Array(this.size);
    var n = 0;
    for (var j = 0; j < order.length; j++) {
      var i = order[j];
      if (code >= 0 && codes[i] !== code) continue;
      if (employer >= 0 && employers[i] !== employer) continue;
      if (person >= 0 && persons[i] !== person) continue;
      if (element >= 0 && elements[i] !== element) continue;
      if (weightOf && weightOf[codes[i]] !== weight) continue;
      if (marks && !marks[i]) continue;
      if (textMatch) {
        var hit = false;
        for (var c = 0; c < cols.length && !hit; c++) hit = textMatch[cols[c][i]] === 1;
        if (!hit) {
          var lineId = special ? special.get(i) : undefined;
          if (lineId !== undefined) hit = textMatch[lineId] === 1;
          else if (digits) hit = valixDigitsHold(lines[i], want, span, least);
          else if (longer) hit = String(lines[i]).indexOf(longer) >= 0;
        }
        if (!hit) continue;
      }
      out[n++] = i;
    }
    return out.slice(0, n);
  }

  /**
   * Makes ahead what the first sort by code and the first free text search would make (the order by code,
   * the texts' bytes in lower case), so that they answer sooner; the page calls it once the list is shown.
   */
  prepare() {
    this.orderByCode();
    this.textPool.matches('');
  }

  /**
   * For each text, 1 when it holds the free text (case-insensitive).
   * @param {string} text
   * @returns {Uint8Array}
   */
  textMatches(text) {
    // The last one is kept: a sort or another filter with the same free text does not search again.
    var last = this.cache.match;
    if (last && last.text === text && last.count === this.textCount) return last.m;
    var m = this.textPool.matches(text);
    this.cache.match = { text: text, count: this.textCount, m: m };
    return m;
  }

  /**
   * The record indices in line order; on equal lines in the report's order.
   * @returns {Uint32Array}
   */
  orderByLine() {
    if (this.cache.byLine) return this.cache.byLine;
    var n = this.size;
    var lines = this.lines;
    var sorted = true;
    for (var i = 1; i < n && sorted; i++) sorted = lines[i - 1] <= lines[i];
    /** @type {Uint32Array} */
    var order = new Uint32Array(n);
    for (var k = 0; k < n; k++) order[k] = k;
    if (!sorted) {
      // A stable radix sort by the line's low and high 16 bits.
      order = valixRadixPass(valixRadixPass(order, lines, 0), lines, 16);
    }
    this.cache.byLine = order;
    return order;
  }

  /**
   * The record indices by code (byte order of the code), then by line: one counting pass over the line
   * order, the place of each code known from the summary's counts.
   * @returns {Uint32Array}
   */
  orderByCode() {
    if (this.cache.byCode) return this.cache.byCode;
    var byLine = this.orderByLine();
    var p = this.textPool;
    this.countSome(Infinity);
    /** @type {number[]} */
    var distinct = Array.from(this.tally.keys());
    distinct.sort(function (a, b) {
      var x = p.text(a);
      var y = p.text(b);
      return x < y ? -1 : x > y ? 1 : 0;
    });
    var next = new Uint32Array(this.textCount);
    var at = 0;
    for (var r = 0; r < distinct.length; r++) {
      next[distinct[r]] = at;
      at += /** @type {{count: number}} */ (this.tally.get(distinct[r])).count;
    }
    var codes = this.columns[0];
    var order = new Uint32Array(byLine.length);
    for (var i = 0; i < byLine.length; i++) order[next[codes[byLine[i]]]++] = byLine[i];
    this.cache.byCode = order;
    return order;
  }
}

/**
 * Whether the decimal digits of `line` hold the `span`'s number of digits `want` (with its leading zeros):
 * each window of that many digits is `line` shifted right, modulo `span`; `least` is the least number
 * with that many digits (0 for one digit).
 * @param {number} line @param {number} want @param {number} span @param {number} least
 * @returns {boolean}
 */
function valixDigitsHold(line, want, span, least) {
  for (var x = line; ; x = Math.floor(x / 10)) {
    if (x >= least && x % span === want) return true;
    if (x < 10 || x < least) return false;
  }
}

/**
 * One stable counting-sort pass of the indices by 16 bits of their keys.
 * @param {Uint32Array} order
 * @param {Uint32Array} keys
 * @param {number} shift
 * @returns {Uint32Array}
 */
function valixRadixPass(order, keys, shift) {
  var counts = new Uint32Array(65537);
  for (var i = 0; i < order.length; i++) counts[((keys[order[i]] >>> shift) & 0xffff) + 1]++;
  for (var k = 1; k < counts.length; k++) counts[k] += counts[k - 1];
  var out = new Uint32Array(order.length);
  for (var j = 0; j < order.length; j++) out[counts[(keys[order[j]] >>> shift) & 0xffff]++] = order[j];
  return out;
}

// ---- Two runs compared ----

/**
 * Matches the findings of two runs by code, employer, person, element and value (not by line: lines move
 * when records are fixed), as multisets: a key found twice before and three times now is two still there
 * and one new. Marks the new findings of `cur` (cur.newMarks, for select's onlyNew).
 * @param {FindingStore} prev
 * @param {FindingStore} cur
 * @returns {Comparison}
 */
function compareRuns(prev, cur) {
  var steps = compareSteps(prev, cur);
  for (;;) {
    var step = steps.next();
    if (step.done) return step.value;
  }
}

/**
 * @typedef {{codes: CodeComparison[], fresh: Uint8Array, fixed: number, still: number, added: number}} Comparison
 */

/**
 * compareRuns in steps of some ten thousand findings each (so that the page can do it in short tasks):
 * the generator's value when done is the comparison.
 * @param {FindingStore} prev
 * @param {FindingStore} cur
 * @returns {Generator<undefined, Comparison, unknown>}
 */
function* compareSteps(prev, cur) {
  // prev's texts by cur's numbers, so that a key is five numbers of cur (-1 for a text cur lacks: a key
  // with one cannot be in cur).
  var from = prev.textPool;
  var translate = new Int32Array(from.count);
  for (var k = 0; k < from.count; k++) {
    translate[k] = cur.textPool.find(from.bytes, from.starts[k], from.starts[k + 1]);
    if ((k & 0x3fff) === 0x3fff) yield;
  }
  /** @type {Map<string, CodeComparison>} */
  var byCode = new Map();
  /** @param {string} code */
  function row(code) {
    var r = byCode.get(code);
    if (!r) byCode.set(code, r = { code: code, weight: code.charAt(0), fixed: 0, still: 0, added: 0 });
    return r;
  }
  var cc = cur.columns;
  var keys = new ValixKeyTable(cur.size);
  var curKey = new Uint32Array(cur.size);
  for (var j = 0; j < cur.size; j++) {
    curKey[j] = keys.add(cc[0][j], cc[1][j], cc[2][j], cc[3][j], cc[4][j]);
    if ((j & 0x3fff) === 0x3fff) yield;
  }
  var waiting = new Int32Array(keys.count);
  var pc = prev.columns;
  var fixed = 0;
  for (var i = 0; i < prev.size; i++) {
    if ((i & 0x3fff) === 0x3fff) yield;
    var a = translate[pc[0][i]];
    var b = translate[pc[1][i]];
    var c = translate[pc[2][i]];
    var d = translate[pc[3][i]];
    var e = translate[pc[4][i]];
    var key = a < 0 || b < 0 || c < 0 || d < 0 || e < 0 ? -1 : keys.find(a, b, c, d, e);
    if (key >= 0) {
      waiting[key]++;
    } else {
      row(prev.text(pc[0][i])).fixed++;
      fixed++;
    }
  }
  var fresh = new Uint8Array(cur.size);
  var still = 0;
  var added = 0;
  for (var n = 0; n < cur.size; n++) {
    var r = row(cur.text(cc[0][n]));
    if (waiting[curKey[n]] > 0) {
      waiting[curKey[n]]--;
      r.still++;
      still++;
    } else {
      fresh[n] = 1;
      r.added++;
      added++;
    }
  }
  // What the previous run had beyond this one's was fixed.
  for (var q = 0; q < keys.count; q++) {
    if (waiting[q] > 0) {
      row(cur.text(keys.keys[5 * q])).fixed += waiting[q];
      fixed += waiting[q];
    }
  }
  cur.newMarks = fresh;
  cur.cache = {};
  var codes = Array.from(byCode.values()).sort(function (x, y) {
    var nx = x.fixed + x.still + x.added;
    var ny = y.fixed + y.still + y.added;
    if (nx !== ny) return ny - nx;
    if (x.weight !== y.weight) return x.weight === 'E' ? -1 : 1;
    return x.code < y.code ? -1 : x.code > y.code ? 1 : 0;
  });
  return { codes: codes, fresh: fresh, fixed: fixed, still: still, added: added };
}

/**
 * @param {number} a @param {number} b @param {number} c @param {number} d @param {number} e
 * @returns {number}
 */
function valixKeyHash(a, b, c, d, e) {
  var h = Math.imul(a, 0x9e3779b1) ^ Math.imul(b + 0x7f4a7c15, 0x85ebca6b) ^ Math.imul(c + 0x165667b1, 0xc2b2ae35) ^
      Math.imul(d + 0x27d4eb2f, 0x9e3779b1) ^ Math.imul(e + 0x61c88647, 0x85ebca6b);
  return h ^ (h >>> 15);
}

/**
 * Keys of up to five text numbers (`width` of them; the rest are 0), each given a number of its own in the
 * order first added. Open addressing in typed arrays, twice the room when half full.
 */
class ValixKeyTable {
  /**
   * @param {number} most the keys expected (the table grows beyond)
   * @param {number} [width] the numbers of a key, 5 at most
   */
  constructor(most, width) {
    var size = 16;
    while (size < 2 * most) size *= 2;
    this.width = width || 5;
    this.mask = size - 1;
    this.slots = new Int32Array(size).fill(-1);
    this.keys = new Uint32Array(this.width * (size >> 1));
    this.count = 0;
  }

  /**
   * The slot of the key, or the free slot where it would go.
   * @param {number} a @param {number} b @param {number} c @param {number} d @param {number} e
   * @returns {number}
   */
  slot(a, b, c, d, e) {
    var h = valixKeyHash(a, b, c, d, e);
    var s = h & this.mask;
    var keys = this.keys;
    var w = this.width;
    for (;;) {
      var k = this.slots[s];
      if (k < 0) return s;
      var at = w * k;
      if (keys[at] === a && keys[at + 1] === b && keys[at + 2] === c &&
          (w === 3 || (keys[at + 3] === d && keys[at + 4] === e))) {
        return s;
      }
      s = (s + 1) & this.mask;
    }
  }

  /**
   * Adds the key (of up to three numbers); true when it was not there before.
   * @param {number} a @param {number} b @param {number} c
   * @returns {boolean}
   */
  fresh(a, b, c) {
    var before = this.count;
    this.add(a, b, c, 0, 0);
    return this.count > before;
  }

  /** Twice the room, the keys placed again (all distinct: each goes to the first free slot of its hash). */
  grow() {
    var size = 2 * (this.mask + 1);
    var w = this.width;
    var mask = size - 1;
    this.mask = mask;
    var slots = new Int32Array(size).fill(-1);
    var keys = new Uint32Array(w * (size >> 1));
    keys.set(this.keys.subarray(0, w * this.count));
    this.keys = keys;
    this.slots = slots;
    for (var id = 0; id < this.count; id++) {
      var at = w * id;
      var h = valixKeyHash(keys[at], keys[at + 1], keys[at + 2], w === 3 ? 0 : keys[at + 3], w === 3 ? 0 : keys[at + 4]);
      var s = h & mask;
      while (slots[s] >= 0) s = (s + 1) & mask;
      slots[s] = id;
    }
  }

  /**
   * The key's number, added if new.
   * @param {number} a @param {number} b @param {number} c @param {number} d @param {number} e
   * @returns {number}
   */
  add(a, b, c, d, e) {
    var s = this.slot(a, b, c, d, e);
    if (this.slots[s] >= 0) return this.slots[s];
    if (2 * (this.count + 1) > this.mask + 1) {
      this.grow();
      s = this.slot(a, b, c, d, e);
    }
    var id = this.count++;
    var at = this.width * id;
    this.keys[at] = a;
    this.keys[at + 1] = b;
    this.keys[at + 2] = c;
    if (this.width === 5) {
      this.keys[at + 3] = d;
      this.keys[at + 4] = e;
    }
    this.slots[s] = id;
    return id;
  }

  /**
   * The key's number, or -1.
   * @param {number} a @param {number} b @param {number} c @param {number} d @param {number} e
   * @returns {number}
   */
  find(a, b, c, d, e) {
    return this.slots[this.slot(a, b, c, d, e)];
  }

  /** The bytes the table holds. */
  get bytes() {
    return this.slots.byteLength + this.keys.byteLength;
  }
}

// ---- Saved reports ----

/**
 * Cuts Windows-1250 bytes into decoded pieces of about 4 MB that end just after `boundary` (so a 100 MB
 * report never becomes one string), and hands each to `take` with the text left over from the piece
 * before prepended.
 * @param {Uint8Array} bytes
 * @param {number} boundary the byte after which a piece may end
 * @param {(text: string, last: boolean) => string} take returns the unfinished tail of the text it was given
 */
function valixPieces(bytes, boundary, take) {
  var decoder = valixDecoder();
  var piece = 4 << 20;
  var rest = '';
  var from = 0;
  while (from < bytes.length) {
    var to = Math.min(bytes.length, from + piece);
    if (to < bytes.length) {
      var cut = bytes.indexOf(boundary, to);
      to = cut < 0 ? bytes.length : cut + 1;
    }
    rest = take(rest + decoder.decode(bytes.subarray(from, to)), to >= bytes.length);
    from = to;
  }
  if (bytes.length === 0) take('', true);
}

/**
 * A FindingStore from a CSV report of the console program (its header line, one row per finding, the
 * totals). A cell holding ';', '"' or a line end is quoted, with inner '"' doubled.
 * @param {Uint8Array|ArrayBuffer} input
 * @returns {FindingStore}
 */
function parseCsvReport(input) {
  var bytes = input instanceof Uint8Array ? input : new Uint8Array(input);
  var store = new FindingStore();
  var first = true;
  /** @param {string[]} cells */
  function take(cells) {
    if (first) {
      first = false;
      if (cells.join(';') === VALIX_CSV_HEADER) return;
    }
    // A finding's row has eight cells (its line may be a blank filler, as for an employer's finding
    // about all its records).
    if (cells.length === 8) {
      store.addRecord({
        line: cells[0], code: cells[1], employer: cells[2], person: cells[3],
        element: cells[4], value: cells[5], expected: cells[6], message: cells[7],
      });
    } else if (cells.length === 2 && cells[0].indexOf('Celkem chyb vahy ') === 0) {
      var n = parseInt(cells[1], 10);
      if (cells[0] === 'Celkem chyb vahy E:') store.totals.e = n;
      else if (cells[0] === 'Celkem chyb vahy W:') store.totals.w = n;
    }
    // Anything else (the empty lines before the totals, a message of a run that ended early) is no
    // finding.
  }
  valixPieces(bytes, 10, function (text, last) {
    var pos = 0;
    // The next '"' of the text, looked for again only once passed (most lines hold none).
    var quote = -1;
    while (pos < text.length) {
      var eol = text.indexOf('\n', pos);
      if (eol < 0) {
        if (!last) return text.substring(pos);
        eol = text.length;
      }
      if (quote !== Infinity && quote < pos) {
        quote = text.indexOf('"', pos);
        if (quote < 0) quote = Infinity;
      }
      if (quote > eol) {
        // A line without quoted cells, the usual one.
        var end = eol > pos && text.charCodeAt(eol - 1) === 13 ? eol - 1 : eol;
        take(text.substring(pos, end).split(';'));
        pos = eol + 1;
        continue;
      }
      var line = valixQuotedLine(text, pos, last);
      if (!line) return text.substring(pos);
      take(line.cells);
      pos = line.next;
    }
    return '';
  });
  store.finish([1]);
  return store;
}

/**
 * One line of the CSV report with quoted cells, from `pos`: its cells and where the next line starts, or
 * null when the text ends inside it (a quoted cell may hold a line end) and more text is to come.
 * @param {string} text
 * @param {number} pos
 * @param {boolean} last
 * @returns {{cells: string[], next: number}|null}
 */
function valixQuotedLine(text, pos, last) {
  /** @type {string[]} */
  var cells = [];
  for (;;) {
    var cell = '';
    if (text.charCodeAt(pos) === 34) {
      var q = pos + 1;
      for (;;) {
        var close = text.indexOf('"', q);
        if (close < 0) return last ? { cells: cells.concat(cell + text.substring(q)), next: text.length } : null;
        cell += text.substring(q, close);
        if (text.charCodeAt(close + 1) === 34) {
          cell += '"';
          q = close + 2;
          continue;
        }
        pos = close + 1;
        break;
      }
    }
    // Up to the next ';' or line end (after a closing quote nothing is expected, but it belongs to the cell).
    var e = pos;
    while (e < text.length) {
      var c = text.charCodeAt(e);
      if (c === 59 || c === 13 || c === 10) break;
      e++;
    }
    cells.push(cell + text.substring(pos, e));
    if (e >= text.length) return last ? { cells: cells, next: e } : null;
    if (text.charCodeAt(e) === 59) {
      pos = e + 1;
      continue;
    }
    if (text.charCodeAt(e) === 13 && e + 1 >= text.length && !last) return null;
    return { cells: cells, next: text.charCodeAt(e) === 13 && text.charCodeAt(e + 1) === 10 ? e + 2 : e + 1 };
  }
}

/**
 * '<' and '>' as the XML report writes them in its cells; '&' is written as it is.
 * @param {string} s
 * @returns {string}
 */
function valixXmlText(s) {
  if (s.indexOf('&') < 0) return s;
  return s.replace(/&(lt|gt);/g, function (_m, /** @type {string} */ name) { return name === 'lt' ? '<' : '>'; });
}

var VALIX_XML_CELLS = ['Radek', 'KodChyby', 'Zamestnavatel', 'Zamestnanec', 'Prvek', 'Hodnota', 'DelkaHodn', 'Popis'];

/**
 * A FindingStore from an XML report of the console program. The report writes '<' and '>' of its texts
 * as "&lt;" and "&gt;" and leaves '&' as it is, so a document's value that holds the text "&lt;" itself
 * reads back as "<".
 * @param {Uint8Array|ArrayBuffer} input
 * @returns {FindingStore}
 */
function parseXmlReport(input) {
  var bytes = input instanceof Uint8Array ? input : new Uint8Array(input);
  var store = new FindingStore();
  var headerDone = false;
  valixPieces(bytes, 10, function (text) {
    if (!headerDone) {
      var d = /<DatumCas>([^<]*)<\/DatumCas>/.exec(text);
      var f = /<Soubor>([^<]*)<\/Soubor>/.exec(text);
      if (d) store.source.datetime = d[1];
      if (f) store.source.file = valixXmlText(f[1]);
      headerDone = !!(d && f) || text.indexOf('<Chyba>') >= 0;
    }
    var pos = 0;
    for (;;) {
      var at = text.indexOf('<Chyba>', pos);
      if (at < 0) break;
      var end = text.indexOf('</Chyba>', at);
      if (end < 0) return text.substring(at);
      /** @type {string[]} */
      var cells = [];
      var p = at;
      for (var k = 0; k < VALIX_XML_CELLS.length; k++) {
        var open = '<' + VALIX_XML_CELLS[k] + '>';
        var from = text.indexOf(open, p);
        var to = from < 0 ? -1 : text.indexOf('</' + VALIX_XML_CELLS[k] + '>', from);
        if (from < 0 || to < 0 || to > end) {
          cells.push('');
          continue;
        }
        cells.push(valixXmlText(text.substring(from + open.length, to)));
        p = to;
      }
      store.addRecord({
        line: cells[0], code: cells[1], employer: cells[2], person: cells[3],
        element: cells[4], value: cells[5], expected: cells[6], message: cells[7],
      });
      pos = end + 8;
    }
    var tail = text.substring(pos);
    var e = /<CelkemchybE>\s*([0-9]+)<\/CelkemchybE>/.exec(tail);
    var w = /<CelkemchybW>\s*([0-9]+)<\/CelkemchybW>/.exec(tail);
    if (e) store.totals.e = parseInt(e[1], 10);
    if (w) store.totals.w = parseInt(w[1], 10);
    // A partial element at the end of the piece waits for the next one.
    var partial = tail.lastIndexOf('<Chyba');
    return partial >= 0 ? tail.substring(partial) : '';
  });
  store.finish([1]);
  return store;
}

if (typeof module === 'object' && module.exports) {
  module.exports = {
    FindingStore: FindingStore,
    compareRuns: compareRuns,
    compareSteps: compareSteps,
    catalogueEntry: catalogueEntry,
    setCatalogue: setCatalogue,
    parseCsvReport: parseCsvReport,
    parseXmlReport: parseXmlReport,
    encodeCp1250: valixEncodeCp1250,
    csvCell: valixCsvCell,
    CSV_HEADER: VALIX_CSV_HEADER,
    BATCH_MAGIC: VALIX_BATCH_MAGIC,
  };
}
