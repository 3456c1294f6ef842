// @ts-check
// The findings explorer in the page: the totals, the codes with their patterns and explanations, the
// employers and their persons, and the whole list of findings with its filters, virtual scrolling and the
// source lines of the chosen finding. All data come from a FindingStore (model.js); this file only draws.
//
// The list holds every finding (a million and more): it draws only the rows in sight, from a Uint32Array
// of record indices that the model's select() gives for the current filters.
'use strict';

var VALIX_ROW_HEIGHT = 22;
// Browsers limit an element's height (Firefox to about 17 million pixels): a longer list scrolls a spacer
// of at most this height, whose scroll position is mapped onto the rows.
var VALIX_MAX_SPACER = 8000000;
// Codes, employers and persons are drawn in tables; beyond this many rows the rest is reached by filters.
var VALIX_TABLE_ROWS = 500;

/** @typedef {{nazev?: string, html?: string}} Explanation */
/** @typedef {{weight: string, code: string, message: string, count: number, values: number, employers: number,
 *             persons: number, structure: boolean}} CodeRow */

var VALIX_EXPLORER_HTML = [
  '<h2>Přehled chyb</h2>',
  '<p class="ex-origin"></p>',
  '<div class="ex-totals">',
  '  <div>Chyb v seznamu<b class="ex-all"></b></div>',
  '  <div class="e">váhy E<b class="ex-e"></b></div>',
  '  <div class="w">váhy W<b class="ex-w"></b></div>',
  '  <div>kódů<b class="ex-codes-n"></b></div>',
  '  <div>zaměstnavatelů<b class="ex-employers-n"></b></div>',
  '</div>',
  '<div class="ex-compare" hidden>',
  '  <h3>Srovnání s předchozí kontrolou</h3>',
  '  <p class="ex-compare-sum"></p>',
  '  <table class="ex-table ex-compare-table"><thead><tr><th>Kód</th><th>Opraveno</th><th>Trvá</th><th>Nové</th></tr></thead><tbody></tbody></table>',
  '</div>',
  '<div class="ex-top">',
  '  <div class="ex-codes-box">',
  '    <h3>Chyby podle kódu</h3>',
  '    <table class="ex-table ex-codes"><thead><tr><th>Váha</th><th>Kód</th><th>Popis</th><th>Počet</th>',
  '      <th title="různých hodnot">Hodnot</th><th>Zaměst&shy;navatelů</th><th>Zaměst&shy;nanců</th></tr></thead><tbody></tbody></table>',
  '    <p class="ex-note"><span class="ex-structure">S</span> chyba struktury souboru: chyby, které po ní následují, z ní mohou vyplývat.</p>',
  '  </div>',
  '  <div class="ex-detail">',
  '    <h3 class="ex-detail-title">Vyberte kód v tabulce</h3>',
  '    <div class="ex-explain"></div>',
  '    <h4 class="ex-patterns-title" hidden>Vzory: prvek · hodnota — počet</h4>',
  '    <ol class="ex-patterns"></ol>',
  '    <p class="ex-patterns-more ex-note"></p>',
  '  </div>',
  '</div>',
  '<details class="ex-people">',
  '  <summary>Zaměstnavatelé a zaměstnanci</summary>',
  '  <div class="ex-people-cols">',
  '    <div><table class="ex-table ex-employers"><thead><tr><th>Zaměstnavatel</th><th>E</th><th>W</th></tr></thead><tbody></tbody></table>',
  '      <p class="ex-employers-more ex-note"></p></div>',
  '    <div><h4 class="ex-persons-title">Vyberte zaměstnavatele</h4>',
  '      <table class="ex-table ex-persons"><thead><tr><th>Zaměstnanec</th><th>E</th><th>W</th></tr></thead><tbody></tbody></table>',
  '      <p class="ex-persons-more ex-note"></p></div>',
  '  </div>',
  '</details>',
  '<h3>Seznam chyb</h3>',
  '<div class="ex-filters">',
  '  <label>Váha <select class="ex-weight"><option value="">E i W</option><option value="E">E</option><option value="W">W</option></select></label>',
  '  <label>Kód <input id="filter-code" list="ex-code-list" size="6" autocomplete="off" spellcheck="false"></label>',
  '  <datalist id="ex-code-list"></datalist>',
  '  <label>Zaměstnavatel <input class="ex-employer" size="9" autocomplete="off" spellcheck="false"></label>',
  '  <label>Zaměstnanec <input class="ex-person" size="9" autocomplete="off" spellcheck="false"></label>',
  '  <label>Prvek <input class="ex-element" size="7" autocomplete="off" spellcheck="false"></label>',
  '  <label>Hledat <input id="search" type="search" size="14" autocomplete="off" spellcheck="false"></label>',
  '  <label>Řadit <select class="ex-sort"><option value="line">podle řádku</option><option value="code">podle kódu</option></select></label>',
  '  <label class="ex-new-box" hidden><input type="checkbox" class="ex-only-new"> jen nové</label>',
  '  <button type="button" class="ex-clear">Zrušit filtry</button>',
  '  <button type="button" id="export-view">Uložit zobrazené jako CSV</button>',
  '  <span class="ex-count" id="explorer-count"></span>',
  '</div>',
  '<div class="ex-row ex-head"><span>Řádek</span><span>Kód</span><span>Zaměstnavatel</span><span>Zaměstnanec</span>',
  '  <span>Prvek</span><span>Hodnota</span><span>Očekáváno</span><span>Popis</span></div>',
  '<div class="ex-viewport" tabindex="0"><div class="ex-spacer"></div></div>',
  '<div class="ex-source" id="source" hidden><h4 class="ex-source-title"></h4><pre class="ex-source-lines"></pre></div>',
].join('\n');

