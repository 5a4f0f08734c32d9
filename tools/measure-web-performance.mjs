// Measures the browser edition beside the desktop game in one run: what the page transfers, the
// time from navigation to the first drawn title in headless Chromium, the CPU of all of
// Chromium's processes while a level plays (against the desktop game's on the same level, in the
// same run) and while the page is idle. Run by tools/measure-web-performance.sh, which builds both
// editions and starts the private X display the desktop game needs; by hand, never by the tests.
//
//   node tools/measure-web-performance.mjs
//
// Environment: SITE_DIR (the built page, default build-web/site), OUT_DIR (default
// build-web/performance), AUTOPLAY (the desktop game's autoplay bench, default
// build/bench/kostkolam-autoplay; needs DISPLAY, and XVFB_PID to count the display server's
// share), BENCH_DIR (the bench build of the page's program, default build-web/bench-site),
// COMPARE_SITE_DIR (another build of the site, its start-up timed beside this one's), CHROMIUM
// (default /usr/bin/chromium), VIEWPORT (the page's size, 1024x768), RUNS (page loads per
// cache state, 9), PLAY_RUNS (3), PLAY_SECONDS (20), IDLE_SECONDS (10), PHASES (the parts to run,
// startup,idle,play), QUIET_LOAD (wait for a 1-minute load below this before each phase, 1.5) and
// QUIET_WAIT (longest wait for it in seconds, 300). Writes OUT_DIR/results.md and every sample to OUT_DIR/raw.jsonl.

import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const env = process.env;
const SITE = path.resolve(env.SITE_DIR || path.join(repo, 'build-web/site'));
const OUT = path.resolve(env.OUT_DIR || path.join(repo, 'build-web/performance'));
const BENCH = path.resolve(env.BENCH_DIR || path.join(repo, 'build-web/bench-site'));
// Another build of the site whose start-up is timed beside this one's, load for load.
const COMPARE_SITE = env.COMPARE_SITE_DIR ? path.resolve(env.COMPARE_SITE_DIR) : null;
const AUTOPLAY = env.AUTOPLAY || path.join(repo, 'build/bench/kostkolam-autoplay');
const XVFB_PID = env.XVFB_PID ? Number(env.XVFB_PID) : null;
const CHROMIUM = env.CHROMIUM || '/usr/bin/chromium';
const RUNS = Number(env.RUNS || 9);
const PLAY_RUNS = Number(env.PLAY_RUNS || 3);
const PLAY_SECONDS = Number(env.PLAY_SECONDS || 20);
const IDLE_SECONDS = Number(env.IDLE_SECONDS || 10);
const QUIET_LOAD = Number(env.QUIET_LOAD || 1.5);
const QUIET_WAIT = Number(env.QUIET_WAIT || 300);
// Which parts run (all by default); the sizes are always written.
const PHASES = new Set((env.PHASES || 'startup,idle,play').split(','));
// The page's size in CSS pixels: a small desktop's browser window.
const VIEWPORT = Object.fromEntries(
  ['width', 'height'].map((k, i) => [k, Number((env.VIEWPORT || '1024x768').split('x')[i])]));
const HZ = Number(execFileSync('getconf', ['CLK_TCK']).toString());

// The flags Chromium runs with here, as root in a container, plus a fresh profile for every
// browser started.
const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
// The paddle is typed towards the ball while their centres are further apart than this, in
// playfield units, as the desktop autoplay does.
const DEAD_BAND_UNITS = 2;

const log = (...args) => console.error(...args);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => {
  const v = values.filter((x) => Number.isFinite(x)).sort((a, b) => a - b);
  return v.length ? v[Math.floor((v.length - 1) / 2)] : NaN;
};
const fixed = (x, digits = 2) => (Number.isFinite(x) ? x.toFixed(digits) : 'n/a');

fs.mkdirSync(OUT, { recursive: true });
const rawPath = path.join(OUT, 'raw.jsonl');
fs.writeFileSync(rawPath, '');
const record = (object) => {
  fs.appendFileSync(rawPath, `${JSON.stringify(object)}\n`);
  return object;
};

// ---------------------------------------------------------------------------------------------
// puppeteer-core: the project's pinned copy, which tools/build-web.sh installs with `npm ci` into
// build-web/npm (KOSTKOLAM_NPM_DIR, as for the browser tests), or one in PUPPETEER_PREFIX.

function loadPuppeteer() {
  const prefixes = [env.PUPPETEER_PREFIX, env.KOSTKOLAM_NPM_DIR, path.join(repo, 'build-web/npm')]
    .filter(Boolean);
  for (const prefix of prefixes) {
    try {
      return createRequire(path.join(prefix, 'package.json'))('puppeteer-core');
    } catch {
      // not installed there
    }
  }
  throw new Error(`no puppeteer-core under ${prefixes.join(', ')}: run tools/build-web.sh`);
}
const puppeteer = loadPuppeteer();

// ---------------------------------------------------------------------------------------------
// The load on the machine, and waiting for a quieter moment

const loadavg = () => fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).map(Number);
const phaseLoads = [];

