// The page's program: loads the game, starts it at its title once the fonts are there, offers a
// new game when one has ended, and the recording of a game played with ?record. Opened with
// ?scenario, the page plays the browser tests' scenario files instead (scenario-page.js, which
// only the tests serve).

import { makeDesktop } from './desktop.js';
import { fonts } from './fonts.js';
import { setUpTouchKeys } from './keys.js';
import { setProgram, program } from './program.js';
import { pageReady, testInterface } from './test-interface.js';
import createGame from './kostkolam.js';

const params = new URLSearchParams(location.search);
const recording = params.has('record');
const touchScreen = matchMedia('(pointer: coarse)').matches || params.has('touch');

const desktopElement = document.getElementById('desktop');
// The title's photograph shown while the program loads lies where an unzoomed desktop has the
// title window; a touch screen's desktop is zoomed.
if (touchScreen) document.getElementById('title-stand-in').remove();
const endedElement = document.getElementById('ended');

function offerRecording() {
  if (!recording) return;
  document.getElementById('recording').hidden = false;
  const { scenario, expected } = testInterface.recording();
  const offer = (id, text) => {
    const link = document.getElementById(id);
    if (link.href) URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  };
  offer('recording-scenario', scenario);
  offer('recording-expected', expected);
}

function gameEnded() {
  endedElement.hidden = false;
  desktopElement.hidden = true;
  document.getElementById('restart').focus();
  // The game is let go outside its own event, which is still running here.
  setTimeout(() => {
    program()._kk_finish();
    offerRecording();
  });
}

function start() {
  endedElement.hidden = true;
  desktopElement.hidden = false;
  program()._kk_start(recording ? 1 : 0);
}

document.getElementById('restart').addEventListener('click', start);

async function play() {
  // The labels are measured in the page's own fonts, so they are loaded first.
  const [game] = await Promise.all([
    createGame({ desktop: makeDesktop({ gameEnded }) }),
    fonts.load().catch(() => {}),
  ]);
  setProgram(game);
  if (touchScreen) setUpTouchKeys();
  document.body.classList.remove('loading');
  start();
  pageReady();
}

if (params.has('scenario')) {
  await import('./scenario-page.js');
} else {
  await play();
}
