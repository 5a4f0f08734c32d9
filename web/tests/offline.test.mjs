// The site installed and kept offline, served from a folder of its own (/hry/kostkolam/): nothing
// against installing it, and after one visit a level plays with the server gone. A new build is
// taken whole at the next visit, not while the server has only part of it, and the old cache goes.
// Where no service worker can run, a copy opened from its folder among them, the page plays all the
// same.

import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { cp, readdir, readFile, writeFile } from 'node:fs/promises';
import { join, relative, sep } from 'node:path';
import { pathToFileURL } from 'node:url';
import { promisify } from 'node:util';
import { after, before, describe, it } from 'node:test';

import { startLevel1, waitForServe } from './game-page.mjs';
import {
  decodePng, launchBrowser, openPage, paths, pixelAt, ready, serve, temporaryFolder, until,
} from './harness.mjs';

const FOLDER = 'hry/kostkolam/';
const WORKER = 'service-worker.js';
// The file a new build changes.
const CHANGED = 'main.js';

/// A copy of the built site in FOLDER of a new root, served, and a browser; `open` loads the page.
async function session() {
  const root = await temporaryFolder();
  const site = join(root.folder, FOLDER);
  await cp(paths.site, site, { recursive: true });
  const server = await serve(root.folder);
  const browser = await launchBrowser();
  const url = new URL(FOLDER, server.url).href;
  return {
    site, server, browser, url,
    open: async (setUp) => {
      const page = await openPage(browser, 'about:blank');
      if (setUp) await page.evaluateOnNewDocument(setUp);
      await page.goto(url, { waitUntil: 'load' });
      await loaded(page);
      return page;
    },
    close: async () => { await browser.close(); await server.close(); await root.remove(); },
  };
}

// Every file a served page may ask for: not the worker itself, nor the page for a copy opened from
// a folder.
const siteFiles = async (folder) => (await readdir(folder, { recursive: true, withFileTypes: true }))
  .filter((entry) => entry.isFile() && entry.name !== WORKER && entry.name !== 'kostkolam-folder.js')
  .map((entry) => relative(folder, join(entry.parentPath ?? entry.path, entry.name)).split(sep).join('/'))
  .sort();

/// The site's worker once it is active: its scope.
const keptAt = (page) => page.evaluate(() => navigator.serviceWorker.ready.then((r) => r.scope));

/// Asks the server for a new worker: 'installed' or 'redundant' once the new one is either, null
/// when there is none.
const checkForNewBuild = (page) => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.getRegistration();
  await registration.update();
  const worker = registration.installing;
  return worker && new Promise((done) => {
    const settled = () => ['installed', 'redundant'].includes(worker.state) && done(worker.state);
    worker.addEventListener('statechange', settled);
    settled();
  });
});

/// The origin's caches: name → the paths it holds.
const cachesOf = (page) => page.evaluate(async () => Object.fromEntries(await Promise.all(
  (await caches.keys()).map(async (name) => [name, (await (await caches.open(name)).keys())
    .map((request) => new URL(request.url).pathname).sort()]))));

/// Waits for the title window of a page that may load itself once more (a new build taking over).
async function loaded(page) {
  await until(() => page.evaluate(() => window.kostkolam !== undefined).catch(() => false), Boolean);
  await ready(page);
}

async function reload(page) {
  await page.reload({ waitUntil: 'load' });
  await loaded(page);
}

const served = (page, path) => page.evaluate((p) => fetch(p).then((r) => r.text()), path);

describe('the site installed and kept offline', () => {
  let site, page;
  before(async () => {
    site = await session();
    page = await site.open();
  });
  after(() => site?.close());

  it('can be installed: a manifest with its icons, and nothing against it', async () => {
    assert.equal(await keptAt(page), site.url);
    const cdp = await page.createCDPSession();
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    const { url, errors, data } = await cdp.send('Page.getAppManifest');
    assert.deepEqual([url, errors], [site.url + 'manifest.webmanifest', []]);
    const manifest = JSON.parse(data);
    assert.ok(manifest.name && manifest.short_name && manifest.theme_color && manifest.background_color);
    assert.equal(manifest.lang, 'cs');
    assert.ok(['standalone', 'minimal-ui'].includes(manifest.display));
    // Relative to the manifest, they name the folder it is served from.
    assert.deepEqual([manifest.start_url, manifest.scope].map((u) => new URL(u, url).href),
                     [site.url, site.url]);
    // Each icon is as large as it says; a maskable one fills its square to the corners.
    const icons = manifest.icons.map((icon) => {
      const picture = decodePng(readFileSync(join(site.site, icon.src)));
      assert.equal(`${picture.width}x${picture.height}`, icon.sizes, icon.src);
      assert.equal(pixelAt(picture, 0, 0, 1).a, icon.purpose === 'maskable' ? 255 : 0, icon.src);
      return `${icon.sizes} ${icon.purpose}`;
    });
    for (const wanted of ['192x192 any', '512x512 any', '512x512 maskable']) {
      assert.ok(icons.includes(wanted), `no icon of ${wanted}`);
    }
  });

  it('after one visit, opens and plays a level with the server gone', async () => {
    const files = await siteFiles(site.site);
    assert.deepEqual(Object.values(await cachesOf(page)), [files.map((f) => `/${FOLDER}${f}`)]);
    await site.server.close();
    await reload(page);
    await startLevel1(page);
    await waitForServe(page);
    const answered = await page.evaluate((list) => Promise.all(list.map(
        (path) => fetch(path).then((r) => r.ok, () => false))), files);
    assert.deepEqual(files.filter((_, i) => !answered[i]), []);
    assert.equal(await page.evaluate(() => document.fonts.check('700 12px "Kostkolam Sans"')), true);
    assert.deepEqual(page.kostkolamErrors, []);
  });
});

