// Keeps the game for playing offline: once the page has drawn its title screen, it hands the site
// to its service worker (service-worker.js), which keeps every file of this build for the visits
// to come. Where no service worker can run (a file:// copy, a private window, a browser without
// them) the page plays all the same; it is simply not kept offline there.

/** Hands the site to its worker once `drawn` (the title screen drawn) has resolved. */
export function keepOffline(drawn) {
  if (!('serviceWorker' in navigator)) return;
  // Keeping the site fetches all of it again: not before the title screen is drawn.
  drawn
    .then(() => navigator.serviceWorker.register('service-worker.js', { updateViaCache: 'none' }))
    .catch(() => { /* not kept offline here */ });
}
