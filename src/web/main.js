// The page: the desktop window's commands over the same core. Everything
// about fonts, palettes, pictures and colours is the core's; this script
// does the page, the canvas, the files and the downloads.
import createQuillCore from 'quillmere-core';
import quill8 from './samples/QUILL8.SFT';
import quill16 from './samples/QUILL16.SFT';
import sampleCmp from './samples/uicolormap.cmp';
import { error, showDialog, standardError, ask, warning, yesNo } from './dialogs.js';
import { Editor } from './editor.js';
import { Keeper } from './keeper.js';
import { setupMenus } from './menus.js';
import { decodePng, isPng } from './picture.js';
import { showPreview } from './preview.js';
import { load, save } from './settings.js';
import { StripView } from './view.js';

const $ = (id) => document.getElementById(id);
const SAMPLES = { 'QUILL8.SFT': quill8, 'QUILL16.SFT': quill16 };
const SAMPLE_PALETTE = 'uicolormap.cmp';
const INVALID_SFT = 'Invalid SFT file!';

let core, page, view, editor, keeper;
let paletteNote = '';

// Runs a command; whatever it throws is shown in the standard error box,
// and the page goes on.
const guarded = (command) => async (...args) => {
  try {
    await command(...args);
  } catch (e) {
    await standardError(`${e instanceof Error ? e.message : String(e)}.`);
  } finally {
    updateCommands();
  }
};

function updateCaption() {
  document.title = page.hasFont() ? `Quillmere : ${page.name()}${page.modified() ? '*' : ''}` : 'Quillmere';
}

// Hands what the last command added to the font's journal to the storage.
function keep() {
  const began = performance.now();
  const kept = page.takeJournal();
  if (!kept) return;
  const meta = { name: page.name(), changes: kept.changes };
  if (kept.start) keeper.start(kept.bytes, meta);
  else keeper.append(kept.bytes, meta);
  window.quillmereBench?.keepTimes.push(performance.now() - began);
}

function updateCommands() {
  const font = page?.hasFont() ?? false;
  if (font) keep();
  for (const el of document.querySelectorAll('[data-needs-font]')) {
    el.disabled = !font;
    el.classList.toggle('disabled', !font);
  }
  const row = $('chars').selectedIndex, glyph = font && row >= 0 ? page.table()[row] : null;
  const columns = !!glyph && glyph.end > glyph.begin && page.height() > 0;
  for (const id of ['copy-glyph', 'paste-glyph', 'set-width']) $(id).disabled = !columns;
  for (const b of document.querySelectorAll('[data-transform]')) b.disabled = !columns;
  $('delete-char').disabled = !font || row < 0;
  const undo = font ? page.undoName() : '', redo = font ? page.redoName() : '';
  $('undo').firstChild.textContent = undo ? `Undo ${undo}` : 'Undo';
  $('redo').firstChild.textContent = redo ? `Redo ${redo}` : 'Redo';
  $('undo').disabled = !undo;
  $('redo').disabled = !redo;
  $('zoom-in').disabled = !font || view.nextZoom(1) === 0;
  $('zoom-out').disabled = !font || view.zoom === 1;
  $('actual-size').disabled = !font || view.zoom === 1;
  updateCaption();
}

function setStatus(text) { $('status').textContent = text || paletteNote; }

function characterText(code) {
  // Printable Latin-1 only, as the status line shows it.
  const printable = (code > 0x20 && code < 0x7f) || (code >= 0xa1 && code <= 0xff);
  return printable ? `${code}  ${String.fromCharCode(code)}` : String(code);
}

// The window after a font was opened or replaced, Row selected.
function showFont(row) {
  $('font-info').replaceChildren(...page.infoLines().map((line) => {
    const li = document.createElement('li');
    li.textContent = line;
    return li;
  }));
  const chars = $('chars');
  chars.replaceChildren(...page.table().map((e, i) => new Option(characterText(e.code), String(i))));
  view.setPicture();
  if (chars.options.length) chars.selectedIndex = Math.min(Math.max(row, 0), chars.options.length - 1);
  selectChar();
  updateCommands();
}

// A press on the strip selects its character where the view stands.
function selectRow(row) {
  $('chars').selectedIndex = row;
  const entry = page.table()[row];
  if (entry) view.setSelected({ begin: entry.begin, end: entry.end });
  updateCommands();
}

// Scrolls the strip to the selected character's X.
function selectChar() {
  const i = $('chars').selectedIndex;
  const entry = i >= 0 ? page.table()[i] : null;
  if (!entry) return;
  view.setSelected({ begin: entry.begin, end: entry.end });
  view.scrollToX(entry.x);
  updateCommands();
}

function download(bytes, name, type = 'application/octet-stream') {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60_000);
}

// Unsaved changes: Save (the download), Discard or Cancel; true to go on.
async function maybeSave() {
  if (!page.hasFont() || !page.modified()) return true;
  const answer = await ask(`${page.name()} has unsaved changes. Save them?`,
    ['Save', 'Discard', 'Cancel'], 'Quillmere', 'Save');
  if (answer === 'Save') saveSft();
  return answer !== 'Cancel';
}

