// The site played in headless Chromium as a player would: the page, the first picture, a key,
// a whole game, the ranking kept across a reload, the pause and the keys kept, and the messages
// in place of the game.
// Samples of the picture lie a quarter of a cell (6 px at 720 rows) or more inside or outside
// what they look for, which covers the rasterisers' differences at edges.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { resolve } from 'node:path';
import { brightness, gameWhere, litShare, openPage, picture, serve, startBrowser, stopBrowser }
  from './site.mjs';

const site = resolve(process.env.VELMORA_SITE || '../../build-web/site');
let server, browser, page, origin;

// The visible cells of the well that something is drawn in: column 0 to 9, row 1 (top) to 20.
function filledCells(shot) {
  const cells = [];
  for (let row = 1; row <= 20; row++) {
    for (let column = 0; column < 10; column++) {
      if (brightness(shot, -4.5 + column, 11.5 - row) > 64) cells.push(column);
    }
  }
  return cells;
}

// The ranking's first line, beside the well at half size.
const firstRankingLine = (shot) => litShare(shot, 7, 8, 19, 8.5);

// The bars of the well frame, and points just outside them and inside the empty well.
function assertWellFrame(shot) {
  for (const [x, y] of [[-5.375, 1], [5.375, 1], [0, 11.375], [0, -9.375]]) {
    assert.ok(brightness(shot, x, y) > 64, `frame at ${x}, ${y}`);
  }
  for (const [x, y] of [[-6.25, 1], [6.25, 1], [0, 12.25], [0, -10.25], [0, 0]]) {
    assert.ok(brightness(shot, x, y) < 32, `nothing at ${x}, ${y}`);
  }
}

const canvasSize = () => page.$eval('#canvas', (canvas) => [canvas.width, canvas.height]);

before(async () => {
  server = await serve(site);
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await startBrowser();
  page = await openPage(browser, `${origin}/`);
});

after(async () => {
  if (browser) await stopBrowser(browser);
  server?.close();
});

test('the page plays with no error and asks no other host', async () => {
  await gameWhere(page, (g) => g.ticks > 10, 60, 'tick');
  assert.equal(await page.title(), 'Velmora');
  assert.match(await page.$eval('link[rel=icon]', (link) => link.href), /^data:image\/png;/);
  assert.equal(await page.$eval('#message', (m) => m.textContent), '');
  assert.deepEqual(page.errors, []);
  assert.deepEqual(page.requests.filter((url) => !url.startsWith(`${origin}/`)), []);
});

test('the first picture has the well frame, the text display and the next piece', async () => {
  await gameWhere(page, (g) => g.phase === 1, 30, 'READYGO');
  assert.deepEqual(await canvasSize(), [960, 720]);
  const shot = await picture(page);
  assertWellFrame(shot);
  const lit = { NEXT: [-6, 13, -2, 14], PHASE: [-17, -1, -12, 0], next: [-2, 13.25, 2, 14.75] };
  for (const [what, box] of Object.entries(lit)) {
    assert.ok(litShare(shot, ...box) > 0.2, `${what} drawn`);
  }
  assert.ok(firstRankingLine(shot) < 0.01, 'no game ranked yet');
});

test('D moves the falling piece one column', async () => {
  await gameWhere(page, (g) => g.phase === 2, 30, 'ACTIVE');
  const before = Math.min(...filledCells(await picture(page)));
  await page.keyboard.down('d');
  await gameWhere(page, (g) => (g.controls & 2) !== 0, 10, 'tick holding D (Right, 2)');
  await page.keyboard.up('d');
  await gameWhere(page, (g) => (g.controls & 2) === 0, 10, 'tick after D');
  assert.equal(Math.min(...filledCells(await picture(page))), before + 1);
});

test('a game held on S ends, Enter starts another, and a reload still ranks the first', async () => {
  await page.keyboard.down('s');
  await gameWhere(page, (g) => g.phase === 6, 120, 'GAMEOVER');
  await page.keyboard.up('s');
  await page.keyboard.press('Enter');
  await gameWhere(page, (g) => g.phase === 1, 10, 'new game');
  await page.waitForFunction(() => Module.filesKept > 0, { timeout: 10000 });
  await page.reload();
  await gameWhere(page, (g) => g.phase === 1 && g.ticks > 2, 60, 'READYGO after the reload');
  assert.ok(firstRankingLine(await picture(page)) > 0.05, 'the game ranked');
  assert.deepEqual(page.errors, []);
});

