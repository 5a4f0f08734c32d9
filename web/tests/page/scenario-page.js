// The page in its scenario mode, served to the browser tests beside the site: the page's own
// windows and desktop, driven by the page's scenario program (kostkolam-scenario.js), which plays
// each scenario file as kostkolam-script does. window.kostkolam.playScenario(base64) resolves to
// {status, out, err} with the streams in base64, so that every byte comes back as written.

import { makeDesktop } from './desktop.js';
import { fonts } from './fonts.js';
import { answerBox } from './message-box.js';
import { setProgram } from './program.js';
import { windows } from './windows.js';
import createScenarioGame from './kostkolam-scenario.js';

const bytes = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
function base64(data) {
  let text = '';
  for (let i = 0; i < data.length; i += 0x8000) {
    text += String.fromCharCode(...data.subarray(i, i + 0x8000));
  }
  return btoa(text);
}

// The scenario runner answers each message box at once with OK, as the headless runner does.
const desktop = makeDesktop({ gameEnded() {} });
const shownBox = desktop.messageBox;
desktop.messageBox = (title, text) => {
  shownBox(title, text);
  answerBox();
};

// A menu command, a click or a close box of a scenario: pressed on the window's own element,
// whose handler hands it to the game.
desktop.scenarioPress = (number, what, name) => {
  const win = windows.get(number);
  const selector = { menu: `[data-menu="${name}"]`, button: `.client [data-object="${name}"]`,
                     close: '.title-bar .close' }[what];
  const target = win?.element.querySelector(selector);
  if (!target) throw new Error(`no ${what} ${name} in window ${number} (${win?.name})`);
  target.click();
};

const [game] = await Promise.all([createScenarioGame({ desktop }), fonts.load().catch(() => {})]);
setProgram(game);
document.body.classList.remove('loading');
document.body.dataset.scenarios = 'ready';

window.kostkolam = {
  playScenario(input) {
    desktop.scenarioInput = bytes(input);
    game._kk_play_scenario();
    const { status, out, err } = desktop.scenarioResult;
    return {
      status, out: base64(out), err: base64(err),
      windowsLeft: document.querySelectorAll('.window').length,
    };
  },
};
