// Text Preview: typed, pasted or opened lines drawn with the font's glyphs
// as the game lays them out, all by the core, with a zoom of its own that
// starts where the text fits. The gaps of characters the font lacks are
// framed, and the lines wider than the Width field are marked.
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { EditorState } from '@codemirror/state';
import { EditorView, keymap, placeholder } from '@codemirror/view';
import { encode } from 'fast-png';
import { showDialog, warning } from './dialogs.js';
import { saveBytes } from './files.js';
import { load, save } from './settings.js';

const $ = (id) => document.getElementById(id);
const limit = () => Math.max(0, Math.floor(Number($('preview-width').value)) || 0);

// The text box: CodeMirror's, which lays out only the lines in view, so a key
// typed into a translation of thousands of lines costs no more than into one.
// Each change is handed to the page as the units it replaced.
let box = null, onChange = () => {};
function textBox() {
  box ??= new EditorView({
    parent: $('preview-box'),
    state: EditorState.create({
      doc: 'The quick brown fox',
      extensions: [
        history(),
        keymap.of([...defaultKeymap, ...historyKeymap]),
        placeholder('Type or paste text'),
        EditorView.contentAttributes.of({ id: 'preview-text', 'aria-label': 'Text', 'aria-multiline': 'true' }),
        EditorView.updateListener.of((update) => { if (update.docChanged) onChange(update); }),
      ],
    }),
  });
  return box;
}

// The page's copy of the text follows the box's: the changes alone, or the
// whole text when the two differ in size.
function follow(page, update) {
  const doc = textBox().state.doc;
  if (update && page.previewSize() === update.startState.doc.length) {
    update.changes.iterChanges((fromA, toA, fromB, toB, inserted) =>
      page.previewEdit(fromB, toA - fromA, inserted.toString()));
  }
  if (page.previewSize() !== doc.length || !update) page.previewEdit(0, 2 ** 31 - 1, doc.toString());
}

let drawn = null;  // the lines in view at 1:1, kept from one draw to the next

