// The harness itself, against a small page of its own: the server's answers and content types
// (a WebAssembly module only compiles from application/wasm), a key press reaching the page,
// colours read back from screenshots at pixel ratios 1 and 2, touch emulation, and the PNG
// decoder on pictures whose every byte is known.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { request } from 'node:http';
import { readFile, writeFile, mkdir, stat } from 'node:fs/promises';
import { join } from 'node:path';
import { deflateSync } from 'node:zlib';
import {
    chromiumFlags, decodePng, hex, launchBrowser, openPage, pixelAt, press, runScript, sameColour,
    screenshot, serve, temporaryFolder, paths,
} from './harness.mjs';

// A module exporting add(a, b) for two i32s.
const addWasm = Buffer.from([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,
    0x01, 0x07, 0x01, 0x60, 0x02, 0x7f, 0x7f, 0x01, 0x7f,
    0x03, 0x02, 0x01, 0x00,
    0x07, 0x07, 0x01, 0x03, 0x61, 0x64, 0x64, 0x00, 0x00,
    0x0a, 0x09, 0x01, 0x07, 0x00, 0x20, 0x00, 0x20, 0x01, 0x6a, 0x0b,
]);

// A 160 × 120 page: grey, with a red box at (10, 20) of 50 × 40 and a blue one at (61, 20) of 1 × 1
// (one CSS pixel, which at a ratio of 2 is four device pixels).
const page = `<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>harness</title>
<meta name="viewport" content="width=device-width">
<link rel="icon" href="data:,">
<link rel="stylesheet" href="style.css">
<script src="page.js" defer></script></head>
<body><div id="box"></div><div id="dot"></div></body></html>
`;
const css = `html, body { margin: 0; background: rgb(128, 128, 128); }
#box { position: absolute; left: 10px; top: 20px; width: 50px; height: 40px; background: rgb(200, 30, 60); }
#dot { position: absolute; left: 61px; top: 20px; width: 1px; height: 1px; background: rgb(0, 0, 255); }
`;
const script = `window.keys = '';
addEventListener('keydown', (event) => {
    if (['Alt', 'Shift', 'Control'].includes(event.key)) return;
    window.keys += (event.altKey ? 'Alt+' : '') + (event.shiftKey ? 'Shift+' : '') + event.key + ' ';
});
window.coarse = matchMedia('(pointer: coarse)').matches;
window.wasm = WebAssembly.instantiateStreaming(fetch('add.wasm'))
    .then(({ instance }) => instance.exports.add(2, 3), (error) => 'failed: ' + error.message);
`;

let top, site, server, browser;

before(async () => {
    top = await temporaryFolder();
    await writeFile(join(top.folder, 'secret.txt'), 'secret');
    site = { folder: join(top.folder, 'site') };
    await mkdir(site.folder);
    await writeFile(join(site.folder, 'index.html'), page);
    await writeFile(join(site.folder, 'style.css'), css);
    await writeFile(join(site.folder, 'page.js'), script);
    await writeFile(join(site.folder, 'add.wasm'), addWasm);
    for (const extension of ['.woff2', '.jpg', '.bmp', '.png']) {
        await writeFile(join(site.folder, 'file' + extension), 'x');
    }
    await mkdir(join(site.folder, 'sub'));
    await writeFile(join(site.folder, 'sub', 'index.html'), '<p>sub</p>');
    server = await serve(site.folder);
    browser = await launchBrowser();
});

after(async () => {
    await browser?.close();
    await server?.close();
    await top?.remove();
});

// A raw GET, so that paths reach the server exactly as written.
function get(path) {
    return new Promise((done, fail) => {
        const req = request({ host: '127.0.0.1', port: server.port, path, method: 'GET' }, (res) => {
            const chunks = [];
            res.on('data', (chunk) => chunks.push(chunk));
            res.on('end', () => done({ status: res.statusCode, type: res.headers['content-type'],
                                       body: Buffer.concat(chunks) }));
        });
        req.on('error', fail);
        req.end();
    });
}

test('the server answers on 127.0.0.1 with each file type the site holds', async () => {
    assert.match(server.url, /^http:\/\/127\.0\.0\.1:\d+\/$/);
    assert.notEqual(server.port, 0);
    const cases = [
        ['/', 'text/html; charset=utf-8'],
        ['/index.html', 'text/html; charset=utf-8'],
        ['/page.js', 'text/javascript; charset=utf-8'],
        ['/style.css', 'text/css; charset=utf-8'],
        ['/add.wasm', 'application/wasm'],
        ['/file.woff2', 'font/woff2'],
        ['/file.jpg', 'image/jpeg'],
        ['/file.bmp', 'image/bmp'],
        ['/file.png', 'image/png'],
        ['/sub/', 'text/html; charset=utf-8'],
        ['/page.js?v=1', 'text/javascript; charset=utf-8'],
    ];
    for (const [path, type] of cases) {
        const answer = await get(path);
        assert.equal(answer.status, 200, path);
        assert.equal(answer.type, type, path);
    }
    assert.deepEqual((await get('/add.wasm')).body, addWasm);
});

