// The page: the board, the controls, the analysis and the record, wired to
// the game (game.js), its judge (the engine's rule code, judge.js) and the
// engine's worker (engine.js), which it speaks to as a board program does
// (protocol.js).
import { BoardView } from './board.js';
import { Engine } from './engine.js';
import { Game } from './game.js';
import { Judge } from './judge.js';
import { requestLines, ReplyReader } from './protocol.js';
import { squareName } from './record.js';
import { RULES, ruleById, Verdict, kMinSide, kMaxSide } from './rules.js';

const $ = (id) => document.getElementById(id);
const kColourNames = { 1: 'Black', 2: 'White' };

const state = {
  judge: null,
  game: null,
  players: { 1: 'human', 2: 'tessel' },
  // What the engine is doing: null, 'move' (Tessel's move) or 'hint'.
  thinking: null,
  request: 0,        // the number of the request in flight; a cancel moves it on
  realtime: null,    // the best move the running search last reported
  stopWanted: false, // Stop came before the search reported a move
  analysis: null,    // the best candidate of the last iteration, and whose view
  candidates: [],    // the last iteration's candidates, by rank
  hint: null,
  notice: '',
};
let board = null;
let engine = null;

function settings() {
  return {
    side: Number($('size').value),
    rule: ruleById($('rule').value),
    turnMs: Number($('time').value),
  };
}

// ---- Drawing -------------------------------------------------------------

function refresh() {
  const { game } = state;
  board.draw({
    side: game.side,
    moves: game.moves,
    numbers: $('numbers').checked,
    winLine: game.winningLine(),
    forbidden: state.players[game.toMove] === 'human' ? game.forbiddenSquares() : [],
    candidates: state.candidates,
    hint: state.hint,
  });
  $('status').textContent = statusText();
  $('record').textContent = game.record;
  const { side, rule } = settings();
  $('link').href = `#size=${side}&rule=${rule.id}&moves=${game.record}`;
  $('stop').disabled = state.thinking === null;
  $('hint').disabled = state.thinking !== null || game.over;
  $('undo').disabled = game.moves.length === 0;
  $('redo').disabled = game.undone.length === 0;
  showAnalysis();
}

function statusText() {
  const { game } = state;
  if (game.winner) return `${kColourNames[game.winner]} wins`;
  if (game.full) return 'Draw: the board is full';
  const colour = kColourNames[game.toMove];
  if (state.thinking === 'move') return `Tessel is thinking (${colour.toLowerCase()})…`;
  if (state.thinking === 'hint') return `Looking for ${colour.toLowerCase()}'s best moves…`;
  return [state.notice, `${colour} to play`].filter(Boolean).join(' · ');
}

function showAnalysis() {
  const best = state.analysis;
  const text = (id, value) => ($(id).textContent = value);
  if (!best) {
    ['depth', 'value', 'best', 'nodes', 'speed', 'winrate'].forEach((id) => text(id, '–'));
    $('winrate-bar').style.width = '50%';
  } else {
    text('depth', `${best.depth} (${best.selDepth})`);
    text('value', `${best.eval} for ${kColourNames[best.colour].toLowerCase()}`);
    text('best', squareName(best.x, best.y));
    text('nodes', best.totalNodes.toLocaleString('en'));
    text('speed', `${Math.round(best.speed / 1000).toLocaleString('en')} k/s`);
    // The bar shows black's chances, whoever was searched.
    const black = best.colour === 1 ? best.winRate : 1 - best.winRate;
    $('winrate-bar').style.width = `${(black * 100).toFixed(1)}%`;
    text('winrate', `black ${(black * 100).toFixed(1)}%`);
  }
  $('candidate-list').replaceChildren(
    ...state.candidates.map((candidate) => {
      const item = document.createElement('li');
      item.textContent = `${squareName(candidate.x, candidate.y)}  ${candidate.eval}  ` +
        `${(candidate.winRate * 100).toFixed(1)}%`;
      return item;
    }),
  );
}

// ---- The engine ------------------------------------------------------------

// Runs one request on the game in play; returns the engine's answer, the
// best move reported before a Stop, or null when the request was cancelled.
async function ask(kind) {
  const { game } = state;
  const request = ++state.request;
  const colour = game.toMove;
  state.thinking = kind;
  state.realtime = null;
  state.stopWanted = false;
  state.candidates = [];
  state.hint = null;
  refresh();
  const reader = new ReplyReader();
  let answer = null;
  const completed = await engine.run(
    requestLines({ ...settings(), moves: game.moves, kind: kind === 'hint' ? 'candidates' : 'move',
                   count: Number($('candidates').value) }),
    (line) => {
      const reply = reader.read(line);
      if (reply === null || request !== state.request) return;
      if (reply.type === 'move') answer = reply;
      if (reply.type === 'error') state.notice = reply.text;
      if (reply.type === 'realtime') {
        state.realtime = reply;
        if (state.stopWanted) engine.stop();
      }
      if (reply.type === 'candidate') showCandidate(reply, colour);
    });
  if (request !== state.request) return null;
  state.thinking = null;
  return completed ? answer : state.realtime;
}

// A new iteration's first candidate replaces the tags of the one before.
function showCandidate(candidate, colour) {
  if (candidate.rank === 0) {
    state.candidates = [];
    state.analysis = { ...candidate, colour };
  }
  state.candidates[candidate.rank] = candidate;
  refresh();
}

