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
 *  event. */
export function makeDesktop({ gameEnded }) {
  return {
    ...windowMethods,
    fonts,
    messageBox,
    gameEnded() {
      closeMenu();
      dropBox();
      gameEnded();
    },
  };
}
