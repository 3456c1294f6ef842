// @ts-check
// The worker of the browser edition: one run of the validator per message, in a new instance of the
// module (createValix, the program compiled to WebAssembly, follows this script in the worker's text).
//
// The page sends {files, names, list, args, report, echo, epoch, readAhead}: the chosen File objects, the
// names the program gets for them, whether they form a list, the program's arguments, the names of the
// report and the echo file, the time stamp (SOURCE_DATE_EPOCH) or null for the clock, and whether slices
// may be read ahead, and `findings: true` when the page wants the findings as records. The worker answers
// with 'started' as soon as it takes the run, 'progress' messages while the run goes on and one 'done'
// message: the exit status, the console text and both outputs as Blobs. With `findings`, the records come
// before it as {type: 'findings', batch} (an ArrayBuffer handed over, not copied; web/explorer/model.js
// reads it), and {type: 'files', starts} (the run's line where each input file begins) right before 'done'.
//
// The files are never read whole: the program reads them through WORKERFS, whose reads are served from
// slices of 16 MB (Blob.slice). Each program read would otherwise be one slice of the file (256 KB), and
// reading slices is what the run would spend most of its time on. Where the browser lets a wasm call
// wait for a promise (WebAssembly.Suspending, see pre.js), the slices ahead of the program are read while
// it works; elsewhere each slice is read when it is needed, with FileReaderSync.
'use strict';

var VALIX_SLICE = 16 * 1024 * 1024;
var VALIX_PROGRESS_MS = 100;
// Slices asked for ahead of the one being read: the browser reads a few at once faster than one by one.
var VALIX_AHEAD = 3;

// The console: lines ending in CR are the progress line (one per employee, tens of MB for a large file),
// of which only the latest is kept; lines ending in LF are kept whole (banner, totals, messages).
function ValixConsole() {
  this.lines = [];
  this.kept = 0;
  this.pending = [];
  this.progressLine = null;
}
ValixConsole.prototype.write = function (bytes) {
  // A buffer without a line feed (almost every one in a large run) is only progress lines: the last
  // complete one is the one kept.
  if (bytes.indexOf(10) < 0) {
    var last = bytes.lastIndexOf(13);
    if (last < 0) {
      this.hold(bytes);
      return;
    }
    var before = last > 0 ? bytes.lastIndexOf(13, last - 1) : -1;
    var line;
    if (before < 0) {
      this.hold(bytes.subarray(0, last));
      line = this.take();
    } else {
      this.pending = [];
      line = bytes.slice(before + 1, last);
    }
    if (!blank(line)) this.progressLine = line;
    this.hold(bytes.subarray(last + 1));
    return;
  }
  var start = 0;
  while (start < bytes.length) {
    var cr = bytes.indexOf(13, start);
    var lf = bytes.indexOf(10, start);
    var end = cr < 0 ? lf : lf < 0 ? cr : Math.min(cr, lf);
    if (end < 0) {
      this.hold(bytes.subarray(start));
      return;
    }
    this.hold(bytes.subarray(start, end));
    var line = this.take();
    if (bytes[end] === 10) {
      // The console text of a run is a few hundred bytes; a bound keeps a hostile run harmless.
      if (this.kept < 65536) {
        this.lines.push(line);
        this.kept += line.length + 1;
      }
    } else if (!blank(line)) {
      this.progressLine = line;
    }
    start = end + 1;
  }
};
// The run clears the progress line with blanks before its totals.
function blank(line) {
  for (var i = 0; i < line.length; i++) if (line[i] !== 32) return false;
  return true;
}
ValixConsole.prototype.hold = function (piece) {
  // A line is at most a few hundred bytes; anything beyond 4 KB without a line end is not kept.
  if (piece.length > 0 && this.pending.length < 4096) this.pending.push.apply(this.pending, piece.subarray(0, 4096));
};
ValixConsole.prototype.take = function () {
  var line = Uint8Array.from(this.pending);
  this.pending = [];
  return line;
};
ValixConsole.prototype.text = function () {
  var rest = this.pending.length ? [Uint8Array.from(this.pending)] : [];
  var decoder = new TextDecoder('windows-1250');
  return this.lines.concat(rest).map(function (l) { return decoder.decode(l); }).join('\n');
};

