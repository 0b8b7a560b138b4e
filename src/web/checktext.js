// Glyph > Check Text...: a panel beside the strip where a translation is
// typed, pasted or opened. Which characters the font lacks under its code
// page, and what can be done about each, is the core's; the browser
// decomposes, as for Build Accented Characters.
import { warning } from './dialogs.js';

const $ = (id) => document.getElementById(id);
const nfd = (c) => [...String.fromCodePoint(c).normalize('NFD')].map((p) => p.codePointAt(0));

export class CheckText {
  // ctx: the page, the editor (apply), readFile and guarded (main.js's).
  constructor(ctx) {
    Object.assign(this, ctx);
    this.missing = [];
    const input = $('check-input');
    input.addEventListener('input', () => this.refresh());
    input.addEventListener('click', () => this.clicked());
    const open = $('check-open');
    open.addEventListener('change', this.guarded(async () => {
      const file = open.files[0];
      open.value = '';
      if (file) await this.openText(await this.readFile(file), file.name);
    }));
    $('check-build').addEventListener('click', this.guarded(() => this.build()));
    $('check-close').addEventListener('click', () => { $('check-panel').hidden = true; });
  }

  get shown() { return !$('check-panel').hidden; }

  show() {
    $('check-panel').hidden = false;
    this.refresh();
    $('check-input').focus();
  }

  // Open Text...: the file's text, read by the core, in the box.
  openText(bytes, name) {
    const text = this.page.readText(bytes, name);
    if (text.error) return warning(text.error);
    $('check-input').value = text.text;
    this.refresh();
  }

  // The font, its pixels or its code page changed, or the text: the list
  // follows.
  refresh() {
    if (!this.shown || !this.page.hasFont()) return;
    const result = this.page.checkText($('check-input').value, nfd);
    if (result.error) {
      $('check-summary').textContent = result.error;
      return;
    }
    this.missing = result.missing;
    const n = this.missing.length, m = result.characters;
    $('check-summary').textContent = n ? `${n} of ${m} characters are missing.` : `All ${m} characters are in the font.`;
    $('check-list').tBodies[0].replaceChildren(...this.missing.map((c) => {
      const tr = document.createElement('tr');
      for (const text of [c.char, c.unicode, c.code === null ? '' : String(c.code), c.what])
        tr.append(Object.assign(document.createElement('td'), { textContent: text }));
      return tr;
    }));
    $('check-build').disabled = !this.missing.some((c) => c.fix === 'build');
  }

  // Every one that can be built, as one step, as Build Accented Characters
  // builds them.
  build() {
    const built = this.missing.filter((c) => c.fix === 'build').map((c) => c.codePoint);
    if (!built.length) return;
    const result = this.page.buildAccented(built, built.map(nfd));
    this.editor.apply(result);
    if (result.notBuilt) warning(result.notBuilt);
  }

  // A character of the text clicked: its row, when the font has it.
  clicked() {
    const input = $('check-input');
    if (input.selectionStart !== input.selectionEnd) return;
    const c = input.value.codePointAt(input.selectionStart);
    if (c === undefined) return;
    const result = this.page.goToChar(c);
    if (!result.error) this.editor.apply(result);
  }
}
