// The game in the page, for the browser tests: a game page opened at a chosen size, the game's
// state read back from it (window.kostkolam), the pieces of a game played through (F2, the serve,
// a paddle that keeps the ball in play, a lost game), colours of the layouts and of the site's
// pictures. Serving, the browser, screenshots, keys and the node runner are the harness's
// (harness.mjs).

import assert from 'node:assert/strict';

import { hex, openPage, ready, sameColour } from './harness.mjs';

/// The colour {r, g, b, a} of device pixel (x, y) of a screenshot.
export function devicePixel(picture, x, y) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
    throw new RangeError(`(${x}, ${y}) is outside the ${picture.width}x${picture.height} picture`);
  }
  const i = (y * picture.width + x) * 4;
  const d = picture.data;
  return { r: d[i], g: d[i + 1], b: d[i + 2], a: d[i + 3] };
}

// ---------------------------------------------------------------------------------------------
// The game in the page

/// A new page of the session with the game, in a window of its own (a page in a background tab
/// gets no animation frames, and several games may play at once), resolved once the title
/// screen is drawn. `query` is the query string without '?'; `viewport` puppeteer's viewport
/// (width, height, deviceScaleFactor, hasTouch, isMobile). page.errors collects the page's
/// errors.
export async function openGame(session, { query = '', viewport = {} } = {}) {
  const { hasTouch: touch = false, isMobile: mobile = false, ...size } = viewport;
  const page = await openPage(session.browser, session.url(query ? `?${query}` : ''),
                              { width: 800, height: 600, touch, mobile, ...size });
  page.errors = page.kostkolamErrors;
  await ready(page);
  return page;
}

/// A layout colour 0x00BBGGRR as {r, g, b}.
export function layoutColour(value) {
  return { r: value & 0xff, g: (value >> 8) & 0xff, b: (value >> 16) & 0xff };
}

/// Asserts that a pixel has a colour, give or take `tolerance` in each channel.
export function assertColour(actual, expected, message, tolerance = 0) {
  if (!sameColour(actual, expected, tolerance)) {
    throw new assert.AssertionError({
      message: `${message}: ${hex(actual)} is not ${hex(expected)}`, actual: hex(actual),
      expected: hex(expected), operator: 'sameColour',
    });
  }
}

/// The game's virtual time in ms.
export const now = (page) => page.evaluate(() => window.kostkolam.now());

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

/// Keeps the ball in play by typing "a" and "d", as a player would: the game's own autoplayer
/// (window.kostkolam.autoplayKey) says which key brings the paddle to where the ball comes down.
/// pause() waits for a key on its way and stops typing until resume(); stop() ends it.
export function steer(page, screen = 'frmLevel1') {
  let state = 'running';
  let wake = null;
  const idle = () => new Promise((done) => setTimeout(done, 15));
  const loop = (async () => {
    while (state !== 'stopped') {
      if (state === 'paused') {
        await new Promise((done) => { wake = done; });
        continue;
      }
      let key;
      try {
        key = await page.evaluate((s) => window.kostkolam.autoplayKey(s), screen);
      } catch {
        break;  // the page has gone
      }
      if (state === 'running' && key) {
        await page.keyboard.press(key);
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

/// The colours {r, g, b} of a picture of the site at the given points, as the browser decodes it.
export const pictureColours = (page, file, points) => page.evaluate(async (url, list) => {
  const image = new Image();
  image.src = url;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = image.naturalWidth;
  canvas.height = image.naturalHeight;
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.drawImage(image, 0, 0);
  return list.map(([x, y]) => {
    const [r, g, b] = context.getImageData(x, y, 1, 1).data;
    return { r, g, b };
  });
}, file, points);

/// Follows what `probe` (a function run in the page with `args`, giving a string) reports, every
/// few milliseconds, until it reports `until`: every value it gave, in order, with the game's
/// time when it was first and last seen ([{value, first, last}]).
export const follow = (page, probe, { args = [], until, timeout = 10000 }) =>
  page.evaluate((source, list, end, limit) => new Promise((resolve, reject) => {
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
