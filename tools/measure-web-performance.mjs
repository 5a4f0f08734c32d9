// Measures the browser edition beside the desktop game in one run, the figures docs/performance.md
// gives: what the page transfers; start-up, cold and warm, from navigation to the title's
// photograph painted, step by step, against a bare page showing only that photograph; the CPU of
// all of Chromium's processes while a level plays, against the desktop game's on the same level
// and a bare page moving a ball; and the page idle. Run by tools/measure-web-performance.sh, which
// builds both editions and starts the X display the desktop game needs; by hand, never by the
// tests. Browser, server and pages are the browser tests' (web/tests/harness.mjs).
//
//   node tools/measure-web-performance.mjs
//
// Environment: KOSTKOLAM_SITE (the built page, default build-web/site), OUT_DIR (default
// build-web/performance), BENCH_DIR (the bench build of the page's program, default
// build-web/bench-site), AUTOPLAY (the desktop game's autoplay bench, default
// build/bench/kostkolam-autoplay; needs DISPLAY, and XVFB_PID to count the display server's
// share), RUNS (loads per page and cache state, 9), PLAY_RUNS (3), PLAY_SECONDS (20),
// IDLE_SECONDS (10), PHASES (startup,idle,play), QUIET_LOAD (wait for a 1-minute load below this
// before each phase, 1.5), QUIET_WAIT (the longest such wait in seconds, 300). Writes
// OUT_DIR/results.md and every sample to OUT_DIR/raw.jsonl.

import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import { launchBrowser, openPage, paths, ready, select, serve } from '../web/tests/harness.mjs';
import { waitForServe } from '../web/tests/game-page.mjs';

const env = process.env;
const OUT = path.resolve(env.OUT_DIR || path.join(paths.top, 'build-web/performance'));
const BENCH = path.resolve(env.BENCH_DIR || path.join(paths.top, 'build-web/bench-site'));
const AUTOPLAY = env.AUTOPLAY || path.join(paths.top, 'build/bench/kostkolam-autoplay');
const XVFB_PID = env.XVFB_PID || null;
const RUNS = Number(env.RUNS || 9);
const PLAY_RUNS = Number(env.PLAY_RUNS || 3);
const PLAY_SECONDS = Number(env.PLAY_SECONDS || 20);
const IDLE_SECONDS = Number(env.IDLE_SECONDS || 10);
const QUIET_LOAD = Number(env.QUIET_LOAD || 1.5);
const QUIET_WAIT = Number(env.QUIET_WAIT || 300);
const PHASES = new Set((env.PHASES || 'startup,idle,play').split(','));
const HZ = Number(execFileSync('getconf', ['CLK_TCK']).toString());
// The game tick's period on each measured level: level 3's 1 ms runs at the browser's 16 ms floor.
const TICK_MS = { 1: 50, 3: 16 };

const log = (...args) => console.error(...args);
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const median = (values) => {
  const v = values.filter(Number.isFinite).sort((a, b) => a - b);
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
// The machine: its load, and Chromium's processes

const loadavg = () => fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).map(Number);
const phaseLoads = [];

async function waitForQuiet(phase) {
  let waited = 0;
  while (loadavg()[0] > QUIET_LOAD && waited < QUIET_WAIT) {
    log(`load ${loadavg()[0]} above ${QUIET_LOAD}; waiting before ${phase}`);
    await sleep(15000);
    waited += 15;
  }
  phaseLoads.push(record({ phase, load: loadavg(), waited_s: waited }));
}

const readFile = (file) => {
  try {
    return fs.readFileSync(file, 'utf8');
  } catch {
    return null;  // the process or thread has ended
  }
};

/// ppid and utime + stime (all threads) of a process or thread, from its stat file.
function readStat(dir) {
  const text = readFile(`${dir}/stat`);
  if (!text) return null;
  const fields = text.slice(text.lastIndexOf(')') + 2).split(' ');
  return { ppid: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) };
}

/// What kind of Chromium process: browser, renderer, gpu-process, zygote, utility.
function processKind(pid) {
  const type = (readFile(`/proc/${pid}/cmdline`) || '').split(/[\0 ]/).find((a) => a.startsWith('--type='));
  return type ? type.slice(7) : 'browser';
}

