// The page: the desktop window's commands over the same core. Everything
// about fonts, palettes, pictures and colours is the core's; this script
// does the page, the canvas, the files and the downloads.
import createQuillCore from 'quillmere-core';
import quill8 from './samples/QUILL8.SFT';
import quill16 from './samples/QUILL16.SFT';
import sampleCmp from './samples/uicolormap.cmp';
import { Aids } from './aids.js';
import { CheckText } from './checktext.js';
import { error, showDialog, standardError, ask, warning, yesNo } from './dialogs.js';
import { buildMenus, commandForKey, commandForStripKey, commandTable, setAttribute, updateCommands as showCommands } from './commands.js';
import { Editor, MOVED } from './editor.js';
import { cancelled, handles, permitted, pickFont, RecentFonts, sameStamp, saveBytes, stampOf } from './files.js';
import { askToKeepStorage, linkManifest, registerWorker, takeLaunchedFiles } from './install.js';
import { Keeper } from './keeper.js';
import { askOutlineFont } from './outline.js';
import { setupMenus } from './menus.js';
import { decodePng, isPng } from './picture.js';
import { redrawPreview, showPreview } from './preview.js';
import { load, save } from './settings.js';
import { StripView } from './view.js';

const $ = (id) => document.getElementById(id);
const SAMPLES = { 'QUILL8.SFT': quill8, 'QUILL16.SFT': quill16 };
const SAMPLE_PALETTE = 'uicolormap.cmp';

let core, display, page, view, editor, aids, keeper, checker, commands = [];
let tableIds = [];  // the command table's ids, in its order
let shownStates = null;  // the commands' states the menus show
let tableShown = null, rowsShown = null;  // the table and the selected rows the list shows
let codePageFor = null;  // the font name View > Code Page was last read for
let paletteNote = '', notice = '';
let clicked;  // the list's row a press last landed on
// The file the font came from or was last saved to, where the browser gave
// a handle on it: {handle, stamp}; null for a sample, a download, an input.
let current = null;
const recent = new RecentFonts();
let toolRestored = false;

// Runs a command; whatever it throws is shown in the standard error box,
// and the page goes on. A picker the user closed says nothing.
const guarded = (command) => async (...args) => {
  let moved = false;
  try {
    moved = (await command(...args)) === MOVED;
  } catch (e) {
    if (!cancelled(e)) await standardError(`${e instanceof Error ? e.message : String(e)}.`);
  } finally {
    // A move of selected pixels leaves every command as it was.
    if (!moved) updateCommands();
  }
};

function updateCaption() {
  const title = page.hasFont() ? `Quillmere : ${page.name()}${page.modified() ? '*' : ''}` : 'Quillmere';
  if (document.title !== title) document.title = title;
}

// Hands what the last command added to the font's journal to the storage.
function keep() {
  if (!page.hasFont()) return;
  const began = performance.now();
  const kept = page.takeJournal();
  if (!kept) return;
  if (page.modified()) askToKeepStorage(() => showNotice('This browser may clear the kept unsaved work when the disk runs low'));
  const meta = { name: page.name(), changes: kept.changes };
  if (kept.start) keeper.start(kept.bytes, meta);
  else keeper.append(kept.bytes, meta);
  // Every step reaches the journal: Check Text's list follows it.
  checker?.refresh();
  window.quillmereBench?.keepTimes.push(performance.now() - began);
}

// The commands' captions and enabled states: the core's rules over the
// session, the view and the recent list.
function updateCommands() {
  if (!page) return;
  const font = page.hasFont();
  // Null when as last given: most steps (a pixel, a block moved by a key)
  // leave every state as it was.
  const changed = page.changedCommandStates(font && view.nextZoom(1) !== 0, font && view.zoom !== 1, recent.list.length > 0);
  const entries = recent.list.map((h, i) => `${i + 1} ${h.name}`);
  const s = changed ?? shownStates, same = (a, b) => a.length === b.length && a.every((v, i) => v === b[i]);
  if (s && (changed || !same(entries, s.entries))) {
    shownStates = { flags: s.flags, chosen: s.chosen, texts: s.texts, entries };
    const texts = s.texts.split('\n'), byId = {};
    tableIds.forEach((id, i) => {
      byId[id] = { enabled: (s.flags[i] & 1) !== 0, checked: (s.flags[i] & 2) !== 0, chosen: s.chosen[i], text: texts[i] };
    });
    showCommands(commands, byId, entries);
    for (const b of $('tools').children) setAttribute(b, 'aria-pressed', String(byId[b.dataset.command].checked));
  }
  // The tool in use for the next visit, once the last visit's is back.
  if (toolRestored && page.tool() !== load('tool')) save('tool', page.tool());
  updateCaption();
}