// Bytes read so far across all the inputs, for the progress bar.
function ValixProgress(files) {
  var total = 0;
  for (var i = 0; i < files.length; i++) total += files[i].size;
  this.total = total;
  this.done = 0;
  this.last = 0;
}

// The slices of the chosen files that the program reads, 16 MB each, by file. A slice is read with a
// promise ahead of the program where the browser lets a wasm call wait for one (see pre.js), and otherwise
// when it is needed, with FileReaderSync. Slices behind the program's position are let go.
function ValixSlices() {
  this.files = new Map();
  this.reader = new FileReaderSync();
  this.ahead = false;
  this.waited = 0; // milliseconds the program waited for slices read ahead
  this.refilled = 0; // slices read into a buffer given back
}
ValixSlices.prototype.of = function (blob) {
  var m = this.files.get(blob);
  if (!m) this.files.set(blob, m = new Map());
  return m;
};
// Slice k of the blob, as a Blob.
function valixSliceOf(blob, k) {
  return blob.slice(k * VALIX_SLICE, Math.min(blob.size, (k + 1) * VALIX_SLICE));
}
ValixSlices.prototype.request = function (blob, k) {
  var slices = this.of(blob);
  if (k * VALIX_SLICE >= blob.size || slices.has(k)) return;
  /** @type {{bytes: Uint8Array | null, failed: boolean, promise: Promise<void> | null}} */
  var slice = { bytes: null, failed: false, promise: null };
  slice.promise = this.read(blob, k).then(
    function (bytes) { if (!slice.bytes) slice.bytes = bytes; },
    function () { slice.failed = true; });
  slices.set(k, slice);
};