/** Groups of three digits with a (non-breaking) space, as Czech writes numbers. @param {number} n */
function valixNumber(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, '\u00a0');
}

class Explorer {
  /**
   * @param {HTMLElement} place where the explorer's section is put
   * @param {{explanations?: Object<string, Explanation>, save?: (blob: Blob, name: string) => void}} [options]
   */
  constructor(place, options) {
    this.place = place;
    this.explanations = (options && options.explanations) || {};
    this.save = (options && options.save) || null;
    /** @type {HTMLElement | null} */
    this.root = null;
    /** @type {any} */
    this.store = null;
    /** @type {any} */
    this.source = null;
    /** @type {Uint32Array} */
    this.shown = new Uint32Array(0);
    /** @type {Uint8Array | null} per record: new since the previous run */
    this.isNew = null;
    /** @type {HTMLElement[]} */
    this.rows = [];
    this.chosen = -1;
    this.drawQueued = false;
    this.contextAsked = 0;
  }

  /** @param {string} cls @returns {any} */
  q(cls) { return /** @type {HTMLElement} */ (this.root).querySelector(cls); }

  /**
   * Shows a result: the store of its findings (finished), the input files for the source lines (or none),
   * the store of the run before for the comparison (or null), and a line that says where the findings come from.
   * @param {any} store @param {{source?: any, previous?: any, origin?: string}} what
   */
  show(store, what) {
    var started = performance.now();
    this.close();
    this.store = store;
    this.source = what.source || null;
    var root = document.createElement('section');
    root.id = 'explorer';
    root.innerHTML = VALIX_EXPLORER_HTML;
    this.root = root;
    this.q('.ex-origin').textContent = what.origin || '';
    // In steps, each a task of its own, so that the page answers input between them even with a million
    // findings: the totals and the codes; the list; the employers; the comparison with the result before.
    var codes = /** @type {CodeRow[]} */ (store.codeSummary());
    this.codes = codes;
    this.fillTotals(codes);
    this.fillCodes(codes);
    this.isNew = null;
    this.bindFilters();
    this.q('.ex-count').textContent = 'připravuji seznam…';
    this.place.appendChild(root);
    this.bindList();
    var that = this;
    var previous = what.previous;
    if (previous) {
      this.q('.ex-compare-sum').textContent = 'Porovnávám s předchozí kontrolou…';
      this.q('.ex-compare').hidden = false;
    }
    var steps = [
      function () {
        that.refresh();
        root.dataset.readyMs = (performance.now() - started).toFixed(1);
        root.dataset.ready = 'yes';
      },
      function () { that.fillEmployers(); },
      function () { store.prepare(); },
      function () {
        if (!previous) return;
        // Compared in tasks of some 50 ms, the page answering input between them.
        var comparing = compareSteps(previous, store);
        var go = function () {
          if (that.root !== root) return;
          var t = performance.now();
          var step = comparing.next();
          while (!step.done && performance.now() - t < 50) step = comparing.next();
          if (!step.done) {
            setTimeout(go, 0);
            return;
          }
          that.fillCompare(step.value);
          root.dataset.compared = 'yes';
        };
        go();
      },
    ];
    return new Promise(function (resolve) {
      var next = function () {
        if (that.root !== root) return resolve(undefined);
        var step = steps.shift();
        if (step) step();
        if (steps.length === 3) resolve(undefined); // the list is drawn: the explorer is ready
        if (steps.length) setTimeout(next, 0);
      };
      setTimeout(next, 0);
    });
  }


