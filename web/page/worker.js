// The engine's worker: one engine module, which plays one request (a session
// of protocol lines, protocol.js) at a time and posts every reply line. The
// input of a session is the request's lines and nothing more, so the session
// ends once they are done; the module and its tables stay for the next one.
// A search cannot read messages while it runs: the page stops one by ending
// this worker (engine.js).
importScripts('tessel.js');

let input = new Uint8Array(0);
const engine = createTessel({
  print: (line) => postMessage({ line }),
  printErr: () => {},
  // Hands over the request's bytes; then the input has ended (-1).
  readInput: (target) => {
    if (input.length === 0) return -1;
    const count = Math.min(target.length, input.length);
    target.set(input.subarray(0, count));
    input = input.subarray(count);
    return count;
  },
});

onmessage = async ({ data }) => {
  const module = await engine;
  input = new TextEncoder().encode(data.lines.map((line) => line + '\n').join(''));
  module._main();
  postMessage({ done: true });
};
