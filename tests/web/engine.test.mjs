// The WebAssembly engine (node build-web/pbrain-tessel.js) against the native
// one (build/pbrain-tessel): the same sessions, sent as a manager sends them,
// get the same replies. The searches are capped by depth, with time to spare,
// so that the replies do not depend on speed; only the time figures of the
// analysis lines are left out of the comparison. The page's judge is held to
// the engine's own answer to YXSHOWFORBID.
import { test, describe } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';

import { Game } from '../../web/page/game.js';
import { Judge } from '../../web/page/judge.js';
import { ruleById } from '../../web/page/rules.js';
import { EngineProcess } from './engine_process.mjs';
import { loadTesselModule, nativeBuild, webBuild } from './module.mjs';

// A hung engine fails its test instead of stopping the run.
const kLimit = { timeout: 120000 };

const native = () => new EngineProcess(join(nativeBuild, 'pbrain-tessel'));
const wasm = () => new EngineProcess(process.execPath, [join(webBuild, 'pbrain-tessel.js')]);

// Time and speed depend on the machine.
const withoutTimes = (line) => line
  .replace(/^INFO (TOTALTIME|SPEED) \d+$/, 'INFO $1 -')
  .replace(/time=[\d.]+s?/g, 'time=-')
  .replace(/\(\d+kN\/s\)/, '(-kN/s)');

const settings = ['INFO timeout_turn 60000', 'INFO timeout_match 0', 'INFO max_depth 3'];
// No session asks for a move on the empty board: the opening square comes
// from the C library's random generator, which differs between the two.
const kSessions = {
  'a Piskvork game': [
    'ABOUT', 'START 15', ...settings, 'INFO rule 0', 'INFO time_left 2147483647',
    'BOARD', '7,7,2', 'DONE', 'INFO time_left 2147483000', 'TURN 0,0', 'TURN 14,14',
    'TAKEBACK 14,14', 'BEST 1', 'RESTART', 'PUT 3,3,0', 'PLAY 4,4', 'BEST 1', 'END',
  ],
  'Yixin-Board analysing a renju position': [
    'START 15', 'YXSHOWINFO', ...settings, 'INFO rule 2', 'INFO show_detail 3',
    'YXBOARD', '7,7,1', '8,7,1', '9,8,1', '9,9,1', '0,0,2', '0,2,2', '0,4,2', '0,6,2', 'DONE',
    'YXSHOWFORBID', 'YXNBEST 3', 'YXSEARCHDEFEND', 'YXBALANCEONE 0', 'BEST 1',
    'YXQUERYDATABASEALL', '7,7', 'DONE', 'TURN 13,13', 'END',
  ],
  'every rule, with the realtime marks': [
    'START 20', ...settings, 'INFO show_detail 1',
    'INFO rule 1', 'BOARD', '9,9,1', '10,10,2', '10,9,1', '11,11,2', 'DONE',
    'INFO rule 8', 'TURN 12,12', 'INFO rule 9', 'TURN 13,13', 'INFO rule 12', 'TURN 3,3',
    'RECTSTART 16,18', 'BOARD', '8,9,2', '0,0,3', 'DONE', 'END',
  ],
  'bad input': [
    'TURN 1,1', 'FOO', '', 'INFO', 'START 30', 'START 15', 'TURN 15,1', 'TURN -1,2',
    'TURN 1', 'BEST 3', 'TAKEBACK 5,5', 'SWAP2BOARD', '9,9', 'DONE', 'x'.repeat(300), 'ABOUT',
  ],
};

describe('the same replies as the native engine', () => {
  for (const [name, session] of Object.entries(kSessions)) {
    test(name, kLimit, async () => {
      const [expected, got] = await Promise.all([native().play(session), wasm().play(session)]);
      assert.equal(got.status, 0);
      assert.equal(expected.status, 0);
      assert.ok(expected.lines.length > 0);
      assert.deepEqual(got.lines.map(withoutTimes), expected.lines.map(withoutTimes));
    });
  }
});

describe('input while thinking', () => {
  test('YXSTOP ends a search without a limit at once with a move', kLimit, async () => {
    const engine = wasm();
    await engine.send('START 15');
    await engine.send('INFO timeout_turn 2000000');
    const answer = engine.send('TURN 7,7');
    await new Promise((resolve) => setTimeout(resolve, 300));
    await engine.send('YXSTOP');
    await answer;
    await engine.send('TURN 0,0');
    const { lines, status } = await engine.play(['END']);
    assert.equal(status, 0);
    assert.deepEqual(lines.slice(0, 1), ['OK']);
    assert.match(lines[1], /^\d+,\d+$/);
    assert.match(lines[2], /^\d+,\d+$/);
  });
  test('END during a search ends the process, writing nothing more', kLimit, async () => {
    const engine = wasm();
    await engine.send('START 15');
    await engine.send('INFO timeout_turn 2000000');
    engine.send('TURN 7,7');
    const { lines, status } = await engine.play(['END']);
    assert.equal(status, 0);
    assert.deepEqual(lines, ['OK']);
  });
});

// The page's judge and the engine's YXSHOWFORBID on the same renju positions:
// random games of black and white stones near the centre.
test('the judge marks the squares that YXSHOWFORBID lists', kLimit, async () => {
  const judge = new Judge(await loadTesselModule());
  let random = 12345;
  const next = (n) => ((random = (random * 1103515245 + 12345) % 2147483648) % n);
  let positionsWithForbidden = 0;
  for (let trial = 0; trial < 40; ++trial) {
    const game = new Game(judge, 15, ruleById('renju'));
    // Black to move after an even number of stones; a refused or taken
    // square just draws again.
    const stones = 2 * (8 + next(10));
    while (game.moves.length < stones && !game.over) game.play(3 + next(9), 3 + next(9));
    if (game.over || game.toMove !== 1) continue;
    const engine = wasm();
    const block = game.moves.map(({ x, y }, i) => `${x},${y},${i % 2 === 0 ? 1 : 2}`);
    const { lines } = await engine.play(['START 15', 'INFO rule 4', 'YXBOARD', ...block, 'DONE', 'YXSHOWFORBID']);
    const judged = game.forbiddenSquares()
      .map(({ x, y }) => String(x).padStart(2, '0') + String(y).padStart(2, '0')).sort();
    const listed = lines[1].slice('FORBID '.length, -1).match(/\d{4}/g) ?? [];
    assert.deepEqual(judged, listed.sort(), game.record);
    if (judged.length > 0) ++positionsWithForbidden;
  }
  assert.ok(positionsWithForbidden >= 3, `only ${positionsWithForbidden} positions had forbidden squares`);
});