// Tessel plays while it is to move.
async function think() {
  const { game } = state;
  if (game.over || state.players[game.toMove] !== 'tessel' || state.thinking) return;
  const answer = await ask('move');
  if (answer === null || game !== state.game) return;
  state.candidates = [];
  const verdict = game.play(answer.x, answer.y);
  if (verdict !== Verdict.allowed && verdict !== Verdict.wins) {
    state.notice = `Tessel answered ${squareName(answer.x, answer.y)}, which cannot be played`;
  }
  refresh();
  think();
}

// Drops whatever the engine is doing, without playing its move.
function cancel() {
  state.request += 1;
  state.thinking = null;
  engine.stop();
}

// ---- Commands --------------------------------------------------------------

function onSquare(x, y) {
  const { game } = state;
  if (game.over || state.players[game.toMove] !== 'human' || state.thinking === 'move') return;
  if (state.thinking === 'hint') cancel();
  const verdict = game.play(x, y);
  state.notice = verdict === Verdict.forbidden ? `${squareName(x, y)} is forbidden to black` : '';
  if (verdict === Verdict.allowed || verdict === Verdict.wins) {
    state.hint = null;
    state.candidates = [];
  }
  refresh();
  think();
}

function newGame(moves = '') {
  cancel();
  const { side, rule } = settings();
  state.game = new Game(state.judge, side, rule);
  state.notice = moves ? state.game.load(moves) ?? '' : '';
  $('load-error').textContent = '';
  state.analysis = null;
  state.candidates = [];
  state.hint = null;
  refresh();
  think();
}

// Takes back one move, or two when that gives the move back to a person
// playing Tessel.
function undo() {
  cancel();
  const { game } = state;
  game.undo();
  const other = game.toMove === 1 ? 2 : 1;
  if (state.players[game.toMove] === 'tessel' && state.players[other] === 'human') game.undo();
  state.hint = null;
  state.candidates = [];
  state.notice = '';
  refresh();
  think();
}

function redo() {
  cancel();
  state.game.redo();
  state.hint = null;
  state.candidates = [];
  refresh();
  think();
}

// Stop: the move the search has found so far is played (or, for a hint,
// shown) at once.
function stop() {
  if (!state.thinking) return;
  if (state.realtime) engine.stop();
  else state.stopWanted = true;
}

async function hint() {
  const { game } = state;
  if (game.over || state.thinking) return;
  const answer = await ask('hint');
  if (answer === null || game !== state.game) return;
  state.hint = { x: answer.x, y: answer.y };
  refresh();
}

function swapSides() {
  cancel();
  [state.players[1], state.players[2]] = [state.players[2], state.players[1]];
  $('black').value = state.players[1];
  $('white').value = state.players[2];
  refresh();
  think();
}

function setPlayers() {
  cancel();
  state.players = { 1: $('black').value, 2: $('white').value };
  refresh();
  think();
}

function loadRecord(event) {
  event.preventDefault();
  cancel();
  const error = state.game.load($('record-input').value);
  $('load-error').textContent = error ?? '';
  if (!error) {
    state.analysis = null;
    state.candidates = [];
    state.hint = null;
  }
  refresh();
  think();
}

async function copyRecord() {
  try {
    await navigator.clipboard.writeText(state.game.record);
    state.notice = 'Record copied';
  } catch {
    getSelection().selectAllChildren($('record'));
    state.notice = 'Record selected: copy it with Ctrl+C';
  }
  refresh();
}

// ---- Start -----------------------------------------------------------------

function fillMenus() {
  for (const rule of RULES) $('rule').add(new Option(rule.name, rule.id));
  for (let side = kMinSide; side <= kMaxSide; ++side) $('size').add(new Option(`${side} x ${side}`, side));
}

// A link carries the board, the rule and the moves: #size=15&rule=renju&moves=h8h9.
function linkedGame() {
  const fields = new URLSearchParams(location.hash.slice(1));
  const side = Number(fields.get('size'));
  if (side >= kMinSide && side <= kMaxSide) $('size').value = side;
  if (fields.has('rule')) $('rule').value = ruleById(fields.get('rule')).id;
  return fields.get('moves') ?? '';
}

async function main() {
  fillMenus();
  // The first game: 15 x 15 freestyle, the person black, Tessel white, a
  // second a move.
  $('size').value = 15;
  $('black').value = state.players[1];
  $('white').value = state.players[2];
  const moves = linkedGame();
  state.judge = new Judge(await createTessel());
  engine = new Engine();
  board = new BoardView($('board'), onSquare);
  $('new').onclick = () => newGame();
  $('undo').onclick = undo;
  $('redo').onclick = redo;
  $('stop').onclick = stop;
  $('hint').onclick = hint;
  $('swap').onclick = swapSides;
  $('copy').onclick = copyRecord;
  $('rule').onchange = () => newGame();
  $('size').onchange = () => newGame();
  $('black').onchange = setPlayers;
  $('white').onchange = setPlayers;
  $('numbers').onchange = refresh;
  $('load-form').onsubmit = loadRecord;
  newGame(moves);
  if ('serviceWorker' in navigator && location.protocol.startsWith('http')) {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

main();