async function waitForQuiet(phase) {
  let waited = 0;
  while (loadavg()[0] > QUIET_LOAD && waited < QUIET_WAIT) {
    log(`load ${loadavg()[0]} above ${QUIET_LOAD}; waiting before ${phase}`);
    await sleep(15000);
    waited += 15;
  }
  const entry = { phase, load: loadavg(), waited_s: waited, at: new Date().toISOString() };
  phaseLoads.push(entry);
  record({ phase_load: entry });
  log(`${phase}: load ${entry.load.join(' ')}`);
  return entry;
}

// ---------------------------------------------------------------------------------------------
// Processes: Chromium's whole tree, their CPU ticks and wake-ups

function readStat(pid) {
  try {
    const text = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    const close = text.lastIndexOf(')');
    const fields = text.slice(close + 2).split(' ');
    // fields[0] is field 3 (state): ppid is field 4, utime 14, stime 15.
    return {
      comm: text.slice(text.indexOf('(') + 1, close),
      ppid: Number(fields[1]),
      ticks: Number(fields[11]) + Number(fields[12]),
    };
  } catch {
    return null;
  }
}

function processKind(pid) {
  try {
    // Chromium rewrites the command lines of the processes it forks, NULs becoming blanks.
    const cmdline = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split(/[\0 ]/);
    const type = cmdline.find((a) => a.startsWith('--type='));
    if (!type) return 'browser';
    const kind = type.slice(7);
    const service = cmdline.find((a) => a.startsWith('--utility-sub-type='));
    if (kind === 'utility' && service) return `utility ${service.slice(19).split('.').pop()}`;
    if (kind === 'zygote') return 'zygote';
    return kind;
  } catch {
    return 'gone';
  }
}

function threadsOf(pid) {
  const threads = [];
  let tids = [];
  try {
    tids = fs.readdirSync(`/proc/${pid}/task`);
  } catch {
    return threads;
  }
  for (const tid of tids) {
    const stat = readStat(`${pid}/task/${tid}`);
    if (!stat) continue;
    let switches = 0;
    try {
      const status = fs.readFileSync(`/proc/${pid}/task/${tid}/status`, 'utf8');
      for (const m of status.matchAll(/ctxt_switches:\s+(\d+)/g)) switches += Number(m[1]);
    } catch {
      continue;
    }
    threads.push({ tid: Number(tid), name: stat.comm, ticks: stat.ticks, switches });
  }
  return threads;
}

/// Every process descending from ROOT (itself included) with its CPU ticks, wake-ups (context
/// switches of all its threads) and threads.
function snapshotTree(root) {
  const parents = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    const stat = readStat(entry);
    if (stat) parents.set(Number(entry), stat);
  }
  const inTree = (pid) => {
    for (let p = pid, depth = 0; p > 1 && depth < 20; ++depth) {
      if (p === root) return true;
      p = parents.get(p)?.ppid ?? 0;
    }
    return false;
  };
  const processes = new Map();
  for (const [pid, stat] of parents) {
    if (!inTree(pid)) continue;
    const threads = threadsOf(pid);
    processes.set(pid, {
      pid, kind: processKind(pid), ticks: stat.ticks, threads,
      switches: threads.reduce((s, t) => s + t.switches, 0),
    });
  }
  return { at: performance.now(), processes };
}

/// What each process of the tree used between two snapshots: a process born meanwhile counts
/// in full; one that ended meanwhile is listed as gone (its last ticks are lost).
function treeDelta(before, after) {
  const seconds = (after.at - before.at) / 1000;
  const rows = [];
  let gone = 0;
  for (const [pid, a] of after.processes) {
    const b = before.processes.get(pid);
    const threadTicks = new Map((b?.threads || []).map((t) => [t.tid, t]));
    const busyThreads = a.threads.map((t) => {
      const t0 = threadTicks.get(t.tid);
      return { name: t.name, ticks: t.ticks - (t0?.ticks || 0), switches: t.switches - (t0?.switches || 0) };
    }).filter((t) => t.ticks > 0 || t.switches > 0).sort((x, y) => y.switches - x.switches);
    rows.push({
      pid, kind: a.kind, born: !b, ticks: a.ticks - (b?.ticks || 0),
      switches: a.switches - (b?.switches || 0), threads: busyThreads,
    });
  }
  for (const pid of before.processes.keys()) if (!after.processes.has(pid)) ++gone;
  const ticks = rows.reduce((s, r) => s + r.ticks, 0);
  return {
    seconds, ticks, cpu_percent: (100 * ticks) / HZ / seconds,
    switches: rows.reduce((s, r) => s + r.switches, 0), gone, processes: rows,
  };
}

/// Sums a delta's CPU and wake-ups by process kind (browser, renderer, gpu-process, ...).
function byKind(delta) {
  const kinds = {};
  for (const r of delta.processes) {
    const k = (kinds[r.kind] ||= { ticks: 0, switches: 0 });
    k.ticks += r.ticks;
    k.switches += r.switches;
  }
  for (const k of Object.values(kinds)) k.cpu_percent = (100 * k.ticks) / HZ / delta.seconds;
  return kinds;
}