  close() {
    if (this.root && this.root.parentNode) this.root.parentNode.removeChild(this.root);
    this.root = null;
    this.rows = [];
    this.chosen = -1;
  }

  /** @param {CodeRow[]} codes */
  fillTotals(codes) {
    var e = 0;
    var w = 0;
    codes.forEach(function (c) { if (c.weight === 'W') w += c.count; else e += c.count; });
    this.q('.ex-all').textContent = valixNumber(e + w);
    this.q('.ex-e').textContent = valixNumber(e);
    this.q('.ex-w').textContent = valixNumber(w);
    this.q('.ex-codes-n').textContent = valixNumber(codes.length);
  }

  /** @param {CodeRow[]} codes */
  fillCodes(codes) {
    var body = this.q('.ex-codes tbody');
    var list = this.q('#ex-code-list');
    var that = this;
    codes.forEach(function (c) {
      var tr = document.createElement('tr');
      tr.dataset.code = c.code;
      tr.className = c.weight === 'W' ? 'w' : 'e';
      var code = c.code + (c.structure ? ' ' : '');
      [c.weight, code, c.message, valixNumber(c.count), valixNumber(c.values), valixNumber(c.employers),
       valixNumber(c.persons)].forEach(function (text, k) {
        var td = document.createElement('td');
        td.textContent = text;
        if (k === 1 && c.structure) {
          var s = document.createElement('span');
          s.className = 'ex-structure';
          s.textContent = 'S';
          s.title = 'chyba struktury souboru';
          td.appendChild(s);
        }
        if (k >= 3) td.className = 'n';
        tr.appendChild(td);
      });
      tr.addEventListener('click', function () { that.chooseCode(c.code); });
      body.appendChild(tr);
      var option = document.createElement('option');
      option.value = c.code;
      option.textContent = c.message;
      list.appendChild(option);
    });
  }

  /** The explanation and the patterns of one code, and the list filtered to it. @param {string} code */
  chooseCode(code) {
    this.q('#filter-code').value = code;
    this.refresh();
    var that = this;
    setTimeout(function () { if (that.root) that.showCode(code); }, 0);
  }

