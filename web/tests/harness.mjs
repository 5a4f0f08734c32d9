// What every browser test of the page shares: a static server for the built site, Debian's
// chromium driven through puppeteer-core, pages at a chosen size and pixel density, screenshots and
// the colour of a pixel in them, and the page's own view of the game (window.kostkolam).
//
// ctest runs each web/tests/*.test.mjs file with `node --test` and sets the environment:
//   KOSTKOLAM_SITE      the folder to serve (build-web/site)
//   KOSTKOLAM_NPM_DIR   the folder where `npm ci` installed web/package-lock.json (build-web/npm)
//   KOSTKOLAM_CHROMIUM  the browser (/usr/bin/chromium)
//   KOSTKOLAM_SCRIPT    the node runner (build-web/kostkolam-script.js), for replaying recordings
//   KOSTKOLAM_SCREENSHOTS  where screenshots go (build-web/screenshots)
//   KOSTKOLAM_SCENARIO_SITE  the page's scenario program, served over the site for the scenario
//                       files (build-web/scenario-site)
// Run by hand from the top of the repository, the defaults point into build-web/ as well.

import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { createServer } from 'node:http';
import { mkdtemp, mkdir, readFile, rm, stat, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { dirname, extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';

const top = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');

export const paths = {
    top,
    site: process.env.KOSTKOLAM_SITE || join(top, 'build-web', 'site'),
    npm: process.env.KOSTKOLAM_NPM_DIR || join(top, 'build-web', 'npm'),
    chromium: process.env.KOSTKOLAM_CHROMIUM || '/usr/bin/chromium',
    script: process.env.KOSTKOLAM_SCRIPT || join(top, 'build-web', 'kostkolam-script.js'),
    screenshots: process.env.KOSTKOLAM_SCREENSHOTS || join(top, 'build-web', 'screenshots'),
    scenarioSite: process.env.KOSTKOLAM_SCENARIO_SITE || join(top, 'build-web', 'scenario-site'),
};

// The flags chromium runs with, and nothing else: headless, no sandbox (the tests may run as root
// in a container), no GPU, and none of the browser's own traffic or first-run pages. Each browser
// gets a profile of its own, removed when it closes.
export const chromiumFlags = [
    '--headless',
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
];

// ---------------------------------------------------------------------------------------------
// The static server

export const mimeTypes = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.wasm': 'application/wasm',
    '.woff2': 'font/woff2',
    '.jpg': 'image/jpeg',
    '.jpeg': 'image/jpeg',
    '.png': 'image/png',
    '.bmp': 'image/bmp',
    '.svg': 'image/svg+xml',
    '.ico': 'image/x-icon',
    '.txt': 'text/plain; charset=utf-8',
};

// Serves the files under `root` on 127.0.0.1 at a port the system picks, as any static web server
// would: GET and HEAD only, index.html for a folder, nothing outside `root`. `root` may be a list
// of folders laid over each other, the first that has a path giving it. Nothing is cached, unless
// `cacheSeconds` lets the browser keep each file that long (for warm start-ups). Resolves to
// { url, port, close() }; `url` ends with a slash.
export async function serve(root = paths.site, { cacheSeconds = 0 } = {}) {
    const bases = [root].flat().map((folder) => resolve(folder));
    const cache = cacheSeconds > 0 ? `max-age=${cacheSeconds}` : 'no-store';
    const server = createServer(async (request, response) => {
        const send = (status, headers, body) => {
            response.writeHead(status, { 'Cache-Control': cache, ...headers });
            response.end(request.method === 'HEAD' ? undefined : body);
        };
        if (request.method !== 'GET' && request.method !== 'HEAD') {
            send(405, { Allow: 'GET, HEAD' }, 'method not allowed\n');
            return;
        }
        let path;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        } catch {
            send(400, {}, 'bad request\n');
            return;
        }
        // The URL parser removes dot segments already; a raw "..", or an encoded one, is refused.
        if (path.includes('\0') || path.split('/').includes('..')) {
            send(403, {}, 'forbidden\n');
            return;
        }
        for (const base of bases) {
            let file = resolve(base, '.' + path);
            if (file !== base && !file.startsWith(base + sep)) {
                send(403, {}, 'forbidden\n');
                return;
            }
            try {
                if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
                const body = await readFile(file);
                send(200, {
                    'Content-Type': mimeTypes[extname(file).toLowerCase()] || 'application/octet-stream',
                    'Content-Length': body.length,
                }, body);
                return;
            } catch {
                // Not in this folder: the next one may have it.
            }
        }
        send(404, {}, 'not found\n');
    });
    await new Promise((done, fail) => {
        server.once('error', fail);
        server.listen(0, '127.0.0.1', done);
    });
    const { port } = server.address();
    return {
        url: `http://127.0.0.1:${port}/`,
        port,
        close: () => new Promise((done) => {
            server.closeAllConnections?.();
            server.close(() => done());
        }),
    };
}