// ---------------------------------------------------------------------------------------------
// The static server: python3's, as the README tells a player to try the page, serving the site
// and a bare page beside it from one folder.

async function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

// The bare page: the title's photograph at its natural size on an otherwise empty page, the
// least a page can do to show the title screen's picture.
const BARE_PAGE = `<!DOCTYPE html>
<html lang="cs"><head><meta charset="utf-8"><title>Fotografie</title>
<style>html, body { margin: 0; background: #3b6e8f; }</style></head>
<body><img src="bg_title_rocket.jpg" alt="" elementtiming="photo"></body></html>
`;

// The bare ball: the same photograph with a ball of the game's size (16 x 17 pixels) moved by 4
// and 2 pixels every PERIOD milliseconds (?period=) from one browser timeout, bouncing off the
// photograph's edges: the least a page spends on a game tick, as the desktop study's bare Qt
// window with --ball is the least a Qt window spends.
const BARE_BALL_PAGE = `<!DOCTYPE html>
<html lang="cs"><head><meta charset="utf-8"><title>Míček</title>
<style>html, body { margin: 0; background: #3b6e8f; }
#area { position: relative; width: 327px; height: 289px; margin: 40px;
        background: url("bg_title_rocket.jpg"); }
#ball { position: absolute; left: 0; top: 0; width: 16px; height: 17px; box-sizing: border-box;
        border: 1px solid #000; border-radius: 50%; background: #ff0; }</style></head>
<body><div id="area"><div id="ball"></div></div>
<script>
const period = Number(new URLSearchParams(location.search).get('period') || 50);
const ball = document.getElementById('ball');
let x = 0, y = 0, dx = 4, dy = 2;
function step() {
  if (x + dx < 0 || x + dx > 327 - 16) dx = -dx;
  if (y + dy < 0 || y + dy > 289 - 17) dy = -dy;
  x += dx;
  y += dy;
  ball.style.left = x + 'px';
  ball.style.top = y + 'px';
  setTimeout(step, period);
}
setTimeout(step, period);
</script></body></html>
`;

async function startServer() {
  const root = path.join(OUT, 'www');
  fs.rmSync(root, { recursive: true, force: true });
  fs.mkdirSync(path.join(root, 'bare'), { recursive: true });
  fs.symlinkSync(SITE, path.join(root, 'site'));
  if (COMPARE_SITE) fs.symlinkSync(COMPARE_SITE, path.join(root, 'compare'));
  // The bench page: the site with the bench build of the program in place of the page's own.
  fs.mkdirSync(path.join(root, 'bench'));
  for (const entry of fs.readdirSync(SITE)) {
    const from = /^kostkolam\.(js|wasm)$/.test(entry) ? BENCH : SITE;
    fs.symlinkSync(path.join(from, entry), path.join(root, 'bench', entry));
  }
  fs.writeFileSync(path.join(root, 'bare/index.html'), BARE_PAGE);
  fs.writeFileSync(path.join(root, 'bare/ball.html'), BARE_BALL_PAGE);
  fs.copyFileSync(path.join(SITE, 'pictures/bg_title_rocket.jpg'),
                  path.join(root, 'bare/bg_title_rocket.jpg'));
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1',
                                   '--directory', root], { stdio: ['ignore', 'ignore', 'ignore'] });
  const origin = `http://127.0.0.1:${port}`;
  for (let i = 0; i < 100; ++i) {
    try {
      if ((await fetch(`${origin}/bare/`)).ok) return { server, origin };
    } catch {
      // not listening yet
    }
    await sleep(100);
  }
  server.kill();
  throw new Error('the static server did not start');
}

// ---------------------------------------------------------------------------------------------
// The browser

const profiles = [];

async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kostkolam-perf-chromium-'));
  profiles.push(profile);
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: CHROMIUM_FLAGS,
    defaultViewport: VIEWPORT,
  });
  return browser;
}

async function closeBrowser(browser) {
  try {
    await browser.close();
  } catch {
    browser.process()?.kill('SIGKILL');
  }
}

