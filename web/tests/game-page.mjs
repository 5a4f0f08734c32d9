// What the browser tests share: the built page served from a local server, the system's chromium
// started headless, a game page opened at a chosen size, and the game's state and pixels read
// back from it.
//
// Paths can be set from outside (the ctest entries do):
//   KOSTKOLAM_SITE         the built static site (default build-web/site)
//   KOSTKOLAM_SCREENSHOTS  where screenshots are saved (default build-web/screenshots)
//   KOSTKOLAM_SCRIPT       the node runner (default build-web/kostkolam-script.js)
//   CHROMIUM               the browser (default /usr/bin/chromium)

import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { mkdtempSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';

// puppeteer-core from web/node_modules, or from a folder on NODE_PATH.
const require = createRequire(import.meta.url);
const puppeteer = require('puppeteer-core');

const repository = resolve(fileURLToPath(new URL('../..', import.meta.url)));
export const siteDir = resolve(process.env.KOSTKOLAM_SITE ?? join(repository, 'build-web/site'));
export const screenshotDir =
    resolve(process.env.KOSTKOLAM_SCREENSHOTS ?? join(repository, 'build-web/screenshots'));
export const runnerPath =
    resolve(process.env.KOSTKOLAM_SCRIPT ?? join(repository, 'build-web/kostkolam-script.js'));

// ---------------------------------------------------------------------------------------------
// The site and the browser

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png',
  '.jpg': 'image/jpeg', '.bmp': 'image/bmp', '.woff2': 'font/woff2',
};

/// Serves the site on 127.0.0.1 at a free port; resolves to {url, close()}.
export function serveSite(root = siteDir) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
    if (!file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    let body;
    try {
      body = readFileSync(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    response.end(body);
  });
  return new Promise((done) => {
    server.listen(0, '127.0.0.1', () => {
      done({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((closed) => {
          server.closeAllConnections();
          server.close(closed);
        }),
      });
    });
  });
}

/// Debian's chromium, headless, with a fresh profile that goes with the browser.
export async function launchBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'kostkolam-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           // Several games play at once in one browser: none of them may be slowed down.
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

/// One site and one browser for a test file: {site, browser, open(options), close()}.
export async function startSession() {
  const site = await serveSite();
  const browser = await launchBrowser();
  return {
    site, browser,
    open: (options) => openGame(browser, site.url, options),
    async close() {
      await browser.close();
      await site.close();
    },
  };
}

/// A new page with the game, resolved once the title screen is drawn. `query` is the page's
/// query string without '?'; `viewport` puppeteer's viewport (width, height,
/// deviceScaleFactor, hasTouch, isMobile).
export async function openGame(browser, url, { query = '', viewport = {} } = {}) {
  // Each page in a window of its own: a page in a background tab would get no animation frames.
  const page = await browser.newPage({ type: 'window' });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(new Error(message.text()));
  });
  page.errors = errors;
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: 1, ...viewport });
  await page.goto(url + (query ? `?${query}` : ''));
  await page.evaluate(() => window.kostkolam.ready);
  return page;
}

// ---------------------------------------------------------------------------------------------
// Screenshots and their pixels

/// A PNG of the viewport decoded to {width, height, data: RGBA bytes}, also saved as NAME.png in
/// the screenshot folder when a name is given.
export async function screenshot(page, name) {
  const png = Buffer.from(await page.screenshot({ type: 'png' }));
  if (name) {
    mkdirSync(screenshotDir, { recursive: true });
    writeFileSync(join(screenshotDir, `${name}.png`), png);
  }
  return decodePng(png);
}

/// The colour [r, g, b] of device pixel (x, y) of a decoded image.
export function pixelAt(image, x, y) {
  const at = (Math.round(y) * image.width + Math.round(x)) * 4;
  return [image.data[at], image.data[at + 1], image.data[at + 2]];
}

/// The colour at CSS pixel (x, y) of a page shown at `scale` device pixels per CSS pixel: the
/// device pixel at the middle of the CSS pixel.
export function cssPixelAt(image, x, y, scale = 1) {
  return pixelAt(image, Math.floor(x * scale + scale / 2), Math.floor(y * scale + scale / 2));
}

