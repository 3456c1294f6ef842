// Runs inside the generated module before main: the report's time stamp follows SOURCE_DATE_EPOCH when it
// is given (tests and reproducible runs), from node's environment or from the worker (Module.sourceDateEpoch).
// The program reads only emscripten's own environment, which does not see node's.
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  var epoch = Module['sourceDateEpoch'];
  if (epoch === undefined && typeof process === 'object' && process.env) epoch = process.env['SOURCE_DATE_EPOCH'];
  if (epoch !== undefined && epoch !== null && epoch !== '') ENV['SOURCE_DATE_EPOCH'] = String(epoch);
});