// Put into every page before its own scripts: counts every timer and animation-frame callback
// the page runs, and notes when the title window first shows and when its caption and its
// photograph are first painted (Element Timing).
const INSTRUMENT = () => {
  const counts = { timeout: 0, interval: 0, animationFrame: 0, idleCallback: 0 };
  const marks = {};
  const elementTimings = [];
  const largestPaints = [];
  const original = { rAF: window.requestAnimationFrame.bind(window) };
  const wrap = (name, kind) => {
    const real = window[name];
    if (!real) return;
    window[name] = function (callback, ...rest) {
      if (typeof callback === 'function') {
        const inner = callback;
        callback = function (...args) {
          ++counts[kind];
          return inner.apply(this, args);
        };
      }
      return real.call(window, callback, ...rest);
    };
  };
  wrap('setTimeout', 'timeout');
  wrap('setInterval', 'interval');
  wrap('requestAnimationFrame', 'animationFrame');
  wrap('requestIdleCallback', 'idleCallback');
  window.__kkPerf = { counts, marks, elementTimings, largestPaints };

  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) {
      elementTimings.push({ id: e.identifier, renderTime: e.renderTime, loadTime: e.loadTime });
    }
  }).observe({ type: 'element', buffered: true });
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) {
      largestPaints.push({
        startTime: e.startTime, renderTime: e.renderTime, loadTime: e.loadTime, size: e.size,
        element: e.element ? `${e.element.tagName.toLowerCase()}.${e.element.className}` : null,
      });
    }
  }).observe({ type: 'largest-contentful-paint', buffered: true });

  const watch = () => {
    new MutationObserver(() => {
      if (marks.titleShown) return;
      const title = document.querySelector('section.window[data-screen="frmCihlolam"]');
      if (!title) return;
      if (!title.getAttribute('elementtiming')) {
        title.querySelector('.title-bar .title')?.setAttribute('elementtiming', 'title-caption');
        title.querySelector('.client')?.setAttribute('elementtiming', 'title-photo');
        title.setAttribute('elementtiming', 'watched');
      }
      if (title.hidden) return;
      marks.titleShown = performance.now();
      original.rAF((t) => {
        marks.titleFrame = t;
        original.rAF((t2) => { marks.titleNextFrame = t2; });
      });
    }).observe(document.documentElement, { subtree: true, childList: true, attributes: true,
                                           attributeFilter: ['hidden'] });
  };
  if (document.documentElement) watch();
  else document.addEventListener('readystatechange', watch, { once: true });
};

async function instrumentedPage(browser) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(INSTRUMENT);
  return page;
}

async function gameReady(page) {
  await page.waitForFunction(() => Boolean(window.kostkolam && window.kostkolam.ready), { timeout: 60000 });
  await page.evaluate(() => window.kostkolam.ready.then(() => {
    window.__kkPerf.marks.ready = performance.now();
  }));
}

// ---------------------------------------------------------------------------------------------
// (a) What the page transfers: every file a browser fetched from the site in this run

const requested = new Set();
function noteRequests(page, origin) {
  page.on('requestfinished', (request) => {
    const url = request.url();
    if (url.startsWith(`${origin}/site/`)) {
      requested.add(decodeURIComponent(new URL(url).pathname.slice('/site/'.length)) || 'index.html');
    }
  });
}

function sizes() {
  const all = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full);
      else all.push(path.relative(SITE, full));
    }
  };
  walk(SITE);
  const rows = all.sort().map((file) => {
    const data = fs.readFileSync(path.join(SITE, file));
    const gzip = execFileSync('gzip', ['-9', '-n', '-c'], { input: data, maxBuffer: 1 << 28 }).length;
    const brotli = zlib.brotliCompressSync(data, {
      params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11, [zlib.constants.BROTLI_PARAM_SIZE_HINT]: data.length },
    }).length;
    const code = /\.(js|wasm)$/.test(file);
    return { file, raw: data.length, gzip, brotli, code, loaded: requested.has(file) };
  });
  for (const row of rows) record({ size: row });
  return rows;
}

// ---------------------------------------------------------------------------------------------
// (b) Navigation to the first drawn title, cold and warm cache

async function loadTimes(page, url, kind) {
  await page.goto(url, { waitUntil: 'load', timeout: 60000 });
  if (kind === 'page') await gameReady(page);
  // Whatever is painted late (the photograph) reports within a few frames.
  await sleep(500);
  return page.evaluate(() => {
    const perf = window.__kkPerf;
    const nav = performance.getEntriesByType('navigation')[0];
    const paint = Object.fromEntries(performance.getEntriesByType('paint').map((e) => [e.name, e.startTime]));
    const resources = performance.getEntriesByType('resource').map((e) => ({
      name: e.name.split('/').pop(), start: e.startTime, end: e.responseEnd,
      transfer: e.transferSize, body: e.encodedBodySize,
    }));
    const timing = Object.fromEntries(perf.elementTimings.map((e) => [e.id, e.renderTime || e.loadTime]));
    return {
      responseEnd: nav.responseEnd, domContentLoaded: nav.domContentLoadedEventEnd,
      loadEvent: nav.loadEventEnd, transfer: nav.transferSize, fcp: paint['first-contentful-paint'],
      lcp: perf.largestPaints.at(-1) || null, elementTimings: timing, marks: perf.marks, resources,
    };
  });
}

async function measureStartup(origin) {
  await waitForQuiet('start-up');
  const samples = [];
  for (let run = 1; run <= RUNS; ++run) {
    const pages = [['bare', `${origin}/bare/`], ['page', `${origin}/site/`]];
    if (COMPARE_SITE) pages.push(['compare', `${origin}/compare/`]);
    for (const [kind, url] of pages) {
      const browser = await launchBrowser();
      try {
        for (const cache of ['cold', 'warm']) {
          const page = await instrumentedPage(browser);
          if (kind === 'page') noteRequests(page, origin);
          const t = await loadTimes(page, url, kind === 'bare' ? 'bare' : 'page');
          // A warm load comes after the cold one in the same browser: its HTTP cache and its
          // compiled-code cache hold what the first load left there.
          await page.close();
          const sample = record({ startup: kind, cache, run, load: loadavg()[0], ...t });
          samples.push(sample);
          log(`start-up ${kind} ${cache} ${run}: photo ${fixed(t.elementTimings['title-photo'] ?? t.elementTimings.photo, 1)} ms`);
        }
      } finally {
        await closeBrowser(browser);
      }
    }
  }
  return samples;
}

