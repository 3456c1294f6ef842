// What the page's scripts use that no script of web/ declares: node's module object (model.js is also
// require()d by node's tests).
declare var module: { exports: any } | undefined;
