// Kostkolam's desktop in the page: the windows, menus, message box and keys of the browser's
// window system, handed to the game's program when it starts. The game itself runs in
// WebAssembly; it builds and changes the windows through the desktop's methods and hears of the
// player's input through its kk_* entry points. Nothing here knows a rule of the game: the page
// only shows, and takes input.

import { fonts } from './fonts.js';
import { closeMenu } from './menus.js';
import { dropBox, messageBox } from './message-box.js';
import { windowMethods } from './windows.js';

/** The desktop for one program; `gameEnded` runs when the game has ended, inside its last
 *  event. While `replaying()`, a recording plays the game: the help box it opens is answered
 *  at once, as kostkolam-script answers it, and `replayStopped` hears why a recording stopped
 *  before its end. */
export function makeDesktop({ gameEnded, replaying = () => false, replayStopped = () => {} }) {
  return {
    ...windowMethods,
    fonts,
    messageBox(title, text) {
      if (!replaying()) messageBox(title, text);
    },
    replayStopped,
    /** The bytes of the recording the game is opening, while it copies them. */
    openingRecording: null,
    gameEnded() {
      closeMenu();
      dropBox();
      gameEnded();
    },
  };
}
