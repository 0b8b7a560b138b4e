// File > New Font from Outline Font...: the browser loads the chosen font and
// draws and measures its glyphs; the core decides the codes, sizes,
// placement and colours, says what the strip holds and makes it one step.
// The font file stays in this dialog: nothing of it is kept.
import { error } from './dialogs.js';

const $ = (id) => document.getElementById(id);
const MEASURE_PX = 64;  // large enough that fonts differ in their measures
let families = 0;

// The core's glyph source over a loaded font (outlinefont.cpp).
class BrowserFont {
  constructor(family) {
    this.family = family;
    this.canvas = document.createElement('canvas');
    this.ctx = this.canvas.getContext('2d', { willReadFrequently: true });
    this.px = MEASURE_PX;
  }

  font(px, fallback = '') { return `${px}px "${this.family}"${fallback ? `, ${fallback}` : ''}`; }

  setSize(px) {
    this.px = px;
    this.ctx.font = this.font(px);
    const m = this.ctx.measureText('H');
    return { ascender: Math.ceil(m.fontBoundingBoxAscent), descender: Math.ceil(m.fontBoundingBoxDescent) };
  }

  // The font's own glyph measures the same whatever the fallback is.
  hasGlyph(codePoint) {
    const text = String.fromCodePoint(codePoint);
    const measure = (fallback) => {
      this.ctx.font = this.font(MEASURE_PX, fallback);
      const m = this.ctx.measureText(text);
      return [m.width, m.actualBoundingBoxLeft, m.actualBoundingBoxRight, m.actualBoundingBoxAscent, m.actualBoundingBoxDescent].join();
    };
    return measure('monospace') === measure('serif');
  }

  // The glyph's ink, a pixel of room round it, as alpha; null when too large to draw.
  render(codePoint) {
    const text = String.fromCodePoint(codePoint);
    const { ctx, canvas } = this;
    ctx.font = this.font(this.px);
    const m = ctx.measureText(text);
    const left = Math.floor(-m.actualBoundingBoxLeft) - 1, right = Math.ceil(m.actualBoundingBoxRight) + 1;
    const top = Math.ceil(m.actualBoundingBoxAscent) + 1, bottom = Math.ceil(m.actualBoundingBoxDescent) + 1;
    const width = right - left, rows = top + bottom;
    if (!(width > 0 && rows > 0 && width <= 8192 && rows <= 8192)) return null;
    canvas.width = width;  // clears it, and its settings
    canvas.height = rows;
    ctx.font = this.font(this.px);
    ctx.textBaseline = 'alphabetic';
    ctx.fillStyle = '#000';
    ctx.fillText(text, -left, top);
    const rgba = ctx.getImageData(0, 0, width, rows).data;
    const coverage = new Uint8Array(width * rows);
    for (let i = 0; i < coverage.length; ++i) coverage[i] = rgba[4 * i + 3];
    return { width, rows, left, top, advance: Math.round(m.width), coverage };
  }
}

// The chosen file as a font the browser can draw; refused with the page's text.
async function loadFont(page, file) {
  const family = `quillmere-outline-${++families}`;
  let face;
  try {
    face = new FontFace(family, await file.arrayBuffer());
    await face.load();
  } catch {
    throw new Error(page.outlineRefusal(file.name));
  }
  document.fonts.add(face);
  return { face, source: new BrowserFont(family), name: file.name };
}