async function openFont(bytes, name) {
  if (!(await maybeSave())) return;
  const result = page.openFont(bytes, name);
  if (result.error === INVALID_SFT) return warning(INVALID_SFT);
  if (result.error) return standardError(result.error);
  keeper.drop();
  showFont(0);
  editor.opened();
}

// The reader's own warnings, then "Error loading Palette!"; nothing changes.
async function loadPalette(bytes, name, bm) {
  const result = page.loadPalette(bytes, bm);
  if (result.error) {
    for (const w of result.warnings ?? []) await warning(w);
    return error(result.error);
  }
  if (page.hasFont()) view.setPicture();
  editor.showColours();
  paletteNote = `Palette: ${name}`;
  setStatus();
  // Kept for the next visit when it is small enough for the page's storage.
  if (bytes.length <= 1 << 20) save('palette', { name, bm, bytes: Array.from(bytes) });
}

function saveSft() {
  const bytes = page.sftFile(page.name());
  if (bytes && !bytes.error) {
    download(bytes, page.name());
    keeper.drop();
  }
  else if (bytes?.error) throw new Error(bytes.error.replace(/\.$/, ''));
  updateCaption();
}

async function importPicture(bytes, name) {
  let picture;
  if (isPng(bytes)) {
    try {
      picture = decodePng(bytes);
    } catch (e) {
      return standardError(`Cannot import ${name}: ${e.message}.`);
    }
  }
  const run = (nearest) => (picture
    ? page.importPixels(picture.width, picture.height, picture.indexed, picture.data, picture.table, nearest, name)
    : page.importBmp(bytes, nearest, name));
  let result = run(false);
  if (result.question) {
    if (!(await yesNo(result.question))) return;
    result = run(true);
  }
  if (result.error) return standardError(result.error);
  showFont($('chars').selectedIndex);
}

function zoom(direction, anchorX = 0) {
  if (!page.hasFont()) return;
  const factor = direction === 0 ? 1 : view.nextZoom(direction);
  if (factor) view.setZoom(factor, anchorX);
  save('zoom', view.zoom);
  updateCommands();
}

function setBoundaries(shown) {
  $('boundaries').setAttribute('aria-pressed', String(shown));
  view.setBoundaries(shown);
  save('boundaries', shown);
}

// The most a file handed to the core may hold: the WebAssembly heap has 2 GiB
// in all, and the core keeps a copy of what it reads.
const MAX_FILE = 768 << 20;

async function readFile(file) {
  if (file.size > MAX_FILE)
    throw new Error(`${file.name} is ${file.size} bytes, more than this page can hold in memory (${MAX_FILE} bytes)`);
  return new Uint8Array(await file.arrayBuffer());
}

// A file picker's command; the picker is emptied so the same file can be
// picked again.
function onPick(id, command) {
  const input = $(id);
  input.addEventListener('change', guarded(async () => {
    const file = input.files[0];
    input.value = '';
    if (file) await command(await readFile(file), file.name);
  }));
}

function setupDrops() {
  const hint = $('drop-hint');
  const kind = (name) => (/\.sft$/i.test(name) ? 'font' : /\.cmp$/i.test(name) ? 'cmp' : /\.bm$/i.test(name) ? 'bm' : null);
  document.addEventListener('dragover', (e) => { e.preventDefault(); hint.hidden = false; });
  document.addEventListener('dragleave', (e) => { if (!e.relatedTarget) hint.hidden = true; });
  document.addEventListener('drop', guarded(async (e) => {
    e.preventDefault();
    hint.hidden = true;
    const file = e.dataTransfer.files[0];
    const what = file && kind(file.name);
    if (!what) return;
    const bytes = await readFile(file);
    if (what === 'font') await openFont(bytes, file.name);
    else await loadPalette(bytes, file.name, what === 'bm');
  }));
}

function setupKeys() {
  document.addEventListener('keydown', guarded(async (e) => {
    if (!(e.ctrlKey || e.metaKey) || document.querySelector('dialog[open]') || !page.hasFont()) return;
    if (e.target.matches?.('input[type=text], input:not([type]), textarea')) return;
    const key = e.key.toLowerCase();
    const command = { z: e.shiftKey ? 'redo' : 'undo', y: 'redo', c: 'copy-glyph', v: 'paste-glyph' }[key];
    if (command) {
      e.preventDefault();
      if (!$(command).disabled) $(command).click();
    }
  }));
  document.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || document.querySelector('dialog[open]')) return;
    const direction = { '+': 1, '=': 1, '-': -1, _: -1, 0: 0 }[e.key];
    if (direction === undefined) return;
    e.preventDefault();
    zoom(direction);
  });
  $('scroller').addEventListener('wheel', (e) => {
    if (!e.ctrlKey) return;
    e.preventDefault();
    const left = $('scroller').getBoundingClientRect().left;
    if (e.deltaY) zoom(e.deltaY < 0 ? 1 : -1, e.clientX - left);
  }, { passive: false });
}

