// The browser build's pace, measured in headless Chromium (make web-bench): the ticks a second
// of real time and how the animation frames carry them, over ten seconds of play; and the delay
// from a key's event on the page to the tick that reads it, over 30 presses.
import { resolve } from 'node:path';
import { gameWhere, openPage, serve, startBrowser, stopBrowser } from './site.mjs';

const site = resolve(process.env.VELMORA_SITE || '../../build-web/site');
const server = await serve(site);
const browser = await startBrowser();
try {
  const page = await openPage(browser, `http://127.0.0.1:${server.address().port}/`);
  await gameWhere(page, (g) => g.ticks > 0, 60, 'tick');

  const frames = await page.evaluate(() => new Promise((done) => {
    const seen = [];
    const start = performance.now();
    const look = () => {
      seen.push([performance.now(), Module.game.ticks]);
      if (performance.now() - start < 10000) requestAnimationFrame(look); else done(seen);
    };
    requestAnimationFrame(look);
  }));
  const [first, last] = [frames[0], frames[frames.length - 1]];
  const seconds = (last[0] - first[0]) / 1000;
  const perFrame = [0, 0, 0, 0];
  let longestGap = 0;
  for (let i = 1; i < frames.length; i++) {
    perFrame[Math.min(frames[i][1] - frames[i - 1][1], 3)] += 1;
    longestGap = Math.max(longestGap, frames[i][0] - frames[i - 1][0]);
  }
  console.log(`ticks a second: ${((last[1] - first[1]) / seconds).toFixed(2)} (62.5 wanted)`);
  console.log(`animation frames a second: ${((frames.length - 1) / seconds).toFixed(1)}; ` +
    `longest gap ${longestGap.toFixed(1)} ms`);
  console.log(`frames that ran 0 / 1 / 2 / 3 or more ticks: ${perFrame.join(' / ')}`);

  // At the key's event, a watch of every animation frame for the first tick that read the key.
  const delays = [];
  for (let press = 0; press < 30; press++) {
    await page.evaluate(() => addEventListener('keydown', () => {
      const keyAt = performance.now();
      const watch = () => {
        if (Module.game.controls & 1) window.delay = Module.game.at - keyAt;
        else requestAnimationFrame(watch);
      };
      watch();
    }, { once: true, capture: true }));
    await page.keyboard.down('w');
    await page.waitForFunction(() => window.delay !== undefined, { timeout: 10000 });
    delays.push(await page.evaluate(() => window.delay));
    await page.evaluate(() => delete window.delay);
    await page.keyboard.up('w');
    await gameWhere(page, (g) => (g.controls & 1) === 0, 10, 'tick after W');
    await new Promise((wait) => setTimeout(wait, Math.random() * 50));
  }
  delays.sort((a, b) => a - b);
  const at = (share) => delays[Math.floor(share * (delays.length - 1))].toFixed(1);
  console.log(`key to tick, ms: median ${at(0.5)}, 90th percentile ${at(0.9)}, worst ${at(1)}`);
} finally {
  await stopBrowser(browser);
  server.close();
}
