// Every scenario file played through the page, in one headless chromium: the page's scenario
// program plays each as kostkolam-script does, against the page's real windows, one after the
// other in the same page. What each printed is kept for the ctest entries scenario-page/NAME,
// which compare it with the file's .expected exactly as the other backends' entries do.
//
//   node play-scenarios.mjs play RESULTS SCENARIOS
//       plays every NAME.txt under SCENARIOS; writes RESULTS/NAME.out, .err and .status
//   node play-scenarios.mjs result RESULTS NAME
//       writes what the page printed for NAME on standard output and standard error, and exits
//       with the page's status (a missing result is a failure of its own, status 125)

import { mkdir, readdir, readFile, rm, writeFile } from 'node:fs/promises';
import { dirname, join, relative } from 'node:path';

import { paths, startSession } from './harness.mjs';

async function scenarioFiles(folder) {
  const found = [];
  for (const entry of await readdir(folder, { withFileTypes: true })) {
    const path = join(folder, entry.name);
    if (entry.isDirectory()) found.push(...await scenarioFiles(path));
    else if (entry.name.endsWith('.txt')) found.push(path);
  }
  return found.sort();
}

async function play(results, scenarios) {
  // No result of an earlier run may stand in for one of this run.
  await rm(results, { recursive: true, force: true });
  const files = await scenarioFiles(scenarios);
  const started = Date.now();
  const session = await startSession({ site: [paths.scenarioSite, paths.site] });
  try {
    const page = await session.open('?scenario');
    await page.waitForSelector('body[data-scenarios=ready]', { timeout: 20000 });
    for (const file of files) {
      const name = relative(scenarios, file).replace(/\.txt$/, '');
      const input = (await readFile(file)).toString('base64');
      const played = await page.evaluate((text) => window.kostkolam.playScenario(text), input);
      if (played.windowsLeft !== 0) {
        throw new Error(`${name}: ${played.windowsLeft} windows left on the page after it played`);
      }
      const base = join(results, name);
      await mkdir(dirname(base), { recursive: true });
      await writeFile(`${base}.out`, Buffer.from(played.out, 'base64'));
      await writeFile(`${base}.err`, Buffer.from(played.err, 'base64'));
      await writeFile(`${base}.status`, `${played.status}\n`);
    }
    if (page.kostkolamErrors.length) throw new Error(`the page failed: ${page.kostkolamErrors.join('\n')}`);
  } finally {
    await session.close();
  }
  console.log(`${files.length} scenario files played through the page in ` +
              `${((Date.now() - started) / 1000).toFixed(1)} s (one chromium)`);
}

async function result(results, name) {
  const base = join(results, name);
  let status;
  try {
    status = Number((await readFile(`${base}.status`, 'utf8')).trim());
  } catch {
    process.stderr.write(`no result of the page for ${name} in ${results}\n`);
    process.exit(125);
  }
  process.stdout.write(await readFile(`${base}.out`));
  process.stderr.write(await readFile(`${base}.err`));
  process.exitCode = status;
}

const [command, results, what] = process.argv.slice(2);
if (command === 'play' && results && what) await play(results, what);
else if (command === 'result' && results && what) await result(results, what);
else {
  process.stderr.write('usage: play-scenarios.mjs play RESULTS SCENARIOS | result RESULTS NAME\n');
  process.exit(2);
}
