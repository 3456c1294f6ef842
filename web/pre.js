// @ts-check
// Runs inside the generated module before main: the report's time stamp follows SOURCE_DATE_EPOCH when it
// is given (tests and reproducible runs), from node's environment or from the worker (Module.sourceDateEpoch).
// The program reads only emscripten's own environment, which does not see node's.
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  var epoch = Module['sourceDateEpoch'];
  if (epoch === undefined && typeof process === 'object' && process.env) epoch = process.env['SOURCE_DATE_EPOCH'];
  if (epoch !== undefined && epoch !== null && epoch !== '') ENV['SOURCE_DATE_EPOCH'] = String(epoch);
});

// In the worker the module is instantiated here: from the compiled module of an earlier instance when the
// worker passes one (Module.valixWasmModule; the code V8 has optimised meanwhile is then used from the
// start), and with the worker's reads where the browser lets a wasm call wait for a promise
// (WebAssembly.Suspending and WebAssembly.promising): the next slices of the file are then read while the
// program works on the current one. Module.valixReadWait(fd, iov, iovcnt) returns null when the bytes of
// the coming read are at hand, or a promise that resolves when they are; main then returns a promise of
// the exit status.
if (Module['valixWorker']) {
  Module['instantiateWasm'] = function (imports, receiveInstance) {
    var wait = Module['valixReadWait'];
    if (wait) {
      var wasi = imports['wasi_snapshot_preview1'];
      var fdRead = wasi['fd_read'];
      wasi['fd_read'] = new WebAssembly.Suspending(function (fd, iov, iovcnt, pnum) {
        var ready = wait(fd, iov, iovcnt);
        if (ready === null) return fdRead(fd, iov, iovcnt, pnum);
        return ready.then(function () { return fdRead(fd, iov, iovcnt, pnum); });
      });
    }
    var source = Module['valixWasmModule'] || tryParseAsDataURI(wasmBinaryFile);
    WebAssembly.instantiate(source, imports).then(function (result) {
      var instance = result instanceof WebAssembly.Instance ? result : result.instance;
      var compiled = result instanceof WebAssembly.Instance ? source : result.module;
      Module['valixWasmModule'] = compiled;
      var exports = instance.exports;
      if (wait) {
        exports = Object.assign({}, exports);
        exports['main'] = WebAssembly.promising(/** @type {Function} */ (instance.exports['main']));
      }
      receiveInstance({ exports: exports }, compiled);
    }, function (e) {
      readyPromiseReject(e);
    });
    return {};
  };
}
