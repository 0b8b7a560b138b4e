// The page's commands in one table, as the window's menus are: where each
// sits, its caption, its keys, when it can be chosen and what it does. The
// menu items, the shortcuts and the enabled states all come from here.

const needsFont = (s) => s.font;
const needsColumns = (s) => s.columns;
const needsGlyphs = (s) => s.glyphs;
// Flips and shifts in their groups, the game's look in one.
const placeOf = (id) => (/^(flip|shift)-/.test(id) ? `transform-${id.split('-')[0]}` : 'transform-look');

// The table. App holds the page's handlers; Transforms the core's glyph
// commands, {id, name}, in menu order. A file command's run takes the
// picked file's bytes and name. A submenu's entries are captions from the
// state, its run given the index of the one chosen. Where the browser hands
// out file handles (app.handles) Open SFT is its picker and Open Recent is
// there; elsewhere Open SFT is the file input.
export function commandTable(app, transforms) {
  const recent = app.handles ? [
    { id: 'open-recent', place: 'file-recent', text: 'Open Recent', submenu: true, entries: (s) => s.recent ?? [], run: app.openRecent },
    { id: 'clear-recent', place: 'open-recent', text: 'Clear Recent', enabled: (s) => s.recent?.length > 0, run: app.clearRecent },
  ] : [];
  return [
    app.handles
      ? { id: 'open-sft', place: 'file-open', text: 'Open SFT', keys: ['Control+O'], run: app.pickFont }
      : { id: 'open-sft', place: 'file-open', text: 'Open SFT', keys: ['Control+O'], file: '.sft,.SFT', run: app.openFont },
    ...recent,
    { id: 'save-sft', place: 'file-save', text: 'Save SFT', keys: ['Control+S'], enabled: needsFont, run: app.saveSft },
    { id: 'save-sft-as', place: 'file-save', text: 'Save SFT As...', keys: ['Control+Shift+S'], enabled: needsFont, run: app.saveSftAs },
    { id: 'import-picture', place: 'file-export', text: 'Import Picture...', file: '.bmp,.BMP,.png,.PNG', enabled: needsFont, run: app.importPicture },
    { id: 'save-bmp', place: 'file-export', text: 'Save as BMP', enabled: needsFont, run: app.saveBmp },
    { id: 'save-json', place: 'file-export', text: 'Save JSON', enabled: needsFont, run: app.saveJson },
    { id: 'load-cmp', place: 'file-palette', text: 'Load palette from CMP file', file: '.cmp,.CMP', run: (b, n) => app.loadPalette(b, n, false) },
    { id: 'load-bm', place: 'file-palette', text: 'Load palette from BM', file: '.bm,.BM', run: (b, n) => app.loadPalette(b, n, true) },
    { id: 'undo', place: 'edit-history', text: (s) => (s.undo ? `Undo ${s.undo}` : 'Undo'), keys: ['Control+Z'], enabled: (s) => !!s.undo, run: () => app.editor.undo() },
    { id: 'redo', place: 'edit-history', text: (s) => (s.redo ? `Redo ${s.redo}` : 'Redo'), keys: ['Control+Shift+Z', 'Control+Y'], enabled: (s) => !!s.redo, run: () => app.editor.redo() },
    { id: 'copy-glyph', place: 'edit-clipboard', text: 'Copy Glyph', keys: ['Control+C'], enabled: needsColumns, run: () => app.editor.copyGlyph() },
    { id: 'paste-glyph', place: 'edit-clipboard', text: 'Paste Glyph', keys: ['Control+V'], enabled: needsGlyphs, run: () => app.editor.pasteGlyph() },
    { id: 'replace-colour', place: 'edit-clipboard', text: 'Replace Colour...', enabled: needsGlyphs, run: () => app.editor.replaceColor() },
    { id: 'select-all', place: 'edit-select', text: 'Select All Characters', keys: ['Control+A'], within: '#chars, #scroller', enabled: (s) => s.chars, run: app.selectAll },
    { id: 'go-to', place: 'edit-select', text: 'Go To Character...', keys: ['Control+G'], enabled: (s) => s.chars, run: () => app.editor.goTo() },
    { id: 'char-table', place: 'edit-table', text: 'Character Table...', enabled: needsFont, run: () => app.editor.characterTable() },
    { id: 'draw', place: 'glyph-draw', text: 'Draw', toggle: true, enabled: needsFont, run: () => app.editor.setDrawing(!app.editor.drawing) },
    { id: 'insert-char', place: 'glyph-chars', text: 'Insert Character...', enabled: needsFont, run: () => app.editor.insertCharacter() },
    { id: 'delete-char', place: 'glyph-chars', text: 'Delete Character', enabled: (s) => s.font && s.selected, run: () => app.editor.deleteCharacter() },
    { id: 'set-width', place: 'glyph-chars', text: 'Set Width...', enabled: needsGlyphs, run: () => app.editor.setWidth() },
    ...transforms.map(({ id, name }) => ({
      id, place: placeOf(id), text: name, enabled: needsGlyphs, run: () => app.editor.transform(id),
    })),
    { id: 'shadow', place: 'transform-look', text: 'Shadow...', enabled: needsGlyphs, run: () => app.editor.shadow() },
    { id: 'build-accented', place: 'glyph-accents', text: 'Build Accented Characters...', enabled: (s) => s.chars, run: () => app.editor.buildAccented() },
    { id: 'zoom-in', place: 'view-zoom', text: 'Zoom In', keys: ['Control+Plus'], enabled: (s) => s.font && s.zoomIn, run: () => app.zoom(1) },
    { id: 'zoom-out', place: 'view-zoom', text: 'Zoom Out', keys: ['Control+Minus'], enabled: (s) => s.font && s.zoomed, run: () => app.zoom(-1) },
    { id: 'actual-size', place: 'view-zoom', text: 'Actual Size', keys: ['Control+0'], enabled: (s) => s.font && s.zoomed, run: () => app.zoom(0) },
    { id: 'boundaries', place: 'view-boundaries', text: 'Glyph Boundaries', toggle: true, run: app.toggleBoundaries },
    { id: 'guides', place: 'view-boundaries', text: 'Guides', toggle: true, run: () => app.aids.setShown(!app.aids.guidesOn) },
    { id: 'colours-shown', place: 'view-boundaries', text: 'Colours', toggle: true, enabled: needsFont, run: () => app.editor.setColorsShown(!app.editor.colorsShown) },
    { id: 'set-guides', place: 'view-preview', text: 'Guides...', enabled: needsFont, run: () => app.aids.askGuides() },
    { id: 'reference-glyph', place: 'view-preview', text: 'Reference Glyph...', enabled: needsFont, run: () => app.aids.askReference() },
    { id: 'text-preview', place: 'view-preview', text: 'Text Preview...', enabled: needsFont, run: app.textPreview },
    { id: 'about', place: 'help', text: 'About', run: app.about },
  ];
}

