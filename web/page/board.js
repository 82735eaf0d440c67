// The board drawn on a canvas at the screen's own pixel density, so that it
// stays crisp at any size. Square x, y is at ((x + 1) / (side + 1)) of the
// canvas's width and ((y + 1) / (side + 1)) of its height; column letters and
// row numbers sit in the margin. A click gives the nearest square.
import { squareName } from './record.js';

const kColours = {
  wood: '#e3bb6d',
  line: '#5a4020',
  black: '#1b1b1b',
  white: '#f6f4ee',
  last: '#d2332b',
  win: 'rgba(210, 51, 43, 0.85)',
  forbidden: '#c0392b',
  hint: '#1d6fd6',
  candidate: 'rgba(29, 111, 214, 0.85)',
};

export class BoardView {
  constructor(canvas, onSquare) {
    this.canvas = canvas;
    this.view = null;
    canvas.addEventListener('click', (event) => {
      const square = this.squareAt(event.clientX, event.clientY);
      if (square) onSquare(square.x, square.y);
    });
    new ResizeObserver(() => this.view && this.draw(this.view)).observe(canvas);
  }

  squareAt(clientX, clientY) {
    if (!this.view) return null;
    const box = this.canvas.getBoundingClientRect();
    const cell = box.width / (this.view.side + 1);
    const x = Math.round((clientX - box.left) / cell) - 1;
    const y = Math.round((clientY - box.top) / cell) - 1;
    const inside = (n) => n >= 0 && n < this.view.side;
    return inside(x) && inside(y) ? { x, y } : null;
  }

  // `view`: side, moves ({x, y} from black), numbers (move numbers instead of
  // a last-move mark), winLine, forbidden, candidates ({x, y, rank,
  // winRate}), hint ({x, y} or null).
  draw(view) {
    this.view = view;
    const { canvas } = this;
    const ratio = window.devicePixelRatio || 1;
    const size = canvas.clientWidth;
    if (size === 0) return;
    canvas.width = Math.round(size * ratio);
    canvas.height = Math.round(size * ratio);
    const context = canvas.getContext('2d');
    context.setTransform(ratio, 0, 0, ratio, 0, 0);
    const cell = size / (view.side + 1);
    const at = (n) => (n + 1) * cell;
    this.drawGrid(context, view.side, cell, at, size);
    for (const square of view.forbidden) this.drawCross(context, at(square.x), at(square.y), cell);
    view.moves.forEach((move, i) => this.drawStone(context, move, i, view, cell, at));
    this.drawWinLine(context, view.winLine, cell, at);
    for (const candidate of view.candidates) this.drawCandidate(context, candidate, cell, at);
    if (view.hint) this.drawRing(context, at(view.hint.x), at(view.hint.y), cell * 0.42, kColours.hint);
  }

  drawGrid(context, side, cell, at, size) {
    context.fillStyle = kColours.wood;
    context.fillRect(0, 0, size, size);
    context.strokeStyle = kColours.line;
    context.lineWidth = Math.max(1, cell / 36);
    context.beginPath();
    for (let n = 0; n < side; ++n) {
      context.moveTo(at(0), at(n));
      context.lineTo(at(side - 1), at(n));
      context.moveTo(at(n), at(0));
      context.lineTo(at(n), at(side - 1));
    }
    context.stroke();
    // The centre and the star points a quarter in from the edges.
    const centre = (side - 1) / 2;
    const stars = side % 2 === 1 ? [3, centre, side - 4] : [3, side - 4];
    context.fillStyle = kColours.line;
    for (const x of stars) {
      for (const y of stars) {
        context.beginPath();
        context.arc(at(x), at(y), cell * 0.09, 0, 2 * Math.PI);
        context.fill();
      }
    }
    context.font = `${Math.round(cell * 0.34)}px system-ui, sans-serif`;
    context.textAlign = 'center';
    context.textBaseline = 'middle';
    for (let n = 0; n < side; ++n) {
      const [column, row] = [squareName(n, 0)[0], String(n + 1)];
      context.fillText(column, at(n), cell * 0.45);
      context.fillText(column, at(n), size - cell * 0.45);
      context.fillText(row, cell * 0.45, at(n));
      context.fillText(row, size - cell * 0.45, at(n));
    }
  }

  drawStone(context, move, i, view, cell, at) {
    const black = i % 2 === 0;
    const [x, y] = [at(move.x), at(move.y)];
    const radius = cell * 0.46;
    const gradient = context.createRadialGradient(x - radius / 3, y - radius / 3, radius / 8, x, y, radius);
    gradient.addColorStop(0, black ? '#555' : '#ffffff');
    gradient.addColorStop(1, black ? kColours.black : '#d9d5ca');
    context.fillStyle = gradient;
    context.beginPath();
    context.arc(x, y, radius, 0, 2 * Math.PI);
    context.fill();
    const last = i === view.moves.length - 1;
    if (view.numbers) {
      context.fillStyle = last ? kColours.last : black ? kColours.white : kColours.black;
      context.font = `600 ${Math.round(cell * (i >= 99 ? 0.34 : 0.42))}px system-ui, sans-serif`;
      context.fillText(String(i + 1), x, y + cell * 0.02);
    } else if (last) {
      context.fillStyle = kColours.last;
      context.beginPath();
      context.arc(x, y, cell * 0.13, 0, 2 * Math.PI);
      context.fill();
    }
  }

  drawWinLine(context, line, cell, at) {
    if (line.length === 0) return;
    const ends = [...line].sort((a, b) => a.x - b.x || a.y - b.y);
    const [first, last] = [ends[0], ends[ends.length - 1]];
    context.strokeStyle = kColours.win;
    context.lineWidth = cell * 0.16;
    context.lineCap = 'round';
    context.beginPath();
    context.moveTo(at(first.x), at(first.y));
    context.lineTo(at(last.x), at(last.y));
    context.stroke();
  }

  drawCross(context, x, y, cell) {
    const arm = cell * 0.2;
    context.strokeStyle = kColours.forbidden;
    context.lineWidth = Math.max(1.5, cell * 0.07);
    context.beginPath();
    context.moveTo(x - arm, y - arm);
    context.lineTo(x + arm, y + arm);
    context.moveTo(x + arm, y - arm);
    context.lineTo(x - arm, y + arm);
    context.stroke();
  }

  drawRing(context, x, y, radius, colour) {
    context.strokeStyle = colour;
    context.lineWidth = Math.max(2, radius * 0.18);
    context.beginPath();
    context.arc(x, y, radius, 0, 2 * Math.PI);
    context.stroke();
  }

  // A candidate's tag: its rank and its win rate in per cent.
  drawCandidate(context, candidate, cell, at) {
    const [x, y] = [at(candidate.x), at(candidate.y)];
    context.fillStyle = kColours.candidate;
    context.beginPath();
    context.arc(x, y, cell * 0.4, 0, 2 * Math.PI);
    context.fill();
    context.fillStyle = '#fff';
    context.font = `600 ${Math.round(cell * 0.3)}px system-ui, sans-serif`;
    context.fillText(String(Math.round(candidate.winRate * 100)), x, y + cell * 0.02);
  }
}