describe('a new build on the server', () => {
  let site, page, next;
  before(async () => {
    site = await session();
    page = await site.open();
    await keptAt(page);
    // The next build beside it: a changed module, and its worker.
    next = await temporaryFolder();
    await cp(site.site, next.folder, { recursive: true });
    await writeFile(join(next.folder, CHANGED),
                    `${await readFile(join(next.folder, CHANGED), 'utf8')}/* the next build */\n`);
    await promisify(execFile)(process.execPath, [join(paths.top, 'web', 'make-service-worker.mjs'),
      next.folder, join(paths.top, 'web', 'site', WORKER), join(next.folder, WORKER)]);
  });
  after(async () => {
    await site?.close();
    await next?.remove();
  });

  it('is not taken while the server has only part of it', async () => {
    const before = await cachesOf(page);
    await cp(join(next.folder, WORKER), join(site.site, WORKER));
    assert.equal(await checkForNewBuild(page), 'redundant');
    assert.deepEqual(await cachesOf(page), before);
    await reload(page);
    assert.doesNotMatch(await served(page, CHANGED), /the next build/);
  });

  it('is taken whole at the next visit; a page open from before keeps its own', async () => {
    const [old] = Object.keys(await cachesOf(page));
    await cp(join(next.folder, CHANGED), join(site.site, CHANGED));
    await reload(page);
    // The visit that finds it plays the build it has while the new one is kept.
    assert.equal(await checkForNewBuild(page), 'installed');
    assert.doesNotMatch(await served(page, CHANGED), /the next build/);
    assert.equal(Object.keys(await cachesOf(page)).length, 2);

    // The next visit, in a window beside the page of the old build.
    const visit = await site.open();
    assert.match(await served(visit, CHANGED), /the next build/);
    assert.equal(await served(visit, WORKER), await readFile(join(next.folder, WORKER), 'utf8'));
    assert.doesNotMatch(await served(page, CHANGED), /the next build/);
    assert.ok(old in await cachesOf(visit));
    // Once that page is gone, so is the old build's cache, from the next visit on.
    await page.close();
    await reload(visit);
    const kept = Object.keys(await until(() => cachesOf(visit), (c) => !(old in c)));
    assert.equal(kept.length, 1, `caches: ${kept}`);
    await startLevel1(visit);
    assert.deepEqual([...page.kostkolamErrors, ...visit.kostkolamErrors], []);
  });
});

describe('where no service worker can run', () => {
  let site;
  before(async () => { site = await session(); });
  after(() => site?.close());

  // How each is made, and what the page has done once it has tried to register its worker.
  for (const [where, setUp, tried] of [
    ['a browser without service workers', () => { delete Navigator.prototype.serviceWorker; },
     () => true],
    ['a private window that refuses them', () => {
      ServiceWorkerContainer.prototype.register = () => {
        window.refused = true;
        return Promise.reject(new DOMException('Service workers are not available', 'SecurityError'));
      };
    }, () => window.refused === true],
  ]) {
    it(`the page plays in ${where}, kept nowhere`, async () => {
      const page = await site.open(setUp);
      await until(() => page.evaluate(tried), Boolean);
      await startLevel1(page);
      assert.deepEqual(await cachesOf(page), {});
      assert.deepEqual(page.kostkolamErrors, []);
      await page.close();
    });
  }

  it('a copy opened from its folder plays too, in its own fonts', async () => {
    const page = await openPage(site.browser, pathToFileURL(join(site.site, 'index.html')).href);
    await ready(page);
    await startLevel1(page);
    await waitForServe(page);
    assert.equal(await page.evaluate(() => document.fonts.check('700 12px "Kostkolam Sans"')), true);
    // There the browser refuses whatever the page names by its address, and says so; nothing
    // else goes wrong.
    assert.deepEqual(page.kostkolamErrors.filter((e) => !/CORS policy|ERR_FAILED/.test(e)), []);
    await page.close();
  });
});