// The slices read ahead are read by a worker of its own, on its own thread, and handed over without a
// copy. A read that this worker started itself (Blob.arrayBuffer) would take the file's bytes in on this
// worker's thread, which runs the program: they would come in only while the program waits, and little
// would be read ahead. Where no worker can be started here, that read is the way.
//
// The reading worker reads each file as one stream, into buffers of a slice's size that this worker gives
// back once the program has passed them: a new 16 MB buffer for every slice (what FileReaderSync gives)
// costs the browser about four times what reading the bytes into it does. A slice that is not the next
// one of its file's stream starts a new stream there; a stream that fails is replaced by FileReaderSync
// for the slice, so a read fails only where the file cannot be read at all.
function valixSliceReader() {
  var reader = new FileReaderSync();
  /** @type {ArrayBuffer[]} */
  var pool = [];
  /** @type {Map<number, {reader: ReadableStreamBYOBReader, position: number}>} */
  var streams = new Map();
  /** @type {Promise<void>} */
  var queue = Promise.resolve();
  // Fills `size` bytes of the buffer from the stream; the buffer (moved by each read) and the count.
  /** @param {ReadableStreamBYOBReader} stream @param {ArrayBuffer} buffer @param {number} size */
  async function fill(stream, buffer, size) {
    var filled = 0;
    while (filled < size) {
      var r = await stream.read(new Uint8Array(buffer, filled, size - filled));
      if (r.done || !r.value) break;
      filled += r.value.byteLength;
      buffer = /** @type {ArrayBuffer} */ (r.value.buffer);
    }
    return { buffer: buffer, filled: filled };
  }
  /** @param {{id: number, file: number, blob: Blob, start: number, end: number, size: number}} m */
  async function serve(m) {
    var size = m.end - m.start;
    try {
      var s = streams.get(m.file);
      if (!s || s.position !== m.start) {
        if (s) s.reader.cancel().catch(function () {});
        s = { reader: m.blob.slice(m.start).stream().getReader({ mode: 'byob' }), position: m.start };
        streams.set(m.file, s);
      }
      var given = pool.pop();
      var got = await fill(s.reader, given || new ArrayBuffer(m.size), size);
      s.position += got.filled;
      if (got.filled !== size) throw new Error('short read');
      self.postMessage({ id: m.id, bytes: got.buffer, length: size, refilled: given !== undefined }, [got.buffer]);
    } catch (err) {
      streams.delete(m.file);
      try {
        var bytes = reader.readAsArrayBuffer(m.blob.slice(m.start, m.end));
        self.postMessage({ id: m.id, bytes: bytes, length: bytes.byteLength }, [bytes]);
      } catch (err2) {
        self.postMessage({ id: m.id, bytes: null, length: 0 });
      }
    }
  }
  self.onmessage = function (e) {
    var m = e.data;
    if (m.give) {
      if (pool.length < 8) pool.push(m.give);
      return;
    }
    // One read at a time, in the order asked: the stream of a file is read from front to back.
    queue = queue.then(function () { return serve(m); });
  };
}
// A promise of the bytes of slice k of the blob, rejected if they cannot be read.
/** @param {Blob} blob @param {number} k @returns {Promise<Uint8Array>} */
ValixSlices.prototype.read = function (blob, k) {
  var direct = function () {
    return valixSliceOf(blob, k).arrayBuffer().then(function (ab) { return new Uint8Array(ab); });
  };
  if (this.sliceReader === undefined) this.startSliceReader();
  if (!this.sliceReader) return direct();
  if (!this.fileIds.has(blob)) this.fileIds.set(blob, this.fileIds.size);
  var id = this.nextRead++;
  var reads = this.reads;
  var promise = new Promise(function (resolve, reject) {
    reads.set(id, { resolve: resolve, reject: reject, direct: direct });
  });
  var start = k * VALIX_SLICE;
  this.sliceReader.postMessage({ id: id, file: this.fileIds.get(blob), blob: blob, start: start,
                                 end: Math.min(blob.size, start + VALIX_SLICE), size: VALIX_SLICE });
  return promise;
};
ValixSlices.prototype.startSliceReader = function () {
  var that = this;
  this.reads = new Map();
  this.fileIds = new Map();
  this.nextRead = 0;
  try {
    var url = URL.createObjectURL(new Blob(['(' + valixSliceReader.toString() + ')();'], { type: 'text/javascript' }));
    this.sliceReader = new Worker(url);
  } catch (e) {
    this.sliceReader = null;
    return;
  }
  this.sliceReader.onmessage = function (e) {
    var read = that.reads.get(e.data.id);
    that.reads.delete(e.data.id);
    if (e.data.refilled) that.refilled++;
    if (e.data.bytes) read.resolve(new Uint8Array(e.data.bytes, 0, e.data.length));
    else read.reject(new ValixReadError());
  };
  // A reading worker that could not start: its reads, and all that follow, are made here.
  this.sliceReader.onerror = function (e) {
    if (e.preventDefault) e.preventDefault();
    that.sliceReader.terminate();
    that.sliceReader = null;
    that.reads.forEach(function (read) { read.direct().then(read.resolve, read.reject); });
    that.reads.clear();
  };
};
// A slice the program has passed: its buffer goes back to the reading worker to be filled again.
/** @param {{bytes: Uint8Array | null}} slice */
ValixSlices.prototype.release = function (slice) {
  var bytes = slice.bytes;
  slice.bytes = null;
  if (this.sliceReader && bytes && bytes.buffer.byteLength === VALIX_SLICE)
    this.sliceReader.postMessage({ give: bytes.buffer }, [bytes.buffer]);
};
// Lets go of the reads ahead: the reading worker, if one was started, ends.
ValixSlices.prototype.close = function () {
  if (this.sliceReader) this.sliceReader.terminate();
  this.sliceReader = null;
};
// Null when the bytes [position, position + length) are at hand, or a promise that they will be; the
// VALIX_AHEAD slices after them are asked for too.
ValixSlices.prototype.wait = function (blob, position, length) {
  var n = Math.min(length, blob.size - position);
  if (n <= 0) return null;
  var first = Math.floor(position / VALIX_SLICE);
  var last = Math.floor((position + n - 1) / VALIX_SLICE);
  var pending = [];
  for (var k = first; k <= last + VALIX_AHEAD; k++) {
    this.request(blob, k);
    var slice = this.of(blob).get(k);
    if (k <= last && slice && !slice.bytes && !slice.failed) pending.push(slice.promise);
  }
  return pending.length ? Promise.all(pending) : null;
};
// Copies the bytes from `position` into buffer[offset...]; the count copied (0 at the end of the file).
ValixSlices.prototype.copy = function (blob, position, length, buffer, offset) {
  var n = Math.min(length, blob.size - position);
  if (n <= 0) return 0;
  var slices = this.of(blob);
  var first = Math.floor(position / VALIX_SLICE);
  var that = this;
  slices.forEach(function (slice, k) {
    if (k >= first) return;
    slices.delete(k);
    that.release(slice);
  });
  var done = 0;
  while (done < n) {
    var k = Math.floor((position + done) / VALIX_SLICE);
    var slice = slices.get(k);
    if (!slice) slices.set(k, slice = { bytes: null, failed: false, promise: null });
    if (!slice.bytes && !slice.failed) {
      try {
        slice.bytes = new Uint8Array(this.reader.readAsArrayBuffer(valixSliceOf(blob, k)));
      } catch (e) {
        slice.failed = true;
      }
    }
    // The file was changed, moved or cannot be read any more: a read error, as the disk would give.
    if (slice.failed) throw new ValixReadError();
    var from = position + done - k * VALIX_SLICE;
    var take = Math.min(n - done, slice.bytes.length - from);
    if (take <= 0) break;
    buffer.set(slice.bytes.subarray(from, from + take), offset + done);
    done += take;
  }
  return done;
};
function ValixReadError() {}

