// The page in a real browser: Debian's chromium, headless, driven by
// playwright-core (no browser download). A whole game played by clicks
// against Tessel, Undo, a renju game in which a forbidden square is marked and
// refused, the analysis panel filling, Stop answering, a Hint; a screenshot is
// kept in build-web/artifacts. Any console error or page error fails.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

import { parseRecord } from '../../web/page/record.js';
import { webBuild } from './module.mjs';
import { servePage } from './serve.mjs';

const kChromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
const kArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

let server, context, page, profile;
const problems = [];

before(async () => {
  server = await servePage(join(webBuild, 'web'));
  profile = mkdtempSync(join(tmpdir(), 'tessel-chromium-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: kChromium, headless: true, args: kArgs,
    viewport: { width: 1100, height: 760 }, deviceScaleFactor: 2,
  });
  page = context.pages()[0] ?? await context.newPage();
  page.on('console', (message) => message.type() === 'error' && problems.push(message.text()));
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('response', (response) => response.status() >= 400 && problems.push(response.url()));
  await page.goto(server.url);
  await page.waitForFunction(() => document.querySelector('#status').textContent === 'Black to play');
});

after(async () => {
  await context?.close();
  server?.close();
  if (profile) rmSync(profile, { recursive: true, force: true });
  assert.deepEqual(problems, [], 'console errors');
});

const text = (selector) => page.locator(selector).textContent();
const record = async () => parseRecord(await text('#record'), await side()).moves;
const side = async () => Number(await page.locator('#size').inputValue());

// Clicks the square x, y where the board draws it.
async function clickSquare(x, y) {
  const box = await page.locator('#board').boundingBox();
  const cell = box.width / ((await side()) + 1);
  await page.mouse.click(box.x + (x + 1) * cell, box.y + (y + 1) * cell);
}

// Waits until the person (black) is to play or the game is over.
const humanTurn = () => page.waitForFunction(
  () => /Black to play|wins|Draw/.test(document.querySelector('#status').textContent), null,
  { timeout: 30000 });

// The colour drawn on square x, y, as [r, g, b]: a little off its centre,
// off the grid lines, on the arm of a cross and inside a stone.
const pixelAt = (x, y) => page.evaluate(([x, y]) => {
  const canvas = document.querySelector('#board');
  const cell = canvas.width / (Number(document.querySelector('#size').value) + 1);
  const at = (n) => Math.round((n + 1.12) * cell);
  return [...canvas.getContext('2d').getImageData(at(x), at(y), 1, 1).data].slice(0, 3);
}, [x, y]);

test('the first load: 15 x 15 freestyle, the person black, Tessel white at a second', async () => {
  assert.equal(await side(), 15);
  assert.equal(await page.locator('#rule').inputValue(), 'freestyle');
  assert.equal(await page.locator('#black').inputValue(), 'human');
  assert.equal(await page.locator('#white').inputValue(), 'tessel');
  assert.equal(await page.locator('#time').inputValue(), '1000');
  assert.equal(await text('#record'), '');
});

test('a whole game by clicks against Tessel, the analysis filling, then Undo', async () => {
  await page.selectOption('#time', '200');
  // Black plays the free square nearest the centre, spiralling out.
  const squares = [];
  for (let y = 0; y < 15; ++y) for (let x = 0; x < 15; ++x) squares.push({ x, y });
  squares.sort((a, b) => Math.hypot(a.x - 7, a.y - 7.2) - Math.hypot(b.x - 7, b.y - 7.2));
  for (let turn = 0; turn < 113; ++turn) {
    await humanTurn();
    if (/wins|Draw/.test(await text('#status'))) break;
    const taken = await record();
    const free = squares.find(({ x, y }) => !taken.some((move) => move.x === x && move.y === y));
    const played = (await text('#record')).length;
    await clickSquare(free.x, free.y);
    await page.waitForFunction((n) => document.querySelector('#record').textContent.length > n, played);
    if (turn === 0) {
      // Tessel's first answer fills the analysis panel.
      await humanTurn();
      assert.match(await text('#depth'), /^\d+ \(\d+\)$/);
      assert.match(await text('#nodes'), /^[\d,]+$/);
      assert.match(await text('#winrate'), /^black \d+\.\d%$/);
    }
  }
  const status = await text('#status');
  assert.match(status, /wins|Draw/);
  const moves = await record();
  assert.ok(moves.length >= 9);
  // The winner's stone was the last; the line is drawn in red through the
  // stone next to it on the five (the last one bears the last-move mark).
  if (/wins/.test(status)) {
    const last = moves.at(-1);
    const winner = (moves.length - 1) % 2;
    const own = (x, y) => moves.some((move, i) => i % 2 === winner && move.x === x && move.y === y);
    const run = ([dx, dy]) => [1, -1].reduce((count, sign) => {
      let n = 1;
      while (own(last.x + sign * n * dx, last.y + sign * n * dy)) ++n;
      return count + n - 1;
    }, 1);
    const [dx, dy] = [[1, 0], [0, 1], [1, 1], [1, -1]].find((direction) => run(direction) >= 5);
    const next = own(last.x + dx, last.y + dy) ? [last.x + dx, last.y + dy] : [last.x - dx, last.y - dy];
    const [r, g, b] = await page.evaluate(([x, y]) => {
      const canvas = document.querySelector('#board');
      const cell = canvas.width / 16;
      return [...canvas.getContext('2d').getImageData((x + 1) * cell, (y + 1) * cell, 1, 1).data];
    }, next);
    assert.ok(r > 150 && g < 110 && b < 110, `winning line at ${next}: ${[r, g, b]}`);
  }
  await page.screenshot({ path: join(artifacts(), 'game.png') });
  // Undo gives the person's move back: Tessel's answer and the person's move.
  const before = moves.length;
  await page.click('#undo');
  await humanTurn();
  const after = (await record()).length;
  assert.equal(after, before % 2 === 0 ? before - 2 : before - 1);
  assert.equal(await text('#status'), 'Black to play');
  // Redo puts the person's move back, and Tessel answers it again.
  const undone = await text('#record');
  await page.click('#redo');
  await humanTurn();
  const redone = await record();
  assert.equal(redone.length, after + 2);
  assert.ok((await text('#record')).startsWith(undone));
  assert.deepEqual(redone[after], moves[after]);
});

