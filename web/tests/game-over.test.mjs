// Games lost in the page: a lost ball and its countdown, the end screen after the third, and what
// its two buttons and its close box do. Three games play at once, each in its own page, as each
// takes some 21 s of play to lose.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';

import {
  assertColour, follow, layoutColour, loseGame, objects, openGame, startLevel1, waitForServe,
  waitInPage,
} from './game-page.mjs';
import { object, pixelAt, press, screens, screenshot, startSession } from './harness.mjs';

const LEVEL = 'frmLevel1';
const END = 'frmKonec';
const ALL_UNLOADED = {
  frmCihlolam: 'unloaded', frmLevel1: 'unloaded', frmLevel2: 'unloaded', frmLevel3: 'unloaded',
  frmKonec: 'unloaded',
};

const focused = (page) => page.evaluate(() => document.activeElement?.dataset.object ?? null);
const captions = async (page, screen, names) => {
  const found = await objects(page, screen, names);
  return Object.fromEntries(names.map((name) => [name, found[name].caption]));
};

/// After a game over: a level 1 just started again, counting down from 3 with a fresh score.
async function assertFreshLevel1(page) {
  await waitInPage(page, (s) => window.kostkolam.object(s, 'lblOdpocet')?.visible, { args: [LEVEL] });
  assert.deepEqual(await captions(page, LEVEL, ['lblOdpocet', 'lblZiv', 'lblSko']),
                   { lblOdpocet: '3', lblZiv: '3', lblSko: '0' });
}

