// The page's editing commands, over the core's edits and history: drawing on
// the strip, the Colours panel, the glyph commands, characters in and out,
// the Character Table dialog, and Copy and Paste Glyph.
import { encode } from 'fast-png';
import { standardError, warning, yesNo } from './dialogs.js';
import { decodePng } from './picture.js';

const $ = (id) => document.getElementById(id);

// The window's number dialogs: each field a whole number within its range,
// then the command's own check; Enter is OK and Escape Cancel.
function askNumbers(title, fields, check) {
  const dialog = $('numbers');
  $('numbers-title').textContent = title;
  const box = $('numbers-fields');
  box.replaceChildren();
  const inputs = fields.map((f, i) => {
    const input = Object.assign(document.createElement('input'), { id: `number-${i}`, value: f.text ?? '' });
    input.inputMode = 'numeric';
    const label = Object.assign(document.createElement('label'), { htmlFor: input.id, textContent: f.label });
    box.append(label, input);
    return input;
  });
  return new Promise((resolve) => {
    const form = $('numbers-form');
    form.onsubmit = async (e) => {
      e.preventDefault();
      const values = [];
      for (const [i, f] of fields.entries()) {
        const text = inputs[i].value.trim();
        const v = /^[+-]?\d+$/.test(text) ? Number(text) : NaN;
        if (!(v >= f.min && v <= f.max)) {
          await warning(f.wholeNumber);
          inputs[i].focus();
          return;
        }
        values.push(v);
      }
      const why = check(values);
      if (why) {
        await warning(`${why[0].toUpperCase()}${why.slice(1)}.`);
        return;
      }
      dialog.close('ok');
      resolve(values);
    };
    form.querySelector('button[value=cancel]').onclick = () => dialog.close('cancel');
    dialog.addEventListener('close', () => resolve(null), { once: true });
    dialog.showModal();
    inputs[0].focus();
    inputs[0].select();
  });
}

// A dialog of one text field: what was typed, or null for Cancel.
function askText(title, label) {
  const dialog = $('text-dialog');
  $('text-title').textContent = title;
  $('text-label').textContent = label;
  const input = $('text-input');
  input.value = '';
  return new Promise((resolve) => {
    $('text-form').onsubmit = (e) => {
      e.preventDefault();
      dialog.close('ok');
      resolve(input.value);
    };
    $('text-form').querySelector('button[value=cancel]').onclick = () => dialog.close('cancel');
    dialog.addEventListener('close', () => { if (dialog.returnValue !== 'ok') resolve(null); }, { once: true });
    dialog.returnValue = '';
    dialog.showModal();
    input.focus();
  });
}

// Edit > Replace Colour...: From and To as the font's depth writes them, each
// with its swatch, and how many pixels the values would change; [from, to]
// on OK, null for Cancel.
function askReplaceColor(page, from, to) {
  const dialog = $('replace-dialog');
  const inputs = [$('replace-from'), $('replace-to')];
  inputs[0].value = page.colorValueText(from);
  inputs[1].value = page.colorValueText(to);
  const follow = () => {
    const values = inputs.map((input, k) => {
      const v = page.colorValueOf('', input.value.trim());
      const swatch = $(['replace-from-swatch', 'replace-to-swatch'][k]);
      swatch.style.background = v.error ? 'transparent' : `rgb(${page.rgbOf(v.value).join(',')})`;
      return v.error ? null : v.value;
    });
    const count = values[0] !== null && values[1] !== null && values[0] !== values[1] ? page.countColor(values[0]) : 0;
    $('replace-note').textContent = `${count} pixels will change.`;
  };
  for (const input of inputs) input.oninput = follow;
  follow();
  return new Promise((resolve) => {
    $('replace-form').onsubmit = async (e) => {
      e.preventDefault();
      const values = [];
      for (const [k, input] of inputs.entries()) {
        const v = page.colorValueOf(['From', 'To'][k], input.value.trim());
        if (v.error) {
          await warning(v.error);
          input.focus();
          return;
        }
        values.push(v.value);
      }
      dialog.close('ok');
      resolve(values);
    };
    $('replace-form').querySelector('button[value=cancel]').onclick = () => dialog.close('cancel');
    dialog.addEventListener('close', () => { if (dialog.returnValue !== 'ok') resolve(null); }, { once: true });
    dialog.returnValue = '';
    dialog.showModal();
    inputs[0].focus();
    inputs[0].select();
  });
}