test('renju: a forbidden square is marked and refused', async () => {
  await page.selectOption('#rule', 'renju');
  // Black h8 i8 j9 j10: j8 would make two open threes.
  await page.fill('#record-input', 'h8a1i8a3j9a5j10a7');
  await page.click('#load');
  assert.equal(await text('#load-error'), '');
  assert.equal(await text('#status'), 'Black to play');
  const [r, g, b] = await pixelAt(9, 7);
  assert.ok(r > 150 && g < 90 && b < 90, `forbidden mark at j8: ${[r, g, b]}`);
  const [wr, wg] = await pixelAt(9, 6);
  assert.ok(wr > 180 && wg > 150, 'no mark on an allowed square');
  await clickSquare(9, 7);
  assert.equal(await text('#record'), 'h8a1i8a3j9a5j10a7');
  assert.match(await text('#status'), /j8 is forbidden to black/);
  // A record with the forbidden move is refused, naming it.
  await page.fill('#record-input', 'h8a1i8a3j9a5j10a7j8');
  await page.click('#load');
  assert.equal(await text('#load-error'), 'move 9 (j8) is forbidden to black');
  await page.screenshot({ path: join(artifacts(), 'renju.png') });
});

test('Stop: Tessel answers at once with the move found so far', async () => {
  await page.selectOption('#rule', 'freestyle');
  await page.selectOption('#time', '10000');
  await clickSquare(7, 7);
  await page.waitForFunction(() => document.querySelector('#depth').textContent !== '–');
  const stopped = Date.now();
  await page.click('#stop');
  await humanTurn();
  // The search had ten seconds: its answer came from the Stop.
  assert.ok(Date.now() - stopped < 5000);
  assert.equal((await record()).length, 2);
  // The fresh worker plays on.
  await page.selectOption('#time', '200');
  await clickSquare(0, 0);
  await humanTurn();
  assert.equal((await record()).length, 4);
});

test('Hint: candidates tagged, the best marked, nothing played', async () => {
  await page.selectOption('#candidates', '3');
  const moves = await text('#record');
  await page.click('#hint');
  await page.waitForFunction(() => document.querySelectorAll('#candidate-list li').length === 3);
  await page.waitForFunction(() => !document.querySelector('#hint').disabled);
  assert.equal(await text('#record'), moves);
  await page.screenshot({ path: join(artifacts(), 'page.png') });
});

test('a link carries the position', async () => {
  const link = await page.locator('#link').getAttribute('href');
  assert.match(link, /^#size=15&rule=freestyle&moves=[a-o0-9]+$/);
  await page.goto(server.url + link);
  await page.reload();
  await humanTurn();
  assert.equal('#size=15&rule=freestyle&moves=' + (await text('#record')), link);
});

test('offline after the first load', async () => {
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(true);
  try {
    await page.goto(server.url);
    await humanTurn();
    await page.selectOption('#time', '200');
    await clickSquare(7, 7);
    await humanTurn();
    assert.equal((await record()).length, 2);
  } finally {
    await context.setOffline(false);
  }
});

function artifacts() {
  const folder = join(webBuild, 'artifacts');
  mkdirSync(folder, { recursive: true });
  return folder;
}
