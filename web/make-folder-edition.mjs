// Writes the page's edition for a copy of the site opened from a folder (file://), where the
// browser fetches no module script, no WebAssembly and no font by its address: one classic script
// holding the page's modules, the game's program with its WebAssembly inside, and the fonts. The
// modules are taken from the built site as they are, each run in a function of its own in the
// order of their imports; the fonts' @font-face rules are those of the page's style (written into
// index.html) with the files' contents in place of their addresses, added after it so that they
// win.
//
//   node web/make-folder-edition.mjs SITE_DIR PROGRAM OUTPUT
//
// PROGRAM is the game's program linked as a classic script with its WebAssembly inside
// (-sSINGLE_FILE, without -sEXPORT_ES6), defining createKostkolam. The modules may use only the
// forms of import and export below; any other stops the build with the module's name.

import { readFile, rename, writeFile } from 'node:fs/promises';
import { basename, join, resolve } from 'node:path';

const ENTRY = './main.js';
const PROGRAM = './kostkolam.js';

const namedImport = /^import\s*\{([^}]*)\}\s*from\s*'(\.\/[\w.-]+)';$/gm;
const defaultImport = /^import\s+(\w+)\s+from\s*'(\.\/[\w.-]+)';$/gm;
const exported = /^export\s+((?:async\s+)?function\*?|const|let|class)\s+(\w+)/gm;

/** One module's text as a function's body, the modules it imports and the names it exports. */
function translate(name, text) {
  const imports = [];
  let body = text.replace(namedImport, (_, names, from) => {
    imports.push(from);
    const bound = names.split(',').map((n) => n.trim()).filter(Boolean)
      .map((n) => n.replace(/^(\w+)\s+as\s+(\w+)$/, '$1: $2'));
    return `const { ${bound.join(', ')} } = modules['${from}'];`;
  });
  body = body.replace(defaultImport, (_, local, from) => {
    imports.push(from);
    return `const ${local} = modules['${from}'].default;`;
  });
  const names = [];
  body = body.replace(exported, (_, kind, exportedName) => {
    names.push(exportedName);
    return `${kind} ${exportedName}`;
  });
  const left = body.match(/^\s*(import|export)\b.*$/m);
  if (left) throw new Error(`${name}: cannot take "${left[0].trim()}" into the folder edition`);
  return { imports, body, names };
}

async function main([site, program, output]) {
  if (!output) throw new Error('usage: make-folder-edition.mjs SITE_DIR PROGRAM OUTPUT');
  const modules = new Map();
  const order = [];
  const visit = async (name) => {
    if (name === PROGRAM || modules.has(name)) return;
    modules.set(name, null);
    const module = translate(name, await readFile(join(site, name), 'utf8'));
    modules.set(name, module);
    for (const imported of module.imports) await visit(imported);
    order.push(name);
  };
  await visit(ENTRY);

  const page = await readFile(join(site, 'index.html'), 'utf8');
  const faces = [];
  for (const rule of page.match(/@font-face\s*\{[^}]*\}/g) ?? []) {
    let face = rule;
    for (const [address, file] of rule.matchAll(/url\("(fonts\/[\w.-]+\.woff2)"\)/g)) {
      const data = (await readFile(join(site, file))).toString('base64');
      face = face.replace(address, `url("data:font/woff2;base64,${data}")`);
    }
    faces.push(face.replace(/\s+/g, ' '));
  }

  if (!faces.length) throw new Error('index.html has no @font-face rule');
  const parts = [
    `// Written by the build (${basename(process.argv[1])}): the page for a copy of the site`,
    '// opened from a folder, its modules, program and fonts in one classic script.',
    '(() => {',
    "'use strict';",
    `const fontFaces = document.createElement('style');`,
    `fontFaces.textContent = ${JSON.stringify(faces.join('\n'))};`,
    'document.head.append(fontFaces);',
    await readFile(program, 'utf8'),
    'const modules = {};',
    `modules['${PROGRAM}'] = { default: createKostkolam };`,
  ];
  for (const name of order) {
    const { body, names } = modules.get(name);
    if (name === ENTRY) {
      // The page's own program awaits its game at its top level.
      parts.push(`// ${name}`, '(async () => {', body, '})();');
    } else {
      parts.push(`// ${name}`, `modules['${name}'] = (() => {`, body,
                 `return { ${names.join(', ')} };`, '})();');
    }
  }
  parts.push('})();', '');
  const partial = join(resolve(output, '..'), `.${basename(output)}.partial`);
  await writeFile(partial, parts.join('\n'));
  await rename(partial, resolve(output));
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`make-folder-edition: ${error.message}`);
  process.exit(1);
});
