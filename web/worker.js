// The worker of the browser edition: one run of the validator per message, in a new instance of the
// module (createValix, the program compiled to WebAssembly, follows this script in the worker's text).
//
// The page sends {files, names, args, report, echo, epoch}: the chosen File objects, the names the
// program gets for them, its arguments, the names of the report and the echo file, and the time stamp
// (SOURCE_DATE_EPOCH) or null for the clock. The worker answers with 'progress' messages while the run
// goes on and one 'done' message: the exit status, the console text and the bytes of both outputs.
//
// The files are never read whole: the program reads them through WORKERFS, whose reads are served from
// slices of 16 MB taken with Blob.slice and FileReaderSync. Each program read would otherwise be one
// slice of the file (256 KB), and reading slices is what the run would spend most of its time on.
'use strict';

var VALIX_SLICE = 16 * 1024 * 1024;
var VALIX_PROGRESS_MS = 100;

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

function valixRun(msg, module, consoleOut) {
  var FS = module.FS;
  var progress = new ValixProgress(msg.files);
  var reader = new FileReaderSync();
  var cache = { blob: null, start: 0, bytes: new Uint8Array(0) };
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
    var size = stream.node.size;
    if (position >= size) return 0;
    var n = Math.min(length, size - position);
    if (cache.blob !== blob || position < cache.start || position + n > cache.start + cache.bytes.length) {
      var end = Math.min(size, position + Math.max(VALIX_SLICE, n));
      try {
        cache.bytes = new Uint8Array(reader.readAsArrayBuffer(blob.slice(position, end)));
      } catch (e) {
        // The file was changed, moved or cannot be read any more: a read error, as the disk would give.
        cache.blob = null;
        throw new FS.ErrnoError(29 /* EIO */);
      }
      cache.blob = blob;
      cache.start = position;
      if (cache.bytes.length < n) n = cache.bytes.length;
    }
    buffer.set(cache.bytes.subarray(position - cache.start, position - cache.start + n), offset);
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
  FS.chdir('/prace');

  var started = performance.now();
  var status = module.callMain(msg.args);
  var runSeconds = (performance.now() - started) / 1000;
  report(true);

  function output(name) {
    if (!name) return null;
    try {
      return FS.readFile('/prace/' + name);
    } catch (e) {
      return null;
    }
  }
  var reportBytes = output(msg.report);
  var echoBytes = output(msg.echo);
  var transfer = [];
  if (reportBytes) transfer.push(reportBytes.buffer);
  if (echoBytes) transfer.push(echoBytes.buffer);
  self.postMessage({
    type: 'done',
    status: status,
    console: consoleOut.text(),
    report: reportBytes,
    echo: echoBytes,
    done: progress.done,
    total: progress.total,
    heap: module.HEAPU8 ? module.HEAPU8.length : 0,
    runSeconds: runSeconds,
  }, transfer);
}

self.onmessage = function (event) {
  var msg = event.data;
  var consoleOut = new ValixConsole();
  createValix({
    sourceDateEpoch: msg.epoch,
    print: function () {},
    printErr: function () {},
  }).then(function (module) {
    try {
      valixRun(msg, module, consoleOut);
    } catch (e) {
      self.postMessage({ type: 'failed', message: String(e && e.message || e), console: consoleOut.text() });
    }
  }, function (e) {
    self.postMessage({ type: 'failed', message: String(e && e.message || e), console: '' });
  });
};