test('the server gives nothing outside its folder and no file that is not there', async () => {
    // A file beside the served folder, which every way up out of it must miss.
    const cases = [
        ['/missing.html', 404],
        ['/sub/missing/', 404],
        ['/../secret.txt', 404],
        ['/%2e%2e/secret.txt', 404],
        ['/..%2fsecret.txt', 403],
        ['/sub/..%2f..%2fsecret.txt', 403],
        ['/%00', 403],
    ];
    for (const [path, status] of cases) {
        const answer = await get(path);
        assert.equal(answer.status, status, path);
        assert.ok(!answer.body.includes('secret'), path);
    }
});

test('chromium runs headless with the harness flags and a profile it removes', async () => {
    const args = browser.process()?.spawnargs ?? [];
    for (const flag of chromiumFlags) assert.ok(args.includes(flag), `${flag} in ${args.join(' ')}`);
    const profile = args.find((arg) => arg.startsWith('--user-data-dir='))?.slice('--user-data-dir='.length);
    assert.ok(profile, 'a profile of its own');
    assert.ok((await stat(profile)).isDirectory());

    const other = await launchBrowser();
    const otherProfile = other.process().spawnargs.find((arg) => arg.startsWith('--user-data-dir='));
    assert.notEqual(otherProfile, `--user-data-dir=${profile}`);
    await other.close();
    await assert.rejects(stat(otherProfile.slice('--user-data-dir='.length)), { code: 'ENOENT' });
});

test('the page loads its WebAssembly and receives key presses', async () => {
    const tab = await openPage(browser, server.url, { width: 160, height: 120 });
    try {
        assert.equal(await tab.evaluate(() => window.wasm), 5);
        for (const chord of ['d', 'a', 'F5', 'Alt+h', 'Shift+Tab', 'd']) await press(tab, chord);
        // Each modifier came up again: the last "d" arrives alone.
        assert.equal(await tab.evaluate(() => window.keys), 'd a F5 Alt+h Shift+Tab d ');
        assert.deepEqual(tab.kostkolamErrors, []);
    } finally {
        await tab.close();
    }
});

test('screenshots give the colour of a CSS pixel at pixel ratios 1 and 2', async () => {
    const grey = { r: 128, g: 128, b: 128 };
    const red = { r: 200, g: 30, b: 60 };
    const blue = { r: 0, g: 0, b: 255 };
    // Each box's corners and the pixels just outside them.
    const samples = [
        [10, 20, red], [59, 59, red], [35, 40, red],
        [9, 20, grey], [10, 19, grey], [60, 59, grey], [59, 60, grey],
        [61, 20, blue], [62, 20, grey], [61, 21, grey], [60, 20, grey],
        [0, 0, grey], [159, 119, grey],
    ];
    for (const deviceScaleFactor of [1, 2]) {
        const tab = await openPage(browser, server.url, { width: 160, height: 120, deviceScaleFactor });
        try {
            const file = join(paths.screenshots, 'harness', `page-dpr${deviceScaleFactor}.png`);
            const picture = await screenshot(tab, file);
            assert.equal(picture.width, 160 * deviceScaleFactor);
            assert.equal(picture.height, 120 * deviceScaleFactor);
            assert.ok((await stat(file)).size > 0);
            for (const [x, y, colour] of samples) {
                const seen = pixelAt(picture, x, y);
                assert.ok(sameColour(seen, colour),
                          `(${x}, ${y}) at ratio ${deviceScaleFactor}: ${hex(seen)}, not ${hex(colour)}`);
            }
            assert.throws(() => pixelAt(picture, 160, 0), RangeError);
        } finally {
            await tab.close();
        }
    }
});

test('touch emulation gives the page a coarse pointer, and only when asked', async () => {
    for (const touch of [true, false]) {
        const tab = await openPage(browser, server.url, { width: 390, height: 844, deviceScaleFactor: 2,
                                                          touch, mobile: touch });
        try {
            assert.equal(await tab.evaluate(() => window.coarse), touch);
            assert.equal(await tab.evaluate(() => matchMedia('(pointer: coarse)').matches), touch);
            assert.equal(await tab.evaluate(() => 'ontouchstart' in window), touch);
        } finally {
            await tab.close();
        }
    }
});

test('a scenario plays through the node runner to its expected output', async () => {
    const scenarios = join(paths.top, 'tests', 'scenarios', 'menus');
    const scenario = await readFile(join(scenarios, 'help-level.txt'), 'utf8');
    const expected = await readFile(join(scenarios, 'help-level.expected'), 'utf8');
    const played = await runScript(scenario);
    assert.equal(played.stderr, '');
    assert.equal(played.status, 0);
    assert.equal(played.stdout, expected);
    // The runner's own error for a line it cannot read, on standard error with a failure status.
    const broken = await runScript('screens\nadvance soon\n');
    assert.equal(broken.status, 2);
    assert.match(broken.stdout, /^frmCihlolam=shown /);
    assert.equal(broken.stderr, "error: line 2: not a whole number: 'soon'\n");
});

