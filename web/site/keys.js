// The keyboard and the touch screen's keys. A function key chooses its menu item, a typed
// character goes to a level window before any of its controls, Alt and a letter opens a menu,
// Tab walks the active window's buttons; an open list or the help box takes the keys first.

import { isBoxOpen } from './message-box.js';
import { choose, isMenuOpen, menuKey, openTopMenu } from './menus.js';
import { program } from './program.js';
import { activeWindow, largestWindow, onWindowShownFirst, setZoom, windows } from './windows.js';

// A held on-screen key repeats as a held key does: after a pause, then steadily.
const REPEAT_DELAY_MS = 500;
const REPEAT_INTERVAL_MS = 33;

const endedElement = document.getElementById('ended');

/** The menu item of the active window that the function key `key` ("F2") chooses, if any. */
function shortcutItem(key) {
  const win = activeWindow();
  return win && win.items.find((item) => item.shortcut === key);
}

// A function key chooses its item whenever its window is active, open menu or not.
function functionKey(key) {
  const choice = shortcutItem(key);
  if (choice) choose(activeWindow(), choice);
}

// A typed character reaches a level window before any of its controls, as its UTF-16 units.
function typeCharacter(text) {
  const win = activeWindow();
  const game = program();
  if (!win || !win.keysFirst || !game) return false;
  for (let i = 0; i < text.length; ++i) {
    // The window may have gone with the key before.
    if (!windows.has(win.number)) break;
    game._kk_key(win.number, text.charCodeAt(i));
  }
  return true;
}

function tab(backwards) {
  const win = activeWindow();
  if (!win) return;
  const stops = win.tabOrder.filter((node) => !node.hidden);
  if (!stops.length) return;
  const at = stops.indexOf(document.activeElement);
  const next = at < 0 ? 0 : (at + (backwards ? stops.length - 1 : 1)) % stops.length;
  stops[next].focus();
}

/** The function keys of the game's menus, kept from the browser (F1 would open its help, F5
 *  reload the page) also where the active window has no menu. */
const GAME_FUNCTION_KEYS = new Set(['F1', 'F2', 'F4', 'F5']);
const isFunctionKey = (key) => GAME_FUNCTION_KEYS.has(key);

document.addEventListener('keydown', (event) => {
  if (isBoxOpen() || !endedElement.hidden) {
    // The box takes every key (Enter, space and Escape answer it); the page keeps the
    // game's function keys from the browser all the same.
    if (isFunctionKey(event.key)) event.preventDefault();
    return;
  }
  if (isFunctionKey(event.key) && !event.ctrlKey && !event.altKey && !event.metaKey) {
    event.preventDefault();
    functionKey(event.key);
    return;
  }
  if (isMenuOpen()) {
    if (menuKey(event)) event.preventDefault();
    return;
  }
  const win = activeWindow();
  if (!win) return;
  if (event.altKey && !event.ctrlKey && !event.metaKey && event.key.length === 1) {
    const letter = event.key.toLocaleLowerCase('cs');
    const top = win.menus.find((menu) => menu.mnemonic === letter);
    if (top) {
      event.preventDefault();
      openTopMenu(win, top);
    }
    return;
  }
  if (event.key === 'Tab' && !event.ctrlKey && !event.altKey && !event.metaKey) {
    // The keyboard walks the active window's tab stops and stays in the window.
    event.preventDefault();
    tab(event.shiftKey);
    return;
  }
  if (event.key.length <= 2 && !event.ctrlKey && !event.altKey && !event.metaKey &&
      [...event.key].length === 1) {
    if (typeCharacter(event.key) && !(document.activeElement instanceof HTMLButtonElement)) {
      event.preventDefault();  // no scrolling or finding as one types
    }
  }
});

/** Touch screens: keys on the screen, and the desktop zoomed to the screen's width. */
export function setUpTouchKeys() {
  const keys = document.getElementById('touch-keys');
  keys.hidden = false;
  document.body.classList.add('touch');
  for (const key of keys.querySelectorAll('button')) {
    let repeat = null;
    const press = () => {
      const character = key.dataset.character;
      if (character) typeCharacter(character);
      else functionKey(key.dataset.key);
    };
    const release = () => {
      clearTimeout(repeat);
      repeat = null;
      key.classList.remove('down');
    };
    key.addEventListener('pointerdown', (event) => {
      event.preventDefault();  // keeps the focus in the game's window
      if (isBoxOpen() || repeat !== null) return;
      key.setPointerCapture(event.pointerId);
      key.classList.add('down');
      press();
      if (key.dataset.character) {
        const again = () => {
          press();
          repeat = setTimeout(again, REPEAT_INTERVAL_MS);
        };
        repeat = setTimeout(again, REPEAT_DELAY_MS);
      } else {
        repeat = 0;
      }
    });
    key.addEventListener('pointerup', release);
    key.addEventListener('pointercancel', release);
    key.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  const fit = () => {
    // The largest window with a margin fills the width; held sideways, where the width would
    // push the window's bottom off the screen, the height decides. The windows keep their
    // logical sizes: the whole desktop is zoomed.
    const window = largestWindow();
    if (!window) return;
    const margin = 8;
    const widest = window.width + 2 * margin;
    const tallest = window.height + 2 * margin;
    const sideways = innerWidth > innerHeight;
    const width = sideways ? innerWidth - keys.offsetWidth : innerWidth;
    const height = sideways ? innerHeight : innerHeight - keys.offsetHeight;
    setZoom(sideways ? Math.min(width / widest, height / tallest) : width / widest);
  };
  addEventListener('resize', fit);
  onWindowShownFirst(fit);
  fit();
}
