// The site installed and kept offline, served from a folder of its own (/hry/kostkolam/) as any
// static server would: chromium finds nothing against installing it, and after one visit the page
// opens and plays a level with the server gone. A new build put on the server is taken whole at
// the next visit, never one file of it before the others, and the old build's cache goes. Where no
// service worker can run, the page plays all the same.

import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { cp, readdir, readFile, writeFile } from 'node:fs/promises';
import { join, relative, sep } from 'node:path';
import { promisify } from 'node:util';
import { after, before, describe, it } from 'node:test';

import { startLevel1, waitForServe } from './game-page.mjs';
import {
  decodePng, launchBrowser, openPage, paths, pixelAt, ready, serve, temporaryFolder, until,
} from './harness.mjs';

const FOLDER = 'hry/kostkolam/';
const WORKER = 'service-worker.js';

/// A copy of the built site under FOLDER of a new temporary root, served.
async function servedCopy() {
  const root = await temporaryFolder();
  const site = join(root.folder, FOLDER);
  await cp(paths.site, site, { recursive: true });
  const server = await serve(root.folder);
  return {
    site, server, url: new URL(FOLDER, server.url).href,
    close: async () => { await server.close(); await root.remove(); },
  };
}

const siteFiles = async (folder) => (await readdir(folder, { recursive: true, withFileTypes: true }))
  .filter((entry) => entry.isFile())
  .map((entry) => relative(folder, join(entry.parentPath ?? entry.path, entry.name)).split(sep).join('/')).sort();

/// Asks the server for a new service worker and waits until the one it brings, if any, is
/// installed or has failed: 'installed', 'redundant', or null when the server has no new one.
const checkForNewBuild = (page) => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.getRegistration();
  await registration.update();
  const worker = registration.installing;
  if (!worker) return null;
  return new Promise((done) => {
    const settled = () => ['installed', 'redundant'].includes(worker.state) && done(worker.state);
    worker.addEventListener('statechange', settled);
    settled();
  });
});

/// Waits until the site's worker is active and in charge of the page's next loads.
const activeWorker = (page) => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.ready;
  const worker = registration.active;
  await new Promise((done) => {
    const settled = () => worker.state === 'activated' && done();
    worker.addEventListener('statechange', settled);
    settled();
  });
  return { script: worker.scriptURL, scope: registration.scope };
});

/// The caches of the page's origin, each with the paths it holds.
const cachesOf = (page) => page.evaluate(async () => {
  const found = {};
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    found[name] = (await cache.keys()).map((request) => new URL(request.url).pathname).sort();
  }
  return found;
});

/// Reloads the page, which may load again by itself once, and waits for the title window.
async function reload(page) {
  await page.reload({ waitUntil: 'load' });
  await until(() => page.evaluate(() => window.kostkolam !== undefined).catch(() => false),
              (loaded) => loaded);
  await ready(page);
}

const text = (page, path) => page.evaluate((p) => fetch(p).then((r) => r.text()), path);

describe('the site installed and kept offline', () => {
  let copy, browser, page;

  before(async () => {
    copy = await servedCopy();
    browser = await launchBrowser();
    page = await openPage(browser, copy.url);
    await ready(page);
  });
  after(async () => {
    await browser?.close();
    await copy?.close();
  });

  it('can be installed: a manifest with its icons, and nothing against it', async () => {
    const worker = await activeWorker(page);
    assert.deepEqual(worker, { script: copy.url + WORKER, scope: copy.url });
    const session = await page.createCDPSession();
    const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    const { url, errors, data } = await session.send('Page.getAppManifest');
    await session.detach();
    assert.deepEqual(errors, []);
    assert.equal(url, copy.url + 'manifest.webmanifest');
    const manifest = JSON.parse(data);
    assert.equal(manifest.lang, 'cs');
    assert.ok(['standalone', 'minimal-ui'].includes(manifest.display));
    // Written relative to the manifest, so that they name the folder it is served from.
    assert.equal(new URL(manifest.start_url, url).href, copy.url);
    assert.equal(new URL(manifest.scope, url).href, copy.url);
    assert.ok(manifest.name && manifest.short_name && manifest.theme_color &&
              manifest.background_color);

    // Each icon is as large as it says; the maskable one fills its square to the corners.
    const sizes = new Set();
    for (const icon of manifest.icons) {
      const picture = decodePng(await readFile(join(copy.site, icon.src)));
      assert.equal(`${picture.width}x${picture.height}`, icon.sizes, icon.src);
      sizes.add(`${icon.sizes} ${icon.purpose}`);
      const corner = pixelAt(picture, 0, 0, 1);
      assert.equal(corner.a, icon.purpose === 'maskable' ? 255 : 0, `corner of ${icon.src}`);
    }
    for (const wanted of ['192x192 any', '512x512 any', '512x512 maskable']) {
      assert.ok(sizes.has(wanted), `no icon of ${wanted}`);
    }
  });

  it('after one visit, opens and plays a level with the server gone', async () => {
    await activeWorker(page);
    const kept = Object.entries(await cachesOf(page));
    assert.equal(kept.length, 1, `caches: ${kept.map(([name]) => name)}`);
    const files = (await siteFiles(copy.site)).filter((path) => path !== WORKER);
    assert.deepEqual(kept[0][1], files.map((path) => `/${FOLDER}${path}`));

    await copy.server.close();
    await reload(page);
    await startLevel1(page);
    await waitForServe(page);
    // Every file answers, the fonts are the page's own.
    const answered = await page.evaluate((list) => Promise.all(list.map(
        (path) => fetch(path).then((r) => r.ok, () => false))), files);
    assert.deepEqual(files.filter((_, i) => !answered[i]), []);
    assert.equal(await page.evaluate(() => document.fonts.check('700 12px "Kostkolam Sans"')), true);
    assert.deepEqual(page.kostkolamErrors, []);
  });
});