// Runs a command of the table, with a picked file's bytes and name (or a
// submenu entry's index); what it changed goes to the storage as soon as it
// is done.
const runCommand = guarded(async (command, file, ...args) => {
  try {
    if (file) return await command.run(await readFile(file), file.name);
    if (!command.file) return await command.run(...args);
  } finally {
    keep();
  }
});

function setStatus(text) { $('status').textContent = text || notice || paletteNote; }

// A note the status line keeps for the rest of the visit.
function showNotice(text) {
  notice = text;
  setStatus();
}

// The code and, as the code page has it, its letter.
const characterText = (e) => (e.char ? `${e.code}  ${e.char}` : String(e.code));

// View > Code Page: the page chosen for each font's name, in the browser's
// storage as the guides' rows are; none kept is Unicode.
const CODE_PAGES = 'codePages';
function followCodePage() {
  if (page.name() === codePageFor) return;
  codePageFor = page.name();
  const entries = commands.find((c) => c.id === 'code-page').choices;
  page.chooseEntry('code-page', Math.max(0, entries.indexOf((load(CODE_PAGES) ?? {})[codePageFor])));
}

function keepCodePage() {
  const all = load(CODE_PAGES) ?? {};
  if (page.codePage() === 'Unicode') delete all[page.name()];
  else all[page.name()] = page.codePage();
  save(CODE_PAGES, all);
}

function chooseCodePage(i) {
  const result = page.chooseEntry('code-page', i);
  if (result.error) throw new Error(result.error.replace(/\.$/, ''));
  codePageFor = page.name();
  keepCodePage();
  showCharacters();
  showSelection(false);
  redrawPreview();
  checker.refresh();
}

// The table's rows as objects, from the columns the core hands over.
function table() {
  const t = tableShown = page.table(), chars = t.chars.split('\0');
  return Array.from(t.code, (code, i) => ({ code, char: chars[i], x: t.x[i], begin: t.begin[i], end: t.end[i] }));
}

function showCharacters() {
  $('chars').replaceChildren(...table().map((e, i) => new Option(characterText(e), String(i))));
  rowsShown = null;
}

// The window after a font was opened or replaced, with the page's selection.
function showFont() {
  followCodePage();
  $('font-info').replaceChildren(...page.infoLines().map((line) => {
    const li = document.createElement('li');
    li.textContent = line;
    return li;
  }));
  showCharacters();
  view.setPicture();
  showSelection(true);
  aids.fontChanged();
  checker.refresh();
}

// The list and the strip show the page's selection; with Scroll the view
// goes to the current character's X.
function showSelection(scroll) {
  const { rows, current: row } = page.selection();
  const t = tableShown ?? page.table();
  const entry = (r) => ({ x: t.x[r], begin: t.begin[r], end: t.end[r] });
  // The list's rows set only when the selection changed: a dab selects the
  // glyph it is on, nearly always the one selected.
  if (rows.join() !== rowsShown) {
    rowsShown = rows.join();
    const chosen = new Set(rows);
    for (const o of $('chars').options) o.selected = chosen.has(o.index);
  }
  view.setSelected(rows.map(entry).filter((e) => e.end > e.begin));
  if (scroll && row >= 0 && row < t.x.length) view.scrollToX(t.x[row]);
  updateCommands();
}

// The list's selection as the user left it: the row pressed last is the
// current one, and the strip scrolls to it.
function takeSelection() {
  const rows = [...$('chars').selectedOptions].map((o) => o.index);
  const was = page.selection().current;
  const now = rows.includes(clicked) ? clicked : rows.includes(was) && rows.length > 1 ? was : rows[0] ?? -1;
  clicked = undefined;
  page.select(rows, now);
  rowsShown = null;  // the list is as the user left it, not as last shown
  showSelection(true);
}