// An output file: its bytes gathered into Blobs of 16 MB, which the browser keeps outside the worker.
function ValixSink() {
  this.parts = [];
  this.pending = [];
  this.pendingBytes = 0;
}
ValixSink.prototype.write = function (bytes) {
  this.pending.push(bytes.slice());
  this.pendingBytes += bytes.length;
  if (this.pendingBytes >= VALIX_SLICE) this.settle();
};
ValixSink.prototype.settle = function () {
  if (this.pending.length) this.parts.push(new Blob(this.pending));
  this.pending = [];
  this.pendingBytes = 0;
};
ValixSink.prototype.blob = function () {
  this.settle();
  return new Blob(this.parts, { type: 'application/octet-stream' });
};

// Before a large file, the program checks a small document a few times in an instance of its own. V8
// first runs wasm code from a quick compilation and optimises a function once it has run for a while,
// but a function that is running keeps its first code: the program's main loop, which runs once for the
// whole file, would read all of it in the slow code. After the warm-up the real run starts from the same
// compiled module, whose optimised code is then in place. The warm-up's report is thrown away.
var VALIX_WARM_UP_FROM = 32 * 1024 * 1024;
function valixWarmUp() {
  return createValix({ valixWorker: true, print: function () {}, printErr: function () {} }).then(function (m) {
    var hex = VALIX_WARM_UP_DOCUMENT;
    var bytes = new Uint8Array(hex.length / 2);
    for (var i = 0; i < bytes.length; i++) bytes[i] = parseInt(hex.substr(2 * i, 2), 16);
    m.FS.writeFile('/warm.xml', bytes);
    m.FS.chdir('/');
    for (var run = 0; run < 6; run++) m.callMain(['warm.xml', 'warm.csv', 'warm-echo.xml']);
    // The optimising compiler works in the background; a moment lets it finish.
    return new Promise(function (resolve) {
      setTimeout(function () { resolve(m.valixWasmModule); }, 200);
    });
  }).catch(function () {
    return null;
  });
}

