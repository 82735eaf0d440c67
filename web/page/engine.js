// The page's side of the engine worker: requests in, reply lines out. Stop is
// immediate: the worker is ended and a fresh one started (its module is
// loaded from the browser's cache), and the page plays the best move that the
// search last reported.
export class Engine {
  constructor(workerUrl = 'worker.js') {
    this.workerUrl = workerUrl;
    this.pending = null;
    this.start();
  }

  get busy() {
    return this.pending !== null;
  }

  // Sends the lines of one request; `onLine` gets every reply line. Resolves
  // true when the session ended, false when it was stopped.
  run(lines, onLine) {
    if (this.pending) throw new Error('the engine is busy');
    return new Promise((resolve) => {
      this.pending = { onLine, resolve };
      this.worker.postMessage({ lines });
    });
  }

  // Ends the running request at once.
  stop() {
    if (!this.pending) return;
    this.worker.terminate();
    this.finish(false);
    this.start();
  }

  start() {
    this.worker = new Worker(this.workerUrl);
    this.worker.onmessage = ({ data }) => {
      if (!this.pending) return;
      if (data.done) this.finish(true);
      else this.pending.onLine(data.line);
    };
  }

  finish(completed) {
    const { resolve } = this.pending;
    this.pending = null;
    resolve(completed);
  }
}