/// The context switches of all threads of a process: how often it woke up.
function wakeUps(pid) {
  let total = 0, threads = [];
  try {
    threads = fs.readdirSync(`/proc/${pid}/task`);
  } catch {
    // the process has ended
  }
  for (const tid of threads) {
    for (const m of (readFile(`/proc/${pid}/task/${tid}/status`) || '').matchAll(/ctxt_switches:\s+(\d+)/g)) {
      total += Number(m[1]);
    }
  }
  return total;
}

/// CPU ticks and wake-ups of ROOT and every process descending from it, by process id.
function snapshotTree(root) {
  const stats = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (/^\d+$/.test(entry)) {
      const stat = readStat(`/proc/${entry}`);
      if (stat) stats.set(Number(entry), stat);
    }
  }
  const inTree = (pid) => {
    for (let p = pid, depth = 0; p > 1 && depth < 20; ++depth, p = stats.get(p)?.ppid ?? 0) {
      if (p === root) return true;
    }
    return false;
  };
  const processes = new Map();
  for (const [pid, stat] of stats) {
    if (inTree(pid)) processes.set(pid, { kind: processKind(pid), ticks: stat.ticks, switches: wakeUps(pid) });
  }
  return { at: performance.now(), processes };
}

/// What the tree used between two snapshots, in all and by process kind: a process born meanwhile
/// counts in full, one that ended meanwhile is lost.
function treeDelta(before, after) {
  const seconds = (after.at - before.at) / 1000;
  const percent = (ticks) => (100 * ticks) / HZ / seconds;
  const kinds = {};
  let ticks = 0, switches = 0;
  for (const [pid, a] of after.processes) {
    const b = before.processes.get(pid) || { ticks: 0, switches: 0 };
    const k = (kinds[a.kind] ||= { ticks: 0, switches: 0 });
    k.ticks += a.ticks - b.ticks;
    k.switches += a.switches - b.switches;
    ticks += a.ticks - b.ticks;
    switches += a.switches - b.switches;
  }
  for (const k of Object.values(kinds)) k.cpu_percent = percent(k.ticks);
  return { seconds, ticks, switches, cpu_percent: percent(ticks), by_kind: kinds };
}

/// What a browser's processes use over the next `seconds`.
async function cpuOver(browser, seconds) {
  const pid = browser.process().pid;
  const before = snapshotTree(pid);
  await sleep(seconds * 1000);
  return treeDelta(before, snapshotTree(pid));
}

// ---------------------------------------------------------------------------------------------
// The pages: the site, the site with the bench build of its program, and two bare pages

// The bare page: the title's photograph at its natural size on the page's blue, the least a page
// can do to show the title screen's picture.
const BARE_PAGE = `<!DOCTYPE html>
<html lang="cs"><head><meta charset="utf-8"><title>Fotografie</title>
<style>html, body { margin: 0; background: #3b6e8f; }</style></head>
<body><img src="bg_title_rocket.jpg" alt="" elementtiming="photo"></body></html>
`;

// The bare ball: the photograph with a ball of the game's size (16 x 17 pixels) moved by 4 and 2
// pixels every ?period= milliseconds from one timeout, bouncing off the photograph's edges: the
// least a page spends on a game tick.
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

/// One folder served by the harness's server: site/, bench/ (the site with the bench build of the
/// program) and bare/. The browser may keep every file for an hour, so that a warm load comes
/// from its cache.
async function startServer() {
  const root = path.join(OUT, 'www');
  fs.rmSync(root, { recursive: true, force: true });
  fs.mkdirSync(path.join(root, 'bench'), { recursive: true });
  fs.mkdirSync(path.join(root, 'bare'));
  fs.symlinkSync(paths.site, path.join(root, 'site'));
  for (const entry of fs.readdirSync(paths.site)) {
    const from = /^kostkolam\.(js|wasm)$/.test(entry) ? BENCH : paths.site;
    fs.symlinkSync(path.join(from, entry), path.join(root, 'bench', entry));
  }
  fs.writeFileSync(path.join(root, 'bare/index.html'), BARE_PAGE);
  fs.writeFileSync(path.join(root, 'bare/ball.html'), BARE_BALL_PAGE);
  fs.copyFileSync(path.join(paths.site, 'pictures/bg_title_rocket.jpg'), path.join(root, 'bare/bg_title_rocket.jpg'));
  return serve(root, { cacheSeconds: 3600 });
}