  /** @param {string} code */
  showCode(code) {
    var root = /** @type {HTMLElement} */ (this.root);
    root.querySelectorAll('.ex-codes tr.chosen').forEach(function (tr) { tr.classList.remove('chosen'); });
    var tr = root.querySelector('.ex-codes tr[data-code="' + CSS.escape(code) + '"]');
    var row = (this.codes || []).find(function (c) { return c.code === code; });
    var title = this.q('.ex-detail-title');
    var explain = this.q('.ex-explain');
    var patterns = this.q('.ex-patterns');
    patterns.textContent = '';
    explain.textContent = '';
    this.q('.ex-patterns-more').textContent = '';
    if (!row) {
      title.textContent = code ? 'Kód ' + code + ' se v seznamu nevyskytuje' : 'Vyberte kód v tabulce';
      this.q('.ex-patterns-title').hidden = true;
      return;
    }
    if (tr) tr.classList.add('chosen');
    var e = this.explanations[code];
    title.textContent = code + (e && e.nazev ? ' – ' + e.nazev : '');
    if (e && e.html) {
      // The explanations are the project's own text, built into the page with it.
      explain.innerHTML = e.html;
    } else {
      var p = document.createElement('p');
      p.textContent = row.message;
      explain.appendChild(p);
    }
    var found = this.store.topPatterns(code, 100);
    var list = found.patterns;
    this.q('.ex-patterns-title').hidden = false;
    var that = this;
    list.forEach(function (/** @type {{element: string, value: string, count: number}} */ p) {
      var li = document.createElement('li');
      li.textContent = code + ' · ' + (p.element.trim() || '–') + ' · ' + (p.value.trim() || '(prázdná)') + ' — ' +
          valixNumber(p.count) + '×';
      li.title = 'Zobrazit tyto chyby v seznamu';
      li.addEventListener('click', function () {
        that.clearFilters();
        that.q('#filter-code').value = code;
        that.q('.ex-element').value = p.element;
        that.q('#search').value = p.value.trim();
        that.refresh();
      });
      patterns.appendChild(li);
    });
    if (found.total > list.length) {
      this.q('.ex-patterns-more').textContent = 'zobrazeno 100 vzorů z ' + valixNumber(found.total) +
          '; ostatní najdete filtrem seznamu';
    }
  }

  fillEmployers() {
    var body = this.q('.ex-employers tbody');
    var that = this;
    var employers = this.store.employers();
    this.q('.ex-employers-n').textContent = valixNumber(employers.filter(function (/** @type {any} */ x) { return x.employer.trim() !== ''; }).length);
    employers.slice(0, VALIX_TABLE_ROWS).forEach(function (/** @type {{employer: string, e: number, w: number}} */ x) {
      var tr = that.countRow(x.employer.trim() || '(hlavička souboru)', x.e, x.w);
      tr.dataset.employer = x.employer;
      tr.addEventListener('click', function () { that.chooseEmployer(x.employer); });
      body.appendChild(tr);
    });
    if (employers.length > VALIX_TABLE_ROWS) {
      this.q('.ex-employers-more').textContent = 'zobrazeno ' + VALIX_TABLE_ROWS + ' zaměstnavatelů s nejvíce chybami z ' +
          valixNumber(employers.length) + '; ostatní najdete filtrem seznamu';
    }
  }

  /** @param {string} label @param {number} e @param {number} w */
  countRow(label, e, w) {
    var tr = document.createElement('tr');
    [label, valixNumber(e), valixNumber(w)].forEach(function (t, k) {
      var td = document.createElement('td');
      td.textContent = t;
      if (k > 0) td.className = 'n';
      tr.appendChild(td);
    });
    return tr;
  }

  /** @param {string} employer */
  chooseEmployer(employer) {
    var root = /** @type {HTMLElement} */ (this.root);
    root.querySelectorAll('.ex-employers tr.chosen').forEach(function (tr) { tr.classList.remove('chosen'); });
    root.querySelectorAll('.ex-employers tr').forEach(function (tr) {
      if (/** @type {HTMLElement} */ (tr).dataset.employer === employer) tr.classList.add('chosen');
    });
    this.q('.ex-persons-title').textContent = 'Zaměstnanci zaměstnavatele ' + (employer.trim() || '(hlavička souboru)');
    var body = this.q('.ex-persons tbody');
    body.textContent = '';
    var persons = this.store.persons(employer);
    var that = this;
    persons.slice(0, VALIX_TABLE_ROWS).forEach(function (/** @type {{person: string, e: number, w: number}} */ x) {
      var tr = that.countRow(x.person.trim() || '(údaje zaměstnavatele)', x.e, x.w);
      tr.dataset.person = x.person;
      tr.addEventListener('click', function () {
        body.querySelectorAll('tr.chosen').forEach(function (/** @type {Element} */ r) { r.classList.remove('chosen'); });
        tr.classList.add('chosen');
        that.choosePerson(x.person);
      });
      body.appendChild(tr);
    });
    this.q('.ex-persons-more').textContent = persons.length > VALIX_TABLE_ROWS
      ? 'zobrazeno ' + VALIX_TABLE_ROWS + ' zaměstnanců z ' + valixNumber(persons.length) : '';
    this.q('.ex-employer').value = employer;
    this.q('.ex-person').value = '';
    this.refresh();
  }

