// The help box: modal to the whole page, with one OK button. The game goes on while it is open
// (its timers tick); every key and click is the box's until it is answered.

import { closeMenu } from './menus.js';
import { activate, activeWindow } from './windows.js';

const box = document.querySelector('dialog.message-box');
const ok = box.querySelector('button.ok');

export const isBoxOpen = () => box.open;

export function messageBox(title, text) {
  closeMenu();
  box.querySelector('.title').textContent = title;
  box.querySelector('.text').textContent = text;
  if (!box.open) box.showModal();
  ok.focus();
}

/** Answers the box with OK, as the player's click on it does. */
export function answerBox() {
  if (box.open) ok.click();
}

/** Closes the box unanswered, as when the game has ended under it. */
export function dropBox() {
  if (box.open) box.close();
}

box.addEventListener('cancel', () => { /* Escape answers the box like OK */ });
ok.addEventListener('click', () => box.close());
box.addEventListener('close', () => {
  const win = activeWindow();
  if (win) activate(win);
});