// Put into every page before its own scripts: counts the timer and animation-frame callbacks the
// page runs, and notes the steps of its start-up: the program's compiling begun and done, the fonts
// loaded, the title window shown, and (Element Timing) the paint of the title's photograph, both
// of the real window's client area and of the stand-in the page shows at its place while loading.
const INSTRUMENT = (titleWindow, titleClient) => {
  const counts = { timeout: 0, animationFrame: 0 };
  const marks = {};
  const painted = {};
  for (const [name, kind] of [['setTimeout', 'timeout'], ['requestAnimationFrame', 'animationFrame']]) {
    const real = window[name];
    window[name] = function (callback, ...rest) {
      const counted = typeof callback === 'function'
        ? function (...args) { ++counts[kind]; return callback.apply(this, args); } : callback;
      return real.call(window, counted, ...rest);
    };
  }
  for (const name of ['instantiate', 'instantiateStreaming']) {
    const real = WebAssembly[name];
    WebAssembly[name] = (...args) => {
      marks.compiling ??= performance.now();
      return real.apply(WebAssembly, args).then((result) => {
        marks.compiled = performance.now();
        return result;
      });
    };
  }
  // The page's scripts ask for the fonts as they start.
  const loadFonts = document.fonts.load;
  document.fonts.load = function (...args) {
    marks.scriptsRun ??= performance.now();
    return loadFonts.apply(this, args);
  };
  document.fonts.addEventListener('loadingdone', () => {
    if (!marks.titleShown) marks.fontsLoaded = performance.now();
  });
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) painted[e.identifier] = e.renderTime || e.loadTime;
  }).observe({ type: 'element', buffered: true });
  // The document itself, which is there before any of its elements: the stand-in is tagged as the
  // parser inserts it, before its first paint.
  new MutationObserver(() => {
    document.getElementById('title-stand-in')?.setAttribute('elementtiming', 'standIn');
    const title = document.querySelector(titleWindow);
    if (marks.titleShown || !title) return;
    title.querySelector(titleClient)?.setAttribute('elementtiming', 'photo');
    if (!title.hidden) marks.titleShown = performance.now();
  }).observe(document, { subtree: true, childList: true, attributes: true, attributeFilter: ['hidden'] });
  window.__kkPerf = { counts, marks, painted };
};

const open = (browser, url) => openPage(browser, url, {
  init: INSTRUMENT, initArgs: [select.window('frmCihlolam'), '.client'],
});

/// The page's callback counts and the game's clock, for a difference over a stretch of time.
const pageCounters = (page) => page.evaluate(() => ({
  ...window.__kkPerf.counts, game: window.kostkolam ? window.kostkolam.now() : 0,
}));
const countersDelta = (a, b) => Object.fromEntries(Object.keys(b).map((k) => [k, b[k] - a[k]]));

// ---------------------------------------------------------------------------------------------
// What the page transfers: every file of the site a browser fetched in this run

const requested = new Set();
/// Notes every file of the site the page has fetched so far (its resource timing).
async function noteRequests(page) {
  const urls = await page.evaluate(() => [location.href, ...performance.getEntriesByType('resource').map((e) => e.name)]);
  for (const url of urls) {
    const file = decodeURIComponent(new URL(url).pathname).match(/^\/site\/(.*)$/)?.[1];
    if (file !== undefined) requested.add(file || 'index.html');
  }
}

function sizes() {
  const files = fs.readdirSync(paths.site, { recursive: true })
    .filter((file) => fs.statSync(path.join(paths.site, file)).isFile()).sort();
  return files.map((file) => {
    const data = fs.readFileSync(path.join(paths.site, file));
    return record({ size: {
      file, loaded: requested.has(file), code: /\.(js|wasm)$/.test(file), raw: data.length,
      gzip: zlib.gzipSync(data, { level: 9 }).length,
      brotli: zlib.brotliCompressSync(data, { params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11 } }).length,
    } }).size;
  });
}

// ---------------------------------------------------------------------------------------------
// Start-up, cold and warm: from navigation start to the title's photograph painted