const caption = (command, state) => (typeof command.text === 'function' ? command.text(state) : command.text);
// "Control+Plus" as the menu shows it: "Ctrl++".
const hint = (keys) => keys.replace('Control', 'Ctrl').replace('Plus', '+').replace('Minus', '-');

// The menu items, each in its place of the menu bar's markup (a submenu's
// items in it). Run runs a command (with a picked file's bytes and name, or
// a submenu entry's index).
export function buildMenus(bar, commands, run) {
  for (let place; (place = bar.querySelector('template[data-place]'));) {
    place.replaceWith(...commands.filter((c) => c.place === place.dataset.place).map((c) => {
      if (c.submenu) {
        const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id, textContent: caption(c, {}) });
        button.setAttribute('aria-haspopup', 'true');
        button.setAttribute('aria-expanded', 'false');
        const list = Object.assign(document.createElement('div'), { className: 'menu-items', hidden: true });
        const end = document.createElement('hr');
        const inside = document.createElement('template');
        inside.dataset.place = c.id;
        list.append(end, inside);
        const box = Object.assign(document.createElement('div'), { className: 'item submenu' });
        box.append(button, list);
        Object.assign(c, { element: button, end, choose: (i) => run(c, null, i), shown: null });
        return box;
      }
      if (c.file) {
        const input = Object.assign(document.createElement('input'), { type: 'file', id: c.id, accept: c.file });
        input.addEventListener('change', () => {
          const file = input.files[0];
          input.value = '';  // the same file can be picked again
          if (file) run(c, file);
        });
        const label = Object.assign(document.createElement('label'), { className: 'item file' });
        label.append(caption(c, {}), input);
        c.element = input;
        return label;
      }
      const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id });
      button.append(caption(c, {}));
      if (c.toggle) button.setAttribute('aria-pressed', 'false');
      if (c.keys) {
        button.setAttribute('aria-keyshortcuts', c.keys.join(' '));
        const kbd = Object.assign(document.createElement('kbd'), { textContent: hint(c.keys[0]) });
        kbd.setAttribute('aria-hidden', 'true');
        button.append(kbd);
      }
      button.addEventListener('click', () => run(c));
      c.element = button;
      return button;
    }));
  }
}

// Captions and enabled states as the page stands.
export function updateCommands(commands, state) {
  for (const c of commands) {
    const enabled = !c.enabled || !!c.enabled(state);
    c.element.disabled = !enabled;
    if (c.file) c.element.parentElement.classList.toggle('disabled', !enabled);
    else if (typeof c.text === 'function') c.element.firstChild.textContent = c.text(state);
    if (c.entries) showEntries(c, c.entries(state));
  }
}

// A submenu's entries before its separator, remade only when they changed
// (so that the keyboard's place in it stays).
function showEntries(c, captions) {
  if (c.shown && c.shown.join('\n') === captions.join('\n')) return;
  c.shown = captions;
  for (const old of c.end.parentElement.querySelectorAll(':scope > .entry')) old.remove();
  c.end.hidden = !captions.length;
  c.end.before(...captions.map((text, i) => {
    const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item entry', textContent: text });
    button.addEventListener('click', () => c.choose(i));
    return button;
  }));
}

// The keys "Plus" and "Minus" stand for, either shifted or not.
const KEY_NAMES = { plus: ['+', '='], minus: ['-', '_'] };

// The command whose shortcut a keydown is: Ctrl (or Cmd) with its key, Shift
// as the shortcut has it or, when none has it so, either way.
export function commandForKey(commands, e) {
  if (!(e.ctrlKey || e.metaKey)) return null;
  const key = e.key.toLowerCase();
  const matches = (shift) => commands.find((c) => c.keys?.some((k) => {
    const parts = k.toLowerCase().split('+');
    const name = parts.pop();
    return (KEY_NAMES[name] ?? [name]).includes(key) && (shift === null || parts.includes('shift') === shift);
  }));
  return matches(e.shiftKey) ?? matches(null) ?? null;
}
