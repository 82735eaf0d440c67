// An engine process driven as a manager drives it: a command is written, and
// when the command is answered the next is written only after the answer, so
// that no line reaches the engine earlier than a manager would send it.
import { spawn } from 'node:child_process';
import { createInterface } from 'node:readline';

// The commands whose answer a manager waits for. DONE is answered after a
// BOARD block, not after a YXBOARD block.
const kAnswered = new Set(['ABOUT', 'START', 'RECTSTART', 'RESTART', 'TAKEBACK', 'TURN', 'BEGIN',
  'BEST', 'YXNBEST', 'YXSEARCHDEFEND', 'YXBALANCEONE', 'YXBALANCETWO', 'YXSHOWFORBID']);
// The last line of an answer: a move (two for YXBALANCETWO), OK, an error,
// the forbidden squares, the ABOUT line.
const kLastLine = /^(\d+,\d+( \d+,\d+)?|OK|ERROR.*|FORBID .*|name=.*)$/;

export class EngineProcess {
  constructor(command, args = []) {
    this.child = spawn(command, args, { stdio: ['pipe', 'pipe', 'inherit'] });
    this.lines = [];
    this.waiting = null;
    this.block = null;  // the block being sent: 'BOARD' or 'YXBOARD'
    createInterface({ input: this.child.stdout }).on('line', (line) => {
      this.lines.push(line);
      if (this.waiting && kLastLine.test(line)) {
        this.waiting();
        this.waiting = null;
      }
    });
    this.exited = new Promise((resolve) => this.child.on('exit', (code) => resolve(code)));
  }

  // Writes one command; waits for its answer when a manager would.
  async send(line) {
    const word = line.split(/[ \t]/)[0].toUpperCase();
    let answered = kAnswered.has(word);
    if (word === 'BOARD' || word === 'YXBOARD') this.block = word;
    if (word === 'DONE') {
      answered = this.block === 'BOARD';
      this.block = null;
    }
    const answer = answered ? new Promise((resolve) => (this.waiting = resolve)) : null;
    this.child.stdin.write(line + '\n');
    await answer;
  }

  // Plays a whole session, closes the input and returns every line written
  // and the exit status.
  async play(session) {
    for (const line of session) await this.send(line);
    this.child.stdin.end();
    const status = await this.exited;
    return { lines: this.lines, status };
  }
}
