// The worker's script is followed in the worker by the module that emscripten generates (createValix)
// and the warm-up document that the page's build puts between them; pre.js runs inside that module.
declare function createValix(options: any): Promise<any>;
declare var VALIX_WARM_UP_DOCUMENT: string;
declare var Module: any;
declare var ENV: Record<string, string>;
declare var wasmBinaryFile: string;
declare function tryParseAsDataURI(uri: string): Uint8Array | undefined;
declare function readyPromiseReject(error: any): void;
// node's process, which pre.js reads when the module runs under node.
declare var process: { env: Record<string, string | undefined> } | undefined;
// JSPI: a wasm call that waits for a promise (Chromium 137 and later); the worker tests for it first.
declare namespace WebAssembly {
  class Suspending {
    constructor(f: (...args: any[]) => any);
  }
  function promising(f: Function): (...args: any[]) => Promise<any>;
}