// What a command's run gives back when all it did was move selected pixels.
export const MOVED = Symbol('moved');

export class Editor {
  // ctx: the page, the view, the core's display numbers and texts, and the
  // main script's showFont, showSelection, updateCommands, keep (hands a
  // change to the storage), setStatus and aids (the guides follow the font's pixels and colours).
  constructor(ctx) {
    Object.assign(this, ctx);
    this.drawing = false;
    this.colorsShown = false;  // View > Colours
    this.held = null;  // the button of the stroke in progress
    this.copied = null;  // the last Copy Glyph of this page: its PNG and indices
    this.setupPointer();
    this.setupColors();
  }

  // What a change did: pixels to show again, or a new table or strip.
  // MOVED when it only moved selected pixels.
  apply(result) {
    if (!result) return undefined;
    const moved = result.shift && this.view.moveShown(result.shift);
    if (!moved) this.view.setFrame(this.page.pixelFrame());
    if (result.row !== undefined) this.showFont();
    else if (result.area) {
      if (!moved) this.view.redrawArea(result.area);
      this.aids.fontChanged();
    }
    if (result.unchanged) this.setStatus(result.unchanged);
    this.keep();
    // Once per event: showing the selection updates the commands too.
    if (result.selected !== undefined) this.showSelection(!result.stay);
    else if (!result.shift) this.updateCommands();  // a move keeps no step: the commands stay
    if (result.error) standardError(result.error);
    return result.shift && !result.error ? MOVED : undefined;
  }

  opened() {
    this.showColors();
  }

  // A command the session runs, asking for its dialog's values first: what
  // they open with and why they are refused are the core's.
  async run(command) {
    this.finish();
    let values = [];
    if (command.fields.length) {
      const start = this.page.dialogStart(command.id);
      values = await askNumbers(command.title, command.fields.map((f, i) => ({ ...f, text: start[i] === null ? '' : String(start[i]) })),
        (v) => this.page.dialogRefusal(command.id, v));
      if (!values) return undefined;
    }
    return this.apply(this.page.runCommand(command.id, values));
  }

  setDrawing(on) {
    this.drawing = on;
    if (!on) this.finish();
    $('draw').setAttribute('aria-pressed', String(on));
    $('colours').hidden = !(on || this.colorsShown);
    $('tools').hidden = !on;
    this.view.scroller.classList.toggle('drawing', on);
    this.showColors();
  }

  finish() {
    if (this.held === null) return;
    this.held = null;
    this.apply(this.page.release());
  }

  setupPointer() {
    const scroller = this.view.scroller;
    const inView = (e) => e.offsetX < scroller.clientWidth && e.offsetY < scroller.clientHeight;
    scroller.addEventListener('pointerdown', (e) => {
      if (!this.drawing || this.held !== null || !inView(e) || (e.button !== 0 && e.button !== 2)) return;
      const at = this.view.pointAt(e.clientX, e.clientY);
      const result = this.page.press(at.x, at.y, e.button, e.ctrlKey || e.metaKey, e.shiftKey);
      if (result.picked) this.showColors();
      if (this.page.stroking()) {
        this.held = e.button;
        try {
          scroller.setPointerCapture(e.pointerId);
        } catch {
          // A pointer the browser no longer tracks: the stroke ends at its release.
        }
      }
      e.preventDefault();
      this.apply(result);
    });
    scroller.addEventListener('pointermove', (e) => {
      if (this.held === null) return;
      // Every position the browser saw, so a fast drag is still one line.
      // An event made by a script has none: then it is the one position.
      const seen = e.getCoalescedEvents?.() ?? [];
      for (const p of seen.length ? seen : [e]) {
        const at = this.view.pointAt(p.clientX, p.clientY);
        const result = this.page.drag(at.x, at.y, p.shiftKey);
        if (result.error) {
          this.held = null;
          this.apply(result);
          return;
        }
        // Only what the drag changed is drawn again; pixels that only moved are moved.
        if (result.area && !(result.shift && this.view.moveShown(result.shift))) this.view.redrawArea(result.area);
      }
      this.view.setFrame(this.page.pixelFrame());
      this.aids.fontChanged();
    });
    const up = (e) => { if (this.held === e.button || e.type === 'pointercancel') this.finish(); };
    scroller.addEventListener('pointerup', up);
    scroller.addEventListener('pointercancel', up);
    scroller.addEventListener('contextmenu', (e) => { if (this.drawing) e.preventDefault(); });
  }

