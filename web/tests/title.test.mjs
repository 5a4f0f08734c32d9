// The title page: its files fetched together after its first frame and its photograph shown
// while the program loads, how it is drawn at device pixel ratios 1 and 2, its menus, F4 and the
// close box ending the game, and the page's offer to play again.

import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';

import {
  assertColour, devicePixel, layoutColour, now, openGame, pictureColours, startLevel1, waitInPage,
} from './game-page.mjs';
import {
  hex, object, openPage, paths, pixelAt, press, ready, runScript, sameColour, screens, screenshot,
  startSession,
} from './harness.mjs';

const TITLE = 'frmCihlolam';
const ALL_UNLOADED = {
  frmCihlolam: 'unloaded', frmLevel1: 'unloaded', frmLevel2: 'unloaded', frmLevel3: 'unloaded',
  frmKonec: 'unloaded',
};
// Places on the title picture away from the menu's drop-down lists.
const ON_PICTURE = [[2, 150], [60, 250], [250, 160], [300, 268], [324, 200], [320, 288]];

/// The client area of a screen's window in the viewport's CSS pixels, and its colour.
const clientArea = (page, screen) =>
  page.$eval(`.window[data-screen=${screen}] .client`, (node) => {
    const rect = node.getBoundingClientRect();
    const [r, g, b] = getComputedStyle(node).backgroundColor.match(/\d+/g).map(Number);
    return { x: rect.left, y: rect.top, width: rect.width, height: rect.height, colour: { r, g, b } };
  });

/// The menu's titles or a list's items: [name, text, underlined letter, key].
const menuEntries = (page, selector) => page.$$eval(selector, (nodes) => nodes.map((node) => [
  node.dataset.menu, node.querySelector('.text')?.textContent ?? node.textContent,
  node.querySelector('u')?.textContent ?? null, node.querySelector('.key')?.textContent ?? null,
]));

const listShown = (page, screen, menu) =>
  page.$eval(`.window[data-screen=${screen}] .menu-title[data-menu=${menu}] + .menu-list`,
             (list) => !list.hidden);

const endedShown = (page) => page.evaluate(() => !document.getElementById('ended').hidden &&
                                                 document.getElementById('desktop').hidden);

/// Strong changes of brightness between the two device pixels of one CSS pixel across a
/// rectangle of CSS pixels: text drawn at the device's resolution has many, text drawn at one
/// device pixel per CSS pixel and scaled up has none.
function edgesInsideCssPixels(image, rect) {
  const luminance = ({ r, g, b }) => 0.299 * r + 0.587 * g + 0.114 * b;
  let edges = 0;
  for (let y = rect.y * 2; y < (rect.y + rect.height) * 2; ++y) {
    for (let x = rect.x; x < rect.x + rect.width; ++x) {
      if (Math.abs(luminance(devicePixel(image, 2 * x, y)) - luminance(devicePixel(image, 2 * x + 1, y))) > 96) {
        ++edges;
      }
    }
  }
  return edges;
}

