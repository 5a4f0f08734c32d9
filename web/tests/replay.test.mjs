// A recorded game watched in the page: a game played with ?record is offered as a link that
// replays it; a recording dropped on the page plays at real speed to what kostkolam-script makes
// of it, whatever the player types meanwhile, until a close box ends it; a file the runner would
// refuse, one too large to open and a damaged link each get one message and change nothing.

import assert from 'node:assert/strict';
import { writeFile } from 'node:fs/promises';
import { join } from 'node:path';
import { after, before, describe, it } from 'node:test';

import { openGame, startLevel1, steer, waitForServe, waitInPage } from './game-page.mjs';
import { ready, recording, runScript, screens, select, startSession, temporaryFolder } from './harness.mjs';
import { LARGEST_LINK_CHARS, LARGEST_RECORDING_BYTES } from '../site/replay.js';

const LEVEL = 'frmLevel1';
const WATCHED = ['shpPosuvnik', 'shpKulicka', 'lblSko', 'lblZiv'];

const pageMessage = (page) => page.$eval('#page-message', (p) => (p.hidden ? null : p.querySelector('.text').textContent));
const closeMessage = (page) => page.click('#page-message button');
/** The game's time that a scenario's advances add up to. */
const length = (scenario) => scenario.split('\n').reduce(
  (sum, line) => sum + (line.startsWith('advance ') ? Number(line.slice(8)) : 0), 0);

/** Drops a file holding `text` on the page's desktop, as a player drags one from a file manager. */
const drop = (page, text) => page.evaluate((content) => {
  const files = new DataTransfer();
  files.items.add(new File([content], 'zaznam.txt', { type: 'text/plain' }));
  const target = document.getElementById('desktop');
  target.dispatchEvent(new DragEvent('dragover', { dataTransfer: files, bubbles: true, cancelable: true }));
  target.dispatchEvent(new DragEvent('drop', { dataTransfer: files, bubbles: true, cancelable: true }));
}, text);

describe('a recorded game watched in the page', () => {
  let session, page, scenario, link;

  before(async () => {
    session = await startSession();
    page = await openGame(session, { query: 'record' });
  });
  after(() => session?.close());

  it('offers a recorded game as a link that replays it at real speed', async () => {
    await startLevel1(page);
    await waitForServe(page);
    const player = steer(page);
    await new Promise((done) => setTimeout(done, 800));
    await player.stop();
    await page.keyboard.press('F4');
    await waitInPage(page, () => !document.getElementById('recording-shared').hidden);
    ({ scenario } = await recording(page));
    link = await page.$eval('#recording-link', (a) => a.href);
    assert.match(link, /#zaznam=[\w-]+$/);

    const started = Date.now();
    await page.goto(link);
    await ready(page);
    await waitInPage(page, (level) => window.kostkolam.screens()[level] === 'shown', { args: [LEVEL] });
    // The link's game ends as the recorded one did, by F4, no sooner than it took to play.
    await waitInPage(page, () => !document.getElementById('ended').hidden, { timeout: 20000 });
    assert.ok(Date.now() - started >= length(scenario), 'the replay ran faster than the game');
    assert.equal(await page.$eval('#recording', (p) => p.hidden), true, 'a replay offered itself');
    assert.equal(await pageMessage(page), null);
  });

  it('plays a dropped recording to what the runner makes of it, deaf to the player', async () => {
    await page.click(select.restart);
    // The recorded game up to its F4, and the runner's answers for it there.
    const lines = scenario.trimEnd().split('\n');
    const cut = lines.slice(0, lines.lastIndexOf('menu frmLevel1 mnuKonec')).join('\n') + '\n';
    const queries = WATCHED.flatMap((name) => name.startsWith('lbl')
      ? [`get ${LEVEL} ${name} Caption`] : [`get ${LEVEL} ${name} Left`, `get ${LEVEL} ${name} Top`]);
    const truth = await runScript(cut + queries.join('\n') + '\n');
    assert.equal(truth.status, 0, truth.stderr);

    await drop(page, cut);
    await waitForServe(page);
    for (const key of ['a', 'a', 'd', 'a', 'F2']) await page.keyboard.press(key);
    const end = length(cut);
    await waitInPage(page, (t) => window.kostkolam.now() >= t, { args: [end], timeout: 20000 });
    // The clock stands still where the recording ends.
    await new Promise((done) => setTimeout(done, 100));
    const seen = await page.evaluate((level, names) => ({
      now: window.kostkolam.now(),
      answers: names.flatMap((name) => {
        const found = window.kostkolam.object(level, name);
        const said = `${level}.${name}.`;
        return name.startsWith('lbl') ? [`${said}Caption="${found.caption}"`]
          : [`${said}Left=${found.left}`, `${said}Top=${found.top}`];
      }),
    }), LEVEL, WATCHED);
    assert.equal(seen.now, end);
    assert.deepEqual(seen.answers, truth.stdout.trimEnd().split('\n').slice(-queries.length));

    await page.click(`${select.window(LEVEL)} .close`);
    await waitInPage(page, () => !document.getElementById('ended').hidden);
  });

  it('refuses a bad file, a file too large and a damaged link with one message each', async () => {
    await page.click(select.restart);
    const title = await screens(page);
    const folder = await temporaryFolder();
    try {
      const bad = 'advance 10\nmenu frmCihlolam mnuNovahra\nklik frmCihlolam\n';
      const badFile = join(folder.folder, 'spatny.txt');
      await writeFile(badFile, bad);
      const huge = join(folder.folder, 'velky.txt');
      await writeFile(huge, Buffer.alloc(LARGEST_RECORDING_BYTES + 1, 'advance 1\n'));
      const refused = (await runScript(bad)).stderr.replace(/^error: /, '').trimEnd();
      assert.match(refused, /^line 3: /);

      const input = await page.$('#recording-file');
      await input.uploadFile(badFile);
      await waitInPage(page, () => !document.getElementById('page-message').hidden);
      assert.equal(await pageMessage(page), `Záznam „spatny.txt“ nelze přehrát: ${refused}`);
      await closeMessage(page);

      await input.uploadFile(huge);
      await waitInPage(page, () => !document.getElementById('page-message').hidden);
      assert.match(await pageMessage(page), /„velky.txt“ je větší než/);
      await closeMessage(page);
    } finally {
      await folder.remove();
    }
    await page.evaluate(() => { location.hash = 'zaznam=AAAAbm90IGRlZmxhdGU'; });
    await waitInPage(page, () => !document.getElementById('page-message').hidden);
    assert.match(await pageMessage(page), /poškozený/);
    // A game whose link would be too long gets none.
    const tooLong = await page.evaluate(async (chars) => {
      const noise = crypto.getRandomValues(new Uint8Array(chars)).join(' ');
      return (await import('./replay.js')).linkToRecording(noise);
    }, LARGEST_LINK_CHARS);
    assert.equal(tooLong, null);
    // Nothing else happened: the title is still the game on the page.
    assert.deepEqual(await screens(page), title);
    assert.deepEqual(page.errors, []);
  });
});