  setupColors() {
    const swatches = $('swatches');
    for (let i = 0; i < 256; i++) {
      const b = Object.assign(document.createElement('button'), { type: 'button' });
      b.dataset.index = String(i);
      b.addEventListener('click', (e) => this.choose(e.shiftKey, i));
      b.addEventListener('contextmenu', (e) => { e.preventDefault(); this.choose(true, i); });
      swatches.append(b);
    }
    for (const [id, background] of [['current-input', false], ['background-input', true]]) {
      $(id).addEventListener('input', () => {
        const hex = $(id).value;
        const [r, g, b] = [1, 3, 5].map((k) => parseInt(hex.slice(k, k + 2), 16));
        this.choose(background, this.page.to565(r, g, b));
      });
    }
  }

  choose(background, value) {
    this.page.setColor(background, value);
    this.showColors();
  }

  // The panel as the font and palette stand: each swatch says its index and RGB.
  showColors() {
    if (!this.page.hasFont()) return;
    const css = (rgb) => `rgb(${rgb.join(',')})`;
    const hex = (rgb) => `#${rgb.map((c) => c.toString(16).padStart(2, '0')).join('')}`;
    const { current, background } = this.page.colors();
    const eight = this.page.bits() === 8;
    $('swatches').hidden = !eight;
    $('pickers').hidden = eight;
    for (const [id, value] of [['current-colour', current], ['background-colour', background]]) {
      const rgb = this.page.rgbOf(value);
      $(id).style.background = css(rgb);
      $(id).setAttribute('aria-label', eight ? this.page.swatchText(value)
        : `value 0x${value.toString(16).padStart(4, '0')}   RGB ${rgb.join(', ')}`);
    }
    if (eight) {
      for (const b of $('swatches').children) {
        const i = Number(b.dataset.index);
        b.style.background = css(this.page.rgbOf(i));
        b.title = this.page.swatchText(i);
        b.setAttribute('aria-label', b.title);
        b.classList.toggle('current', i === current);
      }
    } else {
      $('current-input').value = hex(this.page.rgbOf(current));
      $('background-input').value = hex(this.page.rgbOf(background));
    }
    // Ink is what is not the background colour: the guides follow it.
    this.aids.fontChanged();
  }

  // View > Colours: the panel without drawing.
  setColorsShown(on) {
    this.colorsShown = on;
    $('colours-shown').setAttribute('aria-pressed', String(on));
    $('colours').hidden = !(on || this.drawing);
    this.showColors();
  }

  currentRow() { return this.page.selection().current; }

  async replaceColor() {
    this.finish();
    const { current, background } = this.page.colors();
    const v = await askReplaceColor(this.page, background, current);
    if (v) this.apply(this.page.replaceColor(v[0], v[1]));
  }

  async goTo() {
    const text = await askText('Go To Character', this.display.goToLabel);
    if (text === null) return;
    const result = this.page.goTo(text.trim());
    if (result.error) return warning(result.error);
    this.apply(result);
  }

  // The browser decomposes; what is built of what is the core's.
  async buildAccented() {
    this.finish();
    const text = await askText('Build Accented Characters', this.display.accentsLabel);
    if (text === null) return;
    const asked = this.page.accentCodes(text);
    if (asked.error) return warning(asked.error);
    const parts = asked.codes.map((c) => [...String.fromCodePoint(c).normalize('NFD')].map((p) => p.codePointAt(0)));
    const result = this.page.buildAccented(asked.codes, parts);
    this.apply(result);
    if (result.notBuilt) warning(result.notBuilt);
  }