describe('a new build on the server', () => {
  let copy, browser, page, build;

  before(async () => {
    copy = await servedCopy();
    browser = await launchBrowser();
    page = await openPage(browser, copy.url);
    await ready(page);
    await activeWorker(page);
    // The next build, beside the served one: a changed style sheet and its worker.
    build = await temporaryFolder();
    await cp(copy.site, build.folder, { recursive: true });
    const style = await readFile(join(build.folder, 'style.css'), 'utf8');
    await writeFile(join(build.folder, 'style.css'), `${style}/* the next build */\n`);
    await promisify(execFile)(process.execPath, [
      join(paths.top, 'web', 'make-service-worker.mjs'), build.folder,
      join(paths.top, 'web', 'site', WORKER), join(build.folder, WORKER)]);
  });
  after(async () => {
    await browser?.close();
    await copy?.close();
    await build?.remove();
  });

  it('is not taken while the server has only some of it', async () => {
    const before = await cachesOf(page);
    await cp(join(build.folder, WORKER), join(copy.site, WORKER));
    assert.equal(await checkForNewBuild(page), 'redundant');
    assert.deepEqual(await cachesOf(page), before);
    await reload(page);
    assert.doesNotMatch(await text(page, 'style.css'), /the next build/);
  });

  it('is taken whole at the next visit, and the old cache goes', async () => {
    const [old] = Object.keys(await cachesOf(page));
    await cp(join(build.folder, 'style.css'), join(copy.site, 'style.css'));
    await reload(page);
    // The visit that finds the new build plays the one it has while the new one is kept.
    assert.equal(await checkForNewBuild(page), 'installed');
    assert.doesNotMatch(await text(page, 'style.css'), /the next build/);
    assert.equal(Object.keys(await cachesOf(page)).length, 2);

    await reload(page);
    assert.match(await text(page, 'style.css'), /the next build/);
    assert.equal(await text(page, WORKER), await readFile(join(build.folder, WORKER), 'utf8'));
    const kept = Object.keys(await cachesOf(page));
    assert.equal(kept.length, 1);
    assert.notEqual(kept[0], old);
    await startLevel1(page);
    assert.deepEqual(page.kostkolamErrors, []);
  });
});

describe('where no service worker can run', () => {
  let copy, browser;

  before(async () => {
    copy = await servedCopy();
    browser = await launchBrowser();
  });
  after(async () => {
    await browser?.close();
    await copy?.close();
  });

  const cases = [
    ['a browser without service workers', () => { delete Navigator.prototype.serviceWorker; }],
    ['a private window that refuses them', () => {
      ServiceWorkerContainer.prototype.register = () => Promise.reject(new DOMException(
        'Service workers are not available here', 'SecurityError'));
    }],
  ];
  for (const [what, setUp] of cases) {
    it(`the page plays in ${what}, kept nowhere`, async () => {
      const page = await browser.newPage({ type: 'window' });
      const errors = [];
      page.on('pageerror', (error) => errors.push(String(error)));
      page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
      await page.evaluateOnNewDocument(setUp);
      await page.goto(copy.url, { waitUntil: 'load' });
      await ready(page);
      await startLevel1(page);
      assert.deepEqual(await cachesOf(page), {});
      assert.deepEqual(errors, []);
      await page.close();
    });
  }
});