/// Whether two colours differ by at most `tolerance` in each channel.
export function sameColour(a, b, tolerance = 2) {
  return a.every((channel, i) => Math.abs(channel - b[i]) <= tolerance);
}

/// A layout colour 0x00BBGGRR as [r, g, b].
export function layoutColour(value) {
  return [value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff];
}

// Chromium's screenshots: 8-bit RGB or RGBA, not interlaced.
export function decodePng(png) {
  let width = 0, height = 0, colourType = 0;
  const chunks = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || ![2, 6].includes(body[9])) {
        throw new Error('unexpected PNG format');
      }
      colourType = body[9];
    } else if (type === 'IDAT') {
      chunks.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(chunks));
  const channels = colourType === 6 ? 4 : 3;
  const stride = width * channels;
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1) value += a;
      else if (filter === 2) value += b;
      else if (filter === 3) value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + x] = value & 0xff;
    }
  }
  const data = Buffer.alloc(width * height * 4, 0xff);
  for (let i = 0; i < width * height; ++i) {
    for (let k = 0; k < 3; ++k) data[i * 4 + k] = rows[i * channels + k];
  }
  return { width, height, data };
}

// ---------------------------------------------------------------------------------------------
// The game in the page

/// {frmCihlolam: "shown", ...}: each screen's load state.
export const screens = (page) => page.evaluate(() => window.kostkolam.screens());
/// The game's virtual time in ms.
export const now = (page) => page.evaluate(() => window.kostkolam.now());
/// An object of a loaded screen as the model holds it and where the page shows it, or null.
export const object = (page, screen, name) =>
  page.evaluate((s, n) => window.kostkolam.object(s, n), screen, name);

/// Several objects of one screen read in the same instant, with the game's time:
/// {now, NAME: object, ...}.
export const objects = (page, screen, names) => page.evaluate((s, list) => {
  const found = { now: window.kostkolam.now() };
  for (const name of list) found[name] = window.kostkolam.object(s, name);
  return found;
}, screen, names);

/// Waits, polling every few milliseconds, until `predicate` (run in the page, with `args`) gives
/// a truthy value, and returns it.
export async function waitInPage(page, predicate, { timeout = 10000, args = [] } = {}) {
  const handle = await page.waitForFunction(predicate, { polling: 5, timeout }, ...args);
  return handle.jsonValue();
}

/// Waits until the game's clock has reached `instant`.
export const waitUntilGameTime = (page, instant, timeout = 10000) =>
  waitInPage(page, (t) => window.kostkolam.now() >= t, { timeout, args: [instant] });

/// Alt with a letter, as the player opens a menu by its mnemonic.
export async function pressAlt(page, letter) {
  await page.keyboard.down('Alt');
  await page.keyboard.press(letter);
  await page.keyboard.up('Alt');
}

/// F2 on the title: resolves once level 1 is shown, with the game's times just before and just
/// after the key, between which it arrived.
export async function startLevel1(page) {
  const before = await now(page);
  await page.keyboard.press('F2');
  const after = await now(page);
  await waitInPage(page, () => window.kostkolam.screens().frmLevel1 === 'shown');
  return { before, after };
}

/// Waits until the countdown of a level has served the ball.
export const waitForServe = (page, screen = 'frmLevel1', timeout = 10000) =>
  waitInPage(page, (s) => {
    const digit = window.kostkolam.object(s, 'lblOdpocet');
    return digit && !digit.visible && window.kostkolam.object(s, 'shpKulicka').visible;
  }, { timeout, args: [screen] });

/// The client area of a level in playfield units, as the layouts give it.
export const PLAYFIELD_WIDTH = 81.498;

