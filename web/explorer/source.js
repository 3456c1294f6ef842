// @ts-check
// The lines of the user's input files around a finding, read from the File objects with Blob.slice: a
// file is never read whole into memory. A background worker reads each file once after the run, a slice
// of 16 MB at a time, and notes the byte offset of every VALIX_LINE_STEP-th line (a 1 GB file of about
// 20 million lines gives 20 000 offsets, 160 KB). The lines of a finding are then one read of a few
// hundred kilobytes from the nearest noted offset before them, wherever they are in the file.
'use strict';

var VALIX_LINE_STEP = 1024;

/** The index worker's body, started from its own text (a page opened from file:// starts no worker from
 * a file). For each file: {file, offsets: Float64Array, lines, done} after every slice, where offsets[j]
 * is the byte offset of line j * step + 1 and `lines` counts the line ends seen so far. */
function valixLineIndexer() {
  self.onmessage = function (/** @type {MessageEvent} */ e) {
    /** @type {File[]} */
    var files = e.data.files;
    var step = e.data.step;
    var slice = e.data.slice; // a multiple of 4
    var reader = new (/** @type {any} */ (self)).FileReaderSync();
    for (var f = 0; f < files.length; f++) {
      var file = files[f];
      var lines = 0;
      var next = step; // the line end after which the next noted line starts
      /** @type {number[]} */
      var offsets = [0];
      var failed = false;
      for (var at = 0; at < file.size; at += slice) {
        var bytes;
        try {
          bytes = new Uint8Array(reader.readAsArrayBuffer(file.slice(at, Math.min(file.size, at + slice))));
        } catch (err) {
          failed = true;
          break;
        }
        // Four bytes at a time: a word's line ends are its zero bytes after an XOR with four LFs, found
        // without a carry between the bytes, and counted by one multiplication. Lines are short (about 27
        // bytes in a ZPV file), so a byte-by-byte loop or an indexOf per line takes twice the time.
        var words = new Int32Array(bytes.buffer, 0, bytes.length >>> 2);
        for (var w = 0; w < words.length; w++) {
          var x = words[w] ^ 0x0a0a0a0a;
          var zero = ~((((x & 0x7f7f7f7f) + 0x7f7f7f7f) | x) | 0x7f7f7f7f);
          if (zero === 0) continue;
          var before = lines;
          lines += Math.imul(zero >>> 7, 0x01010101) >>> 24;
          while (lines >= next) {
            // The next noted line starts after the (next - before)th line end of this word.
            for (var k = 0, seen = 0; k < 4; k++) {
              if (((x >>> (8 * k)) & 0xff) === 0 && ++seen === next - before) {
                offsets.push(at + 4 * w + k + 1);
                break;
              }
            }
            next += step;
          }
        }
        for (var i = words.length * 4; i < bytes.length; i++) {
          if (bytes[i] !== 10) continue;
          lines++;
          if (lines === next) {
            offsets.push(at + i + 1);
            next += step;
          }
        }
        var done = at + slice >= file.size;
        /** @type {any} */ (self).postMessage({ file: f, offsets: Float64Array.from(offsets), lines: lines, done: done });
      }
      if (failed || file.size === 0) /** @type {any} */ (self).postMessage({ file: f, offsets: Float64Array.from(offsets), lines: lines, done: true, failed: failed });
    }
  };
}

/**
 * @typedef {{offsets: Float64Array, lines: number, done: boolean, failed: boolean,
 *            waiting: {line: number, resolve: () => void}[]}} FileIndex
 */

