// Text Preview: typed, pasted or opened lines drawn with the font's glyphs
// as the game lays them out, all by the core, with a zoom of its own that
// starts where the text fits. The gaps of characters the font lacks are
// framed, and the lines wider than the Width field are marked.
import { encode } from 'fast-png';
import { showDialog, warning } from './dialogs.js';
import { saveBytes } from './files.js';
import { load, save } from './settings.js';

const $ = (id) => document.getElementById(id);
const MOST = 32767;  // a canvas's side

const limit = () => Math.max(0, Math.floor(Number($('preview-width').value)) || 0);

// Draws the preview at Factor; the text's width at 1:1.
function draw({ page, display }, factor) {
  const p = page.previewText($('preview-text').value, limit());
  $('preview-status').textContent = p.error ?? p.status ?? '';
  const w = p.width ?? 0, h = p.height ?? 0, m = display.previewMargin, most = limit();
  const canvas = $('preview-canvas');
  const cw = m + Math.max(w, most + 1) * factor, ch = h * factor;
  const fits = !p.error && ch > 0 && cw <= MOST && ch <= MOST;
  canvas.width = fits ? cw : 1;
  canvas.height = fits ? ch : 1;
  const ctx = canvas.getContext('2d');
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  if (!fits) return w;
  ctx.imageSmoothingEnabled = false;
  if (w > 0) {
    const one = document.createElement('canvas');
    one.width = w;
    one.height = h;
    one.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(p.rgba), w, h), 0, 0);
    ctx.drawImage(one, m, 0, w * factor, ch);
  }
  // Marks one screen pixel wide, in the strip's frame colour.
  ctx.fillStyle = display.frameColor;
  const lh = p.lineHeight * factor;
  for (let i = 0; i < p.gaps.length; i += 3) {
    const x = m + p.gaps[i + 1] * factor, y = p.gaps[i] * lh, gw = p.gaps[i + 2] * factor;
    ctx.fillRect(x, y, 1, lh);
    if (gw === 0) continue;
    ctx.fillRect(x + gw - 1, y, 1, lh);
    ctx.fillRect(x, y, gw, 1);
    ctx.fillRect(x, y + lh - 1, gw, 1);
  }
  if (most > 0) {
    ctx.fillRect(m + most * factor, 0, 1, ch);
    for (const l of p.wider) ctx.fillRect(0, l * lh, 2, lh);
  }
  return w;
}

// The largest step at which Width x Height columns fit the preview's room.
function fittingZoom(zooms, width, height) {
  const room = { w: window.innerWidth * 0.56, h: window.innerHeight * 0.5 };
  return [...zooms].reverse().find((z) => width * z <= room.w && height * z <= room.h) ?? 1;
}

let shown = null;  // the open preview's context

// The code page changed: an open preview draws the text again.
export function redrawPreview() {
  if (shown && $('preview').open) draw(shown, Number($('preview-zoom').value));
}

// The text as drawn at 1:1, without the marks, as an RGB PNG; null when
// there is none.
function pngOf(page) {
  const p = page.previewText($('preview-text').value, 0);
  if (p.error) throw new Error(p.error.replace(/\.$/, ''));
  if (!p.width || !p.height) return null;
  const rgb = new Uint8Array(p.width * p.height * 3);
  for (let i = 0, o = 0; o < rgb.length; i += 4, o += 3) rgb.set(p.rgba.subarray(i, i + 3), o);
  return encode({ width: p.width, height: p.height, data: rgb, depth: 8, channels: 3 });
}

// Ctx: the page, the editor (apply), the display's texts, readFile and
// guarded (main.js's).
export function showPreview(ctx) {
  const { page, editor, display, readFile, guarded } = ctx;
  shown = ctx;
  const select = $('preview-zoom');
  if (!select.options.length) select.append(...display.zoomSteps.map((z) => new Option(`${z}x`, String(z))));
  $('preview-width').value = String(load('previewWidth') ?? 0);
  const redraw = () => draw(ctx, Number(select.value));
  const width = draw(ctx, 1);
  select.value = String(load('previewZoom') ?? fittingZoom(display.zoomSteps, width, page.height()));
  redraw();
  $('preview-text').oninput = redraw;
  select.onchange = () => { save('previewZoom', Number(select.value)); redraw(); };
  $('preview-width').oninput = () => { save('previewWidth', limit()); redraw(); };
  const open = $('preview-open');
  open.onchange = guarded(async () => {
    const file = open.files[0];
    open.value = '';
    if (!file) return;
    const text = page.readText(await readFile(file), file.name);
    if (text.error) return warning(text.error);
    $('preview-text').value = text.text.replace(/\n$/, '');
    redraw();
  });
  $('preview-save').onclick = guarded(async () => {
    const png = pngOf(page);
    if (!png) return warning(display.noPreviewToSave);
    await saveBytes(() => png, { name: page.name().replace(/\.[^.]*$/, '') + '.png', type: 'image/png', extension: '.png' });
  });
  // A glyph clicked: its character's row, as Go To Character selects it.
  $('preview-canvas').onclick = (e) => {
    const box = e.currentTarget.getBoundingClientRect(), factor = Number(select.value);
    const x = e.clientX - box.left - display.previewMargin, y = e.clientY - box.top;
    if (x < 0) return;
    const c = page.previewCharAt($('preview-text').value, Math.floor(x / factor), Math.floor(y / factor));
    const result = c >= 0 ? page.goToChar(c) : null;
    if (result && !result.error) editor.apply(result);
  };
  showDialog($('preview'));
}