/// One load's steps in ms from navigation start: the files' arrival (resource timing; the last of
/// each kind), the marks above, and `photo`, the first paint of the title's photograph at its
/// place, by the stand-in or the window (`window`). `worker`: the page came from the service
/// worker.
async function loadTimes(browser, url, isGame) {
  const page = await open(browser, url);
  if (isGame) await ready(page, { timeout: 60000 });
  await sleep(500);  // the photograph's paint reports within a few frames
  await noteRequests(page);
  const times = await page.evaluate(() => {
    const { marks, painted } = window.__kkPerf;
    const resources = performance.getEntriesByType('resource');
    const arrived = (pattern) => {
      const ends = resources.filter((e) => pattern.test(e.name)).map((e) => e.responseEnd);
      return ends.length ? Math.max(...ends) : undefined;
    };
    const [navigation] = performance.getEntriesByType('navigation');
    return {
      html: navigation.responseEnd, worker: Boolean(navigator.serviceWorker?.controller),
      scripts: arrived(/\.js$/), fonts: arrived(/\.woff2$/), photoFetched: arrived(/bg_title_rocket\.jpg$/),
      fetched: arrived(/\/kostkolam\.wasm$/), ...marks, window: painted.photo,
      photo: Math.min(painted.photo ?? Infinity, painted.standIn ?? Infinity),
    };
  });
  await page.close();
  return times;
}

async function measureStartup(origin) {
  await waitForQuiet('start-up');
  const samples = [];
  for (let run = 1; run <= RUNS; ++run) {
    for (const [kind, url] of [['bare', `${origin}bare/`], ['page', `${origin}site/`]]) {
      // A warm load comes after the cold one in the same browser, from its HTTP and code caches.
      const browser = await launchBrowser();
      try {
        for (const cache of ['cold', 'warm']) {
          const t = await loadTimes(browser, url, kind === 'page');
          samples.push(record({ startup: kind, cache, run, load: loadavg()[0], ...t }));
          log(`start-up ${kind} ${cache} ${run}: photograph ${fixed(t.photo, 1)} ms`);
        }
      } finally {
        await browser.close();
      }
    }
  }
  return samples;
}

// ---------------------------------------------------------------------------------------------
// Play: the page, the desktop game and the bare ball, each on its own for PLAY_SECONDS

// The player inside the page: whenever the game has placed the ball's element, it asks the game's
// autoplayer which key to type and sends it as a keydown to the document, the road every key takes
// into the page. Nothing of the automation talks to the browser while it plays.
const PLAYER = (screen, ballSelector, livesSelector) => {
  const lives = document.querySelector(livesSelector);
  const player = { keys: 0, lostBalls: 0, lives: lives.textContent };
  new MutationObserver(() => {
    if (lives.textContent !== player.lives) {
      ++player.lostBalls;
      player.lives = lives.textContent;
    }
    const key = window.kostkolam.autoplayKey(screen);
    if (key) {
      document.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
      ++player.keys;
    }
  }).observe(document.querySelector(ballSelector), { attributes: true, attributeFilter: ['style'] });
  window.__kkPlayer = player;
};

/// The page at level LEVEL, served and playing. Level 1 is reached by F2 on the title screen;
/// level 3, which a player reaches only by clearing levels 1 and 2, is opened at once by the bench
/// build of the page's program, as the desktop's autoplay bench opens it.
async function measurePagePlay(origin, level, run) {
  const browser = await launchBrowser();
  try {
    const page = await open(browser, `${origin}${level === 1 ? 'site' : 'bench'}/`);
    await ready(page, { timeout: 60000 });
    const screen = `frmLevel${level}`;
    if (level === 1) await page.keyboard.press('F2');
    else await page.evaluate((n) => window.kostkolam.benchLevel(n), level);
    await waitForServe(page, screen, 15000);
    await page.evaluate(PLAYER, screen, select.object(screen, 'shpKulicka'), select.object(screen, 'lblZiv'));
    const c0 = await pageCounters(page);
    const cpu = await cpuOver(browser, PLAY_SECONDS);
    const counters = countersDelta(c0, await pageCounters(page));
    const player = await page.evaluate(() => window.__kkPlayer);
    await noteRequests(page);
    return record({ play: 'page', level, run, load: loadavg(), ...cpu, counters, player });
  } finally {
    await browser.close();
  }
}

async function measureBareBall(origin, level, run) {
  const browser = await launchBrowser();
  try {
    await open(browser, `${origin}bare/ball.html?period=${TICK_MS[level]}`);
    await sleep(3000);
    const cpu = await cpuOver(browser, PLAY_SECONDS);
    return record({ play: 'bare ball', level, run, load: loadavg(), ...cpu });
  } finally {
    await browser.close();
  }
}

