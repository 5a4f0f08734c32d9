// The game's windows on the page's desktop, and what they show. The game builds and changes them
// through the desktop's methods below, with everything said as it is to be drawn: sizes in the
// page's pixels, colours and fonts chosen, each shown object by its number in its window.

import { element } from './dom.js';
import { uiFont } from './fonts.js';
import { addMenuItem, closeMenu, menuOpenIn } from './menus.js';
import { program } from './program.js';

const desktopElement = document.getElementById('desktop');

/** Window number → window. */
export const windows = new Map();
let stack = [];  // shown windows, front last
let nextZ = 1;
let zoom = 1;
/** The largest window shown so far, frame and bars included, in the page's pixels. */
let largest = null;
let whenShownFirst = () => {};

export const activeWindow = () => (stack.length ? stack[stack.length - 1] : null);
export const windowOfScreen = (name) => [...windows.values()].find((w) => w.name === name);
export const currentZoom = () => zoom;
export const largestWindow = () => largest;

/** Zooms the whole desktop; the windows keep their sizes in the page's pixels. */
export function setZoom(factor) {
  zoom = factor;
  desktopElement.style.zoom = String(zoom);
  for (const win of windows.values()) if (!win.element.hidden) centre(win);
}

/** Runs `then` whenever a window is shown for the first time, once it is placed. */
export function onWindowShownFirst(then) {
  whenShownFirst = then;
}

/** Brings a shown window to the front, marks it active and gives it the keyboard. */
export function activate(win) {
  if (activeWindow() !== win || !win.element.style.zIndex) {
    stack = stack.filter((w) => w !== win);
    stack.push(win);
    win.element.style.zIndex = String(nextZ++);
  }
  // Also for a window already in front: the one that was active above it may just have gone.
  for (const w of windows.values()) w.element.classList.toggle('active', w === win);
  const first = win.tabOrder[0];
  const focus = first && !first.hidden ? first : win.element;
  focus.focus({ preventScroll: true });
}

function centre(win) {
  const width = win.outerWidth;
  const height = win.element.offsetHeight;
  const area = desktopElement.getBoundingClientRect();
  const areaWidth = area.width / zoom, areaHeight = area.height / zoom;
  win.element.style.left = `${Math.max(0, Math.round((areaWidth - width) / 2))}px`;
  win.element.style.top = `${Math.max(0, Math.round((areaHeight - height) / 2))}px`;
}

function dragByTitleBar(win, titleBar) {
  titleBar.addEventListener('pointerdown', (event) => {
    if (event.target.closest('button') || event.button !== 0) return;
    event.preventDefault();
    const startX = event.clientX, startY = event.clientY;
    const left = win.element.offsetLeft, top = win.element.offsetTop;
    titleBar.setPointerCapture(event.pointerId);
    const move = (e) => {
      win.element.style.left = `${Math.round(left + (e.clientX - startX) / zoom)}px`;
      win.element.style.top = `${Math.max(0, Math.round(top + (e.clientY - startY) / zoom))}px`;
    };
    const end = () => {
      titleBar.removeEventListener('pointermove', move);
      titleBar.removeEventListener('pointerup', end);
      titleBar.removeEventListener('pointercancel', end);
    };
    titleBar.addEventListener('pointermove', move);
    titleBar.addEventListener('pointerup', end);
    titleBar.addEventListener('pointercancel', end);
  });
}

/** Forgets a window that is no longer shown; whether it was the active one. */
function leaveStack(win) {
  const wasActive = activeWindow() === win;
  stack = stack.filter((w) => w !== win);
  if (menuOpenIn(win)) closeMenu();
  return wasActive;
}

function objectOf(number, object) {
  return windows.get(number)?.objects[object];
}

// What a screen reader hears: the page's one polite live region says the announced labels of the
// active window, each after the text of the label that names it on the screen, when the window
// opens and when their texts change. All that one event of the game changed is said together once
// the event has ended, and only what is still shown then; an event that changes nothing says
// nothing.
const announcer = document.getElementById('announcer');
const toAnnounce = new Set();

function announceLater(label) {
  if (!toAnnounce.size) queueMicrotask(announce);
  toAnnounce.add(label);
}

function announce() {
  const win = activeWindow();
  const said = (win?.announced ?? []).filter((label) =>
    toAnnounce.has(label) && !label.element.hidden && label.element.textContent);
  toAnnounce.clear();
  if (!said.length) return;
  announcer.replaceChildren(...said.map(({ element: node, namedBy }) => {
    const line = element('p');
    line.textContent = [win.objects[namedBy]?.element.textContent, node.textContent]
      .filter(Boolean).join(' ');
    return line;
  }));
}