// PNGs whose every byte is known: each filter type on each row, in the colour types chromium and
// other tools write.
function chunk(type, body) {
    const crcTable = Array.from({ length: 256 }, (_, n) => {
        let c = n;
        for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        return c >>> 0;
    });
    const typed = Buffer.concat([Buffer.from(type, 'latin1'), body]);
    let crc = 0xffffffff;
    for (const byte of typed) crc = crcTable[(crc ^ byte) & 0xff] ^ (crc >>> 8);
    const out = Buffer.alloc(12 + body.length);
    out.writeUInt32BE(body.length, 0);
    typed.copy(out, 4);
    out.writeUInt32BE((crc ^ 0xffffffff) >>> 0, 8 + body.length);
    return out;
}

function encodePng(width, height, colourType, channels, samples, filters, extra = []) {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header[8] = 8;
    header[9] = colourType;
    const stride = width * channels;
    const raw = [];
    for (let y = 0; y < height; ++y) {
        const filter = filters[y % filters.length];
        raw.push(filter);
        for (let i = 0; i < stride; ++i) {
            const at = y * stride + i;
            const a = i >= channels ? samples[at - channels] : 0;
            const b = y > 0 ? samples[at - stride] : 0;
            const c = y > 0 && i >= channels ? samples[at - stride - channels] : 0;
            const p = a + b - c;
            const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
                        : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
            const predictor = [0, a, b, (a + b) >> 1, paeth][filter];
            raw.push((samples[at] - predictor) & 0xff);
        }
    }
    // Split in two IDAT chunks, as large pictures are.
    const compressed = deflateSync(Buffer.from(raw));
    const half = compressed.length >> 1;
    return Buffer.concat([
        Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
        chunk('IHDR', header), ...extra,
        chunk('IDAT', compressed.subarray(0, half)), chunk('IDAT', compressed.subarray(half)),
        chunk('IEND', Buffer.alloc(0)),
    ]);
}

test('the PNG decoder undoes every filter in every 8-bit colour type', () => {
    const width = 7, height = 10;
    let seed = 12345;
    const random = () => (seed = (seed * 1103515245 + 12345) & 0x7fffffff) >> 16 & 0xff;
    const palette = Buffer.from(Array.from({ length: 16 * 3 }, random));
    const cases = [
        { colourType: 6, channels: 4, rgba: (s) => [s[0], s[1], s[2], s[3]] },
        { colourType: 2, channels: 3, rgba: (s) => [s[0], s[1], s[2], 255] },
        { colourType: 0, channels: 1, rgba: (s) => [s[0], s[0], s[0], 255] },
        { colourType: 4, channels: 2, rgba: (s) => [s[0], s[0], s[0], s[1]] },
        { colourType: 3, channels: 1, range: 16, extra: [chunk('PLTE', palette), chunk('tRNS', Buffer.from([7, 9]))],
          rgba: (s) => [palette[s[0] * 3], palette[s[0] * 3 + 1], palette[s[0] * 3 + 2],
                        s[0] === 0 ? 7 : s[0] === 1 ? 9 : 255] },
    ];
    for (const { colourType, channels, rgba, range = 256, extra = [] } of cases) {
        const samples = Array.from({ length: width * height * channels }, () => random() % range);
        const png = encodePng(width, height, colourType, channels, samples, [0, 1, 2, 3, 4], extra);
        const picture = decodePng(png);
        assert.equal(picture.width, width);
        assert.equal(picture.height, height);
        const expected = [];
        for (let p = 0; p < width * height; ++p) expected.push(...rgba(samples.slice(p * channels, (p + 1) * channels)));
        assert.deepEqual([...picture.data], expected, `colour type ${colourType}`);
    }
});

test('the PNG decoder refuses what it cannot read', () => {
    const good = encodePng(2, 2, 2, 3, Array(12).fill(1), [0]);
    assert.throws(() => decodePng(Buffer.from('GIF89a')), /not a PNG/);
    assert.throws(() => decodePng(good.subarray(0, 40)), /cut short|without a header/);
    const sixteenBit = Buffer.from(good);
    sixteenBit[8 + 8 + 8] = 16;
    assert.throws(() => decodePng(sixteenBit), /unsupported PNG/);
    const badFilter = encodePng(2, 2, 2, 3, Array(12).fill(1), [0]);
    // Rebuild with a row filter of 5.
    const raw = deflateSync(Buffer.from([5, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1]));
    const header = badFilter.subarray(8, 8 + 25);
    const broken = Buffer.concat([badFilter.subarray(0, 8), header, chunk('IDAT', raw), chunk('IEND', Buffer.alloc(0))]);
    assert.throws(() => decodePng(broken), /unknown filter 5/);
});