describe('the title page', () => {
  let session;
  before(async () => { session = await startSession(); });
  after(async () => { await session?.close(); });

  it('asks for every module the page imports at once, so that none waits for the module importing it', async () => {
    const page = await readFile(join(paths.site, 'index.html'), 'utf8');
    const list = page.match(/const PAGE_MODULES = \[([^\]]*)\];/)[1];
    const preloaded = new Set([...list.matchAll(/'([^']+)'/g)].map((m) => m[1]));
    const imported = new Set();
    const follow = async (file) => {
      if (imported.has(file)) return;
      imported.add(file);
      const source = await readFile(join(paths.site, file), 'utf8');
      for (const [, name] of source.matchAll(/^import .* from '\.\/([^']+)';$/gm)) await follow(name);
    };
    await follow('main.js');
    assert.ok(imported.has('kostkolam.js'));
    assert.deepEqual([...imported].filter((file) => !preloaded.has(file)), []);
  });

  it('fetches none of its scripts and not the program before its first frame', async () => {
    const page = await openPage(session.browser, session.url(''), {
      init: () => requestAnimationFrame(() => { window.firstFrame = performance.now(); }),
    });
    await ready(page);
    const early = await page.evaluate(() => performance.getEntriesByType('resource')
      .filter((entry) => /\.(js|wasm)$/.test(entry.name) && entry.startTime < window.firstFrame)
      .map((entry) => new URL(entry.name).pathname));
    assert.deepEqual(early, []);
    await page.close();
  });

  it('shows the title photograph, while the program loads, exactly where the window shows it', async () => {
    for (const [width, height] of [[800, 600], [1023, 767], [301, 250]]) {
      const page = await openGame(session, { viewport: { width, height } });
      const client = await clientArea(page, TITLE);
      const standIn = () => page.$eval('#title-stand-in', (node) => {
        const rect = node.getBoundingClientRect();
        return { x: rect.left, y: rect.top, width: rect.width, height: rect.height,
                 shown: node.checkVisibility(), picture: getComputedStyle(node).backgroundImage };
      });
      assert.equal((await standIn()).shown, false, `${width} x ${height}: gone once the title is shown`);
      // The page as it loads: the stand-in is shown while the body is marked loading.
      await page.evaluate(() => document.body.classList.add('loading'));
      const loading = await standIn();
      assert.deepEqual({ x: loading.x, y: loading.y, width: loading.width, height: loading.height },
                       { x: client.x, y: client.y, width: client.width, height: client.height },
                       `${width} x ${height}`);
      // The same photograph as the window's, byte for byte, though written into the page.
      const windowPicture = await page.$eval(`.window[data-screen=${TITLE}] .client`, async (node) => {
        const address = getComputedStyle(node).backgroundImage.match(/^url\("(.*)"\)$/)[1];
        const bytes = new Uint8Array(await (await fetch(address)).arrayBuffer());
        return btoa(Array.from(bytes, (byte) => String.fromCharCode(byte)).join(''));
      });
      assert.equal(loading.picture, `url("data:image/jpeg;base64,${windowPicture}")`, `${width} x ${height}`);
      await page.close();
    }
  });

  it('shows the words of the page, left out of its first frame, once it has drawn', async () => {
    const page = await openGame(session);
    assert.equal(await page.$eval('body', (node) => node.classList.contains('first-frame')), false);
    assert.equal(await page.$eval('#open-recording', (node) => node.checkVisibility()), true);
    await page.close();
  });

  it('shows its caption, its menu bar with the mnemonics underlined and its picture as laid out', async () => {
    const page = await openGame(session);
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmCihlolam: 'shown' });
    const window = `.window[data-screen=${TITLE}]`;
    assert.equal(await page.$eval(`${window} .title-bar .title`, (n) => n.textContent), 'Kostkolam - the game');
    assert.equal(await page.$eval(window, (n) => n.classList.contains('active')), true);
    assert.equal(await page.$eval(`${window} .title-bar .close`, (n) => n.checkVisibility()), true);
    assert.deepEqual(await menuEntries(page, `${window} .menu-title`),
                     [['mnuHra', 'Hra', 'H', null], ['mnuHelp', 'Help', 'e', null]]);

    const client = await clientArea(page, TITLE);
    assert.deepEqual([client.width, client.height], [327, 289]);
    // The window is as wide, frame included, as the rules count it (15 twips a pixel), which is
    // what the headless runner reports.
    const outer = await page.$eval(window, (n) => n.offsetWidth);
    const reported = await runScript(`get ${TITLE} ${TITLE} Width\n`);
    assert.equal(reported.stdout, `${TITLE}.${TITLE}.Width=${outer * 15}\n`);
    const shown = await screenshot(page, 'title.png');
    const at = (x, y) => pixelAt(shown, client.x + x, client.y + y);
    const picture = await pictureColours(page, 'pictures/bg_title_rocket.jpg', ON_PICTURE);
    ON_PICTURE.forEach(([x, y], i) => assertColour(at(x, y), picture[i], `picture at ${x},${y}`, 1));
    // The picture is 325 pixels wide: 2 pixels of the window's own colour show at the right.
    assert.deepEqual(client.colour, { r: 0xef, g: 0xef, b: 0xef });
    for (const y of [150, 200, 288]) {
      for (const x of [325, 326]) assertColour(at(x, y), client.colour, `strip at ${x},${y}`);
    }
    // The caption and the menu titles are drawn as text: the underlined H is there.
    const h = await page.$eval(`${window} .menu-title[data-menu=mnuHra] u`, (u) => {
      const r = u.getBoundingClientRect();
      return { x: r.left, bottom: r.bottom, width: r.width };
    });
    const underline = [];
    for (let y = Math.floor(h.bottom) - 3; y <= Math.ceil(h.bottom); ++y) {
      underline.push(pixelAt(shown, h.x + h.width / 2, y));
    }
    assert.ok(underline.some(({ r, g, b }) => r + g + b < 200), `no underline: ${JSON.stringify(underline)}`);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  it("opens its menus with Alt+H and Alt+E; its commands have no letters; F2 over an open menu starts level 1",
     async () => {
    const page = await openGame(session);
    const window = `.window[data-screen=${TITLE}]`;
    await press(page, 'Alt+h');
    assert.equal(await listShown(page, TITLE, 'mnuHra'), true);
    assert.deepEqual(await menuEntries(page, `${window} .menu-title[data-menu=mnuHra] + .menu-list .menu-item`),
                     [['mnuNovahra', 'Nová hra', null, 'F2'], ['mnuKonec', 'Konec', null, 'F4']]);
    assert.equal(await page.$$eval(`${window} .menu-list hr.separator`, (n) => n.length), 1);
    await screenshot(page, 'title-menu.png');
    await page.keyboard.press('Escape');
    assert.equal(await listShown(page, TITLE, 'mnuHra'), false);

    await press(page, 'Alt+e');
    assert.equal(await listShown(page, TITLE, 'mnuHelp'), true);
    assert.deepEqual(await menuEntries(page, `${window} .menu-title[data-menu=mnuHelp] + .menu-list .menu-item`),
                     [['mnuNapoveda', 'Nápověda', null, 'F1']]);
    await startLevel1(page);
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmLevel1: 'shown' });
    assert.equal(await page.$$eval('.menu-list', (lists) => lists.every((list) => list.hidden)), true);
    await page.close();
  });

  it('F4 ends the game; the page says so and "Hrát znovu" starts a new one at the title', async () => {
    const page = await openGame(session);
    await page.keyboard.press('F4');
    await waitInPage(page, () => !document.getElementById('ended').hidden);
    assert.equal(await endedShown(page), true);
    assert.deepEqual(await screens(page), ALL_UNLOADED);
    assert.equal(await page.$eval('#ended h1', (n) => n.textContent), 'Kostkolam skončil');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');
    // Only a recorded game offers its recording.
    assert.equal(await page.$eval('#recording', (n) => n.hidden), true);
    await screenshot(page, 'konec-page.png');

    // Nothing of the ended game runs on: its clock stands.
    const ended = await now(page);
    await new Promise((done) => setTimeout(done, 120));
    assert.equal(await now(page), ended);

    await page.keyboard.press('Enter');
    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'shown', { args: [TITLE] });
    assert.equal(await endedShown(page), false);
    assert.deepEqual(await screens(page), { ...ALL_UNLOADED, frmCihlolam: 'shown' });
    // A new game, with its own clock from 0, that plays.
    assert.ok(await now(page) < ended);
    await startLevel1(page);
    assert.equal((await object(page, 'frmLevel1', 'lblOdpocet')).caption, '3');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  it('the close box ends the game, from the title and from a level', async () => {
    const page = await openGame(session);
    await page.click(`.window[data-screen=${TITLE}] .title-bar .close`);
    await waitInPage(page, () => !document.getElementById('ended').hidden);
    assert.deepEqual(await screens(page), ALL_UNLOADED);

    await page.click('#restart');
    await waitInPage(page, (s) => window.kostkolam.screens()[s] === 'shown', { args: [TITLE] });
    await startLevel1(page);
    await page.click('.window[data-screen=frmLevel1] .title-bar .close');
    await waitInPage(page, () => !document.getElementById('ended').hidden);
    assert.equal(await endedShown(page), true);
    assert.deepEqual(await screens(page), ALL_UNLOADED);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  it('at a device pixel ratio of 2 keeps its sizes, and text and edges are sharp', async () => {
    const page = await openGame(session, { viewport: { width: 800, height: 600, deviceScaleFactor: 2 } });
    const client = await clientArea(page, TITLE);
    assert.deepEqual([client.width, client.height], [327, 289]);
    const title = await screenshot(page, 'title-dpr2.png');
    assert.deepEqual([title.width, title.height], [1600, 1200]);
    // The strip right of the picture, every device pixel of it.
    for (const y of [300, 400, 577]) {
      for (let x = 650; x < 654; ++x) {
        assertColour(devicePixel(title, 2 * client.x + x, 2 * client.y + y), client.colour, `strip ${x},${y}`);
      }
    }
    // The caption is drawn at the device's resolution.
    const caption = await page.$eval(`.window[data-screen=${TITLE}] .title-bar .title`, (node) => {
      const range = document.createRange();
      range.selectNodeContents(node);
      const r = range.getBoundingClientRect();
      return { x: Math.floor(r.left), y: Math.floor(r.top), width: Math.ceil(r.width), height: Math.ceil(r.height) };
    });
    const edges = edgesInsideCssPixels(title, caption);
    assert.ok(edges > 50, `the caption looks scaled up: ${edges} edges inside CSS pixels`);

    await startLevel1(page);
    const paddle = (await object(page, 'frmLevel1', 'shpPosuvnik')).pixel;
    const score = (await object(page, 'frmLevel1', 'lblSko')).pixel;
    const level = await screenshot(page, 'level1-dpr2.png');
    // The paddle's edges fall on device pixels: two device pixels of the light green outline
    // (one CSS pixel), then the green fill, with nothing in between.
    const border = layoutColour(0x00c0ffc0), fill = layoutColour(0x0000ff00);
    const row = 2 * paddle.y + paddle.height;
    const column = 2 * paddle.x + paddle.width;
    const edge = [border, border, fill, fill];
    edge.forEach((colour, d) => {
      assertColour(devicePixel(level, 2 * paddle.x + d, row), colour, `left edge +${d}`);
      assertColour(devicePixel(level, 2 * (paddle.x + paddle.width) - 1 - d, row), colour, `right edge -${d}`);
      assertColour(devicePixel(level, column, 2 * paddle.y + d), colour, `top edge +${d}`);
    });
    for (const outside of [devicePixel(level, 2 * paddle.x - 1, row), devicePixel(level, column, 2 * paddle.y - 1)]) {
      assert.ok(!sameColour(outside, border, 40) && !sameColour(outside, fill, 40), hex(outside));
    }
    // A status label fills its rectangle to its last device pixel.
    assertColour(devicePixel(level, 2 * score.x, 2 * (score.y + score.height) - 1), layoutColour(0x008080ff),
                 'the score label\'s last row');
    assert.deepEqual(page.errors, []);
    await page.close();
  });
});
