// The game on the page: its board side and rule, the moves played, the moves
// taken back (for Redo), and the end. Every move is judged by the engine's
// rule code (a Judge) before it is played.
import { parseRecord, formatRecord, squareName } from './record.js';
import { Verdict } from './rules.js';

const kDirections = [[1, 0], [0, 1], [1, 1], [1, -1]];
const kWhy = {
  [Verdict.forbidden]: 'is forbidden to black',
  [Verdict.taken]: 'is already taken',
  [Verdict.afterEnd]: 'comes after the game was won',
};

export class Game {
  constructor(judge, side, rule, moves = []) {
    this.judge = judge;
    this.side = side;
    this.rule = rule;
    this.moves = [];
    this.undone = [];
    this.winner = 0;
    this.replay(moves);
  }

  // 1 (black) or 2 (white).
  get toMove() {
    return (this.moves.length % 2) + 1;
  }

  get full() {
    return this.moves.length === this.side * this.side;
  }

  get over() {
    return this.winner !== 0 || this.full;
  }

  stoneAt(x, y) {
    const i = this.moves.findIndex((move) => move.x === x && move.y === y);
    return i < 0 ? 0 : (i % 2) + 1;
  }

  // The judge's verdict on a stone of the side to move on x, y.
  verdict(x, y) {
    if (this.full) return Verdict.afterEnd;
    return this.judge.verdict(x, y);
  }

  // Plays x, y when the rule allows it; returns the verdict. A new move
  // forgets the moves taken back.
  play(x, y) {
    const verdict = this.verdict(x, y);
    if (verdict !== Verdict.allowed && verdict !== Verdict.wins) return verdict;
    this.undone = [];
    this.put({ x, y }, verdict);
    return verdict;
  }

  undo() {
    if (this.moves.length === 0) return false;
    const last = this.moves[this.moves.length - 1];
    this.replay(this.moves.slice(0, -1));
    this.undone.push(last);
    return true;
  }

  redo() {
    if (this.undone.length === 0) return false;
    const move = this.undone.pop();
    this.put(move, this.verdict(move.x, move.y));
    return true;
  }

  // The squares forbidden to black now: none unless black is to move.
  forbiddenSquares() {
    if (this.over || this.toMove !== 1) return [];
    const squares = [];
    for (let y = 0; y < this.side; ++y) {
      for (let x = 0; x < this.side; ++x) {
        if (this.judge.verdict(x, y) === Verdict.forbidden) squares.push({ x, y });
      }
    }
    return squares;
  }

  // The winner's line through the last move: the longest run of its stones.
  winningLine() {
    if (this.winner === 0) return [];
    const last = this.moves[this.moves.length - 1];
    let best = [];
    for (const [dx, dy] of kDirections) {
      const line = [last];
      for (const sign of [1, -1]) {
        for (let step = 1; ; ++step) {
          const x = last.x + sign * step * dx, y = last.y + sign * step * dy;
          if (this.stoneAt(x, y) !== this.winner) break;
          line.push({ x, y });
        }
      }
      if (line.length > best.length) best = line;
    }
    return best;
  }

  get record() {
    return formatRecord(this.moves);
  }

  // A record text loaded as the game: every move is checked; on a wrong one
  // nothing changes and the error names it.
  load(text) {
    const parsed = parseRecord(text, this.side);
    if (parsed.error) return parsed.error;
    const accepted = this.judge.load(this.side, this.rule, parsed.moves);
    if (accepted < parsed.moves.length) {
      const { x, y } = parsed.moves[accepted];
      const verdict = this.judge.verdict(x, y);
      this.replay(this.moves);
      return `move ${accepted + 1} (${squareName(x, y)}) ${kWhy[verdict]}`;
    }
    this.undone = [];
    this.replay(parsed.moves);
    return null;
  }

  put(move, verdict) {
    this.moves.push(move);
    if (verdict === Verdict.wins) this.winner = this.moves.length % 2 === 1 ? 1 : 2;
    this.judge.load(this.side, this.rule, this.moves);
  }

  // The judge set up with `moves`, all of them known to be playable; only the
  // last can have won.
  replay(moves) {
    this.moves = moves.slice(0, -1);
    this.winner = 0;
    this.judge.load(this.side, this.rule, this.moves);
    if (moves.length > 0) {
      const last = moves[moves.length - 1];
      this.put(last, this.judge.verdict(last.x, last.y));
    }
  }
}
