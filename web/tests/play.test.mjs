// A game of level 1 played in the page by typed keys, step by step: F2, the countdown, the
// paddle keys, the help box over a running countdown, the serve, a brick hit, the pause (also
// over an open menu), a new game over an open menu and F4. The page records the game; at the end
// the recording plays through kostkolam-script to exactly what the page saw.

import assert from 'node:assert/strict';
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';

import {
  assertColour, followCaption, layoutColour, objects, openGame, pictureColours, startLevel1, steer,
  waitInPage, waitUntilGameTime,
} from './game-page.mjs';
import {
  hex, object, paths, pixelAt, press, runScriptFile, sameColour, screens, screenshot,
  startSession,
} from './harness.mjs';

const LEVEL = 'frmLevel1';
const GREEN = layoutColour(0x0000ff00);
const BRICKS = Array.from({ length: 35 }, (_, i) => `cmdBod(${i})`);

const isVisible = (page, selector) => page.$eval(selector, (node) => !node.hidden && node.checkVisibility());

describe('a game of level 1 played by typed keys', () => {
  let session, page, f2, countdown, bricksAtStart, pilot;

  before(async () => {
    session = await startSession();
    page = await openGame(session, { query: 'record' });
  });
  after(async () => {
    await pilot?.stop();
    await session?.close();
  });

  it('F2 opens level 1 with the banner, the digit 3, lives 3 and score 0, drawn as laid out', async () => {
    f2 = await startLevel1(page);
    // The countdown's digits as they come, watched from now until the serve hides them.
    countdown = followCaption(page, LEVEL, 'lblOdpocet', null, 15000);
    countdown.catch(() => {});
    assert.deepEqual(await screens(page), {
      frmCihlolam: 'unloaded', frmLevel1: 'shown', frmLevel2: 'unloaded', frmLevel3: 'unloaded',
      frmKonec: 'unloaded',
    });
    const start = await objects(page, LEVEL, ['lblOdpocet', 'lblHra', 'lblZiv', 'lblSko', ...BRICKS]);
    assert.equal(start.lblOdpocet.visible, true);
    assert.equal(start.lblOdpocet.caption, '3');
    assert.equal(start.lblHra.visible, true);
    assert.equal(start.lblHra.caption, 'Nová hra');
    assert.equal(start.lblZiv.caption, '3');
    assert.equal(start.lblSko.caption, '0');
    assert.ok(BRICKS.every((name) => start[name].visible));
    bricksAtStart = BRICKS.map((name) => start[name]);
    assert.equal(await page.$eval(`.window[data-screen=${LEVEL}] .title-bar .title`, (n) => n.textContent),
                 'Kostkolam - Level 1');

    const shown = await screenshot(page, 'level1-countdown.png');
    const client = await page.$eval(`.window[data-screen=${LEVEL}] .client`, (node) => {
      const r = node.getBoundingClientRect();
      return { x: r.left, y: r.top, width: r.width, height: r.height };
    });
    assert.deepEqual([client.width, client.height], [327, 289]);
    const at = (x, y) => pixelAt(shown, client.x + x, client.y + y);

    // The background picture at its natural size, away from everything on it; the 2 pixels
    // right of it show the window's colour, the tooltip colour.
    const onPicture = [[2, 150], [60, 250], [250, 160], [300, 268], [324, 200], [320, 288]];
    const picture = await pictureColours(page, 'pictures/bg_level1_coffee.jpg', onPicture);
    onPicture.forEach(([x, y], i) => assertColour(at(x, y), picture[i], `picture at ${x},${y}`, 1));
    for (const y of [150, 200, 288]) {
      for (const x of [325, 326]) assertColour(at(x, y), { r: 0xff, g: 0xff, b: 0xdc }, `strip at ${x},${y}`);
    }

    // A brick's face shows the middle of the brick picture (give or take a pixel of centring).
    const middle = [];
    for (let dy = -2; dy <= 2; ++dy) for (let dx = -2; dx <= 2; ++dx) middle.push([32 + dx, 25 + dy]);
    const brickPicture = await pictureColours(page, 'pictures/brick.bmp', middle);
    for (const index of [0, 20, 34]) {
      const brick = bricksAtStart[index].client;
      const face = at(brick.x + Math.floor(brick.width / 2), brick.y + Math.floor(brick.height / 2));
      assert.ok(brickPicture.some((colour) => sameColour(face, colour, 1)),
                `brick ${index} shows ${hex(face)}`);
    }

    // The status labels fill their rectangles with their colours.
    for (const [name, colour] of [['lblZivot', 0x0080c0ff], ['lblZiv', 0x0080c0ff],
                                  ['lblSkore', 0x008080ff], ['lblSko', 0x008080ff]]) {
      const label = (await object(page, LEVEL, name)).client;
      assertColour(at(label.x + 1, label.y + label.height - 1), layoutColour(colour), name);
    }
  });

  it('"d" and "a" move the paddle by 3 units in the model and on the screen', async () => {
    const paddle = () => object(page, LEVEL, 'shpPosuvnik');
    const start = await paddle();
    await page.keyboard.press('d');
    const moved = await paddle();
    assert.ok(Math.abs(moved.left - (start.left + 3)) < 1e-4, `left ${start.left} -> ${moved.left}`);
    assert.equal(moved.top, start.top);
    // 3 units are 12 pixels across.
    assert.ok(Math.abs(moved.client.x - start.client.x - 12) <= 1);

    const shown = await screenshot(page);
    const row = moved.pixel.y + Math.floor(moved.pixel.height / 2);
    // The paddle's new right end is green; where its left end was, the picture shows again.
    assertColour(pixelAt(shown, moved.pixel.x + moved.pixel.width - 3, row), GREEN, 'paddle now');
    const client = start.pixel.x - start.client.x;
    const [background] = await pictureColours(page, 'pictures/bg_level1_coffee.jpg',
                                              [[start.client.x + 2, start.client.y + 3]]);
    assertColour(pixelAt(shown, start.pixel.x + 2, row), background, 'where the paddle was', 1);
    assert.equal(client, moved.pixel.x - moved.client.x);

    await page.keyboard.press('a');
    const back = await paddle();
    assert.ok(Math.abs(back.left - start.left) < 1e-4);
    const shownBack = await screenshot(page);
    assertColour(pixelAt(shownBack, start.pixel.x + 2, row), GREEN, 'paddle back');
    assert.ok(!sameColour(pixelAt(shownBack, moved.pixel.x + moved.pixel.width - 3, row), GREEN, 40));
  });

  it("F1's box is modal: the countdown goes on, keys go to the box, Enter closes it", async () => {
    await page.keyboard.press('F1');
    const before = await objects(page, LEVEL, ['shpPosuvnik', 'shpKulicka', 'lblOdpocet']);
    assert.equal(before.lblOdpocet.visible, true, 'too late for the box over the countdown');
    assert.equal(await page.$eval('dialog.message-box', (box) => box.open), true);
    assert.equal(await page.$eval('#message-box-title', (n) => n.textContent), 'Nápověda');
    assert.match(await page.$eval('#message-box-text', (n) => n.textContent),
                 /^Cílem hry je neztratit kuličku z pole\. .* Hodně štěstí\.\.\.$/);
    assert.equal(await isVisible(page, 'dialog.message-box svg.icon'), true);
    assert.equal(await page.evaluate(() => document.activeElement.matches('dialog button.ok')), true);
    await screenshot(page, 'help-box.png');

    // "d" and F5 reach the box, not the level: the paddle stays, the game tick stays stopped.
    await page.keyboard.press('d');
    await page.keyboard.press('F5');
    // The countdown's timer goes on under the box: the next digit comes, or the serve.
    await waitInPage(page, (s, digit) => {
      const label = window.kostkolam.object(s, 'lblOdpocet');
      return !label.visible || label.caption !== digit;
    }, { args: [LEVEL, before.lblOdpocet.caption] });
    assert.equal(await page.$eval('dialog.message-box', (box) => box.open), true);
    const during = await objects(page, LEVEL, ['shpPosuvnik', 'shpKulicka', 'lblOdpocet']);
    if (during.lblOdpocet.visible) {
      // Before the serve puts them in place: neither has moved.
      assert.equal(during.shpPosuvnik.left, before.shpPosuvnik.left);
      assert.deepEqual([during.shpKulicka.left, during.shpKulicka.top],
                       [before.shpKulicka.left, before.shpKulicka.top]);
    }

    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('dialog.message-box', (box) => box.open), false);
    assert.equal(await page.evaluate((s) => document.activeElement.matches(`.window[data-screen=${s}]`), LEVEL),
                 true);
    // The serve puts the paddle in the middle: the key below comes after it, whatever the
    // machine's speed, so that the next test knows where the paddle stands.
    await waitInPage(page, (s) => !window.kostkolam.object(s, 'lblOdpocet').visible, { args: [LEVEL] });
    const closed = await object(page, LEVEL, 'shpPosuvnik');
    await page.keyboard.press('d');
    const afterBox = await object(page, LEVEL, 'shpPosuvnik');
    assert.ok(Math.abs(afterBox.left - (closed.left + 3)) < 1e-4);
  });

  it('the countdown shows 2 and 1 a second apart, then serves the ball from the middle', async () => {
    const seen = await countdown;
    assert.deepEqual(seen.map((s) => s.caption), ['3', '2', '1', null]);
    // Each digit changes on the countdown's tick, whole seconds after F2 (the game's time of
    // F2 is the time read just after it, as nothing else runs on the title).
    for (let second = 1; second <= 3; ++second) {
      assert.ok(seen[second - 1].last < f2.after + 1000 * second, JSON.stringify(seen));
      assert.ok(seen[second].first >= f2.after + 1000 * second, JSON.stringify(seen));
    }

    const served = await objects(page, LEVEL, ['shpKulicka', 'shpPosuvnik', 'lblHra']);
    assert.equal(served.lblHra.visible, false);
    assert.equal(served.shpKulicka.visible, true);
    assert.equal(served.shpPosuvnik.visible, true);
    assert.equal(served.shpPosuvnik.top, 130);
    // Served in the middle, and one "d" of the help box's test typed since.
    assert.ok(Math.abs(served.shpPosuvnik.left - (81.498 / 2 - served.shpPosuvnik.width / 2 + 3)) < 1e-3);
    // The ball leaves its serving place (row 70, centred) to the right and downwards.
    const ball = served.shpKulicka;
    const ticks = Math.round(ball.top - 70);
    assert.ok(Math.abs(ball.top - 70 - ticks) < 1e-4 && ticks >= 0);
    assert.ok(Math.abs(ball.left - (81.498 / 2 - ball.width / 2) - ticks) < 1e-3);
    await waitUntilGameTime(page, served.now + 120);
    const later = await object(page, LEVEL, 'shpKulicka');
    assert.ok(later.left > ball.left && later.top > ball.top);
    const shown = await screenshot(page, 'level1-playing.png');
    // The ball shows where the model has it: its white middle.
    assertColour(pixelAt(shown, later.pixel.x + later.pixel.width / 2, later.pixel.y + later.pixel.height / 2),
                 { r: 255, g: 255, b: 255 }, 'the ball');
  });

  it('steered by "a" and "d", the ball hits a brick: the brick goes, the score counts it', async () => {
    pilot = steer(page);
    await waitInPage(page, (s) => window.kostkolam.object(s, 'lblSko').caption !== '0',
                     { timeout: 20000, args: [LEVEL] });
    // Paused at once, to look at the playfield while nothing moves.
    await pilot.pause();
    await page.keyboard.press('F5');
    const state = await objects(page, LEVEL, ['lblSko', 'lblZiv', 'shpKulicka', ...BRICKS]);
    const hit = BRICKS.map((name, i) => (state[name].visible ? -1 : i)).filter((i) => i >= 0);
    assert.ok(hit.length >= 1, 'no brick gone');
    assert.equal(state.lblSko.caption, String(10 * hit.length));
    assert.equal(state.lblZiv.caption, '3');
    assert.equal(await page.$eval(`.window[data-screen=${LEVEL}] [data-object=lblSko]`, (n) => n.textContent),
                 state.lblSko.caption);

    const shown = await screenshot(page, 'level1-brick-hit.png');
    const ball = state.shpKulicka.pixel;
    for (const index of hit) {
      const brick = bricksAtStart[index];
      const points = [[8, 4], [24, 8], [40, 12]]
          .map(([dx, dy]) => [brick.client.x + dx, brick.client.y + dy])
          .filter(([x, y]) => x < 325 && !(x + brick.pixel.x - brick.client.x >= ball.x - 1 &&
                                           x + brick.pixel.x - brick.client.x <= ball.x + ball.width &&
                                           y + brick.pixel.y - brick.client.y >= ball.y - 1 &&
                                           y + brick.pixel.y - brick.client.y <= ball.y + ball.height));
      const picture = await pictureColours(page, 'pictures/bg_level1_coffee.jpg', points);
      points.forEach(([x, y], i) => {
        const colour = pixelAt(shown, x + brick.pixel.x - brick.client.x, y + brick.pixel.y - brick.client.y);
        assertColour(colour, picture[i], `brick ${index} still drawn at ${x},${y}`, 1);
      });
    }
  });

  it('F5 pauses the ball where it is and F5 again lets it move on the same way', async () => {
    // Paused by the step before: the ball stands. With no timer running the game's clock does
    // not run either, so the wait is in real time.
    const paused = await object(page, LEVEL, 'shpKulicka');
    await sleep(300);
    const still = await object(page, LEVEL, 'shpKulicka');
    assert.deepEqual([still.left, still.top], [paused.left, paused.top]);

    await page.keyboard.press('F5');
    const resumed = await waitInPage(page, (s, left, top) => {
      const ball = window.kostkolam.object(s, 'shpKulicka');
      return (ball.left !== left || ball.top !== top) && ball;
    }, { args: [LEVEL, paused.left, paused.top] });
    // One step of one unit along each axis, moving down after the brick.
    assert.equal(Math.abs(resumed.left - paused.left), 1);
    assert.equal(resumed.top - paused.top, 1);
    pilot.resume();
  });

  it('F5 works over an open menu: Alt+H and F5 pause, Alt+E and F5 resume', async () => {
    await pilot.pause();
    await press(page, 'Alt+h');
    assert.equal(await isVisible(page, `.window[data-screen=${LEVEL}] .menu-title[data-menu=mnuHra] + .menu-list`), true);
    assert.deepEqual(
      await page.$$eval(`.window[data-screen=${LEVEL}] .menu-item`, (items) =>
        items.map((item) => [item.dataset.menu, item.querySelector('u')?.textContent ?? null,
                             item.querySelector('.key')?.textContent ?? null])),
      [['mnuNovaHra', 'N', 'F2'], ['mnuPausa', 'P', 'F5'], ['mnuKonec', 'K', 'F4'],
       ['mnuNapoveda', 'N', 'F1']]);
    await screenshot(page, 'level1-menu.png');
    await page.keyboard.press('F5');
    assert.equal(await page.$$eval(`.window[data-screen=${LEVEL}] .menu-list`,
                                   (lists) => lists.every((list) => list.hidden)), true);
    const paused = await object(page, LEVEL, 'shpKulicka');
    await sleep(200);
    assert.equal((await object(page, LEVEL, 'shpKulicka')).top, paused.top);

    await press(page, 'Alt+e');
    assert.equal(await isVisible(page, `.window[data-screen=${LEVEL}] .menu-title[data-menu=mnuHelp] + .menu-list`), true);
    await page.keyboard.press('F5');
    assert.equal(await page.$$eval(`.window[data-screen=${LEVEL}] .menu-list`,
                                   (lists) => lists.every((list) => list.hidden)), true);
    await waitInPage(page, (s, top) => window.kostkolam.object(s, 'shpKulicka').top !== top,
                     { args: [LEVEL, paused.top] });
    pilot.resume();
  });

  it('F2 over an open menu starts level 1 afresh', async () => {
    await pilot.stop();
    pilot = null;
    await press(page, 'Alt+h');
    await page.keyboard.press('F2');
    await waitInPage(page, (s) => window.kostkolam.object(s, 'lblOdpocet')?.caption === '3' &&
                                  window.kostkolam.object(s, 'lblOdpocet').visible, { args: [LEVEL] });
    const fresh = await objects(page, LEVEL, ['lblSko', 'lblZiv', 'lblHra', ...BRICKS]);
    assert.equal(fresh.lblSko.caption, '0');
    assert.equal(fresh.lblZiv.caption, '3');
    assert.equal(fresh.lblHra.visible, true);
    assert.ok(BRICKS.every((name) => fresh[name].visible));
    assert.equal(await page.$$eval('.menu-list', (lists) => lists.every((list) => list.hidden)), true);
    assert.equal((await screens(page)).frmLevel1, 'shown');
  });

  it('F4 ends the game; the recording replays through kostkolam-script to the same output', async () => {
    await page.keyboard.press('F4');
    await waitInPage(page, () => !document.getElementById('ended').hidden &&
                                 !document.getElementById('recording').hidden);
    assert.equal(await isVisible(page, '#desktop'), false);
    assert.ok(Object.values(await screens(page)).every((state) => state === 'unloaded'));

    // The page offers the two files; they are the recording.
    const offered = await page.evaluate(async () => {
      const read = async (id) => (await fetch(document.getElementById(id).href)).text();
      return { scenario: await read('recording-scenario'), expected: await read('recording-expected') };
    });
    assert.deepEqual(offered, await page.evaluate(() => window.kostkolam.recording()));
    const { scenario, expected } = offered;
    // The game as played: both paddle keys, the pause, the help box, the score, F4.
    for (const line of ['menu frmCihlolam mnuNovahra', 'key frmLevel1 100', 'key frmLevel1 97',
                        'menu frmLevel1 mnuPausa', 'menu frmLevel1 mnuNapoveda',
                        'menu frmLevel1 mnuNovaHra', 'menu frmLevel1 mnuKonec']) {
      assert.ok(scenario.split('\n').includes(line), `no "${line}" in the recording`);
    }
    assert.match(expected, /msgbox title="Nápověda"/);
    assert.match(expected, /frmLevel1\.lblSko\.Caption="[1-9]0+"/);
    assert.match(expected, /@\d+ end\n/);

    mkdirSync(paths.screenshots, { recursive: true });
    const file = join(paths.screenshots, 'recorded-game.txt');
    writeFileSync(file, scenario);
    writeFileSync(`${file}.expected`, expected);
    const replay = await runScriptFile(file);
    assert.equal(replay.status, 0, String(replay.stderr));
    assert.equal(replay.stderr.length, 0);
    // Byte for byte.
    assert.ok(replay.stdout.equals(Buffer.from(expected, 'utf8')),
              `the replay printed:\n${replay.stdout}`);
    assert.deepEqual(page.errors, []);
  });
});
