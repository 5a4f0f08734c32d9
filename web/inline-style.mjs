// Writes the page's index.html with its style sheet inside it rather than linked, so that the
// page's first picture waits for no file but the title's photograph. Run by the build:
//
//   node web/inline-style.mjs INDEX_HTML STYLE_CSS OUTPUT

import { readFile, writeFile } from 'node:fs/promises';

const LINK = '<link rel="stylesheet" href="style.css">';

async function main([html, css, output]) {
  if (!output) throw new Error('usage: inline-style.mjs INDEX_HTML STYLE_CSS OUTPUT');
  const page = await readFile(html, 'utf8');
  if (page.split(LINK).length !== 2) throw new Error(`${html} links style.css other than once`);
  const style = await readFile(css, 'utf8');
  await writeFile(output, page.replace(LINK, () => `<style>\n${style}</style>`));
}

main(process.argv.slice(2)).catch((error) => {
  console.error(`inline-style: ${error.message}`);
  process.exit(1);
});
