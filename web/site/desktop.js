// Kostkolam's desktop in the page: the windows, menus, message box and keys of the browser's
// window system. The game itself runs in WebAssembly (kostkolam.js); it builds and changes the
// windows through Module.desktop and hears of the player's input through the kk_* entry points.
// Nothing here knows a rule of the game: this only shows, and takes input.
'use strict';

(function () {
  // The object kinds the game names objects by, in its own order.
  const BRICK = 0, SHAPE = 1, LABEL = 2, BUTTON = 3;
  const ALIGNMENTS = ['left', 'right', 'center'];
  // The window frame on each side, in logical pixels: 90 twips across both sides, as the game
  // measures a window's outer width.
  const FRAME_PX = 3;
  // The caption and the menu bar (with its line), as style.css draws them, and the largest client
  // area of the game's windows (the title and the levels).
  const TITLE_BAR_PX = 22;
  const MENU_BAR_PX = 21;
  const LARGEST_CLIENT = [327, 289];
  // The desktop's user-interface font, and the status line's font is fitted from it.
  const UI_FONT = 'Kostkolam Sans';
  const UI_FONT_PX = 12;
  const SMALLEST_FONT_PX = 6;
  const SMALLEST_READABLE_FONT_PX = 9;
  // A held on-screen key repeats as a held key does: after a pause, then steadily.
  const REPEAT_DELAY_MS = 500;
  const REPEAT_INTERVAL_MS = 33;

  const params = new URLSearchParams(location.search);
  const recording = params.has('record');
  const touchScreen = matchMedia('(pointer: coarse)').matches || params.has('touch');

  const desktopElement = document.getElementById('desktop');
  const endedElement = document.getElementById('ended');
  const boxElement = document.querySelector('dialog.message-box');

  let game = null;  // the WebAssembly module's entry points, once loaded
  const windows = new Map();  // window number → window
  let stack = [];  // shown windows, front last
  let zoom = 1;
  let nextZ = 1;
  let defaultFont = `${UI_FONT_PX}px "${UI_FONT}"`;
  let openMenu = null;  // {window, top}: the drop-down list that is open

  function css(colour, fallback) {
    if (colour < 0) return fallback;
    if (colour >= 0x80000000) {
      // The one system colour the layouts use is the tooltip background.
      return colour === 0x80000018 ? 'var(--tooltip-base)' : 'var(--window)';
    }
    const r = colour & 0xff, g = (colour >> 8) & 0xff, b = (colour >> 16) & 0xff;
    return `rgb(${r}, ${g}, ${b})`;
  }

  function element(tag, className, parent) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (parent) parent.appendChild(node);
    return node;
  }

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

  // ---------------------------------------------------------------------------------------------
  // Windows

  function activeWindow() {
    return stack.length ? stack[stack.length - 1] : null;
  }

  // Brings a shown window to the front, marks it active and gives it the keyboard.
  function activate(win) {
    if (activeWindow() !== win || !win.element.style.zIndex) {
      stack = stack.filter((w) => w !== win);
      stack.push(win);
      win.element.style.zIndex = String(nextZ++);
    }
    // Also for a window already in front: the one that was active above it may just have gone.
    for (const w of windows.values()) w.element.classList.toggle('active', w === win);
    const focus = win.focusButton && !win.focusButton.hidden ? win.focusButton : win.element;
    focus.focus({ preventScroll: true });
  }

  function centre(win) {
    const width = win.clientWidth + 2 * FRAME_PX;
    const height = win.element.offsetHeight;
    const area = desktopElement.getBoundingClientRect();
    const areaWidth = area.width / zoom, areaHeight = area.height / zoom;
    win.element.style.left = `${Math.max(0, Math.round((areaWidth - width) / 2))}px`;
    win.element.style.top = `${Math.max(0, Math.round((areaHeight - height) / 2))}px`;
  }

  // The window default font: the desktop's font, made small enough that one line fits the
  // status line and, where a readable size allows, that the captions drawn in it fit their
  // labels; the semi-condensed cut is taken before a smaller size.
  function fitDefaultFont(win) {
    if (!win.statusLinePx) return;
    const measure = document.createElement('canvas').getContext('2d');
    const fits = (font, checkWidths) => {
      measure.font = font;
      const m = measure.measureText('Ág');
      const height = Math.round(m.fontBoundingBoxAscent) + Math.round(m.fontBoundingBoxDescent);
      if (height > win.statusLinePx) return false;
      if (!checkWidths) return true;
      return win.labels.every((label) => label.fontPx ||
          measure.measureText(label.element.textContent).width <= label.rect[2]);
    };
    const largest = Math.min(UI_FONT_PX, win.statusLinePx);
    for (let px = largest; px >= SMALLEST_READABLE_FONT_PX; --px) {
      for (const stretch of ['normal', 'semi-condensed']) {
        const font = `${stretch} ${px}px "${UI_FONT}"`;
        if (fits(font, true)) return (defaultFont = font);
      }
    }
    for (let px = largest; px > SMALLEST_FONT_PX; --px) {
      const font = `${px}px "${UI_FONT}"`;
      if (fits(font, false)) return (defaultFont = font);
    }
    return (defaultFont = `${SMALLEST_FONT_PX}px "${UI_FONT}"`);
  }

  const desktop = {
    createWindow(number, name, caption, clientWidth, clientHeight, background, picture, keysFirst,
                 statusLinePx) {
      const root = element('section', 'window', desktopElement);
      root.dataset.screen = name;
      root.hidden = true;
      root.tabIndex = -1;
      root.setAttribute('role', 'dialog');
      root.setAttribute('aria-label', caption);
      const titleBar = element('header', 'title-bar', root);
      element('span', 'title', titleBar).textContent = caption;
      const close = element('button', 'close', titleBar);
      close.tabIndex = -1;
      close.title = 'Zavřít';
      close.setAttribute('aria-label', 'Zavřít');
      close.addEventListener('click', () => game && game._kk_close(number));
      const menuBar = element('nav', 'menu-bar', root);
      menuBar.setAttribute('role', 'menubar');
      const client = element('div', 'client', root);
      client.style.width = `${clientWidth}px`;
      client.style.height = `${clientHeight}px`;
      client.style.backgroundColor = css(background, 'var(--window)');
      if (picture) client.style.backgroundImage = `url("${picture}")`;
      const win = {
        number, name, element: root, client, menuBar, clientWidth, keysFirst, statusLinePx,
        menus: [], items: [], labels: [], shapes: [], bricks: [], buttons: [], tabOrder: [],
        focusButton: null, placed: false,
      };
      windows.set(number, win);
      root.addEventListener('pointerdown', () => {
        if (!root.hidden) activate(win);
      }, true);
      dragByTitleBar(win, titleBar);
    },

    addMenuItem(number, item, name, caption, shortcut, depth) {
      const win = windows.get(number);
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
      if (caption === '-') {
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
        element('span', 'key', entry).textContent = `F${shortcut}`;
        entry.setAttribute('aria-keyshortcuts', `F${shortcut}`);
      }
      entry.addEventListener('pointerenter', () => highlight(top, choice));
      entry.addEventListener('click', () => choose(win, choice));
      top.items.push(choice);
      win.items.push(choice);
    },

    addLabel(number, index, name, caption, background, textColour, alignment, fontPx, weight,
             italic, underline, strikeout) {
      const win = windows.get(number);
      const node = element('div', 'label', win.client);
      node.dataset.object = name;
      node.textContent = caption;
      node.style.textAlign = ALIGNMENTS[alignment] || 'left';
      if (background >= 0) node.style.backgroundColor = css(background);
      if (textColour >= 0) node.style.color = css(textColour);
      if (fontPx) {
        // A stored font: the semi-condensed cut at the stored size.
        node.style.font = `${italic ? 'italic ' : ''}${weight} semi-condensed ${fontPx}px "${UI_FONT}"`;
        const lines = [underline && 'underline', strikeout && 'line-through'].filter(Boolean);
        if (lines.length) node.style.textDecoration = lines.join(' ');
      }
      win.labels[index] = { element: node, fontPx, rect: [0, 0, 0, 0] };
    },

    addShape(number, index, name, circle, border, fill) {
      const win = windows.get(number);
      const node = element('div', circle ? 'shape circle' : 'shape', win.client);
      node.dataset.object = name;
      node.style.borderColor = css(border);
      node.style.backgroundColor = css(fill);
      win.shapes[index] = { element: node, circle, rect: [0, 0, 0, 0] };
    },

    addBrick(number, index, name, picture) {
      const win = windows.get(number);
      const node = element('div', 'brick', win.client);
      node.dataset.object = name;
      node.setAttribute('role', 'img');
      node.setAttribute('aria-label', `Cihla ${index + 1}`);
      if (picture) node.style.backgroundImage = `url("${picture}")`;
      win.bricks[index] = { element: node, rect: [0, 0, 0, 0] };
    },

    addButton(number, index, name, caption, tabStop, tabIndex) {
      const win = windows.get(number);
      const node = element('button', 'push', win.client);
      node.type = 'button';
      node.dataset.object = name;
      node.textContent = caption;
      node.tabIndex = tabStop ? 0 : -1;
      node.addEventListener('click', () => game && game._kk_button(number, index));
      win.buttons[index] = { element: node, rect: [0, 0, 0, 0] };
      if (tabStop) {
        win.tabOrder.push({ node, tabIndex });
        win.tabOrder.sort((a, b) => a.tabIndex - b.tabIndex);
        // The first button in the tab order has the focus when the window opens.
        win.focusButton = win.tabOrder[0].node;
      }
    },

    // Puts an object where the game has it; only what changed is touched, so the browser redraws
    // just the places the object left and reached.
    place(number, kind, index, left, top, width, height, visible) {
      const win = windows.get(number);
      if (!win) return;
      const group = [win.bricks, win.shapes, win.labels, win.buttons][kind];
      const object = group && group[index];
      if (!object) return;
      const node = object.element;
      if (node.hidden === visible) node.hidden = !visible;
      const rect = object.rect;
      if (rect[0] === left && rect[1] === top && rect[2] === width && rect[3] === height) return;
      let x = left, y = top, w = width, h = height;
      if (object.circle) {
        // The largest circle that fits the rectangle, centred in it.
        const side = Math.min(width, height);
        x += Math.trunc((width - side) / 2);
        y += Math.trunc((height - side) / 2);
        w = h = side;
      }
      const style = node.style;
      if (kind === SHAPE) {
        // The ball and the paddle move on every tick: each lies on a layer of its own that the
        // compositor slides, so a move needs neither layout nor painting.
        if (rect[0] !== left || rect[1] !== top || object.circle) {
          style.transform = `translate(${x}px, ${y}px)`;
        }
      } else {
        if (rect[0] !== left) style.left = `${x}px`;
        if (rect[1] !== top) style.top = `${y}px`;
      }
      if (rect[2] !== width || object.circle) style.width = `${w}px`;
      if (rect[3] !== height || object.circle) style.height = `${h}px`;
      object.rect = [left, top, width, height];
    },

    setCaption(number, index, caption) {
      const label = windows.get(number)?.labels[index];
      if (label && label.element.textContent !== caption) label.element.textContent = caption;
    },

    setWindowVisible(number, visible) {
      const win = windows.get(number);
      if (!win) return;
      if (!visible) {
        win.element.hidden = true;
        stack = stack.filter((w) => w !== win);
        if (openMenu && openMenu.window === win) closeMenu();
        const next = activeWindow();
        if (next) activate(next);
        return;
      }
      win.element.hidden = false;
      if (!win.placed) {
        win.placed = true;
        if (win.statusLinePx) fitDefaultFont(win);
        win.client.style.font = defaultFont;
        centre(win);
      }
      activate(win);
    },

    removeWindow(number) {
      const win = windows.get(number);
      if (!win) return;
      windows.delete(number);
      const wasActive = activeWindow() === win;
      stack = stack.filter((w) => w !== win);
      if (openMenu && openMenu.window === win) closeMenu();
      win.element.remove();
      if (wasActive && activeWindow()) activate(activeWindow());
    },

    outerWidth(number) {
      const win = windows.get(number);
      return win ? win.clientWidth + 2 * FRAME_PX : 0;
    },

    messageBox(title, text) {
      closeMenu();
      boxElement.querySelector('.title').textContent = title;
      boxElement.querySelector('.text').textContent = text;
      if (!boxElement.open) boxElement.showModal();
      boxElement.querySelector('button.ok').focus();
    },

    gameEnded() {
      closeMenu();
      if (boxElement.open) boxElement.close();
      endedElement.hidden = false;
      desktopElement.hidden = true;
      document.getElementById('restart').focus();
      // The game is let go outside its own event, which is still running here.
      setTimeout(() => {
        game._kk_finish();
        offerRecording();
      });
    },
  };

  // ---------------------------------------------------------------------------------------------
  // Menus

  function openTopMenu(win, top) {
    closeMenu();
    openMenu = { window: win, top, highlighted: null };
    top.list.hidden = false;
    top.title.classList.add('open');
    highlight(top, top.items[0] || null);
  }

  function closeMenu() {
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

  // The list closes first, as when an item is clicked; then the item's command runs.
  function choose(win, choice) {
    closeMenu();
    if (game) game._kk_menu(win.number, choice.item);
  }

  function menuKey(event) {
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

  // ---------------------------------------------------------------------------------------------
  // Keys

  const FUNCTION_KEYS = { F1: 1, F2: 2, F4: 4, F5: 5 };

  // A function key chooses its item whenever its window is active, open menu or not.
  function functionKey(number) {
    const win = activeWindow();
    const choice = win && win.items.find((item) => item.shortcut === number);
    if (choice) choose(win, choice);
  }

  // A typed character reaches a level window before any of its controls, as its UTF-16 units.
  function typeCharacter(text) {
    const win = activeWindow();
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
    const stops = win.tabOrder.map((stop) => stop.node).filter((node) => !node.hidden);
    if (!stops.length) return;
    const at = stops.indexOf(document.activeElement);
    const next = at < 0 ? 0 : (at + (backwards ? stops.length - 1 : 1)) % stops.length;
    stops[next].focus();
  }

  document.addEventListener('keydown', (event) => {
    if (boxElement.open || !endedElement.hidden) {
      // The box takes every key (Enter, space and Escape answer it); the page keeps the
      // function keys from the browser all the same.
      if (event.key in FUNCTION_KEYS) event.preventDefault();
      return;
    }
    if (event.key in FUNCTION_KEYS && !event.ctrlKey && !event.altKey && !event.metaKey) {
      // F1 and F5 would open the browser's help and reload the page.
      event.preventDefault();
      functionKey(FUNCTION_KEYS[event.key]);
      return;
    }
    if (openMenu) {
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

  boxElement.addEventListener('cancel', () => { /* Escape answers the box like OK */ });
  boxElement.querySelector('button.ok').addEventListener('click', () => boxElement.close());
  boxElement.addEventListener('close', () => {
    const win = activeWindow();
    if (win) activate(win);
  });

  // ---------------------------------------------------------------------------------------------
  // Moving windows by their title bars

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

  // A click outside an open list closes it.
  document.addEventListener('pointerdown', (event) => {
    if (openMenu && !openMenu.top.element.contains(event.target)) closeMenu();
  });

  // ---------------------------------------------------------------------------------------------
  // Touch screens: keys on the screen, and the desktop zoomed to the screen's width

  function setUpTouchKeys() {
    const keys = document.getElementById('touch-keys');
    keys.hidden = false;
    document.body.classList.add('touch');
    for (const key of keys.querySelectorAll('button')) {
      let repeat = null;
      const press = () => {
        const character = key.dataset.character;
        if (character) typeCharacter(character);
        else functionKey(Number(key.dataset.function));
      };
      const release = () => {
        clearTimeout(repeat);
        repeat = null;
        key.classList.remove('down');
      };
      key.addEventListener('pointerdown', (event) => {
        event.preventDefault();  // keeps the focus in the game's window
        if (boxElement.open || repeat !== null) return;
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
      const margin = 8;
      const widest = LARGEST_CLIENT[0] + 2 * FRAME_PX + 2 * margin;
      const tallest = LARGEST_CLIENT[1] + TITLE_BAR_PX + MENU_BAR_PX + 2 * FRAME_PX + 2 * margin;
      const sideways = innerWidth > innerHeight;
      const width = sideways ? innerWidth - keys.offsetWidth : innerWidth;
      const height = sideways ? innerHeight : innerHeight - keys.offsetHeight;
      zoom = sideways ? Math.min(width / widest, height / tallest) : width / widest;
      desktopElement.style.zoom = String(zoom);
      for (const win of windows.values()) if (!win.element.hidden) centre(win);
    };
    addEventListener('resize', fit);
    fit();
  }

  // ---------------------------------------------------------------------------------------------
  // The end of the game, starting again, and the recording

  function offerRecording() {
    const links = document.getElementById('recording');
    if (!recording) return;
    links.hidden = false;
    const { scenario, expected } = api.recording();
    const offer = (id, text) => {
      const link = document.getElementById(id);
      if (link.href) URL.revokeObjectURL(link.href);
      link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    };
    offer('recording-scenario', scenario);
    offer('recording-expected', expected);
  }

  function start() {
    endedElement.hidden = true;
    desktopElement.hidden = false;
    stack = [];
    game._kk_start(recording ? 1 : 0);
  }

  document.getElementById('restart').addEventListener('click', start);

  // What the page's own tests ask of the game: its state as the model holds it.
  let resolveReady;
  const api = {
    ready: new Promise((resolve) => { resolveReady = resolve; }),
    now: () => (game ? game._kk_now() : 0),
    nextTick: () => (game ? game._kk_next_tick() : -1),
    screens: () => JSON.parse(Module.UTF8ToString(game._kk_screens())),
    object(screen, name) {
      const found = JSON.parse(Module.UTF8ToString(
          Module.ccall('kk_object', 'number', ['string', 'string'], [screen, name])));
      if (!found) return null;
      const win = [...windows.values()].find((w) => w.name === screen);
      const client = win.client.getBoundingClientRect();
      found.client = found.pixel;
      found.pixel = {
        x: client.left + found.client.x * zoom, y: client.top + found.client.y * zoom,
        width: found.client.width * zoom, height: found.client.height * zoom,
      };
      return found;
    },
    recording: () => ({
      scenario: Module.UTF8ToString(game._kk_recording(0)),
      expected: Module.UTF8ToString(game._kk_recording(1)),
    }),
    // The key the game's autoplayer would type now on a shown level: 'a', 'd' or null.
    autoplayKey(screen) {
      const code = game ? Module.ccall('kk_autoplay_key', 'number', ['string'], [screen]) : 0;
      return code ? String.fromCharCode(code) : null;
    },
  };
  window.kostkolam = api;

  window.Module = {
    desktop,
    onRuntimeInitialized() {
      game = Module;
      if (touchScreen) setUpTouchKeys();
      // The labels are measured in the page's own fonts, so they are loaded first.
      const fonts = ['400', '700'].flatMap((weight) => ['normal', 'semi-condensed'].map(
          (stretch) => document.fonts.load(`${weight} ${stretch} 12px "${UI_FONT}"`, 'Žš')));
      Promise.all(fonts).catch(() => {}).then(() => {
        document.body.classList.remove('loading');
        start();
        requestAnimationFrame(() => requestAnimationFrame(() => resolveReady()));
      });
    },
  };
})();
