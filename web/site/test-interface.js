// What the page's own tests ask of the game: its state as the model holds it, and where the page
// shows it. window.kostkolam.ready resolves once the title window is drawn.

import { program } from './program.js';
import { currentZoom, windowOfScreen } from './windows.js';

let resolveReady;

export const testInterface = {
  ready: new Promise((resolve) => { resolveReady = resolve; }),
  now: () => program()?._kk_now() ?? 0,
  nextTick: () => program()?._kk_next_tick() ?? -1,
  screens: () => JSON.parse(program().UTF8ToString(program()._kk_screens())),
  object(screen, name) {
    const game = program();
    const found = JSON.parse(game.UTF8ToString(
        game.ccall('kk_object', 'number', ['string', 'string'], [screen, name])));
    if (!found) return null;
    const client = windowOfScreen(screen).client.getBoundingClientRect();
    const zoom = currentZoom();
    found.client = found.pixel;
    found.pixel = {
      x: client.left + found.client.x * zoom, y: client.top + found.client.y * zoom,
      width: found.client.width * zoom, height: found.client.height * zoom,
    };
    return found;
  },
  /** The performance run's program only: opens level `n` at once. */
  benchLevel: (n) => program()._kk_bench_level(n),
  recording: () => ({
    scenario: program().UTF8ToString(program()._kk_recording(0)),
    expected: program().UTF8ToString(program()._kk_recording(1)),
  }),
  // The key the game's autoplayer would type now on a shown level: 'a', 'd' or null.
  autoplayKey(screen) {
    const game = program();
    const code = game ? game.ccall('kk_autoplay_key', 'number', ['string'], [screen]) : 0;
    return code ? String.fromCharCode(code) : null;
  },
};

/** The page is drawn: the tests may look. */
export function pageReady() {
  // Two frames: the first draws what the start built.
  requestAnimationFrame(() => requestAnimationFrame(() => resolveReady()));
}

window.kostkolam = testInterface;