// Unsaved changes: Save, Discard or Cancel; true to go on (not when the
// save was called off).
async function maybeSave() {
  if (!page.hasFont() || !page.modified()) return true;
  const answer = await ask(`${page.name()} has unsaved changes. Save them?`,
    ['Save', 'Discard', 'Cancel'], 'Quillmere', 'Save');
  if (answer === 'Save') {
    await saveSft();
    return !page.modified();
  }
  return answer !== 'Cancel';
}

// Opens the font in Bytes; Handle and File when it came through a handle.
async function openFont(bytes, name, handle = null, file = null) {
  if (!(await maybeSave())) return;
  const result = page.openFont(bytes, name);
  if (result.error === display.invalidSFT) return warning(display.invalidSFT);
  if (result.error) return standardError(result.error);
  keeper.drop();
  current = handle ? { handle, stamp: stampOf(file) } : null;
  // Shown first: the journal's copy of a large font takes a while to hand
  // over, and goes once the browser has painted.
  showFont();
  setTimeout(() => {
    if (!page.hasFont()) return;
    page.startJournal();
    keep();
  });
  if (handle) await recent.add(handle);
  editor.opened();
}

// A font from a handle kept or handed over: a file that is gone leaves the
// recent list.
async function openHandle(handle) {
  if (!(await permitted(handle, 'read'))) return;
  let file;
  try {
    file = await handle.getFile();
  } catch (e) {
    if (e.name !== 'NotFoundError') throw e;
    await recent.remove(handle);
    updateCommands();
    return warning(`${handle.name} is no longer there; it was taken off the list.`);
  }
  await openFont(await readFile(file), file.name, handle, file);
}

async function pickAndOpen() {
  const file = await pickFont();
  await openFont(await readFile(file), file.name, file.handle, file);
}

// The reader's own warnings, then "Error loading Palette!"; nothing changes.
async function loadPalette(bytes, name, bm) {
  const result = page.loadPalette(bytes, bm);
  if (result.error) {
    for (const w of result.warnings ?? []) await warning(w);
    return error(result.error);
  }
  if (page.hasFont()) view.setPicture();
  editor.showColors();
  paletteNote = `Palette: ${name}`;
  setStatus();
  // Kept for the next visit when it is small enough for the page's storage.
  if (bytes.length <= 1 << 20) save('palette', { name, bm, bytes: Array.from(bytes) });
}

// Save SFT: back into the file the font came from, asking first when another
// program changed it since; a font with no file goes where Save As puts it.
async function saveSft() {
  if (!current) return saveSftAs();
  const { handle } = current;
  if (!(await permitted(handle, 'readwrite'))) return;
  let now;
  try {
    now = stampOf(await handle.getFile());
  } catch (e) {
    if (e.name === 'NotFoundError') return saveSftAs();
    throw e;
  }
  if (!sameStamp(now, current.stamp)) {
    const answer = await ask(`${handle.name} has been changed by another program since it was opened or last saved. Overwrite it?`,
      ['Overwrite', 'Save As...', 'Cancel']);
    if (answer === 'Save As...') return saveSftAs();
    if (answer !== 'Overwrite') return;
  }
  await saveFontTo(handle);
}

// Save SFT As: where the picker says, or a download without one.
const saveSftAs = () => saveFontTo(null);

// The font's bytes are made (and the font counts as saved) only once its
// file is chosen; the handle written is the one the next Save writes to.
async function saveFontTo(handle) {
  editor.finish();
  let as = page.name();
  const written = await saveBytes((name) => {
    const bytes = page.sftFile();
    if (bytes?.error) throw new Error(bytes.error.replace(/\.$/, ''));
    as = name;
    return bytes;
  }, { name: page.name(), extension: '.sft', handle });
  // Only a write that went through makes the font unchanged.
  const before = page.name();
  const saved = page.saved(as);
  if (saved.error) throw new Error(saved.error.replace(/\.$/, ''));
  aids.saved(before);
  if (page.name() !== before) {
    codePageFor = page.name();
    keepCodePage();
  }
  keeper.drop();
  keep();
  if (written) {
    current = { handle: written, stamp: stampOf(await written.getFile()) };
    await recent.add(written);
  }
  updateCaption();
}

