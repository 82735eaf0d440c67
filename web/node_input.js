// Standard input and output of the Node entry (pbrain-tessel.js), as the
// native engine has them: replies written at once, one line each, and input
// read without blocking while a search runs. Node reads synchronously only
// by fs.readSync, which blocks on an empty pipe unless the descriptor is non-
// blocking: opening process.stdin makes it so for pipes, sockets and
// terminals (it is never started, so Node itself reads nothing), and a wait
// for input polls it every few milliseconds.
Module['print'] = (line) => require('fs').writeSync(1, line + '\n');
Module['printErr'] = (line) => require('fs').writeSync(2, line + '\n');
Module['readInput'] = (() => {
  const fs = require('fs');
  const pause = new Int32Array(new SharedArrayBuffer(4));
  const kPollMs = 2;
  let fd = null;
  return (target, wait) => {
    if (fd === null) fd = process.stdin.fd;
    for (;;) {
      try {
        const got = fs.readSync(fd, target, 0, target.length, null);
        return got > 0 ? got : -1;
      } catch (error) {
        if (error.code === 'EOF') return -1;
        if (error.code !== 'EAGAIN') throw error;
      }
      if (!wait) return 0;
      Atomics.wait(pause, 0, 0, kPollMs);
    }
  };
})();
