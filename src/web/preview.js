// Text Preview: typed text drawn with the font's glyphs side by side, laid
// out by the core, with a zoom of its own that starts where the text fits.
import { showDialog } from './dialogs.js';
import { load, save } from './settings.js';

const $ = (id) => document.getElementById(id);

function draw(page, factor) {
  const text = $('preview-text').value;
  const codes = page.textCodes(text);
  const pieces = page.spell(Array.isArray(codes) ? codes : []);
  const height = page.height();
  const width = pieces.reduce((w, p) => w + (p.end - p.begin || p.gap), 0);
  const canvas = $('preview-canvas');
  canvas.width = Math.max(1, width * factor);
  canvas.height = Math.max(1, height * factor);
  const ctx = canvas.getContext('2d');
  ctx.imageSmoothingEnabled = false;
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  const glyph = document.createElement('canvas');
  let x = 0;
  for (const p of pieces) {
    const w = p.end - p.begin;
    const rgba = w > 0 && height > 0 ? page.pixels(p.begin, 0, w, height, false) : null;
    if (rgba) {
      glyph.width = w;
      glyph.height = height;
      glyph.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(rgba), w, height), 0, 0);
      ctx.drawImage(glyph, x * factor, 0, w * factor, height * factor);
    }
    x += w > 0 ? w : p.gap;
  }
  return width;
}

// The largest step at which Width x Height columns fit the preview's room.
function fittingZoom(zooms, width, height) {
  const room = { w: window.innerWidth * 0.56, h: window.innerHeight * 0.5 };
  return [...zooms].reverse().find((z) => width * z <= room.w && height * z <= room.h) ?? 1;
}

// The code page changed: an open preview draws the text again.
export function redrawPreview(page) {
  if ($('preview').open) draw(page, Number($('preview-zoom').value));
}

// Zooms: the steps the zoom list offers.
export function showPreview(page, zooms) {
  const select = $('preview-zoom');
  if (!select.options.length) select.append(...zooms.map((z) => new Option(`${z}x`, String(z))));
  const redraw = () => draw(page, Number(select.value));
  const width = draw(page, 1);
  select.value = String(load('previewZoom') ?? fittingZoom(zooms, width, page.height()));
  redraw();
  $('preview-text').oninput = redraw;
  select.onchange = () => { save('previewZoom', Number(select.value)); redraw(); };
  showDialog($('preview'));
}
