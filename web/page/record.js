// The game record in the move-list form of Gomocup's openings and
// GomocupJudge: each move a column letter from `a` and a row number from 1,
// written one after the other (`h8h9i8`). Square x, y is column x, row y + 1.

const kFirstColumn = 'a'.charCodeAt(0);

export function squareName(x, y) {
  return String.fromCharCode(kFirstColumn + x) + String(y + 1);
}

export function formatRecord(moves) {
  return moves.map(({ x, y }) => squareName(x, y)).join('');
}

// The moves of a record text on a board of `size` squares a side: blanks and
// commas between moves are allowed. Returns { moves } or { error, index }, the
// error naming the first wrong move (index counts from 0).
export function parseRecord(text, size) {
  const moves = [];
  const squares = /\s*,?\s*([a-zA-Z])(\d{1,2})/y;
  const body = text.trim();
  let position = 0;
  while (position < body.length) {
    squares.lastIndex = position;
    const match = squares.exec(body);
    if (match === null) {
      const rest = body.slice(position).trim().slice(0, 8);
      return { error: `move ${moves.length + 1}: "${rest}" is not a square such as h8`, index: moves.length };
    }
    const x = match[1].toLowerCase().charCodeAt(0) - kFirstColumn;
    const y = Number(match[2]) - 1;
    if (x >= size || y < 0 || y >= size) {
      const name = match[1].toLowerCase() + match[2];
      return { error: `move ${moves.length + 1} (${name}) is off the ${size} x ${size} board`, index: moves.length };
    }
    moves.push({ x, y });
    position = squares.lastIndex;
  }
  return { moves };
}