async function importPicture(bytes, name) {
  let picture;
  if (isPng(bytes)) {
    try {
      picture = decodePng(bytes, display.picturePixelsPerByte);
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
  keep();
  showFont();
}

function zoom(direction, anchorX = 0) {
  if (!page.hasFont()) return;
  const factor = direction === 0 ? 1 : view.nextZoom(direction);
  if (factor) view.setZoom(factor, anchorX);
  save('zoom', view.zoom);
  updateCommands();
}

function setBoundaries(on) {
  $('boundaries').setAttribute('aria-pressed', String(on));
  view.setBoundaries(on);
  save('boundaries', on);
}

// The most a file handed to the core may hold: the WebAssembly heap has 2 GiB
// in all, and the core keeps a copy of what it reads.
async function readFile(file) {
  const most = display.maxFileBytes;
  if (file.size > most)
    throw new Error(`${file.name} is ${file.size} bytes, more than this page can hold in memory (${most} bytes)`);
  return new Uint8Array(await file.arrayBuffer());
}

function setupDrops() {
  const hint = $('drop-hint');
  const kind = (name) => (/\.sft$/i.test(name) ? 'font' : /\.cmp$/i.test(name) ? 'cmp' : /\.bm$/i.test(name) ? 'bm' : null);
  document.addEventListener('dragover', (e) => { e.preventDefault(); hint.hidden = false; });
  document.addEventListener('dragleave', (e) => { if (!e.relatedTarget) hint.hidden = true; });
  document.addEventListener('drop', guarded(async (e) => {
    e.preventDefault();
    hint.hidden = true;
    // The handle is to be asked for while the drop lasts, before any await.
    const item = [...e.dataTransfer.items].find((i) => i.kind === 'file');
    const handle = handles ? item?.getAsFileSystemHandle?.().catch(() => null) : null;
    const file = e.dataTransfer.files[0];
    const what = file && kind(file.name);
    if (!what) return;
    const bytes = await readFile(file);
    const got = await handle;
    if (what === 'font') await openFont(bytes, file.name, got?.kind === 'file' ? got : null, file);
    else await loadPalette(bytes, file.name, what === 'bm');
  }));
}

// Whether a dialog is open: asked on every key, a key held down repeats fast.
const dialogs = document.getElementsByTagName('dialog');
const dialogOpen = () => Array.prototype.some.call(dialogs, (d) => d.open);

function setupKeys() {
  document.addEventListener('keydown', (e) => {
    const command = commandForKey(commands, e);
    if (!command || dialogOpen() || e.target.matches?.('input[type=text], input:not([type]), textarea')) return;
    if (command.within && !e.target.closest?.(command.within)) return;
    e.preventDefault();
    if (command.element.disabled) return;
    if (command.file) command.element.click();  // the file input's own dialog
    else runCommand(command);
  });
  $('scroller').addEventListener('keydown', (e) => {
    const command = commandForStripKey(commands, e);
    // Disabled, the arrows scroll as ever.
    if (!command?.enabled || dialogOpen()) return;
    e.preventDefault();
    runCommand(command);
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
  // The pixel under the pointer, once a frame: a status written on every
  // move would have the next move lay the page out again.
  let pointer = null, pending = false;
  const show = () => {
    pending = false;
    if (!pointer) return;
    const at = view.pixelAt(pointer.clientX, pointer.clientY);
    const info = at ? page.pixelInfo(at.x, at.y) : '';
    setStatus(editor.drawing ? page.toolStatus(info) : info);
  };
  scroller.addEventListener('pointermove', (e) => {
    pointer = { clientX: e.clientX, clientY: e.clientY };
    if (!pending) pending = true, requestAnimationFrame(show);
  });
  scroller.addEventListener('pointerleave', () => { pointer = null; setStatus(''); });
}

function restoreSettings() {
  const tool = load('tool');
  if (typeof tool === 'string') page.setTool(tool);
  toolRestored = true;
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
    keep();
    current = null;
    showFont();
    editor.opened();
    return;
  }
}

async function start() {
  core = await createQuillCore();
  display = core.display();
  page = new core.Page();
  view = new StripView(page, display, $('scroller'), $('spacer'), $('strip'));
  aids = new Aids({ page, view, texts: display, readFile });
  editor = new Editor({ page, view, display, showFont, showSelection, updateCommands, keep, setStatus, aids });
  checker = new CheckText({ page, editor, readFile, guarded });
  tableIds = core.commands().map((c) => c.id);
  commands = commandTable(core.commands(), {
    'open-sft': handles ? pickAndOpen : { file: '.sft,.SFT', run: openFont },
    'open-recent': {
      entries: true,
      run: (i) => openHandle(recent.list[i]),
      clear: { id: 'clear-recent', text: 'Clear Recent', run: () => recent.clear() },
    },
    'save-sft': saveSft,
    'save-sft-as': saveSftAs,
    'import-picture': { file: '.bmp,.BMP,.png,.PNG', run: importPicture },
    'new-from-outline': () => {
      editor.finish();
      const codePages = commands.find((c) => c.id === 'code-page').choices;
      return askOutlineFont({ page, codePages, guides: aids.kept(), apply: (r) => editor.apply(r) });
    },
    'save-bmp': async () => {
      const b = page.bmpFile();
      if (b) await saveBytes(() => b, { name: page.exportName(), type: 'image/bmp', extension: '.bmp' });
    },
    'save-json': async () => {
      const json = page.json();
      if (json.error) throw new Error(json.error.replace(/\.$/, ''));
      await saveBytes(() => json, { name: page.name().replace(/\.[^.]*$/, '') + '.json', type: 'application/json', extension: '.json' });
    },
    'load-cmp': { file: '.cmp,.CMP', run: (b, n) => loadPalette(b, n, false) },
    'load-bm': { file: '.bm,.BM', run: (b, n) => loadPalette(b, n, true) },
    'copy-glyph': () => editor.copyGlyph(),
    'copy-strip': () => editor.copyStrip(),
    'paste-glyph': () => editor.pasteGlyph(),
    'replace-colour': () => editor.replaceColor(),
    'select-all': { within: '#chars, #scroller' },
    'go-to': () => editor.goTo(),
    'char-table': () => editor.characterTable(),
    draw: () => editor.setDrawing(!editor.drawing),
    'build-accented': () => editor.buildAccented(),
    'check-text': () => checker.show(),
    'code-page': (i) => chooseCodePage(i),
    'zoom-in': () => zoom(1),
    'zoom-out': () => zoom(-1),
    'actual-size': () => zoom(0),
    boundaries: () => setBoundaries(!view.boundaries),
    guides: () => aids.setShown(!aids.guidesOn),
    'colours-shown': () => editor.setColorsShown(!editor.colorsShown),
    'set-guides': () => aids.askGuides(),
    'reference-glyph': () => aids.askReference(),
    'text-preview': () => showPreview({ page, editor, display, readFile, guarded }),
    about: () => showDialog($('about-box')),
  }, (c) => editor.run(c), handles);
  await recent.open();
  const bar = document.querySelector('.menubar');
  buildMenus(bar, commands, runCommand);
  // The tools' buttons in the Colours panel, shown while drawing.
  for (const c of commands.filter((c) => c.radio)) {
    const b = Object.assign(document.createElement('button'), { type: 'button', textContent: c.text, title: `${c.text} (${c.keys[0]})` });
    b.dataset.command = c.id;
    b.addEventListener('click', () => runCommand(c));
    $('tools').append(b);
  }
  setupMenus(bar);
  page.loadPalette(sampleCmp, false);
  paletteNote = `Palette: ${SAMPLE_PALETTE} (the bundled sample)`;
  restoreSettings();
  setStatus();
  $('version').textContent = core.version();

  for (const b of document.querySelectorAll('[data-sample]'))
    b.addEventListener('click', guarded(() => openFont(SAMPLES[b.dataset.sample], b.dataset.sample)));
  const chars = $('chars');
  chars.addEventListener('mousedown', (e) => { if (e.target instanceof HTMLOptionElement) clicked = e.target.index; });
  chars.addEventListener('change', takeSelection);
  chars.addEventListener('click', () => { if (clicked !== undefined) takeSelection(); });
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
  linkManifest();
  registerWorker(showNotice);
  takeLaunchedFiles(guarded(openHandle));
  document.body.dataset.ready = 'true';
  if (await keeper.open()) await offerKeptWork().catch((e) => standardError(`${e.message ?? e}.`));
}

// Running out of WebAssembly memory, or anything the core can't catch, is a
// message; the page stays.
window.addEventListener('error', (e) => { standardError(`${e.message}.`); });
window.addEventListener('unhandledrejection', (e) => { standardError(`${e.reason?.message ?? e.reason}.`); });
document.addEventListener('DOMContentLoaded', () => start().catch((e) => standardError(`${e.message ?? e}.`)));