function valixRun(msg, module, consoleOut, slices) {
  var FS = module.FS;
  var progress = new ValixProgress(msg.files);
  var reader = slices.reader;
  var sizes = new Map();
  var before = 0;
  msg.files.forEach(function (f) {
    sizes.set(f, before);
    before += f.size;
  });

  function report(force) {
    var now = Date.now();
    if (!force && now - progress.last < VALIX_PROGRESS_MS) return;
    progress.last = now;
    var line = consoleOut.progressLine;
    self.postMessage({
      type: 'progress',
      done: progress.done,
      total: progress.total,
      line: line ? new TextDecoder('windows-1250').decode(line) : '',
    });
  }

  module.WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
    var blob = stream.node.contents;
    var n;
    try {
      n = slices.copy(blob, position, length, buffer, offset);
    } catch (e) {
      if (e instanceof ValixReadError) throw new FS.ErrnoError(29 /* EIO */);
      throw e;
    }
    var base = sizes.has(blob) ? sizes.get(blob) : 0;
    progress.done = Math.max(progress.done, base + position + n);
    report(false);
    return n;
  };

  // The console becomes a device of its own, written a buffer at a time (the default one takes each byte
  // by a call and keeps every CR-ended line until a line feed).
  var dev = FS.makedev(64, 0);
  FS.registerDevice(dev, {
    open: function () {},
    close: function () {},
    read: function () { return 0; },
    write: function (stream, buffer, offset, length) {
      consoleOut.write(buffer.subarray(offset, offset + length));
      report(false);
      return length;
    },
  });
  FS.mkdev('/dev/valix-console', dev);
  FS.close(FS.streams[1]);
  FS.open('/dev/valix-console', 1 /* O_WRONLY */);
  FS.close(FS.streams[2]);
  FS.open('/dev/valix-console', 1 /* O_WRONLY */);

  // The inputs under the names the program is given, in its working folder, which holds the outputs too.
  FS.mkdir('/vstup');
  FS.mount(module.WORKERFS, {
    blobs: msg.files.map(function (f, i) { return { name: msg.names[i], data: f }; }),
  }, '/vstup');
  // A file that cannot be read now (moved, deleted, no permission) is left out, and the program says that
  // it cannot open it, as it would of a missing file.
  FS.mkdir('/prace');
  msg.names.forEach(function (name, i) {
    try {
      reader.readAsArrayBuffer(msg.files[i].slice(0, 1));
    } catch (e) {
      return;
    }
    FS.symlink('/vstup/' + name, '/prace/' + name);
  });
  if (msg.list) {
    FS.mkdir('/seznam');
    FS.writeFile('/seznam/seznam.txt', msg.names.join('\r\n') + '\r\n');
  }
  // The report and the echo file are devices that hand their bytes over to Blobs in pieces of 16 MB, so
  // that an echo file as large as its input is not held in the worker's memory as one array. Should the
  // program write a file under another name and rename it, the file it leaves is taken instead.
  var sinks = new Map();
  var sinkDevice = FS.makedev(65, 0);
  FS.registerDevice(sinkDevice, {
    open: function (stream) {
      sinks.set(stream.node.name, stream.valixSink = new ValixSink());
    },
    close: function () {},
    read: function () { return 0; },
    write: function (stream, buffer, offset, length) {
      stream.valixSink.write(buffer.subarray(offset, offset + length));
      return length;
    },
  });
  [msg.report, msg.echo].forEach(function (name) { if (name) FS.mkdev('/prace/' + name, sinkDevice); });
  FS.chdir('/prace');

  var started = performance.now();
  // The exit status, or its promise when reads may wait (main is then a promising export).
  return Promise.resolve(module.callMain(msg.args)).then(function (status) {
    var runSeconds = (performance.now() - started) / 1000;
    report(true);
    function output(name) {
      if (!name) return null;
      var node;
      try {
        node = FS.lookupPath('/prace/' + name, { follow: true }).node;
      } catch (e) {
        return null;
      }
      if (FS.isChrdev(node.mode)) return sinks.has(name) ? sinks.get(name).blob() : null;
      return new Blob([FS.readFile('/prace/' + name)]);
    }
    if (module.valixFileStarts) self.postMessage({ type: 'files', starts: module.valixFileStarts });
    var reportBlob = output(msg.report);
    var echoBlob = output(msg.echo);
    self.postMessage({
      type: 'done',
      status: status,
      console: consoleOut.text(),
      report: reportBlob,
      echo: echoBlob,
      done: progress.done,
      total: progress.total,
      heap: module.HEAPU8 ? module.HEAPU8.length : 0,
      runSeconds: runSeconds,
      waitSeconds: slices.waited / 1000,
      prefetched: slices.prefetched === true,
      // 'worker' when a worker of its own read the slices ahead, 'here' when this one did, '' when none was.
      readAhead: slices.ahead ? (slices.sliceReader ? 'worker' : 'here') : '',
      // Slices read into the buffers of slices the program had passed.
      refilled: slices.refilled,
    });
  });
}

