// The engine's standard input under WebAssembly (linked with --js-library):
// the host that loads the module gives it `readInput(target, wait)`, which
// copies the bytes that wait into the Uint8Array `target` and returns their
// number, 0 when none wait (only when `wait` is false), or -1 at the end of
// the input. Without one the input is empty.
mergeInto(LibraryManager.library, {
  TesselReadInput: function (buffer, size, wait) {
    if (!Module['readInput']) return -1;
    return Module['readInput'](HEAPU8.subarray(buffer, buffer + size), wait !== 0);
  },
});
