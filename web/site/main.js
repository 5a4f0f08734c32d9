// The page's program: loads the game, starts it at its title once the fonts are there, keeps the
// site offline once the title is drawn, offers a new game when one has ended, and the recording of
// a game played with ?record, as files and as a link. A recording opened from a file (the picker,
// or dropped on the page) or from such a link is played instead of a game. Opened with ?scenario,
// the page plays the browser tests' scenario files instead (scenario-page.js, which only the tests
// serve).

import { makeDesktop } from './desktop.js';
import { fonts } from './fonts.js';
import { setUpTouchKeys } from './keys.js';
import { keepOffline } from './offline.js';
import { setProgram, program } from './program.js';
import { holdsRecording, linkToRecording, LARGEST_LINK_CHARS, readRecordingFile, recordingOfLink,
         RefusedRecording } from './replay.js';
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
const messageElement = document.getElementById('page-message');
/** Whether the game on the page is played by a recording rather than by the player. */
let replaying = false;

/** Tells the player something about the page itself (not the game), until it is closed. */
function tell(text) {
  messageElement.querySelector('.text').textContent = text;
  messageElement.hidden = false;
}
messageElement.querySelector('button').addEventListener('click', () => {
  messageElement.hidden = true;
});

async function offerRecording() {
  if (!recording || replaying) return;
  document.getElementById('recording').hidden = false;
  const { scenario, expected } = testInterface.recording();
  const offer = (id, text) => {
    const link = document.getElementById(id);
    if (link.href) URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  };
  offer('recording-scenario', scenario);
  offer('recording-expected', expected);
  const link = await linkToRecording(scenario);
  copyLink.textContent = 'Zkopírovat odkaz';
  document.getElementById('recording-shared').hidden = !link;
  if (link) document.getElementById('recording-link').href = link;
  const refused = document.getElementById('recording-link-refused');
  refused.hidden = !!link;
  refused.textContent = `Na odkaz je tahle hra příliš dlouhá (odkaz smí mít nejvýš ` +
                        `${LARGEST_LINK_CHARS} znaků); záznam se dá předat jako soubor.`;
}

const copyLink = document.getElementById('copy-recording-link');
copyLink.hidden = !navigator.clipboard;
copyLink.addEventListener('click', () => {
  navigator.clipboard.writeText(document.getElementById('recording-link').href)
    .then(() => { copyLink.textContent = 'Odkaz zkopírován'; }, () => {});
});

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
  replaying = false;
  program()._kk_start(recording ? 1 : 0);
}

document.getElementById('restart').addEventListener('click', start);

/** Plays a recording in place of the game on the page, or says why the game refused it; whether
 *  it plays. */
function watch(bytes, what) {
  const game = program();
  game.desktop.openingRecording = bytes;
  const refused = game.UTF8ToString(game._kk_replay(bytes.length));
  game.desktop.openingRecording = null;
  if (refused) {
    tell(`${what} nelze přehrát: ${refused}`);
    return false;
  }
  messageElement.hidden = true;
  replaying = true;
  endedElement.hidden = true;
  desktopElement.hidden = false;
  return true;
}

/** Opens a recording with `read`, which fetches its bytes, unless the page is still loading;
 *  whether it plays. */
async function open(read, what) {
  if (!program()) return false;
  try {
    return watch(await read(), what);
  } catch (error) {
    if (!(error instanceof RefusedRecording)) throw error;
    tell(error.message);
    return false;
  }
}

const openFile = (file) => open(() => readRecordingFile(file), `Záznam „${file.name}“`);
const openLink = () => open(() => recordingOfLink(location.hash), 'Záznam v odkazu');

const fileInput = document.getElementById('recording-file');
for (const button of document.querySelectorAll('.open-recording')) {
  button.addEventListener('click', () => fileInput.click());
}
fileInput.addEventListener('change', () => {
  if (fileInput.files.length) openFile(fileInput.files[0]);
  fileInput.value = '';
});
// A file dropped anywhere on the page is a recording to watch.
const carriesFiles = (event) => event.dataTransfer?.types.includes('Files');
document.addEventListener('dragover', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  event.dataTransfer.dropEffect = 'copy';
});
document.addEventListener('drop', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  if (event.dataTransfer.files.length) openFile(event.dataTransfer.files[0]);
});
addEventListener('hashchange', () => {
  if (holdsRecording(location.hash)) openLink();
});

async function play() {
  // The labels are measured in the page's own fonts, so they are loaded first.
  const [game] = await Promise.all([
    createGame({
      desktop: makeDesktop({
        gameEnded,
        replaying: () => replaying,
        replayStopped: (reason) => tell(`Přehrávání záznamu skončilo: ${reason}`),
      }),
    }),
    fonts.load().catch(() => {}),
  ]);
  setProgram(game);
  if (touchScreen) setUpTouchKeys();
  document.body.classList.remove('loading');
  // A link to a recording plays it in place of the first game.
  if (!holdsRecording(location.hash) || !(await openLink())) start();
  pageReady();
  keepOffline(testInterface.ready);
}

if (params.has('scenario')) {
  await import('./scenario-page.js');
} else {
  await play();
}