// ---------------------------------------------------------------------------------------------
// Playing in the page: F2 (or the bench page's way in), the countdown, the serve, and a player.

// The level window shown in front, and where its ball is (the place the game gave its element).
const LOOK = () => {
  const levels = [...document.querySelectorAll('section.window:not([hidden])')]
    .filter((w) => /^frmLevel\d$/.test(w.dataset.screen));
  const win = levels.at(-1);
  if (!win) return null;
  const ball = win.querySelector('[data-object="shpKulicka"]');
  return { screen: win.dataset.screen, ballShown: !ball.hidden, ballAt: ball.style.cssText };
};

async function pixelsPerUnit(page, screen) {
  return page.evaluate((s) => {
    const paddle = window.kostkolam.object(s, 'shpPosuvnik');
    return paddle.client.width / paddle.width;
  }, screen);
}

/// Waits until the level SCREEN has served: its ball has moved from where it was served.
async function waitForServe(page, screen, timeoutMs = 15000) {
  const start = Date.now();
  let first = null;
  while (Date.now() - start < timeoutMs) {
    const seen = await page.evaluate(LOOK);
    if (seen && seen.screen === screen && seen.ballShown) {
      if (first === null) first = seen.ballAt;
      else if (seen.ballAt !== first) return true;
    }
    await sleep(100);
  }
  return false;
}