  /** All the findings of one person, over all the person's records (and employers). @param {string} person */
  choosePerson(person) {
    this.clearFilters();
    this.q('.ex-person').value = person;
    this.refresh();
  }

  /** @param {any} result the comparison with the run before (compareRuns) */
  fillCompare(result) {
    this.isNew = result.fresh || null;
    var rows = /** @type {{code: string, fixed: number, still: number, added: number}[]} */ (result.codes || result);
    var fixed = 0;
    var still = 0;
    var added = 0;
    var body = this.q('.ex-compare-table tbody');
    var that = this;
    rows.slice().sort(function (a, b) { return b.fixed + b.added - a.fixed - a.added || (a.code < b.code ? -1 : 1); })
      .forEach(function (c) {
        fixed += c.fixed;
        still += c.still;
        added += c.added;
        var tr = document.createElement('tr');
        tr.dataset.code = c.code;
        [c.code, valixNumber(c.fixed), valixNumber(c.still), valixNumber(c.added)].forEach(function (t, k) {
          var td = document.createElement('td');
          td.textContent = t;
          if (k > 0) td.className = 'n';
          tr.appendChild(td);
        });
        tr.addEventListener('click', function () { that.chooseCode(c.code); });
        body.appendChild(tr);
      });
    this.q('.ex-compare-sum').textContent = 'Opraveno ' + valixNumber(fixed) + ', trvá ' + valixNumber(still) +
        ', nových ' + valixNumber(added) + ' (chyby se párují podle kódu, zaměstnavatele, zaměstnance, prvku a hodnoty, ne podle řádku).';
    this.q('.ex-compare').hidden = false;
    this.q('.ex-new-box').hidden = false;
  }

  bindFilters() {
    var that = this;
    var timer = 0;
    var later = function () {
      clearTimeout(timer);
      timer = setTimeout(function () { that.refresh(); }, 150);
    };
    ['#filter-code', '.ex-employer', '.ex-person', '.ex-element', '#search'].forEach(function (sel) {
      var input = that.q(sel);
      input.addEventListener('input', later);
      input.addEventListener('change', function () {
        clearTimeout(timer);
        that.refresh();
        // The code's patterns after its rows, in a task of their own.
        if (sel === '#filter-code') setTimeout(function () { if (that.root) that.showCode(input.value.trim().toUpperCase()); }, 0);
      });
    });
    ['.ex-weight', '.ex-sort', '.ex-only-new'].forEach(function (sel) {
      that.q(sel).addEventListener('change', function () { that.refresh(); });
    });
    this.q('.ex-clear').addEventListener('click', function () {
      that.clearFilters();
      that.showCode('');
      that.refresh();
    });
    this.q('#export-view').addEventListener('click', function () { that.exportView(); });
  }

  clearFilters() {
    var that = this;
    ['#filter-code', '.ex-employer', '.ex-person', '.ex-element', '#search'].forEach(function (sel) { that.q(sel).value = ''; });
    this.q('.ex-weight').value = '';
    this.q('.ex-only-new').checked = false;
  }

  filters() {
    return {
      weight: this.q('.ex-weight').value,
      code: this.q('#filter-code').value.trim().toUpperCase(),
      employer: this.exact(this.q('.ex-employer').value),
      person: this.exact(this.q('.ex-person').value),
      element: this.exact(this.q('.ex-element').value),
      text: this.q('#search').value.trim(),
      sort: this.q('.ex-sort').value,
      onlyNew: this.q('.ex-only-new').checked && this.isNew !== null,
    };
  }