/** What the game calls to build and change its windows. */
export const windowMethods = {
  createWindow(number, { name, caption, clientWidth, clientHeight, frameWidth, background,
                         picture, keysFirst, font }) {
    const root = element('section', 'window', desktopElement);
    root.dataset.screen = name;
    root.hidden = true;
    root.tabIndex = -1;
    root.setAttribute('role', 'dialog');
    root.setAttribute('aria-label', caption);
    root.style.borderWidth = `${frameWidth / 2}px`;
    const titleBar = element('header', 'title-bar', root);
    element('span', 'title', titleBar).textContent = caption;
    const close = element('button', 'close', titleBar);
    close.tabIndex = -1;
    close.title = 'Zavřít';
    close.setAttribute('aria-label', 'Zavřít');
    close.addEventListener('click', () => program()?._kk_close(number));
    const menuBar = element('nav', 'menu-bar', root);
    menuBar.setAttribute('role', 'menubar');
    const client = element('div', 'client', root);
    client.style.width = `${clientWidth}px`;
    client.style.height = `${clientHeight}px`;
    if (background) client.style.backgroundColor = background;
    if (picture) client.style.backgroundImage = `url("${picture}")`;
    client.style.font = uiFont(font.px, font.semiCondensed);
    const win = {
      number, name, element: root, client, menuBar, keysFirst, outerWidth: clientWidth + frameWidth,
      menus: [], items: [], objects: [], tabOrder: [], announced: [], placed: false,
    };
    windows.set(number, win);
    root.addEventListener('pointerdown', () => {
      if (!root.hidden) activate(win);
    }, true);
    dragByTitleBar(win, titleBar);
  },

  addMenuItem(number, item, menuItem) {
    addMenuItem(windows.get(number), item, menuItem);
  },

  addLabel(number, object, { name, caption, background, colour, alignment, font, announced,
                             namedBy }) {
    const win = windows.get(number);
    // Filled in before it joins the window: after that, only a change of its text touches it.
    const node = element('div', 'label');
    node.dataset.object = name;
    node.textContent = caption;
    node.style.textAlign = alignment;
    if (background) node.style.backgroundColor = background;
    if (colour) node.style.color = colour;
    if (font) {
      // A stored font: the semi-condensed cut at the stored size.
      node.style.font = uiFont(font.px, true, font.weight, font.italic);
      const lines = [font.underline && 'underline', font.strikeout && 'line-through'].filter(Boolean);
      if (lines.length) node.style.textDecoration = lines.join(' ');
    }
    win.client.appendChild(node);
    win.objects[object] = { element: node, rect: [0, 0, 0, 0], announced, namedBy };
    if (announced) win.announced.push(win.objects[object]);
  },

  addShape(number, object, { name, circle, border, fill }) {
    const win = windows.get(number);
    const node = element('div', circle ? 'shape circle' : 'shape', win.client);
    node.dataset.object = name;
    node.style.borderColor = border;
    node.style.backgroundColor = fill;
    // The ball and the paddle move on every tick: each lies on a layer of its own that the
    // compositor slides, so a move needs neither layout nor painting.
    win.objects[object] = { element: node, circle, layer: true, rect: [0, 0, 0, 0] };
  },

  addBrick(number, object, { name, number: brick, picture }) {
    const win = windows.get(number);
    const node = element('div', 'brick', win.client);
    node.dataset.object = name;
    node.setAttribute('role', 'img');
    node.setAttribute('aria-label', `Cihla ${brick}`);
    if (picture) node.style.backgroundImage = `url("${picture}")`;
    win.objects[object] = { element: node, rect: [0, 0, 0, 0] };
  },

  addButton(number, object, { name, caption, button, tabStop }) {
    const win = windows.get(number);
    const node = element('button', 'push', win.client);
    node.type = 'button';
    node.dataset.object = name;
    node.textContent = caption;
    node.tabIndex = tabStop ? 0 : -1;
    node.addEventListener('click', () => program()?._kk_button(number, button));
    win.objects[object] = { element: node, rect: [0, 0, 0, 0] };
  },

  /** The buttons the keyboard walks, in order; the first has the focus when the window opens. */
  setTabOrder(number, objects) {
    const win = windows.get(number);
    win.tabOrder = objects.map((object) => win.objects[object].element);
  },

  // Puts an object where the game has it; only what changed is touched, so the browser redraws
  // just the places the object left and reached.
  place(number, object, left, top, width, height, visible) {
    const found = objectOf(number, object);
    if (!found) return;
    const node = found.element;
    if (node.hidden === visible) node.hidden = !visible;
    const rect = found.rect;
    if (rect[0] === left && rect[1] === top && rect[2] === width && rect[3] === height) return;
    let x = left, y = top, w = width, h = height;
    if (found.circle) {
      // The largest circle that fits the rectangle, centred in it.
      const side = Math.min(width, height);
      x += Math.trunc((width - side) / 2);
      y += Math.trunc((height - side) / 2);
      w = h = side;
    }
    const style = node.style;
    if (found.layer) {
      if (rect[0] !== left || rect[1] !== top || found.circle) {
        style.transform = `translate(${x}px, ${y}px)`;
      }
    } else {
      if (rect[0] !== left) style.left = `${x}px`;
      if (rect[1] !== top) style.top = `${y}px`;
    }
    if (rect[2] !== width || found.circle) style.width = `${w}px`;
    if (rect[3] !== height || found.circle) style.height = `${h}px`;
    found.rect = [left, top, width, height];
  },

  setCaption(number, object, caption) {
    const found = objectOf(number, object);
    if (!found || found.element.textContent === caption) return;
    found.element.textContent = caption;
    if (found.announced) announceLater(found);
  },

  setWindowVisible(number, visible) {
    const win = windows.get(number);
    if (!win) return;
    if (!visible) {
      win.element.hidden = true;
      leaveStack(win);
      if (activeWindow()) activate(activeWindow());
      return;
    }
    win.element.hidden = false;
    if (!win.placed) {
      win.placed = true;
      const size = { width: win.outerWidth, height: win.element.offsetHeight };
      if (!largest || size.width * size.height > largest.width * largest.height) largest = size;
      centre(win);
      whenShownFirst(win);
    }
    activate(win);
    for (const label of win.announced) announceLater(label);
  },

  removeWindow(number) {
    const win = windows.get(number);
    if (!win) return;
    windows.delete(number);
    const wasActive = leaveStack(win);
    win.element.remove();
    if (wasActive && activeWindow()) activate(activeWindow());
  },
};