// ---------------------------------------------------------------------------------------------
// The browser

function puppeteer() {
    const require = createRequire(join(paths.npm, 'package.json'));
    try {
        return require('puppeteer-core');
    } catch (error) {
        throw new Error(`puppeteer-core is not installed in ${paths.npm} ` +
                        `(npm ci there with web/package.json and web/package-lock.json): ${error.message}`);
    }
}

// Starts chromium with exactly `chromiumFlags` and a fresh profile. Resolves to the puppeteer
// Browser; its close() also removes the profile.
export async function launchBrowser({ executablePath = paths.chromium } = {}) {
    const profile = await mkdtemp(join(tmpdir(), 'kostkolam-chromium-'));
    let browser;
    try {
        browser = await puppeteer().launch({
            executablePath,
            ignoreDefaultArgs: true,
            args: [...chromiumFlags, `--user-data-dir=${profile}`],
            pipe: true,
            handleSIGINT: false,
            handleSIGTERM: false,
            handleSIGHUP: false,
        });
    } catch (error) {
        await rm(profile, { recursive: true, force: true });
        throw error;
    }
    const close = browser.close.bind(browser);
    browser.close = async () => {
        try {
            await close();
        } finally {
            await rm(profile, { recursive: true, force: true, maxRetries: 5 });
        }
    };
    return browser;
}

// Opens `url` in a new tab of `browser` with a viewport of width × height CSS pixels at the given
// device pixel ratio. `touch` emulates a touch screen (a coarse pointer, touch events) and
// `mobile` a phone's browser (meta viewport honoured). `init`, a function, runs in the page
// with `initArgs` before any script of its own. Waits for the load event.
export async function openPage(browser, url, {
    width = 1024, height = 768, deviceScaleFactor = 1, touch = false, mobile = false,
    waitUntil = 'load', init = null, initArgs = [],
} = {}) {
    // A window of its own: a page in a background tab gets no animation frames, so several
    // pages of one browser could not all draw.
    const page = await browser.newPage({ type: 'window' });
    await page.setViewport({ width, height, deviceScaleFactor, hasTouch: touch, isMobile: mobile });
    if (init) await page.evaluateOnNewDocument(init, ...initArgs);
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    page.on('console', (message) => {
        if (message.type() === 'error') errors.push(message.text());
    });
    page.kostkolamErrors = errors;
    await page.goto(url, { waitUntil });
    return page;
}

// A server for `site` and a browser, closed together. `open(path, options)` opens a page of the
// site (see openPage).
export async function startSession({ site = paths.site } = {}) {
    const server = await serve(site);
    let browser;
    try {
        browser = await launchBrowser();
    } catch (error) {
        await server.close();
        throw error;
    }
    return {
        server,
        browser,
        url: (path = '') => new URL(path, server.url).href,
        open: (path = '', options = {}) => openPage(browser, new URL(path, server.url).href, options),
        close: async () => {
            try {
                await browser.close();
            } finally {
                await server.close();
            }
        },
    };
}

// ---------------------------------------------------------------------------------------------
// Screenshots and pixels

// Takes a screenshot of the page's viewport, writes it to `file` when one is given (its folder is
// made; a bare name goes under paths.screenshots) and resolves to the decoded picture (see
// decodePng) with its `png` bytes and the page's device pixel ratio.
export async function screenshot(page, file) {
    const png = Buffer.from(await page.screenshot({ type: 'png' }));
    if (file) {
        const target = file.includes('/') ? file : join(paths.screenshots, file);
        await mkdir(dirname(target), { recursive: true });
        await writeFile(target, png);
    }
    const picture = decodePng(png);
    picture.png = png;
    picture.deviceScaleFactor = page.viewport()?.deviceScaleFactor ?? 1;
    return picture;
}

// The colour { r, g, b, a } of the CSS pixel at (x, y) of a screenshot: the device pixel at the
// middle of that CSS pixel, so that at a ratio of 2 it is one of the four that make it up, never a
// neighbour's.
export function pixelAt(picture, x, y, deviceScaleFactor = picture.deviceScaleFactor ?? 1) {
    const px = Math.floor((x + 0.5) * deviceScaleFactor);
    const py = Math.floor((y + 0.5) * deviceScaleFactor);
    if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) {
        throw new RangeError(`(${x}, ${y}) is outside the ${picture.width}×${picture.height} picture`);
    }
    const i = (py * picture.width + px) * 4;
    const d = picture.data;
    return { r: d[i], g: d[i + 1], b: d[i + 2], a: d[i + 3] };
}