  /**
   * The report's text that a filter typed by the user means: the texts of the report keep their blanks
   * ("AA0017 ", a blank employee "   "), which nobody types.
   * @param {string} typed
   */
  exact(typed) {
    if (typed === '' || this.store.idOf(typed) >= 0) return typed;
    var want = typed.trim();
    if (want === '') return typed;
    var texts = /** @type {string[]} */ (this.store.texts);
    for (var k = 0; k < texts.length; k++) if (texts[k].trim() === want) return texts[k];
    return want;
  }

  /** The list for the current filters, drawn from its top. */
  refresh() {
    if (!this.root) return;
    var started = performance.now();
    this.shown = this.store.select(this.filters());
    this.q('.ex-spacer').style.height = Math.min(this.shown.length * VALIX_ROW_HEIGHT, VALIX_MAX_SPACER) + 'px';
    // A short list takes only its own height.
    this.q('.ex-viewport').style.height = Math.max(3, Math.min(20, this.shown.length)) * VALIX_ROW_HEIGHT + 2 + 'px';
    this.q('.ex-viewport').scrollTop = 0;
    this.q('.ex-count').textContent = 'zobrazeno ' + valixNumber(this.shown.length) + ' z ' + valixNumber(this.store.count);
    this.root.dataset.shown = String(this.shown.length);
    this.draw();
    this.root.dataset.filterMs = (performance.now() - started).toFixed(1);
  }

  bindList() {
    var viewport = this.q('.ex-viewport');
    var that = this;
    viewport.addEventListener('scroll', function () {
      if (that.drawQueued) return;
      that.drawQueued = true;
      requestAnimationFrame(function () {
        that.drawQueued = false;
        that.draw();
      });
    });
    viewport.addEventListener('click', function (/** @type {MouseEvent} */ e) {
      var row = /** @type {HTMLElement | null} */ (/** @type {HTMLElement} */ (e.target).closest('.ex-row'));
      if (row && row.dataset.index !== undefined) that.choose(Number(row.dataset.index));
    });
    viewport.addEventListener('keydown', function (/** @type {KeyboardEvent} */ e) {
      if (e.key !== 'ArrowDown' && e.key !== 'ArrowUp') return;
      e.preventDefault();
      var at = that.chosen < 0 ? -1 : that.shown.indexOf(that.chosen);
      var next = Math.max(0, Math.min(that.shown.length - 1, at + (e.key === 'ArrowDown' ? 1 : -1)));
      if (that.shown.length) that.choose(that.shown[next]);
    });
  }

  /** Draws the rows in sight, reusing their elements. */
  draw() {
    var viewport = this.q('.ex-viewport');
    var height = viewport.clientHeight || 440;
    var n = this.shown.length;
    var visible = Math.ceil(height / VALIX_ROW_HEIGHT) + 1;
    var spacer = Math.min(n * VALIX_ROW_HEIGHT, VALIX_MAX_SPACER);
    var first;
    var top;
    if (spacer === n * VALIX_ROW_HEIGHT) {
      first = Math.floor(viewport.scrollTop / VALIX_ROW_HEIGHT);
      top = first * VALIX_ROW_HEIGHT;
    } else {
      var range = Math.max(1, spacer - height);
      first = Math.round(Math.min(1, viewport.scrollTop / range) * Math.max(0, n - visible + 1));
      top = viewport.scrollTop;
    }
    while (this.rows.length < visible) {
      var row = document.createElement('div');
      row.className = 'ex-row';
      for (var c = 0; c < 8; c++) row.appendChild(document.createElement('span'));
      viewport.appendChild(row);
      this.rows.push(row);
    }
    for (var k = 0; k < this.rows.length; k++) {
      var el = this.rows[k];
      var at = first + k;
      if (k >= visible || at >= n) {
        el.hidden = true;
        continue;
      }
      var index = this.shown[at];
      var r = this.store.record(index);
      el.hidden = false;
      el.style.top = top + k * VALIX_ROW_HEIGHT + 'px';
      // The line as the report shows it: a person's two records' finding names both ("519,579").
      var line = r.lineText || String(r.line);
      el.dataset.line = line;
      el.dataset.index = String(index);
      el.className = 'ex-row ' + (r.weight === 'W' ? 'w' : 'e') + (index === this.chosen ? ' chosen' : '') +
          (this.isNew && this.isNew[index] ? ' new' : '');
      var cells = el.children;
      var texts = [line, r.code, r.employer, r.person, r.element, r.value, r.expected, r.message];
      for (var t = 0; t < 8; t++) {
        var text = String(texts[t]);
        if (cells[t].textContent !== text) cells[t].textContent = text;
      }
      el.title = texts.join(' | ');
    }
  }