class SourceFiles {
  /** @param {File[]} files */
  constructor(files) {
    this.files = files;
    /** @type {FileIndex[]} */
    this.index = files.map(function () {
      return { offsets: new Float64Array([0]), lines: 0, done: false, failed: false, waiting: [] };
    });
    /** @type {Worker | null} */
    this.worker = null;
    this.startedAt = 0;
    /** Milliseconds the index took, once it is complete. */
    this.indexMs = 0;
    this.step = VALIX_LINE_STEP;
  }
  /** Starts the index worker; the page calls it once the run has ended, so the run is not slowed. */
  start() {
    if (this.worker || this.files.length === 0) return;
    var url = URL.createObjectURL(new Blob(['(' + valixLineIndexer.toString() + ')();'], { type: 'text/javascript' }));
    var that = this;
    this.startedAt = performance.now();
    this.worker = new Worker(url);
    URL.revokeObjectURL(url);
    this.worker.onmessage = function (e) { that.take(e.data); };
    this.worker.onerror = function (e) {
      e.preventDefault();
      that.index.forEach(function (ix) {
        ix.done = true;
        ix.failed = true;
        ix.waiting.forEach(function (w) { w.resolve(); });
        ix.waiting = [];
      });
      that.stop();
    };
    this.worker.postMessage({ files: this.files, step: this.step, slice: 16 * 1024 * 1024 });
  }
  /** A message of the index worker: the index of one file so far.
   * @param {{file: number, offsets: Float64Array, lines: number, done: boolean, failed?: boolean}} m */
  take(m) {
    var ix = this.index[m.file];
    ix.offsets = m.offsets;
    ix.lines = m.lines;
    ix.done = m.done;
    ix.failed = !!m.failed;
    ix.waiting = ix.waiting.filter(function (w) {
      if (!ix.done && w.line > ix.lines) return true;
      w.resolve();
      return false;
    });
    if (this.index.every(function (x) { return x.done; })) {
      this.indexMs = performance.now() - this.startedAt;
      this.stop();
    }
  }
  stop() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
  }
  /** Resolves once the index of the file reaches the line (or the file's end).
   * @param {number} file @param {number} line @returns {Promise<void>} */
  reach(file, line) {
    var ix = this.index[file];
    if (ix.done || line <= ix.lines) return Promise.resolve();
    this.start();
    return new Promise(function (resolve) { ix.waiting.push({ line: line, resolve: resolve }); });
  }
  /**
   * Lines first..last of the file (1-based; fewer at its end), decoded as the document's encoding.
   * @param {number} file @param {number} first @param {number} last @returns {Promise<string[]>}
   */
  async lines(file, first, last) {
    await this.reach(file, first);
    var blob = this.files[file];
    var ix = this.index[file];
    var j = Math.min(Math.floor((first - 1) / this.step), ix.offsets.length - 1);
    var at = ix.offsets[j];
    var line = j * this.step + 1;
    var decoder = new TextDecoder(await this.encoding(blob));
    /** @type {string[]} */
    var out = [];
    /** @type {Uint8Array} */
    var carry = new Uint8Array(0);
    var chunk = 256 * 1024;
    while (line <= last && at < blob.size) {
      var read = new Uint8Array(await blob.slice(at, Math.min(blob.size, at + chunk)).arrayBuffer());
      at += read.length;
      var bytes = carry.length ? valixConcat(carry, read) : read;
      var start = 0;
      for (var i = bytes.indexOf(10); i >= 0 && line <= last; i = bytes.indexOf(10, start)) {
        if (line >= first) out.push(decoder.decode(bytes.subarray(start, i > start && bytes[i - 1] === 13 ? i - 1 : i)));
        line++;
        start = i + 1;
      }
      carry = bytes.slice(start);
      if (at >= blob.size && line <= last && carry.length) {
        if (line >= first) out.push(decoder.decode(carry));
        break;
      }
    }
    return out;
  }
  /** The encoding the document's XML declaration names: UTF-8 or, as ZPV files are, Windows-1250.
   * @param {Blob} blob */
  async encoding(blob) {
    var head = new TextDecoder('latin1').decode(await blob.slice(0, 200).arrayBuffer());
    return /encoding\s*=\s*["']utf-?8["']/i.test(head) ? 'utf-8' : 'windows-1250';
  }
  /**
   * The block of the finding's line: the employee record it falls in, or the employer's own lines, at most
   * `around` lines either side; a few lines either side outside any record.
   * @param {number} file @param {number} line @param {number} [around]
   * @returns {Promise<{first: number, lines: string[], mark: number}>}
   */
  async context(file, line, around) {
    var reach = around || 60;
    var first = Math.max(1, line - reach);
    var lines = await this.lines(file, first, line + reach);
    var m = line - first; // index of the finding's line
    if (m >= lines.length) return { first: first, lines: lines.slice(-8), mark: -1 };
    var open = -1;
    var employee = false;
    var closedEmployee = false;
    for (var i = m; i >= 0; i--) {
      var t = lines[i];
      if (i < m && /<\/zamestnanec\s*>/.test(t)) closedEmployee = true;
      if (!closedEmployee && /<zamestnanec[\s>]/.test(t)) { open = i; employee = true; break; }
      if (/<zamestnavatel[\s>]/.test(t)) { open = i; break; }
      if (/<\/zamestnavatel\s*>/.test(t) && i < m) break;
    }
    var close = -1;
    if (open >= 0) {
      for (var k = m; k < lines.length; k++) {
        var u = lines[k];
        if (employee ? /<\/zamestnanec\s*>/.test(u) : /<\/zamestnavatel\s*>/.test(u)) { close = k; break; }
        if (!employee && k > m && /<zamestnanec[\s>]/.test(u)) { close = k - 1; break; }
      }
    }
    var from = open >= 0 ? open : Math.max(0, m - 8);
    var to = close >= 0 ? close : Math.min(lines.length - 1, m + 8);
    return { first: first + from, lines: lines.slice(from, to + 1), mark: m - from };
  }
}

/** @param {Uint8Array} a @param {Uint8Array} b */
function valixConcat(a, b) {
  var c = new Uint8Array(a.length + b.length);
  c.set(a);
  c.set(b, a.length);
  return c;
}

if (typeof module === 'object') {
  module.exports = { SourceFiles: SourceFiles, valixLineIndexer: valixLineIndexer, VALIX_LINE_STEP: VALIX_LINE_STEP };
}