// "#rrggbb" of a pixel, for messages and comparisons.
export function hex({ r, g, b }) {
    return '#' + [r, g, b].map((c) => c.toString(16).padStart(2, '0')).join('');
}

// Whether two colours differ by at most `tolerance` in each channel (scaled pictures and text
// are smoothed by the browser; flat colours match exactly with a tolerance of 0).
export function sameColour(a, b, tolerance = 0) {
    return Math.abs(a.r - b.r) <= tolerance && Math.abs(a.g - b.g) <= tolerance &&
           Math.abs(a.b - b.b) <= tolerance;
}

// Decodes a PNG of 8-bit samples (greyscale, RGB, palette, with or without alpha; not
// interlaced), as chromium writes them, into { width, height, data } with data in RGBA order.
export function decodePng(png) {
    const signature = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];
    if (png.length < 8 || signature.some((byte, i) => png[i] !== byte)) {
        throw new Error('not a PNG file');
    }
    let width = 0, height = 0, colourType = -1, palette = null, transparency = null;
    const idat = [];
    let ended = false;
    for (let at = 8; !ended;) {
        if (at + 12 > png.length) throw new Error('PNG file is cut short');
        const length = png.readUInt32BE(at);
        const type = png.toString('latin1', at + 4, at + 8);
        const body = png.subarray(at + 8, at + 8 + length);
        if (body.length !== length) throw new Error(`PNG chunk ${type} is cut short`);
        if (type === 'IHDR') {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            const depth = body[8];
            colourType = body[9];
            if (depth !== 8 || body[12] !== 0 || ![0, 2, 3, 4, 6].includes(colourType)) {
                throw new Error(`unsupported PNG: depth ${depth}, colour type ${colourType}, ` +
                                `interlace ${body[12]}`);
            }
        } else if (type === 'PLTE') {
            palette = body;
        } else if (type === 'tRNS') {
            transparency = body;
        } else if (type === 'IDAT') {
            idat.push(body);
        } else if (type === 'IEND') {
            ended = true;
        }
        at += 12 + length;
    }
    const channels = { 0: 1, 2: 3, 3: 1, 4: 2, 6: 4 }[colourType];
    if (!width || !height || channels === undefined) throw new Error('PNG without a header');
    const raw = inflateSync(Buffer.concat(idat));
    const stride = width * channels;
    if (raw.length < height * (stride + 1)) throw new Error('PNG picture data is cut short');

    // Undo each row's filter, in place, against the row above.
    const rows = Buffer.alloc(height * stride);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)];
        const src = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        const row = rows.subarray(y * stride, (y + 1) * stride);
        const up = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : null;
        for (let i = 0; i < stride; ++i) {
            const a = i >= channels ? row[i - channels] : 0;
            const b = up ? up[i] : 0;
            const c = up && i >= channels ? up[i - channels] : 0;
            let predictor;
            switch (filter) {
            case 0: predictor = 0; break;
            case 1: predictor = a; break;
            case 2: predictor = b; break;
            case 3: predictor = (a + b) >> 1; break;
            case 4: {
                const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
                predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default: throw new Error(`PNG row ${y} has an unknown filter ${filter}`);
            }
            row[i] = (src[i] + predictor) & 0xff;
        }
    }

    const data = Buffer.alloc(width * height * 4);
    for (let p = 0; p < width * height; ++p) {
        const s = rows.subarray(p * channels, (p + 1) * channels);
        let rgba;
        switch (colourType) {
        case 0: rgba = [s[0], s[0], s[0], 255]; break;
        case 2: rgba = [s[0], s[1], s[2], 255]; break;
        case 3:
            if (!palette || s[0] * 3 + 2 >= palette.length) throw new Error('PNG palette index out of range');
            rgba = [palette[s[0] * 3], palette[s[0] * 3 + 1], palette[s[0] * 3 + 2],
                    transparency && s[0] < transparency.length ? transparency[s[0]] : 255];
            break;
        case 4: rgba = [s[0], s[0], s[0], s[1]]; break;
        default: rgba = [s[0], s[1], s[2], s[3]]; break;
        }
        data.set(rgba, p * 4);
    }
    return { width, height, data };
}

// ---------------------------------------------------------------------------------------------
// The game in the page

