// The site under test, served from its folder on 127.0.0.1 at a free port, and Debian's Chromium
// started headless on it with a profile of its own; what the page says on its console and asks
// of the network is recorded. Pictures are read from the browser's own screenshots.
import { createServer } from 'node:http';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

export function serve(folder) {
  const server = createServer((request, response) => {
    const name = new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html');
    try {
      const body = readFileSync(join(folder, name.replace(/\.\./g, '')));
      response.writeHead(200, { 'Content-Type': types[extname(name)] || 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done(server)));
}

export async function startBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'velmora-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    // A window of 480 by 400 on a screen of two device pixels to one: a canvas of 480 by 360 on
    // the page above the line of keys (40), whose 960 by 720 pixels are the device's.
    defaultViewport: { width: 480, height: 400, deviceScaleFactor: 2 },
    args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--no-sandbox', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--disable-quic', `--user-data-dir=${profile}`],
  });
  browser.profile = profile;
  return browser;
}

export async function stopBrowser(browser) {
  await browser.close();
  rmSync(browser.profile, { recursive: true, force: true, maxRetries: 5 });
}

// A new page that records its errors, console errors and every request it makes.
export async function openPage(browser, url, beforeLoad = async () => {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.requests = [];
  page.on('pageerror', (error) => page.errors.push(`page error: ${error.message}`));
  page.on('console', (m) => m.type() === 'error' && page.errors.push(`console: ${m.text()}`));
  page.on('request', (request) => page.requests.push(request.url()));
  await beforeLoad(page);
  await page.goto(url);
  return page;
}

// Waits, up to `seconds`, until the program's view of its game (Module.game) passes the test;
// fails with the last view seen.
export async function gameWhere(page, test, seconds, what) {
  try {
    await page.waitForFunction(`window.Module && Module.game && (${test})(Module.game)`,
      { timeout: seconds * 1000, polling: 50 });
  } catch {
    const seen = await page.evaluate(() => JSON.stringify(window.Module && Module.game));
    throw new Error(`no ${what} within ${seconds} s; the game last seen: ${seen}`);
  }
  return page.evaluate(() => Module.game);
}

// The canvas's picture as RGBA rows, decoded from the browser's PNG screenshot (8 bits a
// channel, no interlace, as Chromium writes them).
export async function picture(page) {
  const canvas = await page.$('#canvas');
  const png = Buffer.from(await canvas.screenshot({ encoding: 'binary' }));
  const width = png.readUInt32BE(16);
  const height = png.readUInt32BE(20);
  const channels = { 2: 3, 6: 4 }[png[25]];
  const chunks = [];
  for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at)) {
    if (png.toString('ascii', at + 4, at + 8) === 'IDAT') {
      chunks.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    }
  }
  const raw = inflateSync(Buffer.concat(chunks));
  const stride = width * channels;
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c)
        ? a : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      const guess = [0, a, b, (a + b) >> 1, paeth][filter];
      rows[y * stride + x] = raw[y * (stride + 1) + 1 + x] + guess;
    }
  }
  return { width, height, channels, rows };
}

// The camera: a 45 degree vertical field of view from 36.21 units before the plane z = 0, whose
// picture shows y from about -15 to 15 and x over as much more as the picture is wider.
export function toPixel(shot, x, y) {
  const halfHeight = 36.21 * Math.tan(Math.PI / 8);
  const halfWidth = halfHeight * shot.width / shot.height;
  return [Math.round((x / halfWidth + 1) / 2 * shot.width),
    Math.round((1 - y / halfHeight) / 2 * shot.height)];
}

// The brightest channel of the pixel at the point (x, y) of the plane z = 0.
export function brightness(shot, x, y) {
  const [px, py] = toPixel(shot, x, y);
  const at = (py * shot.width + px) * shot.channels;
  return Math.max(shot.rows[at], shot.rows[at + 1], shot.rows[at + 2]);
}

// The share of the pixels lit (brighter than 64) in the box of the plane from (x0, y0) to (x1, y1).
export function litShare(shot, x0, y0, x1, y1) {
  const [left, top] = toPixel(shot, x0, y1);
  const [right, bottom] = toPixel(shot, x1, y0);
  let lit = 0;
  for (let py = top; py < bottom; py++) {
    for (let px = left; px < right; px++) {
      const at = (py * shot.width + px) * shot.channels;
      lit += Math.max(shot.rows[at], shot.rows[at + 1], shot.rows[at + 2]) > 64 ? 1 : 0;
    }
  }
  return lit / ((right - left) * (bottom - top));
}
