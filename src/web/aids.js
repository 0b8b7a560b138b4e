// The View menu's aids to drawing letters: the guides across the strip and
// the reference glyph under the selected one. The rules are the core's; this
// keeps the rows set for each font's name in the browser's storage and tells
// the view what to draw.
import { warning } from './dialogs.js';
import { load, save } from './settings.js';

const $ = (id) => document.getElementById(id);
const FIELDS = ['guide-cap', 'guide-x', 'guide-base'];
const rowsOf = (r) => [r.cap, r.x, r.base];

export class Aids {
  // ctx: the page, the view, the core's display texts as texts, and readFile
  // (a picked file's bytes, within what the page holds).
  constructor(ctx) {
    Object.assign(this, ctx);
    this.guidesOn = false;  // View > Guides
    this.found = null;  // the rows found, until the font changes
    this.choice = { text: '', file: null };  // the last reference set: {bytes, name} of another font
    FIELDS.forEach((id, k) => { $(`${id}-label`).textContent = this.texts.guideLabels[k]; });
    $('reference-text-label').textContent = this.texts.goToLabel;
    $('reference-this-label').append(this.texts.referenceThisFont);
    $('reference-other-label').append(this.texts.referenceOtherFont);
  }

  // The rows set for the font's name: [cap, x, base], or null.
  kept(name = this.page.name()) {
    const rows = (load('guides') ?? {})[name];
    const fits = (r) => r === null || (Number.isInteger(r) && r >= 0 && r <= this.page.height());
    return Array.isArray(rows) && rows.length === 3 && rows.every(fits) ? rows : null;
  }

  keep(name, rows) {
    const all = load('guides') ?? {};
    if (rows) all[name] = rows;
    else delete all[name];
    save('guides', all);
  }

  // The rows the guides are drawn at: those set for the font, else those found.
  rows() {
    const kept = this.kept();
    if (kept) return kept;
    this.found ??= rowsOf(this.page.guides());
    return this.found;
  }

  setShown(on) {
    this.guidesOn = on;
    $('guides').setAttribute('aria-pressed', String(on));
    this.follow();
  }

  // The font, its pixels or its colours changed: the guides are found again.
  fontChanged() {
    this.found = null;
    this.follow();
  }

  follow() {
    const on = this.guidesOn && this.page.hasFont() && this.page.height() > 0;
    this.view.setGuides(on ? this.rows().filter((r) => r !== null) : []);
  }

  // Saved under another name: the rows set go with the font.
  saved(before) {
    const rows = this.kept(before);
    if (rows && before !== this.page.name()) this.keep(this.page.name(), rows);
  }

  // View > Guides...: OK keeps the rows typed, Reset goes back to those
  // found; either shows the guides.
  askGuides() {
    const dialog = $('guides-dialog');
    const inputs = FIELDS.map((id) => $(id));
    this.rows().forEach((r, k) => { inputs[k].value = r === null ? '' : String(r); });
    return new Promise((resolve) => {
      const done = (rows) => {
        this.keep(this.page.name(), rows);
        dialog.close('ok');
        this.setShown(true);
        resolve();
      };
      $('guides-form').onsubmit = async (e) => {
        e.preventDefault();
        const rows = [];
        for (const [k, input] of inputs.entries()) {
          const v = this.page.guideRowOf(k, input.value);
          if (v.error) {
            await warning(v.error);
            input.focus();
            return;
          }
          rows.push(v.row);
        }
        done(rows);
      };
      $('guides-reset').onclick = () => done(null);
      $('guides-form').querySelector('button[value=cancel]').onclick = () => dialog.close('cancel');
      dialog.addEventListener('close', () => { if (dialog.returnValue !== 'ok') resolve(); }, { once: true });
      dialog.returnValue = '';
      dialog.showModal();
      inputs[0].focus();
      inputs[0].select();
    });
  }

  // View > Reference Glyph...: the character, and this font or another font
  // file; OK sets it (a refusal says why and changes nothing), None clears it.
  askReference() {
    const dialog = $('reference-dialog');
    const text = $('reference-text'), other = $('reference-other'), input = $('reference-file');
    let file = this.choice.file;
    text.value = this.choice.text;
    (file ? other : $('reference-this')).checked = true;
    $('reference-file-name').textContent = file?.name ?? '';
    input.value = '';
    input.onchange = async () => {
      const picked = input.files[0];
      input.value = '';
      if (!picked) return;
      try {
        file = { bytes: await this.readFile(picked), name: picked.name };
      } catch (e) {
        return warning(`${e.message}.`);
      }
      $('reference-file-name').textContent = file.name;
      other.checked = true;
    };
    return new Promise((resolve) => {
      const finish = (answer) => { dialog.close(answer); };
      $('reference-form').onsubmit = async (e) => {
        e.preventDefault();
        if (other.checked && !file) {
          await warning(this.texts.referenceNoFile);
          return;
        }
        finish('ok');
        const from = other.checked ? file : null;
        const result = this.page.setReference(text.value.trim(), !!from, from?.bytes ?? new Uint8Array(), from?.name ?? '');
        if (result.error) await warning(result.error);
        else this.choice = { text: text.value.trim(), file: from };
        this.view.redraw();
        resolve();
      };
      $('reference-none').onclick = () => {
        this.page.clearReference();
        finish('ok');
        this.view.redraw();
        resolve();
      };
      $('reference-form').querySelector('button[value=cancel]').onclick = () => finish('cancel');
      dialog.addEventListener('close', () => { if (dialog.returnValue !== 'ok') resolve(); }, { once: true });
      dialog.returnValue = '';
      dialog.showModal();
      text.focus();
      text.select();
    });
  }
}
