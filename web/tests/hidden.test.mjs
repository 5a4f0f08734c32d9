// A hidden page stands still: with the browser's window minimised, the game's clock stays where
// it was, the ball does not move and no tick falls due; shown again, play goes on from the same
// instant, nothing caught up, and the tick that was due some milliseconds after the page was
// hidden falls due as many milliseconds after it is shown.

import assert from 'node:assert/strict';
import { after, before, describe, it } from 'node:test';

import { objects, openGame, startLevel1, waitForServe, waitInPage } from './game-page.mjs';
import { select, startSession, until } from './harness.mjs';

const LEVEL = 'frmLevel1';

// Minimises or restores the page's window, which the page sees as hidden or visible, and waits
// until it does.
async function setHidden(page, hidden) {
  const session = await page.createCDPSession();
  try {
    const { windowId } = await session.send('Browser.getWindowForTarget');
    await session.send('Browser.setWindowBounds',
                       { windowId, bounds: { windowState: hidden ? 'minimized' : 'normal' } });
  } finally {
    await session.detach();
  }
  const state = hidden ? 'hidden' : 'visible';
  await until(() => page.evaluate(() => document.visibilityState), (seen) => seen === state);
}

// What the page saw, in its own time (performance.now()): each visibility change and each move
// of the ball, with the game's time and its next tick at that moment.
const watch = (page) => page.evaluate((ball) => {
  const seen = window.seenByTest = [];
  const note = (what) => seen.push({
    what, at: performance.now(), now: window.kostkolam.now(), next: window.kostkolam.nextTick(),
  });
  document.addEventListener('visibilitychange', () => note(document.visibilityState));
  new MutationObserver(() => note('ball')).observe(document.querySelector(ball),
                                                   { attributes: true, attributeFilter: ['style'] });
}, select.object(LEVEL, 'shpKulicka'));

const seenSince = (page, from) => page.evaluate((i) => window.seenByTest.slice(i), from);

describe('a hidden page', () => {
  let session, page;

  before(async () => {
    session = await startSession();
    page = await openGame(session);
  });
  after(() => session?.close());

  it('stands still while hidden and goes on from the same instant when shown', async (t) => {
    await startLevel1(page);
    await waitForServe(page);
    await watch(page);
    // The window is minimised some 10 ms before the ball's next move: after a move, the wait
    // before minimising is fitted to how long minimising takes, over a few tries if need be.
    let change, lead = 30;
    for (let tries = 0; ; ++tries) {
      const from = (await seenSince(page, 0)).length;
      const move = await waitInPage(page, (n) => window.seenByTest.slice(n).find(
          (s) => s.what === 'ball'), { args: [from] });
      await waitInPage(page, (at, ms) => performance.now() - at >= ms, { args: [move.at, lead] });
      await setHidden(page, true);
      change = (await seenSince(page, 0)).filter((s) => s.what === 'hidden').at(-1);
      assert.ok(change, 'no visibility change seen');
      const dueAfter = change.next - change.now;
      if ((dueAfter >= 5 && dueAfter <= 20) || tries === 5) break;
      lead = (lead + dueAfter - 10 + 50) % 50;  // the ball moves every 50 ms
      await setHidden(page, false);
    }
    const hidden = await objects(page, LEVEL, ['shpKulicka', 'lblZiv']);
    const dueAfter = change.next - change.now;
    t.diagnostic(`hidden at ${change.now} ms of the game, its next tick due ${dueAfter} ms later`);
    assert.ok(dueAfter > 0 && dueAfter <= 50, `next tick ${dueAfter} ms after the page was hidden`);
    assert.equal(hidden.now, change.now);

    // The hidden stretch: a second of real time the game must not see.
    const seenBefore = (await seenSince(page, 0)).length;
    await new Promise((done) => setTimeout(done, 1000));
    assert.deepEqual(await objects(page, LEVEL, ['shpKulicka', 'lblZiv']), hidden);
    assert.deepEqual(await seenSince(page, seenBefore), [], 'the ball moved while hidden');

    await setHidden(page, false);
    const firstMove = await waitInPage(page, (n) => {
      const moves = window.seenByTest.slice(n).filter((s) => s.what === 'ball');
      return moves.length ? moves[0] : null;
    }, { args: [seenBefore] });
    const [shown] = (await seenSince(page, seenBefore)).filter((s) => s.what === 'visible');
    assert.ok(shown, 'no visibility change seen');
    // Shown at the instant it was hidden at, and the tick due then comes as late after it.
    assert.equal(shown.now, change.now);
    const late = firstMove.at - shown.at;
    t.diagnostic(`shown: first tick ${late.toFixed(1)} ms later, at ${firstMove.now} ms of the game`);
    assert.ok(late >= dueAfter - 1 && late < dueAfter + 40, `the tick came ${late.toFixed(1)} ms on`);
    assert.ok(firstMove.now >= change.next && firstMove.now - change.next < 40,
              `the first tick after showing at ${firstMove.now} ms of the game, due at ${change.next}`);

    // Play goes on in real time: the ball moves on, tick after tick.
    const later = await waitInPage(page, (from) => {
      const moves = window.seenByTest.filter((s) => s.what === 'ball' && s.now >= from);
      return moves.length >= 4 ? moves : null;
    }, { args: [firstMove.now + 150] });
    assert.ok(later.at(-1).now - change.now < (later.at(-1).at - shown.at) + 50);
    const ball = (await objects(page, LEVEL, ['shpKulicka'])).shpKulicka;
    assert.notDeepEqual([ball.left, ball.top], [hidden.shpKulicka.left, hidden.shpKulicka.top]);
    assert.deepEqual(page.errors, []);
  });
});
