// Runs inside the generated module before main: the report's time stamp follows SOURCE_DATE_EPOCH when it
// is given (tests and reproducible runs), from node's environment or from the worker (Module.sourceDateEpoch).
// The program reads only emscripten's own environment, which does not see node's.
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  var epoch = Module['sourceDateEpoch'];
  if (epoch === undefined && typeof process === 'object' && process.env) epoch = process.env['SOURCE_DATE_EPOCH'];
  if (epoch !== undefined && epoch !== null && epoch !== '') ENV['SOURCE_DATE_EPOCH'] = String(epoch);
});

// The worker reads the chosen files with promises where the browser lets a wasm call wait for one
// (WebAssembly.Suspending and WebAssembly.promising): the next slice of the file is then read while the
// program works on the current one. Module.valixReadWait(fd, iov, iovcnt) returns null when the bytes of
// the coming read are at hand, or a promise that resolves when they are; main then returns a promise of
// the exit status.
if (Module['valixReadWait']) {
  Module['instantiateWasm'] = function (imports, receiveInstance) {
    var wasi = imports['wasi_snapshot_preview1'];
    var fdRead = wasi['fd_read'];
    var wait = Module['valixReadWait'];
    wasi['fd_read'] = new WebAssembly.Suspending(function (fd, iov, iovcnt, pnum) {
      var ready = wait(fd, iov, iovcnt);
      if (ready === null) return fdRead(fd, iov, iovcnt, pnum);
      return ready.then(function () { return fdRead(fd, iov, iovcnt, pnum); });
    });
    WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(function (result) {
      var exports = Object.assign({}, result.instance.exports);
      exports['main'] = WebAssembly.promising(result.instance.exports['main']);
      receiveInstance({ exports: exports }, result.module);
    }, function (e) {
      readyPromiseReject(e);
    });
    return {};
  };
}
