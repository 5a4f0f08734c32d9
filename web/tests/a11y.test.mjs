// What a screen reader hears of the page, from chromium's accessibility tree and from every change
// the page makes to the labels and to its live region over a lost game, which chromium's virtual
// time plays in a moment.

import assert from 'node:assert/strict';
import { after, before, it } from 'node:test';

import { openGame, startLevel1, waitInPage } from './game-page.mjs';
import { select, startSession } from './harness.mjs';

let session;
before(async () => { session = await startSession(); });
after(async () => { await session?.close(); });

it('hears the help box, the changes of the active level and the end screen as it opens', async () => {
  const page = await openGame(session);
  const cdp = await page.createCDPSession();
  const tree = async () => {
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const byId = new Map(nodes.map((n) => [n.nodeId, n]));
    const texts = (n) => [...(!n.ignored && n.role.value === 'StaticText' ? [n.name.value] : []),
                          ...(n.childIds ?? []).flatMap((id) => texts(byId.get(id)))];
    return (role, name) => {
      const n = nodes.find((m) => !m.ignored && m.role.value === role && (!name || m.name.value === name));
      assert.ok(n, `no ${role} ${name ?? ''} in the accessibility tree`);
      return { ...Object.fromEntries((n.properties ?? []).map((p) => [p.name, p.value.value])),
               description: n.description?.value, texts: texts(n) };
    };
  };
  await page.evaluate(() => {
    const heard = window.heardByTest = { labels: {}, said: [] };
    new MutationObserver((records) => records.forEach(({ target, addedNodes }) => {
      if (target.id === 'announcer') heard.said.push([...target.children].map((p) => p.textContent));
      else if (target.matches?.('.label')) {
        (heard.labels[`${target.closest('.window').dataset.screen} ${target.dataset.object}`] ??= [])
          .push(addedNodes[0]?.data ?? '');
      }
    })).observe(document.body, { childList: true, subtree: true, characterData: true });
  });
  await startLevel1(page);

  await page.keyboard.press('F1');
  const box = (await tree())('dialog', 'Nápověda');
  assert.equal(box.modal, true);
  assert.match(box.description, /^Cílem hry je neztratit kuličku z pole\. .* Hodně štěstí\.\.\.$/);
  await page.keyboard.press('Enter');
  await waitInPage(page, (s) => !document.querySelector(s).open, { args: [select.messageBox] });
  // Nobody steers: the third lost ball opens the end screen, 21 s of the game's time later.
  await cdp.send('Emulation.setVirtualTimePolicy', { policy: 'advance' });
  await waitInPage(page, () => window.kostkolam.screens().frmKonec === 'shown', { timeout: 20000 });
  await cdp.send('Emulation.setVirtualTimePolicy', { policy: 'pause' });

  // Each label's text is touched once per change: the game writes the digit's and the banner's
  // texts again over the same texts (at the level's start, and as a ball is lost), and the ticks
  // in between change nothing.
  const { labels, said } = await page.evaluate(() => window.heardByTest);
  const again = ['3', '2', '1', '0'];
  assert.deepEqual(labels, {
    'frmLevel1 lblZiv': ['3', '2', '1', '0'], 'frmLevel1 lblSko': ['-30', '-60', '-90'],
    'frmLevel1 lblOdpocet': [...again.slice(1), ...again, ...again, ...again],
    'frmKonec lblhlaska': ['Příště to bude lepší :-('], 'frmKonec lblLev': ['1. levelu'],
    'frmKonec lblSko': ['-90'],
  });
  // Said: the level as it opens, each digit but the 0 (gone as it comes), a lost ball's life and
  // points together, and at the third the end screen alone, the frozen level no longer active.
  const countdown = [['Nová hra 3'], ['Nová hra 2'], ['Nová hra 1']];
  assert.deepEqual(said, [
    ['Životů: 3', 'Skóre: 0', 'Nová hra 3'], ...countdown.slice(1),
    ...countdown, ['Životů: 2', 'Skóre: -30'], ...countdown, ['Životů: 1', 'Skóre: -60'],
    ...countdown, ['Skončil jsi v: 1. levelu', 'Dosažené skóre: -90', 'Příště to bude lepší :-('],
  ]);

  const find = await tree();
  assert.deepEqual(find('status'), { live: 'polite', atomic: true, relevant: 'additions text',
                                     description: undefined, texts: said.at(-1) });
  // The windows keep their captions as names.
  find('dialog', 'Kostkolam - Level 1');
  assert.deepEqual(find('dialog', 'Kostkolam - End game').texts, [
    'Kostkolam - End game', '✕', 'Skončil jsi v:', '1. levelu', 'Dosažené skóre:', '-90',
    'Příště to bude lepší :-(', 'Nová hra', 'Konec',
  ]);
  assert.deepEqual(page.errors, []);
});