async function measureDesktopPlay(level, run) {
  const args = [String(level), String(PLAY_SECONDS), ...(XVFB_PID ? [XVFB_PID] : [])];
  const output = await new Promise((done, fail) => {
    const child = spawn(AUTOPLAY, args, { stdio: ['ignore', 'pipe', 'ignore'] });
    let text = '';
    child.stdout.on('data', (d) => { text += d; });
    child.on('error', fail);
    child.on('close', (status) => (status === 0 ? done(text) : fail(new Error(`autoplay: ${status}`))));
  });
  const result = JSON.parse(output.trim().split('\n').at(-1));
  return record({
    play: 'desktop', level, run, load: loadavg(), cpu_percent: result.cpu_percent,
    server_cpu_percent: result.server_cpu_percent ?? 0, keys: result.keys, raw: result,
  });
}

// ---------------------------------------------------------------------------------------------
// Idle: the bare page as the browser's floor, the title screen and a paused level

async function idleSample(name, browser, page) {
  const c0 = await pageCounters(page);
  const cpu = await cpuOver(browser, IDLE_SECONDS);
  return record({ idle: name, load: loadavg(), ...cpu, counters: countersDelta(c0, await pageCounters(page)) });
}

async function measureIdle(origin) {
  await waitForQuiet('idle');
  const results = [];
  let browser = await launchBrowser();
  try {
    const page = await open(browser, `${origin}bare/`);
    await sleep(2000);
    results.push(await idleSample('bare page', browser, page));
  } finally {
    await browser.close();
  }
  browser = await launchBrowser();
  try {
    const page = await open(browser, `${origin}site/`);
    await ready(page, { timeout: 60000 });
    await sleep(2000);
    results.push(await idleSample('title screen', browser, page));
    await page.keyboard.press('F2');
    await waitForServe(page, 'frmLevel1', 15000);
    await page.keyboard.press('F5');
    await sleep(1000);
    results.push(await idleSample('level 1 paused', browser, page));
  } finally {
    await browser.close();
  }
  return results;
}

// ---------------------------------------------------------------------------------------------
// The run and its table

