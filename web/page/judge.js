// The engine's own rule code, in an instance of the WebAssembly module of its
// own: the page asks it whether a stone wins or is forbidden, so that the
// rules are never written a second time in JavaScript.
export class Judge {
  // `module` is an instance made by createTessel() (tessel.js).
  constructor(module) {
    this.module = module;
  }

  // Sets up the game: returns how many of `moves` ({x, y}, from black) could
  // be played before the first that cannot.
  load(side, rule, moves) {
    const { module } = this;
    const bytes = Math.max(moves.length, 1) * 4;
    const pointer = module._malloc(bytes);
    const squares = module.HEAP16.subarray(pointer >> 1, (pointer >> 1) + moves.length * 2);
    moves.forEach(({ x, y }, i) => {
      squares[2 * i] = x;
      squares[2 * i + 1] = y;
    });
    const accepted = module._JudgeLoadGame(side, rule.judge, pointer, moves.length);
    module._free(pointer);
    return accepted;
  }

  // The verdict (rules.js Verdict) on a stone of the side to move on x, y.
  verdict(x, y) {
    return this.module._JudgeMove(x, y);
  }
}