describe('a lost game', { concurrency: true }, () => {
  let session;
  before(async () => { session = await startSession(); });
  after(async () => { await session?.close(); });

  it('a lost ball costs a life and 30 points when its countdown ends; the third ends the game; ' +
     'the end screen takes Tab and Enter', async () => {
    const page = await openGame(session);
    await startLevel1(page);
    await waitForServe(page);
    // Nobody steers: the ball goes past the paddle, the countdown shows, and only at its end
    // are the life and the points charged.
    const seen = await follow(page, (s) => {
      const k = window.kostkolam;
      const ball = k.object(s, 'shpKulicka');
      const digit = k.object(s, 'lblOdpocet');
      return [ball.visible ? 'ball' : 'lost', digit.visible ? digit.caption : '-',
              k.object(s, 'lblZiv').caption, k.object(s, 'lblSko').caption].join(' ');
    }, { args: [LEVEL], until: 'ball - 2 -30', timeout: 10000 });
    assert.deepEqual(seen.map((s) => s.value),
                     ['ball - 3 0', 'lost 3 3 0', 'lost 2 3 0', 'lost 1 3 0', 'ball - 2 -30']);
    // Lost at an instant after the last sight of the ball and no later than the first sight of
    // the countdown; charged 3 s after it.
    const lostAfter = seen[0].last, lostBy = seen[1].first;
    assert.ok(seen[4].first >= lostAfter + 3000, JSON.stringify(seen));
    assert.ok(seen[3].last < lostBy + 3000, JSON.stringify(seen));
    assert.ok(seen[2].first > lostAfter + 1000 && seen[2].first <= lostBy + 1500, JSON.stringify(seen));
    const served = await objects(page, LEVEL, ['shpKulicka', 'shpPosuvnik', 'lblHra']);
    assert.equal(served.lblHra.visible, false);
    assert.equal(served.shpPosuvnik.visible, true);
    assert.ok(served.shpKulicka.top >= 70 && served.shpKulicka.top < 75);

    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'shown', { args: [END], timeout: 30000 });
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmLevel1: 'shown', frmKonec: 'shown' });
    assert.deepEqual(await captions(page, END, ['lblLevel', 'lblLev', 'lblSkore', 'lblSko', 'lblhlaska']), {
      lblLevel: 'Skončil jsi v:', lblLev: '1. levelu', lblSkore: 'Dosažené skóre:', lblSko: '-90',
      lblhlaska: 'Příště to bude lepší :-(',
    });
    // The level stays behind it, frozen, its lives gone.
    assert.deepEqual(await captions(page, LEVEL, ['lblZiv', 'lblSko']), { lblZiv: '0', lblSko: '-90' });
    assert.equal(await page.$eval(`.window[data-screen=${END}]`, (n) => n.classList.contains('active')), true);
    assert.equal(await page.$eval(`.window[data-screen=${END}] .menu-bar`, (n) => n.checkVisibility()), false);

    const shown = await screenshot(page, 'end-screen.png');
    const client = await page.$eval(`.window[data-screen=${END}] .client`, (node) => {
      const r = node.getBoundingClientRect();
      return { x: r.left, y: r.top, width: r.width, height: r.height };
    });
    assert.deepEqual([client.width, client.height], [258, 130]);
    const at = (x, y) => pixelAt(shown, client.x + x, client.y + y);
    // The level and score labels fill their rectangles with their colours, the window's colour
    // shows around them.
    const lev = (await object(page, END, 'lblLev')).client, sko = (await object(page, END, 'lblSko')).client;
    assertColour(at(lev.x + 2, lev.y + 22), layoutColour(0x0080c0ff), 'lblLev');
    assertColour(at(sko.x + 2, sko.y + 22), layoutColour(0x008080ff), 'lblSko');
    for (const [x, y] of [[250, 5], [245, 125], [5, 125], [140, 48]]) {
      assertColour(at(x, y), { r: 0xef, g: 0xef, b: 0xef }, `window at ${x},${y}`);
    }

    // "Nová hra" has the focus; Tab walks the two buttons round, Shift+Tab back.
    assert.equal(await focused(page), 'cmdNovahra');
    const walk = [];
    for (const key of ['Tab', 'Tab', 'Tab', 'Shift+Tab', 'Shift+Tab']) {
      await press(page, key);
      walk.push(await focused(page));
    }
    assert.deepEqual(walk, ['cmdKonec', 'cmdNovahra', 'cmdKonec', 'cmdNovahra', 'cmdKonec']);
    await page.keyboard.press('Tab');
    assert.equal(await focused(page), 'cmdNovahra');

    // Enter on "Nová hra": the end screen goes, level 1 starts again.
    await page.keyboard.press('Enter');
    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'unloaded', { args: [END] });
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmLevel1: 'shown' });
    await assertFreshLevel1(page);
    assert.deepEqual(page.errors, []);
  });

  it('the end screen\'s "Konec", by the space bar, goes back to the title', async () => {
    const page = await openGame(session);
    await loseGame(page);
    // A typed letter goes to the end screen, the active window, not to the level behind it.
    const paddle = await object(page, LEVEL, 'shpPosuvnik');
    await page.keyboard.press('d');
    assert.equal((await object(page, LEVEL, 'shpPosuvnik')).left, paddle.left);

    await page.keyboard.press('Tab');
    assert.equal(await focused(page), 'cmdKonec');
    await page.keyboard.press('Space');
    await waitInPage(page, () => window.kostkolam.screens().frmCihlolam === 'shown');
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmCihlolam: 'shown' });
    assert.equal(await page.$eval('.window[data-screen=frmCihlolam]', (n) => n.classList.contains('active')),
                 true);
    assert.equal(await page.evaluate(() => document.getElementById('ended').hidden), true);
    // The title's commands work again.
    await startLevel1(page);
    await assertFreshLevel1(page);
    assert.deepEqual(page.errors, []);
  });

  it("the end screen's close box closes it alone; the level behind keeps its keys and its menu", async () => {
    const page = await openGame(session);
    await loseGame(page);
    await page.click(`.window[data-screen=${END}] .title-bar .close`);
    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'unloaded', { args: [END] });
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmLevel1: 'shown' });
    assert.equal(await page.$eval(`.window[data-screen=${LEVEL}]`, (n) => n.classList.contains('active')), true);
    assert.equal(await page.evaluate(() => document.activeElement.closest('.window')?.dataset.screen), LEVEL);
    // The paddle still answers its keys after the game is over.
    const paddle = await object(page, LEVEL, 'shpPosuvnik');
    await page.keyboard.press('a');
    assert.ok(Math.abs((await object(page, LEVEL, 'shpPosuvnik')).left - (paddle.left - 3)) < 1e-4);
    await press(page, 'Alt+h');
    await page.keyboard.press('n');
    await assertFreshLevel1(page);
    assert.deepEqual(page.errors, []);
  });
});