function report({ started, chromium, startup, idle, play, files }) {
  const lines = [];
  const out = (s = '') => lines.push(s);
  const kib = (n) => (n / 1024).toFixed(1);
  out(`# Kostkolam in the browser, ${started.toISOString().slice(0, 16).replace('T', ' ')} UTC`);
  out();
  out(`${os.cpus().length} cores, ${os.cpus()[0]?.model}; ${chromium}, headless. Load (1, 5, 15 min) when each phase began:`);
  out();
  for (const p of phaseLoads) out(`- ${p.phase}: ${p.load.join(' ')}${p.waited_s ? ` (after waiting ${p.waited_s} s)` : ''}`);
  out();

  const loaded = files.filter((f) => f.loaded);
  const total = (rows, k) => rows.reduce((s, r) => s + r[k], 0);
  out('## Transfer (KiB)');
  out();
  out('| File | raw | gzip -9 | brotli |');
  out('| --- | ---: | ---: | ---: |');
  for (const f of loaded) out(`| ${f.file} | ${kib(f.raw)} | ${kib(f.gzip)} | ${kib(f.brotli)} |`);
  for (const [name, rows] of [['code', loaded.filter((f) => f.code)], ['data', loaded.filter((f) => !f.code)]]) {
    out(`| **${name}** | **${kib(total(rows, 'raw'))}** | **${kib(total(rows, 'gzip'))}** | **${kib(total(rows, 'brotli'))}** |`);
  }
  out();
  out(`Not fetched: ${files.filter((f) => !f.loaded).map((f) => f.file).join(', ') || 'none'}.`);
  out();

  out(`## Start-up, ms from navigation start (median of ${RUNS} loads each)`);
  out();
  const steps = [['html', 'page fetched'], ['scripts', 'scripts fetched'], ['fetched', 'program fetched'],
                 ['scriptsRun', 'scripts run'], ['compiling', 'compiling'], ['compiled', 'compiled'], ['fonts', 'fonts fetched'],
                 ['fontsLoaded', 'fonts loaded'], ['photoFetched', 'photograph fetched'],
                 ['titleShown', 'title shown']];
  out(`| Page | cache | ${steps.map(([, name]) => name).join(' | ')} | window painted | x bare | photograph painted | x bare | from the worker |`);
  out(`| --- | --- | ${steps.map(() => '---:').join(' | ')} | ---: | ---: | ---: | ---: | ---: |`);
  for (const cache of startup.length ? ['cold', 'warm'] : []) {
    const of = (kind) => startup.filter((s) => s.startup === kind && s.cache === cache);
    const pick = (kind, key) => median(of(kind).map((s) => s[key]));
    const row = (kind, name) => out(`| ${name} | ${cache} | ${steps.map(([k]) => fixed(pick(kind, k), 1)).join(' | ')} | ` +
        `${fixed(pick(kind, 'window'), 1)} | ${fixed(pick(kind, 'window') / pick('bare', 'photo'))} | ` +
        `**${fixed(pick(kind, 'photo'), 1)}** | ${fixed(pick(kind, 'photo') / pick('bare', 'photo'))} | ` +
        `${of(kind).filter((s) => s.worker).length} of ${of(kind).length} |`);
    row('bare', 'bare photograph');
    row('page', 'Kostkolam');
  }
  out();

  out(`## Idle (${IDLE_SECONDS} s, all of Chromium's processes)`);
  out();
  out('| Screen | CPU ticks | % of a core | wake-ups | renderer ticks / wake-ups | timer and frame callbacks | game clock moved ms |');
  out('| --- | ---: | ---: | ---: | ---: | ---: | ---: |');
  for (const s of idle) {
    const r = s.by_kind.renderer || { ticks: 0, switches: 0 };
    out(`| ${s.idle} | ${s.ticks} | ${fixed(s.cpu_percent)} | ${s.switches} | ${r.ticks} / ${r.switches} | ` +
        `${s.counters.timeout + s.counters.animationFrame} | ${s.counters.game} |`);
  }
  out();

  out(`## Play (${PLAY_SECONDS} s from the serve, medians of ${PLAY_RUNS} runs, % of one core)`);
  out();
  out('| Level | desktop game | its Xvfb | desktop total | page, all Chromium | renderer | GPU process | page / desktop total | bare ball page | page / bare ball | keys desktop / page | balls lost in the page |');
  out('| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |');
  for (const level of play.length ? [1, 3] : []) {
    const of = (kind) => play.filter((p) => p.play === kind && p.level === level);
    const d = of('desktop'), p = of('page');
    const desktop = median(d.map((x) => x.cpu_percent + x.server_cpu_percent));
    const page = median(p.map((x) => x.cpu_percent));
    const bare = median(of('bare ball').map((x) => x.cpu_percent));
    const kind = (k) => median(p.map((x) => x.by_kind[k]?.cpu_percent ?? 0));
    out(`| ${level} | ${fixed(median(d.map((x) => x.cpu_percent)))} | ${fixed(median(d.map((x) => x.server_cpu_percent)))} | ` +
        `${fixed(desktop)} | ${fixed(page)} | ${fixed(kind('renderer'))} | ${fixed(kind('gpu-process'))} | ` +
        `**${fixed(page / desktop)}** | ${fixed(bare)} | ${fixed(page / bare)} | ` +
        `${fixed(median(d.map((x) => x.keys)), 0)} / ${fixed(median(p.map((x) => x.player.keys)), 0)} | ${p.map((x) => x.player.lostBalls).join(', ')} |`);
  }
  return `${lines.join('\n')}\n`;
}

async function main() {
  const started = new Date();
  const server = await startServer();
  try {
    const chromium = execFileSync(paths.chromium, ['--version']).toString().trim();
    record({ machine: { cores: os.cpus().length, cpu: os.cpus()[0]?.model, chromium, node: process.version } });
    const startup = PHASES.has('startup') ? await measureStartup(server.url) : [];
    const idle = PHASES.has('idle') ? await measureIdle(server.url) : [];
    const play = [];
    const desktop = fs.existsSync(AUTOPLAY) && env.DISPLAY;
    for (const level of PHASES.has('play') ? [1, 3] : []) {
      for (let run = 1; run <= PLAY_RUNS; ++run) {
        await waitForQuiet(`play level ${level}, run ${run}`);
        if (desktop) play.push(await measureDesktopPlay(level, run));
        play.push(await measurePagePlay(server.url, level, run));
        play.push(await measureBareBall(server.url, level, run));
        log(`level ${level}, run ${run}: ${play.slice(desktop ? -3 : -2).map((x) => `${x.play} ${fixed(x.cpu_percent)}%`).join(', ')}`);
      }
    }
    const results = report({ started, chromium, startup, idle, play, files: sizes() });
    fs.writeFileSync(path.join(OUT, 'results.md'), results);
    process.stdout.write(results);
  } finally {
    await server.close();
  }
}

main().then(() => process.exit(0), (error) => {
  log(error);
  process.exit(1);
});
