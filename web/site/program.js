// The game's program once it runs in the page: its entry points, through which the page hands in
// what the player does, window by window. Nothing reaches the game before it has started.

let running = null;

/** @param {object|null} instance the program's module instance, or null once it has gone */
export function setProgram(instance) {
  running = instance;
}

/** The running program's entry points (kk_menu, kk_key, ...), or null. */
export function program() {
  return running;
}
