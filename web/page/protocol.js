// The page is a board program: it speaks the engine's protocol. Each request
// is a session of its own, as Yixin-Board loads a position: START, the INFO
// settings, the position, then the command; the answer ends the session.

// Lines of one request. `moves` ({x, y}) are the game's, from black; the side
// to move is the engine's. `kind`: 'move' (the engine's move: BEGIN or a
// BOARD block), 'candidates' (the `count` best moves, none played) or 'forbid'
// (black's forbidden squares).
export function requestLines({ side, rule, turnMs, moves, kind, count = 1 }) {
  const lines = [
    `START ${side}`,
    `INFO rule ${rule.info}`,
    `INFO timeout_turn ${turnMs}`,
    'INFO timeout_match 0',
    'INFO show_detail 3',
  ];
  const toMove = moves.length % 2;
  // 1 for the stones of the side to move, 2 for the other's.
  const stones = moves.map(({ x, y }, i) => `${x},${y},${i % 2 === toMove ? 1 : 2}`);
  if (kind === 'move') {
    lines.push('INFO time_left 2147483647');
    if (moves.length === 0) lines.push('BEGIN');
    else lines.push('BOARD', ...stones, 'DONE');
    return lines;
  }
  lines.push('YXBOARD', ...stones, 'DONE');
  lines.push(kind === 'forbid' ? 'YXSHOWFORBID' : `YXNBEST ${count}`);
  return lines;
}

const kMove = /^(\d+),(\d+)$/;
const kRealtime = /^MESSAGE REALTIME BEST (\d+),(\d+)$/;
const kForbid = /^FORBID ((?:\d{4})*)\.$/;

// Reads the engine's reply lines one at a time and says what each means:
// { type: 'move', x, y }, { type: 'realtime', x, y }, { type: 'candidate', ...
// one detail block }, { type: 'forbid', squares }, { type: 'error', text },
// or null for a line that says nothing new (a block's inner lines, logs).
export class ReplyReader {
  constructor() {
    this.block = null;
  }

  read(line) {
    let match = kMove.exec(line);
    if (match) return { type: 'move', x: Number(match[1]), y: Number(match[2]) };
    match = kRealtime.exec(line);
    if (match) return { type: 'realtime', x: Number(match[1]), y: Number(match[2]) };
    match = kForbid.exec(line);
    if (match) {
      const squares = (match[1].match(/\d{4}/g) ?? []).map((digits) => ({
        x: Number(digits.slice(0, 2)),
        y: Number(digits.slice(2)),
      }));
      return { type: 'forbid', squares };
    }
    if (line.startsWith('ERROR')) return { type: 'error', text: line };
    if (line.startsWith('INFO ')) return this.readDetail(line.slice(5));
    return null;
  }

  // INFO PV n ... INFO PV DONE: one candidate of an iteration.
  readDetail(text) {
    const space = text.indexOf(' ');
    const key = text.slice(0, space);
    const value = text.slice(space + 1);
    if (key === 'PV' && value === 'DONE') {
      const candidate = this.block;
      this.block = null;
      return candidate;
    }
    if (key === 'PV') {
      this.block = { type: 'candidate', rank: Number(value) };
      return null;
    }
    if (this.block === null) return null;
    const fields = {
      NUMPV: ['count', Number],
      DEPTH: ['depth', Number],
      SELDEPTH: ['selDepth', Number],
      NODES: ['nodes', Number],
      TOTALNODES: ['totalNodes', Number],
      TOTALTIME: ['timeMs', Number],
      SPEED: ['speed', Number],
      EVAL: ['eval', String],
      WINRATE: ['winRate', Number],
    };
    if (key in fields) {
      const [name, convert] = fields[key];
      this.block[name] = convert(value);
    } else if (key === 'BESTLINE') {
      const [x, y] = value.split(' ')[0].split(',').map(Number);
      this.block.x = x;
      this.block.y = y;
    }
    return null;
  }
}
