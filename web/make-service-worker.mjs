// Writes the site's service worker: the worker's source (web/site/service-worker.js) with BUILD in
// front of it, the list of every file of the built site folder with the SHA-256 of its content,
// and the build's version, made of that list. Run by the build once everything else is in the
// folder, so the list is whatever the folder holds:
//
//   node web/make-service-worker.mjs SITE_DIR SOURCE OUTPUT [LEFT_OUT...]
//
// OUTPUT lies in SITE_DIR and is not in its own list, nor are the LEFT_OUT files (paths in
// SITE_DIR): the page for a copy opened from a folder, which a served site never loads. It is written whole or not at all, so a
// server never hands out half of it.

import { createHash } from 'node:crypto';
import { readdir, readFile, rename, writeFile } from 'node:fs/promises';
import { basename, join, relative, resolve, sep } from 'node:path';

async function filesUnder(folder) {
  const found = [];
  for (const entry of await readdir(folder, { withFileTypes: true })) {
    if (entry.name.startsWith('.')) continue;
    const path = join(folder, entry.name);
    if (entry.isDirectory()) found.push(...await filesUnder(path));
    else if (entry.isFile()) found.push(path);
  }
  return found;
}

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

async function main([site, source, output, ...leftOut]) {
  if (!output) throw new Error('usage: make-service-worker.mjs SITE_DIR SOURCE OUTPUT');
  const outputPath = resolve(output);
  const files = [];
  const skipped = new Set([outputPath, ...leftOut.map((file) => resolve(site, file))]);
  for (const file of (await filesUnder(resolve(site))).sort()) {
    if (skipped.has(file)) continue;
    files.push({ path: relative(resolve(site), file).split(sep).join('/'),
                 sha256: sha256(await readFile(file)) });
  }
  const version = sha256(files.map((f) => `${f.sha256} ${f.path}\n`).join('')).slice(0, 16);
  const list = files.map((f) => `    ${JSON.stringify(f)},\n`).join('');
  const text = `// Written by the build from ${basename(source)}; the site's files as they were built.\n` +
               `const BUILD = {\n  version: '${version}',\n  files: [\n${list}  ],\n};\n\n` +
               await readFile(source, 'utf8');
  const partial = join(resolve(output, '..'), `.${basename(output)}.partial`);
  await writeFile(partial, text);
  await rename(partial, outputPath);
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`make-service-worker: ${error.message}`);
  process.exit(1);
});