// Frames counted by the page itself, so that a pause is seen to hold over that many however fast
// the browser draws.
const ticksAfterFrames = (frames) => page.evaluate((n) => new Promise((done) => {
  const frame = () => (--n === 0 ? done(Module.game.ticks) : requestAnimationFrame(frame));
  requestAnimationFrame(frame);
}), frames);

test('a hidden tab and Escape pause, and the keys chosen at F2 are kept across a reload', async () => {
  await gameWhere(page, (g) => g.phase === 2, 30, 'ACTIVE');
  // The tab hidden as the browser hides it; a tick already run stays, no other follows.
  const hide = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { value: h, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: h ? 'hidden' : 'visible', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
    return Module.game.ticks;
  }, hidden);
  const paused = await hide(true);
  assert.equal(await ticksAfterFrames(30), paused, 'no tick while hidden');
  await hide(false);
  assert.equal(await ticksAfterFrames(30), paused, 'still paused when seen again');
  await page.keyboard.press('Escape');
  await page.waitForFunction((n) => Module.game.ticks > n, { timeout: 10000 }, paused);
  await page.keyboard.press('Escape');
  await page.keyboard.press('F2');
  const kept = await page.evaluate(() => Module.filesKept);
  for (const key of ['j', 'l', 'k', 'u', 'o', 'p']) await page.keyboard.press(key);
  await page.waitForFunction((n) => Module.filesKept > n, { timeout: 10000 }, kept);
  await page.reload();
  await gameWhere(page, (g) => g.ticks > 2, 60, 'a tick after the reload');
  assert.match(await page.evaluate(() => FS.readFile('/velmora/settings.ini', { encoding: 'utf8' })),
    /\[keys\]\nleft = J\nright = L\ndown = K\nrotate_ccw = U\nrotate_cw = O\nrotate_ccw2 = P\n/);
  assert.deepEqual(page.errors, []);
});

test('the canvas follows the window, 4:3 and as large as it allows', async () => {
  for (const [width, height, want] of [[700, 520, [640, 480]], [400, 700, [400, 300]]]) {
    await page.setViewport({ width, height, deviceScaleFactor: 1 });
    await page.waitForFunction((w) => document.getElementById('canvas').width === w, {}, want[0]);
    assert.deepEqual(await canvasSize(), want);
    assertWellFrame(await picture(page));
  }
});

test('a lost WebGL context is said on the page and the console', async () => {
  await page.evaluate(() =>
    document.getElementById('canvas').getContext('webgl2')
      .getExtension('WEBGL_lose_context').loseContext());
  await page.waitForFunction(() => /context lost/.test(document.getElementById('message').textContent));
  assert.equal(page.errors.length, 1);
  assert.match(page.errors[0], /context lost/);
});

test('where the browser refuses its storage the page says so and the game plays on', async () => {
  const private_ = await openPage(browser, `${origin}/`, (p) => p.evaluateOnNewDocument(() => {
    IDBFactory.prototype.open = () => { throw new DOMException('refused', 'InvalidStateError'); };
  }));
  await gameWhere(private_, (g) => g.ticks > 10, 60, 'tick');
  assert.match(await private_.$eval('#message', (m) => m.textContent), /no game will be kept/);
  assert.ok(private_.errors.length > 0);
  assert.ok(private_.errors.every((line) => /no game will be kept/.test(line)), private_.errors);
  await private_.close();
});

test('without WebGL 2, or opened from a file, the page says why it cannot play', async () => {
  const withoutWebGL2 = await openPage(browser, `${origin}/`, (p) => p.evaluateOnNewDocument(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, ...options) {
      return kind === 'webgl2' ? null : getContext.call(this, kind, ...options);
    };
  }));
  assert.match(await withoutWebGL2.$eval('#message', (m) => m.textContent), /WebGL 2/);
  assert.ok(!withoutWebGL2.requests.some((url) => url.endsWith('velmora.js')));
  const fromFile = await openPage(browser, `file://${site}/index.html`);
  assert.match(await fromFile.$eval('#message', (m) => m.textContent), /web server/);
});
