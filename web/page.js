// @ts-check
// The page of the browser edition: the chosen files, the options, one run at a time in a Web Worker, and
// its result. The worker's script is the text of the <script type="text/plain" id="valix-worker"> element,
// started from a Blob URL: from file:// Chromium starts no worker from a file and fetches no .wasm.
'use strict';
(function () {
  /**
   * An element of the page by its id. Most are controls whose value, checked, files or disabled the page
   * reads, hence the input element's type.
   * @param {string} id
   * @returns {HTMLInputElement}
   */
  var $ = function (id) { return /** @type {HTMLInputElement} */ (document.getElementById(id)); };
  var chosen = []; // File objects in the order they are read
  var worker = null;
  var links = []; // Blob URLs of the last result, released when the next run starts
  // The findings explorer, and the findings of the result shown last (a run or an opened report), kept in
  // memory only, for the comparison with the next one.
  var explorer = new Explorer($('explorer-place'), { explanations: VALIX_EXPLANATIONS });
  var lastStore = null;
  var lastSource = null;

  // The program is WebAssembly with 128-bit SIMD (Chrome and Edge 91, Firefox 89, Safari 16.4 and later).
  // A browser without it could not even compile the program: it is told at once, before a file is
  // chosen, instead of failing at the first run. The module is one function that makes a vector
  // (i32.const 0, i32x4.splat), which only a browser with SIMD accepts.
  var supported = typeof WebAssembly === 'object' && WebAssembly.validate(new Uint8Array([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00, // magic and version
    0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b, // type section: () -> v128
    0x03, 0x02, 0x01, 0x00, // function section: one function of that type
    0x0a, 0x08, 0x01, 0x06, 0x00, 0x41, 0x00, 0xfd, 0x11, 0x0b, // code: i32.const 0, i32x4.splat, end
  ]));
  $('unsupported').hidden = supported;

  var workerUrl = URL.createObjectURL(new Blob([$('valix-worker').textContent], { type: 'text/javascript' }));
  // The worker of the next run, started ahead of it: it compiles the program and warms it up while the
  // user chooses the file, so that the run starts at once. Each run has a worker of its own.
  var standby = null;
  // Milliseconds a worker started ahead has to confirm a run before the run is given to a new worker.
  var VALIX_CONFIRM_MS = 3000;
  function prepareWorker() {
    if (!warmUp || !supported) return;
    standby = new Worker(workerUrl);
    prefetched = null;
    delete document.body.dataset.ready;
    standby.onmessage = function (e) {
      if (e.data.type === 'ready') document.body.dataset.ready = 'yes';
    };
    standby.postMessage({ prepare: true });
    prefetch();
  }

  // The time stamp of the report: the clock, or ?epoch=SECONDS in the address (for reproducible reports).
  var epoch = null;
  var query = /[?&#]epoch=(\d+)/.exec(location.search + location.hash);
  if (query) epoch = query[1];
  // ?readahead=0 makes the worker read each slice when it is needed, as in browsers without JSPI.
  var readAhead = !/[?&#]readahead=0/.test(location.search + location.hash);
  // ?warmup=0 leaves out the warm-up run before a large file (see the worker).
  var warmUp = !/[?&#]warmup=0/.test(location.search + location.hash);
  // ?explorer=0 runs the program without handing its findings over (no explorer), for comparison.
  var findings = !/[?&#]explorer=0/.test(location.search + location.hash);

  // The names the program is given. It takes a name of at most 60 characters, one starting with @ or -
  // would be a list or a switch, a list file separates its names by blanks, and the report header shows
  // the name in Windows-1250: anything else than plain ASCII letters, digits and a few marks becomes "_".
  function programNames(files, reserved) {
    var used = new Set(reserved);
    return files.map(function (f) {
      var name = f.name.replace(/[^A-Za-z0-9._()+,=~-]/g, '_');
      if (/^[-@.]/.test(name)) name = '_' + name;
      var dot = name.lastIndexOf('.');
      var stem = dot > 0 ? name.slice(0, dot) : name;
      var ext = dot > 0 ? name.slice(dot, dot + 10) : '';
      stem = stem.slice(0, 60 - ext.length - 4);
      name = stem + ext;
      for (var n = 2; used.has(name.toLowerCase()); n++) name = stem + '-' + n + ext;
      used.add(name.toLowerCase());
      return name;
    });
  }

  function reportName() { return 'zpve.' + $('format').value; }
  function echoName() { return $('echo').checked ? $('echo-name').value.trim() : null; }

  // The worker started ahead reads the first slices of the first file while the user sets the options.
  var prefetched = null;
  function prefetch() {
    if (!standby || !readAhead || chosen.length === 0 || chosen[0] === prefetched) return;
    prefetched = chosen[0];
    standby.postMessage({ prefetch: prefetched });
  }

  function showFiles() {
    prefetch();
    var list = $('files');
    list.textContent = '';
    var names = programNames(chosen, [reportName(), echoName() || ''].map(function (s) { return s.toLowerCase(); }));
    chosen.forEach(function (f, i) {
      var li = document.createElement('li');
      var name = document.createElement('span');
      name.className = 'name';
      name.textContent = (i + 1) + '. ' + f.name + ' (' + size(f.size) + ')';
      li.appendChild(name);
      if (names[i] !== f.name) {
        var as = document.createElement('span');
        as.className = 'as';
        as.textContent = 'v protokolu jako ' + names[i];
        li.appendChild(as);
      }
      li.appendChild(button('↑', 'posunout nahoru', i > 0, function () { move(i, i - 1); }));
      li.appendChild(button('↓', 'posunout dolů', i < chosen.length - 1, function () { move(i, i + 1); }));
      li.appendChild(button('✕', 'odebrat', true, function () { chosen.splice(i, 1); showFiles(); }));
      list.appendChild(li);
    });
    $('run').disabled = chosen.length === 0 || worker !== null || !supported;
  }

  function button(text, title, enabled, action) {
    var b = document.createElement('button');
    b.textContent = text;
    b.title = title;
    b.disabled = !enabled;
    b.addEventListener('click', action);
    return b;
  }

  function move(from, to) {
    var f = chosen.splice(from, 1)[0];
    chosen.splice(to, 0, f);
    showFiles();
  }

  function size(bytes) {
    if (bytes >= 1048576) return (bytes / 1048576).toFixed(1).replace('.', ',') + ' MB';
    if (bytes >= 1024) return Math.round(bytes / 1024) + ' kB';
    return bytes + ' B';
  }

  function add(files) {
    Array.prototype.forEach.call(files, function (f) { chosen.push(f); });
    showFiles();
  }

  $('choose').addEventListener('change', function () {
    add(this.files);
    this.value = '';
  });
  var drop = $('drop');
  drop.addEventListener('dragover', function (e) {
    e.preventDefault();
    drop.classList.add('over');
  });
  drop.addEventListener('dragleave', function () { drop.classList.remove('over'); });
  drop.addEventListener('drop', function (e) {
    e.preventDefault();
    drop.classList.remove('over');
    add(e.dataTransfer.files);
  });
  // A file dropped beside the field must not make the browser leave the page to show it.
  window.addEventListener('dragover', function (e) { e.preventDefault(); });
  window.addEventListener('drop', function (e) { e.preventDefault(); });
  ['format', 'echo', 'echo-name'].forEach(function (id) { $(id).addEventListener('change', showFiles); });

  $('run').addEventListener('click', function () {
    var report = reportName();
    var echo = echoName();
    $('result').hidden = true;
    if (echo !== null && (!/^[A-Za-z0-9_][A-Za-z0-9._()+,=~-]*$/.test(echo) || echo.length > 60 ||
                          echo.toLowerCase() === report)) {
      alert('Název výstupního souboru: nejvýše 60 znaků bez mezer a diakritiky, jiný než ' + report + '.');
      return;
    }
    var names = programNames(chosen, [report, echo || ''].map(function (s) { return s.toLowerCase(); }));
    var list = chosen.length > 1;
    var args = [list ? '@/seznam/seznam.txt' : names[0], report];
    if (echo !== null) args.push(echo);
    if ($('no-warnings').checked) args.push('-w');

    links.forEach(URL.revokeObjectURL);
    links = [];
    $('running').hidden = false;
    /** @type {HTMLProgressElement} */ (document.getElementById('bar')).value = 0;
    $('progress-text').textContent = 'Spouštím kontrolu…';
    var usedStandby = standby !== null;
    worker = standby || new Worker(workerUrl);
    standby = null;
    delete document.body.dataset.ready;
    showFiles();
    var started = performance.now();
    var files = chosen.slice();
    var message = { files: files, names: names, list: list, args: args, report: report, echo: echo,
                    epoch: epoch, readAhead: readAhead, warmUp: warmUp, findings: findings,
                    firstPrefetched: usedStandby && chosen[0] === prefetched };
    // A worker confirms a run as soon as it takes it. The worker started ahead may still be warming up,
    // which takes a moment; one that says nothing for seconds has stopped (Firefox ESR has been seen to
    // leave such a worker waiting for good, shortly after the page opened), and the run is given to a new
    // worker instead.
    var confirmed = false;
    var watch = usedStandby ? setTimeout(function () {
      if (confirmed || worker === null) return;
      worker.terminate();
      document.body.dataset.restarted = String(Number(document.body.dataset.restarted || 0) + 1);
      message.firstPrefetched = false;
      hand(new Worker(workerUrl));
    }, VALIX_CONFIRM_MS) : 0;
    var store = new FindingStore();
    var fileStarts = null;
    var onMessage = function (/** @type {MessageEvent} */ e) {
      var m = e.data;
      if (m.type === 'ready') return; // the warm-up of a worker started ahead
      if (m.type === 'started') {
        confirmed = true;
        return;
      }
      if (m.type === 'findings') {
        store.addBatch(m.batch);
        return;
      }
      if (m.type === 'files') {
        fileStarts = m.starts;
        return;
      }
      if (m.type === 'progress') {
        /** @type {HTMLProgressElement} */ (document.getElementById('bar')).value = m.total > 0 ? m.done / m.total : 0;
        $('progress-text').textContent = 'Přečteno ' + size(m.done) + ' z ' + size(m.total) +
            (m.line ? '\n' + m.line.trim() : '');
        return;
      }
      clearTimeout(watch);
      worker.terminate();
      worker = null;
      m.seconds = (performance.now() - started) / 1000;
      finished(m, report, echo);
      if (m.type === 'done' && m.status === 0 && findings) {
        var shownAt = performance.now();
        store.finish(fileStarts || [1]);
        var origin = (files.length > 1 ? 'Soubory ' : 'Soubor ') +
            files.map(function (f) { return f.name; }).join(', ') + ', kontrola ' + new Date().toLocaleString('cs-CZ');
        // The summary per code is counted now, in tasks of some 40 ms, rather than while the run goes on.
        var counting = function () {
          var t = performance.now();
          var done = store.countSome(20000);
          while (!done && performance.now() - t < 40) done = store.countSome(20000);
          if (!done) {
            setTimeout(counting, 0);
            return;
          }
          explore(store, files, origin).then(function () {
            // Milliseconds from the end of the run to the explorer ready (the benchmark reads it).
            document.body.dataset.explorerMs = (performance.now() - shownAt).toFixed(1);
          });
        };
        setTimeout(counting, 0);
      }
      showFiles();
      prepareWorker();
    };
    var onError = function (/** @type {ErrorEvent} */ e) {
      e.preventDefault();
      clearTimeout(watch);
      worker.terminate();
      worker = null;
      finished({ type: 'failed', message: e.message || 'chyba', console: '' }, report, echo);
      showFiles();
      prepareWorker();
    };
    // Gives the run to the worker w.
    var hand = function (/** @type {Worker} */ w) {
      worker = w;
      w.onmessage = onMessage;
      w.onerror = onError;
      w.postMessage(message);
    };
    hand(worker);
  });

  // Shows a result in the explorer, compared with the one shown before, and then indexes the lines of its
  // input files in the background for the source lines of a finding.
  function explore(store, files, origin) {
    if (lastSource) lastSource.stop();
    var source = files.length ? new SourceFiles(files) : null;
    var shown = explorer.show(store, { source: source, previous: lastStore, origin: origin });
    lastStore = store;
    lastSource = source;
    return shown.then(function () {
      if (source) source.start();
    });
  }

  // A report saved by the console program (CSV or XML), with its input file if the user gives it.
  function openReportReady() { $('open-report-show').disabled = $('open-report').files.length === 0; }
  $('open-report').addEventListener('change', openReportReady);
  $('open-report-show').addEventListener('click', function () {
    var file = $('open-report').files[0];
    var input = $('open-source').files[0];
    var error = $('open-report-error');
    error.hidden = true;
    file.arrayBuffer().then(function (buffer) {
      var bytes = new Uint8Array(buffer);
      var head = new TextDecoder('latin1').decode(bytes.subarray(0, 200));
      var xml = /^\s*<\?xml/.test(head) || /<ZPV_chyby/.test(head);
      if (!xml && !/^Radek;Chyba;/.test(head)) throw new Error('soubor není protokol CSV ani XML programu VALIX');
      var store = xml ? parseXmlReport(bytes) : parseCsvReport(bytes);
      explore(store, input ? [input] : [], 'Uložený protokol ' + file.name + (input ? ', vstupní soubor ' + input.name : ''));
      $('explorer').scrollIntoView();
    }).catch(function (e) {
      error.textContent = 'Protokol ' + file.name + ' nelze otevřít: ' + (e && e.message || e);
      error.hidden = false;
    });
  });

  function finished(m, report, echo) {
    $('running').hidden = true;
    $('result').hidden = false;
    explorer.close();
    var shown = $('shown');
    shown.textContent = '';
    $('report-shown').hidden = true;
    $('saves').textContent = '';
    var out = $('console');
    out.hidden = true;
    var fatal = $('fatal');
    fatal.hidden = true;
    var e = /Celkem chyb vahy E:\s*(\d+)/.exec(m.console || '');
    var w = /Celkem chyb vahy W:\s*(\d+)/.exec(m.console || '');
    $('totals').hidden = !(e && w);
    if (e && w) {
      $('total-e').textContent = e[1];
      $('total-w').textContent = w[1];
    }
    document.body.dataset.status = m.type === 'done' ? String(m.status) : 'failed';
    document.body.dataset.heap = m.heap || '';
    document.body.dataset.seconds = m.seconds ? m.seconds.toFixed(3) : '';
    document.body.dataset.runSeconds = m.runSeconds ? m.runSeconds.toFixed(3) : '';
    document.body.dataset.waitSeconds = m.waitSeconds ? m.waitSeconds.toFixed(3) : '';
    document.body.dataset.readAhead = m.readAhead || 'no';
    document.body.dataset.prefetched = m.prefetched ? 'yes' : 'no';
    document.body.dataset.refilled = String(m.refilled || 0);
    if (m.type !== 'done' || m.status !== 0) {
      // The program's own message (a file that cannot be read, a name it refuses) as it wrote it.
      var lines = (m.console || '').split('\n').filter(function (l) {
        return l.trim() !== '' && !/^(Program  VALIX|Kontrola souboru ZPV)/.test(l);
      });
      fatal.textContent = m.type === 'done'
          ? 'Kontrola skončila předčasně (stav ' + m.status + ').'
          : 'Kontrolu nelze provést: ' + m.message;
      fatal.hidden = false;
      out.textContent = lines.join('\n');
      out.hidden = lines.length === 0;
    }
    if (m.report) save(m.report, report, 'Uložit protokol ' + report);
    if (m.echo) save(m.echo, echo, 'Uložit výstupní soubor ' + echo);
    if (m.report) show(m.report, report);
  }

  function save(blob, name, text) {
    var url = URL.createObjectURL(blob);
    links.push(url);
    var a = document.createElement('a');
    a.href = url;
    a.download = name;
    a.textContent = text;
    a.className = 'save';
    $('saves').appendChild(a);
  }

  // The report in the page: HTML in a sandboxed frame that may run no script and reach nothing of the
  // page; the other formats as text. A very large report is only saved.
  function show(blob, name) {
    var shown = $('shown');
    $('report-shown').hidden = false;
    if (blob.size > 32 * 1048576) {
      shown.textContent = 'Protokol je příliš velký pro zobrazení (' + size(blob.size) + '); uložte jej.';
      return;
    }
    blob.arrayBuffer().then(function (bytes) {
      var text = new TextDecoder('windows-1250').decode(bytes);
      if (/\.htm$/.test(name)) {
        var frame = document.createElement('iframe');
        frame.setAttribute('sandbox', '');
        frame.title = 'Protokol ' + name;
        frame.srcdoc = text;
        shown.appendChild(frame);
      } else {
        var pre = document.createElement('pre');
        pre.textContent = text;
        shown.appendChild(pre);
      }
    });
  }

  showFiles();
  prepareWorker();
})();