// The player, inside the page: each time the game has moved the ball (placed its element), it
// compares the centres of the ball and the paddle and types "a" or "d" as a keydown event to the
// page's document, the road every key takes into the page's keys.js, as the desktop autoplay types into
// its window through QTest::keyClick after each tick. No automation traffic while it plays.
const PLAYER = (screen, deadBandPx) => {
  const win = document.querySelector(`section.window[data-screen="${screen}"]`);
  const ball = win.querySelector('[data-object="shpKulicka"]');
  const paddle = win.querySelector('[data-object="shpPosuvnik"]');
  const lives = win.querySelector('[data-object="lblZiv"]');
  // Where the page put the element: its left, or its translation where it is moved that way.
  const left = (node) => {
    const moved = /translate\(([-\d.]+)px/.exec(node.style.transform);
    return moved ? parseFloat(moved[1]) : parseFloat(node.style.left);
  };
  const centre = (node) => left(node) + parseFloat(node.style.width) / 2;
  const player = { moves: 0, keys: 0, lostBalls: 0, lives: lives.textContent };
  const type = (key) => {
    document.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
    ++player.keys;
  };
  new MutationObserver(() => {
    ++player.moves;
    if (lives.textContent !== player.lives) {
      ++player.lostBalls;
      player.lives = lives.textContent;
    }
    if (ball.hidden) return;
    const b = centre(ball), p = centre(paddle);
    if (p < b - deadBandPx) type('d');
    else if (p > b + deadBandPx) type('a');
  }).observe(ball, { attributes: true, attributeFilter: ['style'] });
  window.__kkPlayer = player;
};

/// A browser with the page at level LEVEL, served and playing. Level 1 is reached as a player
/// reaches it, by F2 on the title screen; level 3, which the player would reach only by clearing
/// levels 1 and 2 (a steered ball does not clear level 1 in four minutes), is opened at once by
/// the bench build of the page's program, as the desktop's autoplay bench opens it.
async function pageAtLevel(origin, level) {
  const browser = await launchBrowser();
  const page = await instrumentedPage(browser);
  const screen = `frmLevel${level}`;
  if (level === 1) {
    noteRequests(page, origin);
    await page.goto(`${origin}/site/`, { waitUntil: 'load' });
    await gameReady(page);
    await page.keyboard.press('F2');
  } else {
    await page.goto(`${origin}/bench/`, { waitUntil: 'load' });
    await gameReady(page);
    await page.evaluate((n) => window.kostkolam.benchLevel(n), level);
  }
  if (!(await waitForServe(page, screen))) throw new Error(`${screen} did not serve`);
  const scale = await pixelsPerUnit(page, screen);
  return { browser, page, screen, deadBandPx: DEAD_BAND_UNITS * scale };
}

async function cdpMetrics(page) {
  const session = await page.createCDPSession();
  await session.send('Performance.enable');
  return async () => {
    const { metrics } = await session.send('Performance.getMetrics');
    return Object.fromEntries(metrics.map((m) => [m.name, m.value]));
  };
}

function metricsDelta(a, b) {
  const names = ['TaskDuration', 'ScriptDuration', 'LayoutDuration', 'RecalcStyleDuration',
                 'LayoutCount', 'RecalcStyleCount'];
  return Object.fromEntries(names.map((n) => [n, b[n] - a[n]]));
}

// ---------------------------------------------------------------------------------------------
// (c) CPU while a level plays: the page, and the desktop game beside it

async function measurePagePlay(origin, level, run) {
  const { browser, page, screen, deadBandPx } = await pageAtLevel(origin, level);
  try {
    await page.evaluate(PLAYER, screen, deadBandPx);
    const metrics = await cdpMetrics(page);
    const pid = browser.process().pid;
    const m0 = await metrics();
    const counts0 = await page.evaluate(() => ({ ...window.__kkPerf.counts }));
    const game0 = await page.evaluate(() => window.kostkolam.now());
    const before = snapshotTree(pid);
    const load = loadavg();
    const player0 = await page.evaluate(() => ({ ...window.__kkPlayer }));
    await sleep(PLAY_SECONDS * 1000);
    const after = snapshotTree(pid);
    const m1 = await metrics();
    const counts1 = await page.evaluate(() => ({ ...window.__kkPerf.counts }));
    const game1 = await page.evaluate(() => window.kostkolam.now());
    const player1 = await page.evaluate(() => ({ ...window.__kkPlayer }));
    const steering = Object.fromEntries(['moves', 'keys', 'lostBalls'].map((k) => [k, player1[k] - player0[k]]));
    const delta = treeDelta(before, after);
    return record({
      play: 'page', level, run, load,
      cpu_percent: delta.cpu_percent, seconds: delta.seconds, by_kind: byKind(delta),
      switches: delta.switches, processes_gone: delta.gone, steering,
      threads: delta.processes.map((p) => ({ kind: p.kind, threads: [...p.threads].sort((x, y) => y.ticks - x.ticks).slice(0, 6) })),
      timeouts: counts1.timeout - counts0.timeout, animation_frames: counts1.animationFrame - counts0.animationFrame,
      game_ms: game1 - game0, metrics: metricsDelta(m0, m1),
    });
  } finally {
    await closeBrowser(browser);
  }
}

// The game tick's period on each measured level: level 3's 1 ms runs at the 16 ms floor.
const TICK_MS = { 1: 50, 3: 16 };

async function measureBareBall(origin, level, run) {
  const browser = await launchBrowser();
  try {
    const page = await instrumentedPage(browser);
    await page.goto(`${origin}/bare/ball.html?period=${TICK_MS[level]}`, { waitUntil: 'load' });
    await sleep(3000);
    const pid = browser.process().pid;
    const load = loadavg();
    const c0 = await page.evaluate(() => window.__kkPerf.counts.timeout);
    const before = snapshotTree(pid);
    await sleep(PLAY_SECONDS * 1000);
    const delta = treeDelta(before, snapshotTree(pid));
    const c1 = await page.evaluate(() => window.__kkPerf.counts.timeout);
    return record({
      play: 'bare ball', level, run, load, period_ms: TICK_MS[level], moves: c1 - c0,
      cpu_percent: delta.cpu_percent, seconds: delta.seconds, by_kind: byKind(delta),
    });
  } finally {
    await closeBrowser(browser);
  }
}

async function measureDesktopPlay(level, run) {
  const args = [String(level), String(PLAY_SECONDS)];
  if (XVFB_PID) args.push(String(XVFB_PID));
  const load = loadavg();
  const output = await new Promise((resolve, reject) => {
    const child = spawn(AUTOPLAY, args, { stdio: ['ignore', 'pipe', 'ignore'] });
    let text = '';
    child.stdout.on('data', (d) => { text += d; });
    child.on('error', reject);
    child.on('close', (status) => (status === 0 ? resolve(text) : reject(new Error(`autoplay: ${status}`))));
  });
  const result = JSON.parse(output.trim().split('\n').at(-1));
  return record({
    play: 'desktop', level, run, load, cpu_percent: result.cpu_percent,
    server_cpu_percent: result.server_cpu_percent ?? null, ticks: result.ticks, keys: result.keys,
    tick_median_ms: result.tick_interval_ms?.median, raw: result,
  });
}

// ---------------------------------------------------------------------------------------------
// (d) Idle: the title screen and a paused level, and the bare page as the browser's floor

async function idleSample(name, browser, page) {
  const metrics = await cdpMetrics(page);
  const pid = browser.process().pid;
  const m0 = await metrics();
  const c0 = await page.evaluate(() => ({ ...window.__kkPerf.counts }));
  const g0 = await page.evaluate(() => (window.kostkolam ? window.kostkolam.now() : 0));
  const before = snapshotTree(pid);
  const load = loadavg();
  await sleep(IDLE_SECONDS * 1000);
  const after = snapshotTree(pid);
  const m1 = await metrics();
  const c1 = await page.evaluate(() => ({ ...window.__kkPerf.counts }));
  const g1 = await page.evaluate(() => (window.kostkolam ? window.kostkolam.now() : 0));
  const delta = treeDelta(before, after);
  const callbacks = Object.fromEntries(Object.keys(c1).map((k) => [k, c1[k] - c0[k]]));
  return record({
    idle: name, load, seconds: delta.seconds, ticks: delta.ticks, cpu_percent: delta.cpu_percent,
    switches: delta.switches, by_kind: byKind(delta), callbacks, metrics: metricsDelta(m0, m1),
    game_clock_ms: g1 - g0,
    // The threads that woke up, per process: where any idle activity comes from.
    threads: delta.processes.map((p) => ({ kind: p.kind, threads: p.threads.slice(0, 8) })),
  });
}

async function measureIdle(origin) {
  await waitForQuiet('idle');
  const results = [];
  {
    const browser = await launchBrowser();
    try {
      const page = await instrumentedPage(browser);
      await page.goto(`${origin}/bare/`, { waitUntil: 'load' });
      await sleep(2000);
      results.push(await idleSample('bare page', browser, page));
    } finally {
      await closeBrowser(browser);
    }
  }
  {
    const browser = await launchBrowser();
    try {
      const page = await instrumentedPage(browser);
      noteRequests(page, origin);
      await page.goto(`${origin}/site/`, { waitUntil: 'load' });
      await gameReady(page);
      await sleep(2000);
      results.push(await idleSample('title screen', browser, page));
      await page.keyboard.press('F2');
      if (!(await waitForServe(page, 'frmLevel1'))) throw new Error('level 1 did not serve');
      await page.keyboard.press('F5');
      await sleep(1000);
      results.push(await idleSample('level 1 paused', browser, page));
    } finally {
      await closeBrowser(browser);
    }
  }
  return results;
}

// ---------------------------------------------------------------------------------------------
// The run

const cleanups = [];
async function main() {
  const started = new Date();
  const { server, origin } = await startServer();
  cleanups.push(() => server.kill());
  const chromiumVersion = execFileSync(CHROMIUM, ['--version']).toString().trim();
  record({ machine: { cores: os.cpus().length, cpu: os.cpus()[0]?.model, chromium: chromiumVersion, node: process.version } });

  const startup = PHASES.has('startup') ? await measureStartup(origin) : [];
  const idle = PHASES.has('idle') ? await measureIdle(origin) : [];

  const play = [];
  const desktopAvailable = fs.existsSync(AUTOPLAY) && env.DISPLAY;
  for (const level of PHASES.has('play') ? [1, 3] : []) {
    for (let run = 1; run <= PLAY_RUNS; ++run) {
      await waitForQuiet(`play level ${level}, run ${run}`);
      if (desktopAvailable) {
        play.push(await measureDesktopPlay(level, run));
        log(`desktop level ${level}: ${fixed(play.at(-1).cpu_percent)}% + Xvfb ${fixed(play.at(-1).server_cpu_percent)}%`);
      }
      play.push(await measurePagePlay(origin, level, run));
      log(`page level ${level}: ${fixed(play.at(-1).cpu_percent)}%`);
      play.push(await measureBareBall(origin, level, run));
      log(`bare ball every ${TICK_MS[level]} ms: ${fixed(play.at(-1).cpu_percent)}%`);
    }
  }
  const files = sizes();
  fs.writeFileSync(path.join(OUT, 'results.md'),
                   report({ started, chromiumVersion, startup, idle, play, files }));
  process.stdout.write(fs.readFileSync(path.join(OUT, 'results.md'), 'utf8'));
}

// ---------------------------------------------------------------------------------------------
// The table

function report({ started, chromiumVersion, startup, idle, play, files }) {
  const kib = (n) => (n / 1024).toFixed(1);
  const lines = [];
  const out = (s = '') => lines.push(s);
  out(`# Kostkolam in the browser, performance, ${started.toISOString().slice(0, 16).replace('T', ' ')} UTC`);
  out();
  out(`Machine: ${os.cpus().length} cores, ${os.cpus()[0]?.model}. ${chromiumVersion}, headless, ` +
      `flags ${CHROMIUM_FLAGS.join(' ')} (and puppeteer-core's defaults), a fresh profile per browser.`);
  out('Load (1, 5, 15 min) when each phase began:');
  out();
  for (const p of phaseLoads) out(`- ${p.phase}: ${p.load.join(' ')}${p.waited_s ? ` (after waiting ${p.waited_s} s)` : ''}`);
  out();

  out('## What the page transfers');
  out();
  out('| File | loaded | raw KiB | gzip -9 KiB | brotli KiB |');
  out('| --- | --- | ---: | ---: | ---: |');
  for (const f of files) out(`| ${f.file} | ${f.loaded ? 'yes' : 'no'} | ${kib(f.raw)} | ${kib(f.gzip)} | ${kib(f.brotli)} |`);
  const sum = (rows, k) => rows.reduce((s, r) => s + r[k], 0);
  const loaded = files.filter((f) => f.loaded);
  const code = loaded.filter((f) => f.code), data = loaded.filter((f) => !f.code);
  out();
  out(`- Code (js + wasm): ${kib(sum(code, 'raw'))} KiB raw, **${kib(sum(code, 'gzip'))} KiB gzip -9** ` +
      `(aim at most 200), ${kib(sum(code, 'brotli'))} KiB brotli.`);
  out(`- Data (pictures, fonts, css, html, icon) as loaded: ${kib(sum(data, 'raw'))} KiB raw, ` +
      `${kib(sum(data, 'gzip'))} KiB gzip -9, ${kib(sum(data, 'brotli'))} KiB brotli.`);
  out(`- Not loaded by the page: ${files.filter((f) => !f.loaded).map((f) => f.file).join(', ') || 'none'}.`);
  out();

  out(`## Navigation start to the first drawn title (median of ${RUNS} loads each)`);
  out();
  out('| Page | cache | first contentful paint ms | caption painted ms | photograph painted ms | title shown ms | ready ms | wasm fetched ms |');
  out('| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: |');
  const pick = (kind, cache, f) => median(startup.filter((s) => s.startup === kind && s.cache === cache).map(f));
  const photo = (s) => s.elementTimings['title-photo'] ?? s.elementTimings.photo;
  const wasm = (s) => s.resources.find((r) => r.name === 'kostkolam.wasm')?.end;
  const names = { bare: 'bare photograph', page: 'Kostkolam', compare: `Kostkolam from ${COMPARE_SITE}` };
  for (const kind of COMPARE_SITE ? ['bare', 'page', 'compare'] : ['bare', 'page']) {
    for (const cache of ['cold', 'warm']) {
      out(`| ${names[kind]} | ${cache} | ${fixed(pick(kind, cache, (s) => s.fcp), 1)} | ` +
          `${fixed(pick(kind, cache, (s) => s.elementTimings['title-caption']), 1)} | ${fixed(pick(kind, cache, photo), 1)} | ` +
          `${fixed(pick(kind, cache, (s) => s.marks.titleShown), 1)} | ${fixed(pick(kind, cache, (s) => s.marks.ready), 1)} | ` +
          `${fixed(pick(kind, cache, wasm), 1)} |`);
    }
  }
  out();
  for (const cache of ['cold', 'warm']) {
    out(`- ${cache}: Kostkolam's title photograph painted at **${fixed(pick('page', cache, photo), 1)} ms** (aim under 200), ` +
        `${fixed(pick('page', cache, photo) / pick('bare', cache, photo))} x the bare photograph's.`);
  }
  out();

  out(`## Idle (${IDLE_SECONDS} s, all of Chromium's processes)`);
  out();
  out('| Screen | CPU ticks | % of a core | wake-ups | renderer ticks / wake-ups | GPU process ticks / wake-ups | browser ticks / wake-ups | timer / frame callbacks | main-thread task ms | game clock moved ms |');
  out('| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |');
  for (const s of idle) {
    const cb = Object.values(s.callbacks).reduce((a, b) => a + b, 0);
    const k = (name) => `${s.by_kind[name]?.ticks ?? 0} / ${s.by_kind[name]?.switches ?? 0}`;
    out(`| ${s.idle} | ${s.ticks} | ${fixed(s.cpu_percent)} | ${s.switches} | ${k('renderer')} | ${k('gpu-process')} | ${k('browser')} | ${cb} | ` +
        `${fixed(s.metrics.TaskDuration * 1000, 1)} | ${s.game_clock_ms} |`);
  }
  out();

  out(`## Play (${PLAY_SECONDS} s from the serve, ${PLAY_RUNS} runs per level; medians)`);
  out();
  out('| Level | desktop game % | its Xvfb % | desktop total % | page, all Chromium % | renderer % | GPU process % | browser % | page / desktop total | bare ball page % | page / bare ball page | keys (desktop / page) |');
  out('| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |');
  for (const level of [1, 3]) {
    const d = play.filter((p) => p.play === 'desktop' && p.level === level);
    const p = play.filter((q) => q.play === 'page' && q.level === level);
    const dTotal = median(d.map((x) => x.cpu_percent + (x.server_cpu_percent || 0)));
    const pTotal = median(p.map((x) => x.cpu_percent));
    const bTotal = median(play.filter((q) => q.play === 'bare ball' && q.level === level).map((x) => x.cpu_percent));
    const kind = (k) => median(p.map((x) => x.by_kind[k]?.cpu_percent ?? 0));
    out(`| ${level} | ${fixed(median(d.map((x) => x.cpu_percent)))} | ${fixed(median(d.map((x) => x.server_cpu_percent)))} | ` +
        `${fixed(dTotal)} | ${fixed(pTotal)} | ${fixed(kind('renderer'))} | ${fixed(kind('gpu-process'))} | ` +
        `${fixed(kind('browser'))} | **${fixed(pTotal / dTotal)}** | ${fixed(bTotal)} | ${fixed(pTotal / bTotal)} | ` +
        `${median(d.map((x) => x.keys))} / ` +
        `${median(p.map((x) => x.steering.keys))} |`);
  }
  out();
  out();
  return `${lines.join('\n')}\n`;
}

process.on('exit', () => {
  for (const c of cleanups) c();
  for (const p of profiles) fs.rmSync(p, { recursive: true, force: true });
});
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(130));

main().then(() => process.exit(0), (error) => {
  log(error);
  process.exit(1);
});
