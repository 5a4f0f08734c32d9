// A phone: no keyboard, a touch screen 390 CSS pixels wide at 3 device pixels each. The page
// shows its own keys below the windows and zooms the desktop to the screen's width.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';

import { assertColour, layoutColour, openGame, waitForServe, waitInPage } from './game-page.mjs';
import { object, pixelAt, sameColour, screens, screenshot, startSession } from './harness.mjs';

const LEVEL = 'frmLevel1';
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, hasTouch: true, isMobile: true };
const GREEN = layoutColour(0x0000ff00);

/// The middle of a touch key, in the viewport's CSS pixels.
const keyAt = (page, selector) => page.$eval(`#touch-keys ${selector}`, (key) => {
  const r = key.getBoundingClientRect();
  return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
});

async function tap(page, selector) {
  const { x, y } = await keyAt(page, selector);
  await page.touchscreen.tap(x, y);
}

const rectOf = (page, selector) => page.$eval(selector, (node) => {
  const r = node.getBoundingClientRect();
  return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height,
           offsetWidth: node.offsetWidth, offsetHeight: node.offsetHeight };
});

describe('on a phone', () => {
  let session, page;
  before(async () => {
    session = await startSession();
    page = await openGame(session, { viewport: PHONE });
  });
  after(async () => { await session?.close(); });

  it('shows the touch keys and zooms the desktop to the screen\'s width', async () => {
    assert.equal(await page.evaluate(() => matchMedia('(pointer: coarse)').matches), true);
    const keys = await page.$$eval('#touch-keys button', (buttons) => buttons.map((b) => {
      const r = b.getBoundingClientRect();
      return [b.textContent, r.width > 40 && r.height >= 48 && r.top >= 0 && r.bottom <= innerHeight];
    }));
    assert.deepEqual(keys, [['a', true], ['d', true], ['F1', true], ['F2', true], ['F4', true], ['F5', true]]);

    const window = await rectOf(page, '.window[data-screen=frmCihlolam]');
    const client = await rectOf(page, '.window[data-screen=frmCihlolam] .client');
    // The window keeps its logical size and is drawn larger: it fills the width, but for a
    // small margin, and stands above the keys.
    assert.deepEqual([client.offsetWidth, client.offsetHeight], [327, 289]);
    assert.ok(window.left >= 0 && window.right <= 390, JSON.stringify(window));
    assert.ok(window.width > 0.9 * 390, JSON.stringify(window));
    const zoom = client.width / 327;
    assert.ok(zoom > 1.05, `zoom ${zoom}`);
    assert.ok(Math.abs(client.height / 289 - zoom) < 0.01);
    const keyTop = (await rectOf(page, '#touch-keys')).top;
    assert.ok(window.bottom <= keyTop, `${window.bottom} > ${keyTop}`);
    const shown = await screenshot(page, 'phone-title.png');
    assert.deepEqual([shown.width, shown.height], [390 * 3, 844 * 3]);
  });

  it('F2, F5 and F1 on the touch keys choose their commands; OK closes the box', async () => {
    await tap(page, '[data-key="F2"]');
    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'shown', { args: [LEVEL] });
    assert.equal((await screens(page)).frmCihlolam, 'unloaded');
    await waitForServe(page);
    await tap(page, '[data-key="F5"]');
    const paused = await object(page, LEVEL, 'shpKulicka');
    await sleep(150);
    const still = await object(page, LEVEL, 'shpKulicka');
    assert.deepEqual([still.left, still.top], [paused.left, paused.top]);

    await tap(page, '[data-key="F1"]');
    assert.equal(await page.$eval('dialog.message-box', (box) => box.open), true);
    const ok = await rectOf(page, 'dialog.message-box button.ok');
    await page.touchscreen.tap(ok.left + ok.width / 2, ok.top + ok.height / 2);
    await waitInPage(page, () => !document.querySelector('dialog.message-box').open);
  });

  it('"a" and "d" move the paddle, in the model and on the zoomed screen', async () => {
    const start = await object(page, LEVEL, 'shpPosuvnik');
    await tap(page, '[data-character="d"]');
    const moved = await object(page, LEVEL, 'shpPosuvnik');
    assert.ok(Math.abs(moved.left - (start.left + 3)) < 1e-4, `${start.left} -> ${moved.left}`);
    const shown = await screenshot(page, 'phone-level1.png');
    const row = moved.pixel.y + moved.pixel.height / 2;
    assertColour(pixelAt(shown, moved.pixel.x + moved.pixel.width - 4, row), GREEN, 'paddle now');
    assert.ok(!sameColour(pixelAt(shown, start.pixel.x + 3, row), GREEN, 40));

    await tap(page, '[data-character="a"]');
    const back = await object(page, LEVEL, 'shpPosuvnik');
    assert.ok(Math.abs(back.left - start.left) < 1e-4);
  });

  it('a held key repeats, as a held key on a keyboard does, and stops when let go', async () => {
    const start = await object(page, LEVEL, 'shpPosuvnik');
    const { x, y } = await keyAt(page, '[data-character="a"]');
    await page.touchscreen.touchStart(x, y);
    await sleep(750);
    await page.touchscreen.touchEnd();
    const released = await object(page, LEVEL, 'shpPosuvnik');
    // The first step at once, the repeats after half a second: more than two steps (or all the
    // way to the wall, ten steps away).
    const steps = (start.left - released.left) / 3;
    assert.ok(steps >= 3 || released.left === 0, `${steps} steps`);
    await sleep(150);
    assert.equal((await object(page, LEVEL, 'shpPosuvnik')).left, released.left);
    assert.equal(await page.$eval('#touch-keys [data-character="a"]', (k) => k.classList.contains('down')), false);
  });

  it('held sideways, the desktop fits the screen\'s height beside the keys', async () => {
    await page.setViewport({ ...PHONE, width: 844, height: 390 });
    await waitInPage(page, () => {
      const r = document.querySelector('.window[data-screen=frmLevel1]').getBoundingClientRect();
      return r.bottom <= innerHeight;
    });
    const window = await rectOf(page, '.window[data-screen=frmLevel1]');
    const keys = await rectOf(page, '#touch-keys');
    assert.ok(window.top >= 0 && window.bottom <= 390, JSON.stringify(window));
    assert.ok(window.right <= keys.left, `${window.right} > ${keys.left}`);
    await screenshot(page, 'phone-sideways.png');
    assert.deepEqual(page.errors, []);
  });
});
