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
//  - The new build is taken into use, whole, at the next visit (a reload included). A page of the
//    old build that is still open goes on being served from the old build's cache to its end (a
//    level's picture it has not shown yet, say): no page is ever served from two builds.
//  - Once no page of an old build is open any more, its cache is removed.
/* global BUILD */
'use strict';

// The site's folder, wherever it is served from: the worker's own folder.
const SCOPE = new URL('./', self.location).href;
const CACHE_PREFIX = `kostkolam ${new URL(SCOPE).pathname} build `;
const CACHE = CACHE_PREFIX + BUILD.version;
// The pages of older builds still open, each with the cache of its build: { page id: cache }.
// Kept in a cache of its own, as the worker may be stopped and started again meanwhile.
const OLDER_PAGES = `kostkolam ${new URL(SCOPE).pathname} older pages`;
const OLDER_PAGES_KEY = SCOPE + 'older-pages.json';
let olderPages = null;
// This build's cache, opened once for all the answers of this worker.
let buildCache = null;
const openBuildCache = () => (buildCache ??= caches.open(CACHE));

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

// Everything a page asks for (its modules, the program, the fonts, the pictures) comes straight
// from the build's cache by the browser's own routes, without the worker having to run (a page of
// an older build that is still open goes on getting its own build's files all the same). The
// pages themselves are the worker's to answer: it chooses the build a visit gets. Where the
// browser has no such routes, the worker answers everything.
const routes = () => [
  { condition: { requestMode: 'navigate' }, source: 'fetch-event' },
  { condition: { urlPattern: new URLPattern('*', SCOPE) }, source: { cacheName: CACHE } },
];

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    await keepBuild();
    if (event.addRoutes) await event.addRoutes(routes()).catch(() => { /* the worker answers */ });
  })().catch(async (error) => {
    await caches.delete(CACHE);
    throw error;
  }));
});

async function readOlderPages() {
  if (!olderPages) {
    // Looked up without opening the cache, which would make it.
    const kept = await caches.match(OLDER_PAGES_KEY, { cacheName: OLDER_PAGES });
    olderPages = kept ? await kept.json() : {};
  }
  return olderPages;
}

async function writeOlderPages(pages) {
  const known = await readOlderPages();
  if (JSON.stringify(pages) === JSON.stringify(known)) return;  // nothing to write
  olderPages = pages;
  if (Object.keys(pages).length) {
    await (await caches.open(OLDER_PAGES)).put(OLDER_PAGES_KEY, Response.json(pages));
  } else {
    await caches.delete(OLDER_PAGES);
  }
}

// Forgets the older pages that are gone and removes the caches of builds no page uses.
async function sweep() {
  const pages = { ...await readOlderPages() };
  for (const id of Object.keys(pages)) {
    if (!await self.clients.get(id)) delete pages[id];
  }
  await writeOlderPages(pages);
  const used = new Set(Object.values(pages));
  for (const name of await caches.keys()) {
    if (name.startsWith(CACHE_PREFIX) && name !== CACHE && !used.has(name)) await caches.delete(name);
  }
}

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    // The pages open now were served by the worker this one replaces, from the one cache of a
    // build before that no older page is known to use.
    const pages = { ...await readOlderPages() };
    const known = new Set(Object.values(pages));
    const before = (await caches.keys()).find(
        (name) => name.startsWith(CACHE_PREFIX) && name !== CACHE && !known.has(name));
    if (before) {
      for (const page of await self.clients.matchAll({ type: 'window', includeUncontrolled: true })) {
        pages[page.id] ??= before;
      }
    }
    await writeOlderPages(pages);
    await sweep();
  })());
});

// The worker before this one asks it to take over at the next visit.
self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || !request.url.startsWith(SCOPE)) return;
  event.respondWith(answer(event));
});

async function answer(event) {
  const { request, clientId } = event;
  if (request.mode === 'navigate') {
    if (self.registration.waiting) {
      // A new build is ready: it takes over, and a stand-in page loads the page again once it
      // has, all of it from the new build. (Not at once: the new worker can take over only once
      // this one has answered, and a page loading itself again and again would keep it
      // answering.)
      self.registration.waiting.postMessage('take over');
      return new Response(TAKING_OVER, { headers: { 'Content-Type': 'text/html; charset=utf-8' } });
    }
    event.waitUntil(sweep());
    // The page is the same whatever its query (?record, ?touch).
    let url = request.url.split(/[?#]/)[0];
    if (url === SCOPE) url += 'index.html';
    return (await (await openBuildCache()).match(url)) || fetch(request);
  }
  const older = (await readOlderPages())[clientId];
  const cache = older && (await caches.has(older)) ? await caches.open(older) : await openBuildCache();
  return (await cache.match(request.url)) || fetch(request);
}
