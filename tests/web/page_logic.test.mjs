// The page's logic in Node: the record's move-list form, the protocol lines
// of each request and the reading of the replies, and the game (moves, undo
// and redo, wins and renju's forbidden squares) judged by the engine's own
// rule code from the page's WebAssembly module.
import { test, describe, before } from 'node:test';
import assert from 'node:assert/strict';

import { Game } from '../../web/page/game.js';
import { Judge } from '../../web/page/judge.js';
import { requestLines, ReplyReader } from '../../web/page/protocol.js';
import { formatRecord, parseRecord } from '../../web/page/record.js';
import { ruleById, Verdict } from '../../web/page/rules.js';
import { loadTesselModule } from './module.mjs';

const squares = (text) => parseRecord(text, 20).moves;

describe('record', () => {
  const cases = [
    // text, side, moves or error
    ['h8h9i8', 15, [[7, 7], [7, 8], [8, 7]]],
    ['a1o15', 15, [[0, 0], [14, 14]]],
    ['t20 a10, b2', 20, [[19, 19], [0, 9], [1, 1]]],
    ['H8I9', 15, [[7, 7], [8, 8]]],
    ['', 15, []],
    ['h8p1', 15, 'move 2 (p1) is off the 15 x 15 board'],
    ['h8h16', 15, 'move 2 (h16) is off the 15 x 15 board'],
    ['h8a0', 15, 'move 2 (a0) is off the 15 x 15 board'],
    ['h8 9i', 15, 'move 2: "9i" is not a square such as h8'],
  ];
  for (const [text, side, expected] of cases) {
    test(`"${text}" on ${side}`, () => {
      const parsed = parseRecord(text, side);
      if (typeof expected === 'string') return assert.equal(parsed.error, expected);
      assert.deepEqual(parsed.moves.map(({ x, y }) => [x, y]), expected);
      assert.equal(formatRecord(parsed.moves), text.replace(/[\s,]/g, '').toLowerCase());
    });
  }
});

describe('protocol lines', () => {
  const rule = ruleById('renju');
  test('the engine to move on the empty board: BEGIN', () => {
    assert.deepEqual(requestLines({ side: 15, rule, turnMs: 200, moves: [], kind: 'move' }), [
      'START 15', 'INFO rule 4', 'INFO timeout_turn 200', 'INFO timeout_match 0',
      'INFO show_detail 3', 'INFO time_left 2147483647', 'BEGIN',
    ]);
  });
  test('a BOARD block: 1 on the stones of the side to move', () => {
    const lines = requestLines({ side: 20, rule, turnMs: 1000, moves: squares('h8h9i8'), kind: 'move' });
    assert.deepEqual(lines.slice(-5), ['BOARD', '7,7,2', '7,8,1', '8,7,2', 'DONE']);
    const black = requestLines({ side: 20, rule, turnMs: 1000, moves: squares('h8h9'), kind: 'move' });
    assert.deepEqual(black.slice(-4), ['BOARD', '7,7,1', '7,8,2', 'DONE']);
  });
  test('candidates and forbidden squares: YXBOARD, then the question', () => {
    const moves = squares('h8h9');
    const candidates = requestLines({ side: 15, rule, turnMs: 500, moves, kind: 'candidates', count: 5 });
    assert.deepEqual(candidates.slice(-5), ['YXBOARD', '7,7,1', '7,8,2', 'DONE', 'YXNBEST 5']);
    const forbid = requestLines({ side: 15, rule, turnMs: 500, moves, kind: 'forbid' });
    assert.equal(forbid.at(-1), 'YXSHOWFORBID');
    assert.ok(!forbid.includes('INFO time_left 2147483647'));
  });
});

describe('reply reader', () => {
  test('every kind of reply line', () => {
    const reader = new ReplyReader();
    const replies = [
      'MESSAGE REALTIME BEST 7,8',
      'INFO PV 1', 'INFO NUMPV 3', 'INFO DEPTH 5', 'INFO SELDEPTH 23', 'INFO NODES 120345',
      'INFO TOTALNODES 981234', 'INFO TOTALTIME 812', 'INFO SPEED 1208416', 'INFO EVAL -376',
      'INFO WINRATE 0.3462', 'INFO BESTLINE 8,6 9,9', 'INFO PV DONE',
      'MESSAGE depth=5 value=-376 time=0.8s nodes=981234 line=8,6',
      'FORBID 07080906.', 'FORBID .', 'ERROR board is full', '10,11',
    ].map((line) => reader.read(line)).filter(Boolean);
    assert.deepEqual(replies, [
      { type: 'realtime', x: 7, y: 8 },
      { type: 'candidate', rank: 1, count: 3, depth: 5, selDepth: 23, nodes: 120345, totalNodes: 981234,
        timeMs: 812, speed: 1208416, eval: '-376', winRate: 0.3462, x: 8, y: 6 },
      { type: 'forbid', squares: [{ x: 7, y: 8 }, { x: 9, y: 6 }] },
      { type: 'forbid', squares: [] },
      { type: 'error', text: 'ERROR board is full' },
      { type: 'move', x: 10, y: 11 },
    ]);
  });
  test('a decided value stays text', () => {
    const reader = new ReplyReader();
    ['INFO PV 0', 'INFO EVAL +M3', 'INFO WINRATE 1'].forEach((line) => reader.read(line));
    assert.deepEqual(reader.read('INFO PV DONE'), { type: 'candidate', rank: 0, eval: '+M3', winRate: 1 });
  });
});