// The page starts the worker of the next run ahead of it, while the user chooses the file, and sends it
// {prepare: true}: the warm-up is then done before the run is asked for, whatever the file's size.
var valixPrepared = null;
// The first slices of the first chosen file, read while the user sets the options ({prefetch: File}),
// where slices are read ahead at all.
var valixPrefetched = null;

self.onmessage = function (event) {
  var msg = event.data;
  if (msg.prepare) {
    valixPrepared = valixWarmUp();
    valixPrepared.then(function () { self.postMessage({ type: 'ready' }); });
    return;
  }
  if (msg.prefetch) {
    if (typeof WebAssembly.Suspending !== 'function' || typeof WebAssembly.promising !== 'function') return;
    if (valixPrefetched) valixPrefetched.close();
    valixPrefetched = new ValixSlices();
    valixPrefetched.first = msg.prefetch;
    for (var k = 0; k <= VALIX_AHEAD; k++) valixPrefetched.request(msg.prefetch, k);
    return;
  }
  // The page gives the run to a new worker when this one does not confirm it.
  self.postMessage({ type: 'started' });
  var consoleOut = new ValixConsole();
  var slices = new ValixSlices();
  // A message holds copies of its File objects: the page says when the first file is the one it sent
  // for reading ahead, whose copy here the slices were read from.
  if (msg.readAhead && msg.firstPrefetched && valixPrefetched) {
    slices = valixPrefetched;
    slices.prefetched = true;
    msg.files[0] = valixPrefetched.first;
  } else if (valixPrefetched) {
    valixPrefetched.close(); // slices of a file this run does not read first
  }
  valixPrefetched = null;
  var options = {
    valixWorker: true,
    sourceDateEpoch: msg.epoch,
    print: function () {},
    printErr: function () {},
  };
  if (msg.findings) {
    // The program hands over each full batch of findings and the last one at its end (web/main.cpp).
    options.valixFindings = function (batch) {
      self.postMessage({ type: 'findings', batch: batch }, [batch]);
    };
    options.valixFileStarts = [];
    options.valixFileStart = function (line) {
      options.valixFileStarts.push(line);
    };
  }
  if (msg.readAhead && typeof WebAssembly.Suspending === 'function' && typeof WebAssembly.promising === 'function') {
    slices.ahead = true;
    options.valixReadWait = function (fd, iov, iovcnt) {
      var FS = options.FS;
      var stream = FS.getStream(fd);
      if (!stream || !stream.node || stream.node.stream_ops !== options.WORKERFS.stream_ops ||
          !(stream.node.contents instanceof Blob)) {
        return null;
      }
      var length = 0;
      for (var i = 0; i < iovcnt; i++) length += options.HEAPU32[(iov >> 2) + 2 * i + 1];
      var ready = slices.wait(stream.node.contents, stream.position, length);
      if (ready === null) return null;
      // The time the program waits for the file, for the benchmark.
      var from = performance.now();
      return ready.then(function (v) {
        slices.waited += performance.now() - from;
        return v;
      });
    };
  }
  function failed(e) {
    self.postMessage({ type: 'failed', message: String(e && e.message || e), console: consoleOut.text() });
  }
  var total = msg.files.reduce(function (sum, f) { return sum + f.size; }, 0);
  var warm = valixPrepared ||
      (total >= VALIX_WARM_UP_FROM && msg.warmUp !== false ? valixWarmUp() : Promise.resolve(null));
  warm.then(function (compiled) {
    if (compiled) options.valixWasmModule = compiled;
    return createValix(options);
  }).then(function (module) {
    return valixRun(msg, module, consoleOut, slices);
  }).catch(failed);
};