// Draws the lines in view at Factor; the text's width at 1:1. The canvas is
// the view's size and goes where the view is scrolled to, over a spacer as
// large as the whole preview: a long text costs no more than its lines in view.
function draw(shownNow, factor, again = true) {
  const { page, display } = shownNow;
  const area = $('preview-area'), canvas = $('preview-canvas'), m = display.previewMargin, most = limit();
  const room = [area.clientWidth, area.clientHeight];
  const lh0 = page.height(), lh = lh0 * factor;
  const first = lh > 0 ? Math.floor(area.scrollTop / lh) : 0;
  const count = lh > 0 ? Math.ceil((area.clientHeight || lh) / lh) + 1 : 0;
  const columns = Math.ceil((area.clientWidth || 1) / factor) + 2;
  const p = page.previewText(most, first, count,
    Math.floor(Math.max(0, area.scrollLeft - m) / factor), columns);
  $('preview-status').textContent = p.error ?? p.status ?? '';
  const w = p.width ?? 0, cw = m + Math.max(w, most + 1) * factor, ch = (p.lines ?? 0) * lh;
  $('preview-space').style.width = `${cw}px`;
  $('preview-space').style.height = `${ch}px`;
  // The view grew or shrank with the text: its lines and columns are others.
  if (again && (area.clientWidth !== room[0] || area.clientHeight !== room[1])) return draw(shownNow, factor, false);
  const left = area.scrollLeft, top = area.scrollTop;
  canvas.style.left = `${left}px`;
  canvas.style.top = `${top}px`;
  // Resized only when the size changes: a resize allocates the canvas anew.
  const cwNow = Math.max(1, Math.min(cw - left, area.clientWidth || cw));
  const chNow = Math.max(1, Math.min(ch - top, area.clientHeight || ch));
  if (canvas.width !== cwNow) canvas.width = cwNow;
  if (canvas.height !== chNow) canvas.height = chNow;
  const ctx = canvas.getContext('2d');
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  if (p.error || !ch) return w;
  ctx.imageSmoothingEnabled = false;
  ctx.setTransform(1, 0, 0, 1, -left, -top);
  const y0 = p.first * lh;
  if (p.drawnWidth > 0 && p.drawnHeight > 0) {
    const pixels = new Uint8ClampedArray(p.rgba.buffer, p.rgba.byteOffset, p.rgba.length);
    const image = new ImageData(pixels, p.drawnWidth, p.drawnHeight);
    if (factor === 1) {
      ctx.putImageData(image, m + p.left - left, y0 - top);  // where the view is, untransformed
    } else {
      const one = drawn ??= document.createElement('canvas');
      if (one.width !== p.drawnWidth) one.width = p.drawnWidth;
      if (one.height !== p.drawnHeight) one.height = p.drawnHeight;
      one.getContext('2d').putImageData(image, 0, 0);
      ctx.drawImage(one, 0, 0, p.drawnWidth, p.drawnHeight,
        m + p.left * factor, y0, p.drawnWidth * factor, p.drawnHeight * factor);
    }
  }
  // Marks one screen pixel wide, in the strip's frame colour.
  ctx.fillStyle = display.frameColor;
  for (let i = 0; i < p.gaps.length; i += 3) {
    const x = m + p.gaps[i + 1] * factor, y = p.gaps[i] * lh, gw = p.gaps[i + 2] * factor;
    ctx.fillRect(x, y, 1, lh);
    if (gw === 0) continue;
    ctx.fillRect(x + gw - 1, y, 1, lh);
    ctx.fillRect(x, y, gw, 1);
    ctx.fillRect(x, y + lh - 1, gw, 1);
  }
  if (most > 0) {
    ctx.fillRect(m + most * factor, y0, 1, count * lh);
    for (const l of p.wider) if (l >= first && l < first + count) ctx.fillRect(0, l * lh, 2, lh);
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
  const p = page.previewText(0, 0, 2 ** 31 - 1, 0, 2 ** 31 - 1);
  if (p.error) throw new Error(p.error.replace(/\.$/, ''));
  const width = p.drawnWidth, height = p.drawnHeight;
  if (!width || !height) return null;
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, o = 0; o < rgb.length; i += 4, o += 3) rgb.set(p.rgba.subarray(i, i + 3), o);
  return encode({ width, height, data: rgb, depth: 8, channels: 3 });
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
  textBox();
  follow(page, null);
  onChange = (update) => { follow(page, update); redraw(); };
  const width = draw(ctx, 1);
  select.value = String(load('previewZoom') ?? fittingZoom(display.zoomSteps, width, page.height()));
  redraw();
  $('preview-area').onscroll = redraw;
  select.onchange = () => { save('previewZoom', Number(select.value)); redraw(); };
  $('preview-width').oninput = () => { save('previewWidth', limit()); redraw(); };
  const open = $('preview-open');
  open.onchange = guarded(async () => {
    const file = open.files[0];
    open.value = '';
    if (!file) return;
    const text = page.readText(await readFile(file), file.name);
    if (text.error) return warning(text.error);
    box.dispatch({ changes: { from: 0, to: box.state.doc.length, insert: text.text.replace(/\n$/, '') } });
  });
  $('preview-save').onclick = guarded(async () => {
    const png = pngOf(page);
    if (!png) return warning(display.noPreviewToSave);
    await saveBytes(() => png, { name: page.name().replace(/\.[^.]*$/, '') + '.png', type: 'image/png', extension: '.png' });
  });
  // A glyph clicked: its character's row, as Go To Character selects it.
  $('preview-canvas').onclick = (e) => {
    const at = e.currentTarget.getBoundingClientRect(), factor = Number(select.value);
    const x = e.clientX - at.left + $('preview-area').scrollLeft - display.previewMargin;
    const y = e.clientY - at.top + $('preview-area').scrollTop;
    if (x < 0) return;
    const c = page.previewCharAt(Math.floor(x / factor), Math.floor(y / factor));
    const result = c >= 0 ? page.goToChar(c) : null;
    if (result && !result.error) editor.apply(result);
  };
  showDialog($('preview'));
  redraw();  // the lines the open view holds
}
