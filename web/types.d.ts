// What the page's scripts use that no script of web/ declares: node's module object (model.js is also
// require()d by node's tests).
declare var module: { exports: any } | undefined;
// The error catalogue, made from the program's at build time (tools/catalogue_js.js), where the page holds it.
declare var VALIX_CATALOGUE: string[][] | undefined;
