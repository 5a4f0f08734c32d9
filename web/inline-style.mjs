// Writes the page's index.html with its style sheet inside it rather than linked, and the pictures
// the style sheet names (the title's photograph the page shows while the program loads) inside
// that, so that the page's first picture waits for no file at all: the photograph is painted with
// the page's first frame. Run by the build:
//
//   node web/inline-style.mjs INDEX_HTML STYLE_CSS PICTURES_DIR OUTPUT

import { readFile, writeFile } from 'node:fs/promises';
import { join } from 'node:path';

const LINK = '<link rel="stylesheet" href="style.css">';

async function main([html, css, pictures, output]) {
  if (!output) throw new Error('usage: inline-style.mjs INDEX_HTML STYLE_CSS PICTURES_DIR OUTPUT');
  const page = await readFile(html, 'utf8');
  if (page.split(LINK).length !== 2) throw new Error(`${html} links style.css other than once`);
  let style = await readFile(css, 'utf8');
  for (const [, address, file] of style.matchAll(/url\("(pictures\/([\w.-]+\.jpg))"\)/g)) {
    const data = (await readFile(join(pictures, file))).toString('base64');
    style = style.replace(address, `data:image/jpeg;base64,${data}`);
  }
  await writeFile(output, page.replace(LINK, () => `<style>\n${style}</style>`));
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`inline-style: ${error.message}`);
  process.exit(1);
});