  // Edit > Character Table...: rows to change, add, remove and sort; refusals
  // are warnings and the dialog stays open.
  characterTable() {
    this.finish();
    const dialog = $('table-dialog'), body = $('table-grid').tBodies[0];
    let current = this.currentRow();
    const rows = () => [...body.rows].map((tr) => [...tr.querySelectorAll('input')].map((i) => i.value));
    const fill = (list, at) => {
      body.replaceChildren(...list.map((r, i) => {
        const tr = document.createElement('tr');
        r.forEach((text, c) => {
          const td = document.createElement('td');
          const input = Object.assign(document.createElement('input'), { value: text });
          input.setAttribute('aria-label', `${['Code', 'X', 'Extra'][c]} of row ${i + 1}`);
          input.addEventListener('focus', () => { current = i; mark(); });
          td.append(input);
          tr.append(td);
        });
        return tr;
      }));
      current = list.length ? Math.min(Math.max(at, 0), list.length - 1) : -1;
      mark();
    };
    const mark = () => [...body.rows].forEach((tr, i) => tr.classList.toggle('current', i === current));
    fill(this.page.tableRows(), current);
    $('table-add').onclick = async () => {
      const list = rows();
      if (list.length >= this.display.maxChars) return warning(this.display.tooManyChars);
      const at = list.length === 0 || current < 0 ? list.length : current + 1;
      list.splice(at, 0, this.page.rowAfter(at > 0 ? list[at - 1] : null));
      fill(list, at);
      body.rows[at]?.querySelector('input').focus();
    };
    $('table-remove').onclick = () => {
      if (current < 0) return;
      const list = rows();
      list.splice(current, 1);
      fill(list, current);
    };
    $('table-sort').onclick = async () => {
      const sorted = this.page.sortRows(rows());
      if (sorted.error) return warning(sorted.error);
      fill(sorted.rows, 0);
    };
    $('table-ok').onclick = async () => {
      const result = this.page.setTable(rows(), Math.max(current, 0));
      if (result.refused) return warning(result.error);
      dialog.close();
      this.apply(result);
    };
    $('table-cancel').onclick = () => dialog.close();
    dialog.onkeydown = (e) => { if (e.key === 'Enter' && e.target.tagName === 'INPUT') { e.preventDefault(); $('table-ok').click(); } };
    dialog.showModal();
  }

  // The glyph as PNG on the system clipboard, indexed for an 8-bit font;
  // its indices are kept for a paste in this page.
  copyGlyph() { return this.copy(this.page.glyphPicture(this.currentRow())); }
  copyStrip() { return this.copy(this.page.stripPicture()); }

  async copy(picture) {
    if (!picture || picture.error) return picture && standardError(picture.error);
    const { width, height, indexed, data, table } = picture;
    const palette = indexed ? Array.from({ length: 256 }, (_, k) => [...table.subarray(4 * k, 4 * k + 3)]) : undefined;
    const png = encode({ width, height, data, depth: 8, channels: indexed ? 1 : 4, palette });
    this.copied = { png, picture };
    try {
      await navigator.clipboard.write([new ClipboardItem({ 'image/png': new Blob([png], { type: 'image/png' }) })]);
    } catch (e) {
      // Kept for a paste in this page all the same.
      await warning(`The picture is kept for Paste Glyph in this page only: the browser won't put it on the clipboard (${e.message}).`);
    }
  }

  // The clipboard's picture into the selected glyph, under Import Picture's
  // colour rules; the page's own copy keeps its indices.
  async pasteGlyph() {
    this.finish();
    let png = null, refused = null;
    try {
      for (const item of await navigator.clipboard.read()) {
        if (item.types.includes('image/png')) {
          png = new Uint8Array(await (await item.getType('image/png')).arrayBuffer());
          break;
        }
      }
    } catch (e) {
      refused = e;
    }
    let picture = null;
    if (png) {
      try {
        picture = decodePng(png, this.display.picturePixelsPerByte);
      } catch (e) {
        return standardError(`${this.display.cannotPaste}${e.message}.`);
      }
    }
    // The browser may have written the copy again in another form: what the
    // pixels look like tells whether it is still this page's own.
    if (this.copied && (refused || (picture && sameColors(picture, this.copied.picture)))) {
      picture = this.copied.picture;
    } else if (!picture) {
      return standardError(refused ? `The browser won't give the clipboard's picture (${refused.message}).`
        : `${this.display.noPictureToPaste}.`);
    }
    const run = (nearest) => this.page.pastePixels(picture.width, picture.height,
      picture.indexed, picture.data, picture.table, nearest);
    let result = run(false);
    if (result.question) {
      if (!(await yesNo(result.question))) return;
      result = run(true);
    }
    this.apply(result);
  }
}

// The picture's colours, RGBA per pixel.
function rgbaOf(p) {
  if (!p.indexed) return p.data;
  const out = new Uint8Array(p.width * p.height * 4);
  p.data.forEach((index, i) => out.set(p.table.subarray(4 * index, 4 * index + 4), 4 * i));
  return out;
}

function sameColors(a, b) {
  if (a.width !== b.width || a.height !== b.height) return false;
  const x = rgbaOf(a), y = rgbaOf(b);
  return x.length === y.length && x.every((v, i) => v === y[i]);
}
