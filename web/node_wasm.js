// Node 18 and later have fetch, which this emscripten's loader then tries on
// the .wasm file's path and fails: the Node programs read their binary, the
// file beside the script with the same name, from disk themselves.
Module['wasmBinary'] = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