// ctx: the page, the command list's code pages, the kept guides' rows for
// the font (or null), and apply (an edit's result shown and kept).
export async function askOutlineFont({ page, codePages, guides, apply }) {
  const dialog = $('outline-dialog'), form = $('outline-form'), status = $('outline-status');
  const start = page.outlineStart();
  const values = {
    'outline-chars': start.chars, 'outline-code-page': 'Unicode', 'outline-size': '0', 'outline-spacing': '0',
    'outline-color': start.color, 'outline-background': start.background,
    'outline-outline-color': start.outlineColor, 'outline-shadow-color': start.shadowColor,
    'outline-right': String(start.right), 'outline-down': String(start.down),
  };
  for (const [id, v] of Object.entries(values)) $(id).value = v;
  for (const id of ['outline-mono', 'outline-outline', 'outline-shadow']) $(id).checked = false;
  $('outline-mode').value = 'replace';
  $('outline-color-label').textContent = start.eight ? 'Colour:' : 'Colour (R,G,B):';
  $('outline-background-label').textContent = start.eight ? 'Background:' : 'Background (R,G,B):';
  $('outline-code-pages').replaceChildren(...codePages.map((name) => new Option(name)));
  $('outline-file-name').textContent = '';
  let font = null, refused = null, pending = 0;

  const fields = () => ({
    add: $('outline-mode').value === 'add',
    file: font?.name ?? '',
    chars: $('outline-chars').value,
    codePage: $('outline-code-page').value.trim() || 'Unicode',
    size: $('outline-size').valueAsNumber,
    spacing: $('outline-spacing').valueAsNumber,
    mono: $('outline-mono').checked,
    matchSize: $('outline-match-size').checked,
    matchColors: $('outline-match-colors').checked,
    color: $('outline-color').value,
    background: $('outline-background').value,
    outline: $('outline-outline').checked,
    outlineColor: $('outline-outline-color').value,
    shadow: $('outline-shadow').checked,
    shadowColor: $('outline-shadow-color').value,
    right: $('outline-right').valueAsNumber,
    down: $('outline-down').valueAsNumber,
    guides,
  });
  // What "match" stands in for is greyed while it does.
  const greyed = () => {
    const add = $('outline-mode').value === 'add';
    for (const id of ['outline-match-size', 'outline-match-colors']) $(id).disabled = !add;
    $('outline-size').disabled = add && $('outline-match-size').checked;
    for (const id of ['outline-color', 'outline-background']) $(id).disabled = add && $('outline-match-colors').checked;
    $('outline-outline-color').disabled = !$('outline-outline').checked;
    for (const id of ['outline-shadow-color', 'outline-right', 'outline-down']) $(id).disabled = !$('outline-shadow').checked;
  };
  const preview = () => {
    const canvas = $('outline-canvas');
    const shown = refused ? { error: refused } : page.outlinePreview(font?.source ?? null, fields());
    status.textContent = shown.error ?? shown.status;
    canvas.width = shown.error ? 0 : shown.width;
    canvas.height = shown.error ? 0 : shown.height;
    if (!shown.error && shown.width > 0 && shown.height > 0)
      canvas.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(shown.rgba), shown.width, shown.height), 0, 0);
    canvas.style.width = `${canvas.width * 2}px`;
    dialog.dataset.previews = String(Number(dialog.dataset.previews ?? 0) + 1);
  };
  // Typing goes on while the preview is made: the latest settings count.
  const later = () => {
    greyed();
    clearTimeout(pending);
    pending = setTimeout(preview, 60);
  };
  const drop = () => {
    if (font) document.fonts.delete(font.face);
    font = null;
  };

  $('outline-mode').onchange = () => {
    const add = $('outline-mode').value === 'add';
    for (const id of ['outline-match-size', 'outline-match-colors']) $(id).checked = add;
    later();
  };
  form.oninput = (e) => { if (e.target.id !== 'outline-file') later(); };
  const input = $('outline-file');
  input.value = '';
  input.onchange = async () => {
    const picked = input.files[0];
    input.value = '';
    if (!picked) return;
    drop();
    refused = null;
    $('outline-file-name').textContent = picked.name;
    try {
      font = await loadFont(page, picked);
      if (!dialog.open) return drop();  // closed while the font loaded
    } catch (e) {
      refused = e.message;
      preview();
      return error(refused);
    }
    preview();
  };
  greyed();
  preview();

  return new Promise((resolve) => {
    form.onsubmit = async (e) => {
      e.preventDefault();
      clearTimeout(pending);
      const result = refused ? { error: refused } : page.newFromOutline(font?.source ?? null, fields());
      if (result.error) {
        status.textContent = result.error;
        await error(result.error);
        return;
      }
      dialog.close('ok');
      apply(result);
    };
    form.querySelector('button[value=cancel]').onclick = () => dialog.close('cancel');
    dialog.addEventListener('close', () => {
      clearTimeout(pending);
      drop();
      resolve();
    }, { once: true });
    dialog.returnValue = '';
    dialog.showModal();
    $('outline-mode').focus();
  });
}