// Where the page shows each part of the game, for page.$, page.click and page.waitForSelector.
export const select = {
    window: (screen) => `.window[data-screen="${screen}"]`,
    client: (screen) => `.window[data-screen="${screen}"] .client`,
    object: (screen, name) => `.window[data-screen="${screen}"] [data-object="${name}"]`,
    menu: (name) => `[data-menu="${name}"]`,
    screenMenu: (screen, name) => `.window[data-screen="${screen}"] [data-menu="${name}"]`,
    messageBox: 'dialog.message-box',
    ended: '#ended',
    restart: '#restart',
};

// Waits until the page has drawn the title window (window.kostkolam.ready).
export async function ready(page, { timeout = 10000 } = {}) {
    // The page's promise resolves with no value, so the wait is for the promise to exist, and
    // then for the promise itself.
    await page.waitForFunction(() => window.kostkolam !== undefined, { timeout });
    await page.evaluate(() => window.kostkolam.ready);
}

// Screen name → "unloaded", "hidden" or "shown".
export function screens(page) {
    return page.evaluate(() => window.kostkolam.screens());
}

// { left, top, width, height, visible, caption } of an object in its screen's units, with
// `pixel: { x, y, width, height }` where the page shows it, in CSS pixels of the viewport.
export function object(page, screen, name) {
    return page.evaluate((s, n) => window.kostkolam.object(s, n), screen, name);
}

// { scenario, expected } of the game recorded so far (the page opened with ?record).
export function recording(page) {
    return page.evaluate(() => window.kostkolam.recording());
}

// The colour of an object's pixel at (dx, dy) CSS pixels from its top left corner (its middle
// when no offset is given), in a screenshot taken after `object` was read.
export function objectPixel(picture, found, dx, dy) {
    const x = found.pixel.x + (dx ?? Math.floor(found.pixel.width / 2));
    const y = found.pixel.y + (dy ?? Math.floor(found.pixel.height / 2));
    return pixelAt(picture, x, y);
}

// Waits until `predicate(value)` holds for `read()`, polling every `interval` ms; resolves to the
// value or rejects with the last one after `timeout` ms.
export async function until(read, predicate, { timeout = 5000, interval = 20 } = {}) {
    const end = Date.now() + timeout;
    for (;;) {
        const value = await read();
        if (predicate(value)) return value;
        if (Date.now() > end) {
            throw new Error(`gave up waiting after ${timeout} ms; last value: ${JSON.stringify(value)}`);
        }
        await new Promise((done) => setTimeout(done, interval));
    }
}

// Presses a key or a chord in the page as a player would: "d", "F5", "Alt+h", "Shift+Tab" (the
// names of puppeteer's keyboard: "Alt", "Control", "Shift", "Enter", "Escape", "ArrowLeft", ...).
// The modifiers go down in order, the key is pressed, and the modifiers come up in reverse order.
export async function press(page, chord) {
    const keys = chord === '+' ? ['+'] : chord.split('+');
    const key = keys.pop();
    for (const modifier of keys) await page.keyboard.down(modifier);
    try {
        await page.keyboard.press(key);
    } finally {
        for (const modifier of keys.reverse()) await page.keyboard.up(modifier);
    }
}

// Runs the node runner (paths.script) with `args`, `input` on its standard input; resolves to
// { status, stdout, stderr } as bytes.
function runRunner(args, input = '', { script = paths.script } = {}) {
    return new Promise((done, fail) => {
        const child = spawn(process.execPath, [script, ...args], { stdio: ['pipe', 'pipe', 'pipe'] });
        const out = [], err = [];
        child.stdout.on('data', (chunk) => out.push(chunk));
        child.stderr.on('data', (chunk) => err.push(chunk));
        child.on('error', fail);
        child.on('close', (status) => done({
            status, stdout: Buffer.concat(out), stderr: Buffer.concat(err),
        }));
        child.stdin.end(input);
    });
}

// Plays a scenario's text through the node runner and resolves to { status, stdout, stderr }
// as text: what a recording of the page must replay to.
export async function runScript(scenario, options = {}) {
    const { status, stdout, stderr } = await runRunner([], scenario, options);
    return { status, stdout: stdout.toString('utf8'), stderr: stderr.toString('utf8') };
}

// Plays a scenario file named on the runner's command line; { status, stdout, stderr } as
// bytes, for a comparison byte for byte.
export function runScriptFile(file, options = {}) {
    return runRunner([file], '', options);
}

// A temporary folder removed by the returned cleanup: for pages a test writes itself.
export async function temporaryFolder(prefix = 'kostkolam-page-') {
    const folder = await mkdtemp(join(tmpdir(), prefix));
    return { folder, remove: () => rm(folder, { recursive: true, force: true }) };
}