  /** A finding chosen in the list: marked, and its source lines shown. @param {number} index */
  choose(index) {
    this.chosen = index;
    this.draw();
    this.showContext(index);
  }

  /** @param {number} index */
  showContext(index) {
    var box = this.q('.ex-source');
    var title = this.q('.ex-source-title');
    var pre = this.q('.ex-source-lines');
    box.hidden = false;
    var r = this.store.record(index);
    var line = parseInt(String(r.fileLine || r.line), 10);
    var file = r.file || 0;
    var files = this.source ? this.source.files : [];
    pre.textContent = '';
    delete box.dataset.line;
    if (!this.source || !files[file] || !(line > 0)) {
      title.textContent = 'Řádek ' + (r.lineText || r.line) + ': ' + r.code + ' – zdrojový soubor není k dispozici' +
          (this.source ? '' : ' (otevřete protokol spolu se vstupním souborem)');
      return;
    }
    var name = files[file].name;
    title.textContent = 'Načítám řádky souboru ' + name + '…';
    var asked = ++this.contextAsked;
    var started = performance.now();
    var that = this;
    this.source.context(file, line, 150).then(function (/** @type {{first: number, lines: string[], mark: number}} */ c) {
      if (asked !== that.contextAsked || !that.root) return;
      title.textContent = name + (files.length > 1 ? ' (soubor ' + (file + 1) + ' z ' + files.length + ')' : '') +
          ', řádek ' + valixNumber(line) + ': ' + r.code + ' ' + r.message;
      var width = String(c.first + c.lines.length).length;
      c.lines.forEach(function (text, k) {
        var span = document.createElement('span');
        var n = c.first + k;
        span.textContent = String(n).padStart(width, ' ') + '  ' + text;
        if (k === c.mark) {
          span.className = 'mark';
          span.dataset.line = String(n);
        }
        pre.appendChild(span);
      });
      box.dataset.line = String(line);
      box.dataset.file = String(file);
      box.dataset.ms = (performance.now() - started).toFixed(1);
      var mark = pre.querySelector('.mark');
      if (mark) pre.scrollTop = Math.max(0, /** @type {HTMLElement} */ (mark).offsetTop - pre.clientHeight / 3);
    }, function (/** @type {any} */ e) {
      if (asked === that.contextAsked) title.textContent = 'Řádky souboru ' + name + ' nelze přečíst (' + (e && e.message || e) + ').';
    });
  }

  /**
   * Saves the findings now listed as the console program's CSV, in the report's order (the order the
   * records came in): a person's and an employer's summing findings stand in the report after the lines
   * they sum, so that with no filter the file is the report's rows, whatever the list's order.
   */
  exportView() {
    var bytes = this.store.exportCsv(Uint32Array.from(this.shown).sort());
    var blob = new Blob([bytes], { type: 'text/csv' });
    if (this.save) {
      this.save(blob, 'zpve-vyber.csv');
      return;
    }
    var a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = 'zpve-vyber.csv';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 60000);
  }
}

if (typeof module === 'object') module.exports = { Explorer: Explorer };
