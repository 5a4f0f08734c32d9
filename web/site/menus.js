// The windows' menu bars: the titles, their drop-down lists, the mnemonics and the function keys
// shown beside the items. Choosing an item hands it to the game.

import { element } from './dom.js';
import { program } from './program.js';

/** The drop-down list that is open: {window, top, highlighted}, or null. */
let openMenu = null;

export const menuOpenIn = (win) => openMenu !== null && openMenu.window === win;
export const isMenuOpen = () => openMenu !== null;

// A caption with '&' before its mnemonic: the text shown, the letter underlined.
function mnemonicCaption(caption, into) {
  const at = caption.indexOf('&');
  if (at < 0 || at + 1 >= caption.length) {
    into.textContent = caption;
    return null;
  }
  into.append(caption.slice(0, at));
  element('u', null, into).textContent = caption[at + 1];
  into.append(caption.slice(at + 2));
  return caption[at + 1].toLocaleLowerCase('cs');
}

/** Adds an item to a window's menu bar (depth 0) or to the list of the title before it. */
export function addMenuItem(win, item, { name, caption, shortcut, depth, separator }) {
  if (depth === 0) {
    const menu = element('div', 'menu', win.menuBar);
    const title = element('button', 'menu-title', menu);
    title.tabIndex = -1;
    title.dataset.menu = name;
    title.setAttribute('role', 'menuitem');
    title.setAttribute('aria-haspopup', 'menu');
    const list = element('div', 'menu-list', menu);
    list.setAttribute('role', 'menu');
    list.hidden = true;
    const top = { element: menu, title, list, items: [], mnemonic: null };
    top.mnemonic = mnemonicCaption(caption, title);
    title.setAttribute('aria-label', caption.replace('&', ''));
    title.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      if (openMenu && openMenu.top === top) closeMenu();
      else openTopMenu(win, top);
    });
    title.addEventListener('pointerenter', () => {
      if (openMenu && openMenu.window === win && openMenu.top !== top) openTopMenu(win, top);
    });
    win.menus.push(top);
    return;
  }
  const top = win.menus[win.menus.length - 1];
  if (!top) return;
  if (separator) {
    element('hr', 'separator', top.list).dataset.menu = name;
    return;
  }
  const entry = element('div', 'menu-item', top.list);
  entry.dataset.menu = name;
  entry.setAttribute('role', 'menuitem');
  const text = element('span', 'text', entry);
  const choice = { element: entry, item, shortcut, mnemonic: mnemonicCaption(caption, text) };
  entry.setAttribute('aria-label', caption.replace('&', ''));
  if (shortcut) {
    element('span', 'key', entry).textContent = shortcut;
    entry.setAttribute('aria-keyshortcuts', shortcut);
  }
  entry.addEventListener('pointerenter', () => highlight(top, choice));
  entry.addEventListener('click', () => choose(win, choice));
  top.items.push(choice);
  win.items.push(choice);
}

export function openTopMenu(win, top) {
  closeMenu();
  openMenu = { window: win, top, highlighted: null };
  top.list.hidden = false;
  top.title.classList.add('open');
  highlight(top, top.items[0] || null);
}

export function closeMenu() {
  if (!openMenu) return;
  openMenu.top.list.hidden = true;
  openMenu.top.title.classList.remove('open');
  for (const item of openMenu.top.items) item.element.classList.remove('highlighted');
  openMenu = null;
}

function highlight(top, choice) {
  if (!openMenu || openMenu.top !== top) return;
  for (const item of top.items) item.element.classList.toggle('highlighted', item === choice);
  openMenu.highlighted = choice;
}

/** The list closes first, as when an item is clicked; then the item's command runs. */
export function choose(win, choice) {
  closeMenu();
  program()?._kk_menu(win.number, choice.item);
}

/** A key pressed while a list is open; true when the list took it. */
export function menuKey(event) {
  const { window: win, top, highlighted } = openMenu;
  const index = top.items.indexOf(highlighted);
  const menuIndex = win.menus.indexOf(top);
  switch (event.key) {
    case 'Escape':
      closeMenu();
      return true;
    case 'ArrowDown':
      highlight(top, top.items[(index + 1) % top.items.length]);
      return true;
    case 'ArrowUp':
      highlight(top, top.items[(index - 1 + top.items.length) % top.items.length]);
      return true;
    case 'ArrowRight':
      openTopMenu(win, win.menus[(menuIndex + 1) % win.menus.length]);
      return true;
    case 'ArrowLeft':
      openTopMenu(win, win.menus[(menuIndex - 1 + win.menus.length) % win.menus.length]);
      return true;
    case 'Enter':
    case ' ':
      if (highlighted) choose(win, highlighted);
      return true;
  }
  if (event.key.length === 1 && !event.ctrlKey && !event.metaKey) {
    const letter = event.key.toLocaleLowerCase('cs');
    const match = top.items.find((item) => item.mnemonic === letter);
    if (match) choose(win, match);
    return true;  // an open list takes every letter
  }
  return false;
}

// A click outside an open list closes it.
document.addEventListener('pointerdown', (event) => {
  if (openMenu && !openMenu.top.element.contains(event.target)) closeMenu();
});