function setupPointer() {
  const scroller = $('scroller');
  scroller.addEventListener('pointermove', (e) => {
    const at = view.pixelAt(e.clientX, e.clientY);
    setStatus(at ? page.pixelInfo(at.x, at.y) : '');
  });
  scroller.addEventListener('pointerleave', () => setStatus(''));
}

function restoreSettings() {
  const stored = load('palette');
  if (stored?.bytes) {
    const result = page.loadPalette(new Uint8Array(stored.bytes), stored.bm);
    if (!result.error) paletteNote = `Palette: ${stored.name}`;
  }
  const factor = Number(load('zoom'));
  if (factor > 1) view.zoom = factor;
  setBoundaries(load('boundaries') === true);
}

// Work a tab that is gone left in the storage: Recover, Discard, or Not Now
// to decide at the next visit.
async function offerKeptWork() {
  for (const kept of await keeper.orphans()) {
    const when = new Date(kept.updated).toLocaleString();
    const answer = await ask(`${kept.name} has unsaved changes from ${when} (${kept.changes} ${kept.changes === 1 ? 'change' : 'changes'}), kept when the page closed. Recover them?`,
      ['Recover', 'Discard', 'Not Now'], 'Quillmere', 'Recover');
    if (answer === 'Discard') await keeper.remove(kept.id);
    if (answer !== 'Recover') continue;
    const result = page.recover(await keeper.read(kept.id));
    if (result.error) {
      await keeper.setAside(kept.id);
      await standardError(result.error);
      continue;
    }
    keeper.take(kept.id);
    showFont(0);
    editor.opened();
    return;
  }
}

async function start() {
  core = await createQuillCore();
  page = new core.Page();
  view = new StripView(page, $('scroller'), $('spacer'), $('strip'));
  editor = new Editor({ page, view, showFont, selectRow, updateCommands, selectedRow: () => $('chars').selectedIndex });
  page.loadPalette(sampleCmp, false);
  paletteNote = `Palette: ${SAMPLE_PALETTE} (the bundled sample)`;
  restoreSettings();
  setStatus();
  $('version').textContent = core.version();

  setupMenus(document.querySelector('.menubar'));
  onPick('open-sft', openFont);
  onPick('load-cmp', (bytes, name) => loadPalette(bytes, name, false));
  onPick('load-bm', (bytes, name) => loadPalette(bytes, name, true));
  onPick('import-picture', importPicture);
  for (const b of document.querySelectorAll('[data-sample]'))
    b.addEventListener('click', guarded(() => openFont(SAMPLES[b.dataset.sample], b.dataset.sample)));
  const click = (id, command) => $(id).addEventListener('click', guarded(command));
  click('save-sft', saveSft);
  click('save-bmp', () => { const b = page.bmpFile(); if (b) download(b, page.exportName(), 'image/bmp'); });
  click('save-json', () => download(page.json(), page.name().replace(/\.[^.]*$/, '') + '.json', 'application/json'));
  click('zoom-in', () => zoom(1));
  click('zoom-out', () => zoom(-1));
  click('actual-size', () => zoom(0));
  click('boundaries', () => setBoundaries($('boundaries').getAttribute('aria-pressed') !== 'true'));
  click('text-preview', () => showPreview(page));
  click('about', () => showDialog($('about-box')));
  click('undo', () => editor.undo());
  click('redo', () => editor.redo());
  click('copy-glyph', () => editor.copyGlyph());
  click('paste-glyph', () => editor.pasteGlyph());
  click('char-table', () => editor.characterTable());
  click('draw', () => editor.setDrawing($('draw').getAttribute('aria-pressed') !== 'true'));
  click('insert-char', () => editor.insertCharacter());
  click('delete-char', () => editor.deleteCharacter());
  click('set-width', () => editor.setWidth());
  for (const b of document.querySelectorAll('[data-transform]'))
    b.addEventListener('click', guarded(() => editor.transform(Number(b.dataset.transform))));
  const chars = $('chars');
  chars.addEventListener('change', selectChar);
  chars.addEventListener('click', selectChar);
  setupDrops();
  setupKeys();
  setupPointer();
  window.addEventListener('beforeunload', (e) => {
    if (page.hasFont() && page.modified()) {
      e.preventDefault();
      e.returnValue = '';
    }
  });
  updateCommands();
  keeper = new Keeper((e) => warning(`Changes can't be kept in this browser's storage for recovery (${e?.message ?? e}). Editing goes on; Save SFT keeps your work.`));
  // The bench's handles on the page (bench/web_draw_bench.py).
  if (new URLSearchParams(location.search).has('bench'))
    window.quillmereBench = { core, page, view, editor, keepTimes: [] };
  document.body.dataset.ready = 'true';
  if (await keeper.open()) await offerKeptWork().catch((e) => standardError(`${e.message ?? e}.`));
}

// Running out of WebAssembly memory, or anything the core can't catch, is a
// message; the page stays.
window.addEventListener('error', (e) => { standardError(`${e.message}.`); });
window.addEventListener('unhandledrejection', (e) => { standardError(`${e.reason?.message ?? e.reason}.`); });
document.addEventListener('DOMContentLoaded', () => start().catch((e) => standardError(`${e.message ?? e}.`)));
