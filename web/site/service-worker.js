// Kostkolam kept for playing offline: after one visit the whole site (the page, the program, every
// picture and font) is in a cache of its own, and the page opens and plays from it with no
// network at all.
//
// The build writes BUILD in front of this file: the build's files, each with the SHA-256 of its
// content, and a version made of them all (web/make-service-worker.mjs). The cache is named after
// that version, so every build has one of its own:
//  - A new build on the server makes this file differ, and the browser installs the new worker
//    beside the old one. It fetches every file of its list afresh and takes one only if its
//    content is the one listed: a server halfway through an update (a new list beside old files)
//    gets no worker installed, and the next visit tries again. The page goes on with the build it
//    has meanwhile.
//  - The new build is taken into use, whole, at the next visit once no other page of the old
//    build is open (a reload of the last one included): a new page is never served half from one
//    build and half from another.
//  - Once the new build is in use, the caches of the builds before it are removed.
/* global BUILD */
'use strict';

// The site's folder, wherever it is served from: the worker's own folder.
const SCOPE = new URL('./', self.location).href;
const CACHE_PREFIX = `kostkolam ${new URL(SCOPE).pathname} `;
const CACHE = CACHE_PREFIX + BUILD.version;

const TAKING_OVER = `<!DOCTYPE html>
<html lang="cs"><title>Kostkolam</title><link rel="icon" href="icon.png">
<script>
  const workers = navigator.serviceWorker;
  workers.addEventListener('controllerchange', () => location.reload());
  workers.getRegistration().then((registration) => {
    if (!registration || !registration.waiting) location.reload();
  });
</script>`;

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function keepBuild() {
  const cache = await caches.open(CACHE);
  await Promise.all(BUILD.files.map(async ({ path, sha256 }) => {
    const url = new URL(path, SCOPE).href;
    // Past the browser's own cache: it may still hold a file of the build before.
    const response = await fetch(url, { cache: 'reload' });
    if (!response.ok) throw new Error(`${path}: ${response.status} ${response.statusText}`);
    const digest = hex(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer()));
    if (digest !== sha256) throw new Error(`${path} on the server is not of build ${BUILD.version}`);
    await cache.put(url, response);
  }));
}

self.addEventListener('install', (event) => {
  event.waitUntil(keepBuild().catch(async (error) => {
    await caches.delete(CACHE);
    throw error;
  }));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(CACHE_PREFIX) && name !== CACHE) await caches.delete(name);
    }
  })());
});

// The worker before this one asks it to take over when the last page of its build goes.
self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || !request.url.startsWith(SCOPE)) return;
  event.respondWith(answer(request));
});

async function answer(request) {
  const navigation = request.mode === 'navigate';
  if (navigation && self.registration.waiting && (await self.clients.matchAll()).length < 2) {
    // A new build is ready and the page being left or reloaded is the last one of this build:
    // the new build takes over, and a stand-in page loads the page again once it has, all of it
    // from the new build. (Not at once: the new worker can take over only once this one has
    // answered, and a page loading itself again and again would keep it answering.)
    self.registration.waiting.postMessage('take over');
    return new Response(TAKING_OVER, { headers: { 'Content-Type': 'text/html; charset=utf-8' } });
  }
  let url = request.url;
  if (navigation) {
    // The page is the same whatever its query (?record, ?touch).
    url = url.split(/[?#]/)[0];
    if (url === SCOPE) url += 'index.html';
  }
  const cache = await caches.open(CACHE);
  return (await cache.match(url)) || fetch(request);
}
