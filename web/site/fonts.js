// The page's fonts as the game measures them when it chooses the window default font: the
// desktop's user-interface font is the page's own face, at the page's own size.

export const UI_FONT = 'Kostkolam Sans';

const measure = document.createElement('canvas').getContext('2d');

/** The CSS font of the user-interface face at `px` pixels, in its normal or semi-condensed cut. */
export function uiFont(px, semiCondensed, weight = 400, italic = false) {
  return `${italic ? 'italic ' : ''}${weight} ${semiCondensed ? 'semi-condensed' : 'normal'} ` +
         `${px}px "${UI_FONT}"`;
}

export const fonts = {
  /** The desktop's font size in pixels: the page's own. */
  desktopPx: () => Math.round(parseFloat(getComputedStyle(document.documentElement).fontSize)),
  /** The height of one line, from the top of its highest letter to the bottom of its lowest. */
  lineHeight(px, semiCondensed) {
    measure.font = uiFont(px, semiCondensed);
    const m = measure.measureText('Ág');
    return Math.round(m.fontBoundingBoxAscent) + Math.round(m.fontBoundingBoxDescent);
  },
  textWidth(px, semiCondensed, text) {
    measure.font = uiFont(px, semiCondensed);
    return measure.measureText(text).width;
  },
  /** Loads the faces the game's texts are drawn in; they are measured once loaded. */
  load: () => Promise.all(['400', '700'].flatMap((weight) => ['normal', 'semi-condensed'].map(
      (stretch) => document.fonts.load(`${weight} ${stretch} 12px "${UI_FONT}"`, 'Žš')))),
};