describe('game judged by the engine', () => {
  let judge;
  before(async () => {
    judge = new Judge(await loadTesselModule());
  });
  const newGame = (rule, record = '', side = 15) => {
    const game = new Game(judge, side, ruleById(rule));
    assert.equal(game.load(record), null);
    return game;
  };

  // Black's five in row 8 (h8..l8) against white's stones in column a.
  const fiveOfBlack = 'h8a1i8a3j8a5k8a7';
  test('a five wins under every rule, and ends the game', () => {
    for (const rule of ['freestyle', 'exact', 'renju', 'caro', 'caro-exact']) {
      const game = newGame(rule, fiveOfBlack);
      assert.equal(game.play(11, 7), Verdict.wins, rule);
      assert.equal(game.winner, 1);
      assert.ok(game.over);
      assert.deepEqual(game.winningLine().map(({ x }) => x).sort((a, b) => a - b), [7, 8, 9, 10, 11]);
      assert.equal(game.play(12, 12), Verdict.afterEnd);
    }
  });
  test('an overline wins under freestyle and caro only', () => {
    // Black h8 i8 j8 l8 m8: k8 makes six.
    const record = 'h8a1i8a3j8a5l8a7m8a9';
    const expected = { freestyle: Verdict.wins, exact: Verdict.allowed, caro: Verdict.wins,
                       'caro-exact': Verdict.allowed, renju: Verdict.forbidden };
    for (const [rule, verdict] of Object.entries(expected)) {
      const game = newGame(rule, record);
      assert.equal(game.verdict(10, 7), verdict, rule);
    }
  });
  test('caro: a five blocked at both ends by white wins nothing', () => {
    // White g8 and m8 close both ends of black's h8..l8.
    const record = 'h8g8i8m8j8a1k8a3';
    assert.equal(newGame('caro', record).verdict(11, 7), Verdict.allowed);
    assert.equal(newGame('freestyle', record).verdict(11, 7), Verdict.wins);
  });
  test('renju: a double three is forbidden to black, not to white, and refused', () => {
    // Black h8 i8 and j9 j10: j8 makes two open threes.
    const game = newGame('renju', 'h8a1i8a3j9a5j10a7');
    assert.equal(game.play(9, 7), Verdict.forbidden);
    assert.equal(game.moves.length, 8);
    assert.deepEqual(game.forbiddenSquares(), [{ x: 9, y: 7 }]);
    assert.deepEqual(newGame('freestyle', 'h8a1i8a3j9a5j10a7').forbiddenSquares(), []);
    // White to move: nothing is forbidden to it.
    game.play(14, 14);
    assert.deepEqual(game.forbiddenSquares(), []);
    assert.equal(game.play(9, 7), Verdict.allowed);
  });
  test('undo and redo walk the moves; a new move forgets the redo', () => {
    const game = newGame('freestyle', 'h8h9i8');
    assert.ok(game.undo());
    assert.ok(game.undo());
    assert.equal(game.record, 'h8');
    assert.equal(game.toMove, 2);
    assert.ok(game.redo());
    assert.equal(game.record, 'h8h9');
    game.play(0, 0);
    assert.equal(game.record, 'h8h9a1');
    assert.ok(!game.redo());
    assert.ok(game.undo() && game.undo() && game.undo());
    assert.ok(!game.undo());
  });
  test('undo takes back a win', () => {
    const game = newGame('freestyle', fiveOfBlack);
    game.play(11, 7);
    game.undo();
    assert.equal(game.winner, 0);
    assert.equal(game.play(11, 7), Verdict.wins);
  });
  test('loading names the first wrong move and changes nothing', () => {
    const cases = [
      ['h8h8', 'move 2 (h8) is already taken'],
      ['h8a1i8a3j9a5j10a7j8', 'move 9 (j8) is forbidden to black'],
      [fiveOfBlack + 'l8a9', 'move 10 (a9) comes after the game was won'],
      ['h8z1', 'move 2 (z1) is off the 15 x 15 board'],
    ];
    for (const [record, error] of cases) {
      const game = newGame('renju', 'a2');
      assert.equal(game.load(record), error);
      assert.equal(game.record, 'a2');
      assert.equal(game.play(0, 1), Verdict.taken);
    }
  });
  test('every board side from 15 to 20, squares up to the edge', () => {
    for (let side = 15; side <= 20; ++side) {
      const game = newGame('freestyle', '', side);
      assert.equal(game.play(side - 1, side - 1), Verdict.allowed);
      assert.equal(game.verdict(side, 0), Verdict.taken);
      assert.equal(game.verdict(0, side), Verdict.taken);
    }
  });
});