/// Keeps the ball in play by typing "a" and "d", as a player would: the paddle goes where the
/// ball will come down, following the ball's position in the model. pause() waits for a key on
/// its way and stops typing until resume(); stop() ends it.
export function steer(page, screen = 'frmLevel1') {
  let state = 'running';
  let last = null;
  let direction = [1, 1];
  let wake = null;
  const idle = () => new Promise((done) => setTimeout(done, 15));
  const loop = (async () => {
    while (state !== 'stopped') {
      if (state === 'paused') {
        await new Promise((done) => { wake = done; });
        continue;
      }
      let seen;
      try {
        seen = await objects(page, screen, ['shpKulicka', 'shpPosuvnik']);
      } catch {
        break;  // the page has gone
      }
      const ball = seen.shpKulicka, paddle = seen.shpPosuvnik;
      if (!ball || !paddle) break;
      if (last && (ball.left !== last.left || ball.top !== last.top)) {
        direction = [Math.sign(ball.left - last.left) || direction[0],
                     Math.sign(ball.top - last.top) || direction[1]];
      }
      last = ball;
      let centre = ball.left + ball.width / 2;
      if (ball.visible && direction[1] > 0) {
        // Where the ball will reach the paddle's row, bouncing off the side walls.
        const range = PLAYFIELD_WIDTH - ball.width;
        const ticks = Math.max(0, paddle.top - (ball.top + ball.height));
        let x = (ball.left + direction[0] * ticks) % (2 * range);
        if (x < 0) x += 2 * range;
        if (x > range) x = 2 * range - x;
        centre = x + ball.width / 2;
      }
      const target = Math.min(Math.max(centre - paddle.width / 2, 0), PLAYFIELD_WIDTH - paddle.width);
      if (state === 'running' && ball.visible && Math.abs(paddle.left - target) > 4) {
        await page.keyboard.press(paddle.left < target ? 'd' : 'a');
      } else {
        await idle();
      }
    }
  })();
  return {
    async pause() {
      if (state !== 'running') return;
      state = 'pausing';
      // The key on its way, if any, arrives first.
      await new Promise((done) => setTimeout(done, 40));
      state = 'paused';
    },
    resume() {
      if (state === 'stopped') return;
      state = 'running';
      if (wake) wake();
      wake = null;
    },
    async stop() {
      state = 'stopped';
      if (wake) wake();
      await loop;
    },
  };
}

/// The colours [r, g, b] of a picture of the site at the given points, as the browser decodes it.
export const pictureColours = (page, file, points) => page.evaluate(async (url, list) => {
  const image = new Image();
  image.src = url;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = image.naturalWidth;
  canvas.height = image.naturalHeight;
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(image, 0, 0);
  return list.map(([x, y]) => [...context.getImageData(x, y, 1, 1).data.slice(0, 3)]);
}, file, points);

/// Follows what `probe` (a function run in the page with `args`, giving a string) reports, every
/// few milliseconds, until it reports `until`: every value it gave, in order, with the game's
/// time when it was first and last seen ([{value, first, last}]).
export const follow = (page, probe, { args = [], until, timeout = 10000 }) =>
  page.evaluate((source, list, end, limit) => new Promise((resolve, reject) => {
    // eslint-disable-next-line no-eval
    const look = eval(`(${source})`);
    const seen = [];
    const started = performance.now();
    const step = () => {
      const value = look(...list);
      const time = window.kostkolam.now();
      if (seen.length && seen[seen.length - 1].value === value) seen[seen.length - 1].last = time;
      else seen.push({ value, first: time, last: time });
      if (value === end) resolve(seen);
      else if (performance.now() - started > limit) reject(new Error(`no ${end}: ${JSON.stringify(seen)}`));
      else setTimeout(step, 2);
    };
    step();
  }), probe.toString(), args, until, timeout);

/// Follows a label of a screen until it shows `until` (or, with `until` null, is hidden):
/// [{caption, first, last}], caption null while hidden.
export const followCaption = async (page, screen, label, until, timeout = 10000) =>
  (await follow(page, (s, name) => {
    const found = window.kostkolam.object(s, name);
    return found && found.visible ? found.caption : null;
  }, { args: [screen, label], until, timeout })).map(({ value, first, last }) => ({ caption: value, first, last }));

/// F2 on the title, then nothing: the ball is lost three times and the end screen opens.
/// Resolves once it is shown, some 21 s of play later.
export async function loseGame(page) {
  await startLevel1(page);
  await waitInPage(page, () => window.kostkolam.screens().frmKonec === 'shown', { timeout: 40000 });
}
