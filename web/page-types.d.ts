// The page's scripts become one script of the page (web/assemble.cmake): what the explorer's files define
// is global there; node's tests require() them.
declare var FindingStore: typeof import('./explorer/model.js').FindingStore;
declare var compareRuns: typeof import('./explorer/model.js').compareRuns;
declare var compareSteps: typeof import('./explorer/model.js').compareSteps;
declare var parseCsvReport: typeof import('./explorer/model.js').parseCsvReport;
declare var parseXmlReport: typeof import('./explorer/model.js').parseXmlReport;
declare var SourceFiles: typeof import('./explorer/source.js').SourceFiles;
declare var Explorer: typeof import('./explorer/view.js').Explorer;
/** The explanations of the codes (tools/kody.py --json), embedded when the page is built. */
declare var VALIX_EXPLANATIONS: { [code: string]: { nazev?: string; html?: string } };
