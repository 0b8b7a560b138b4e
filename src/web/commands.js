// The page's commands: the core's table (where each sits, its caption, its
// keys, when it can be chosen, its dialog) with a handler each from the
// page. The menu items, the shortcuts and the enabled states all come from
// there.

// The table's rows the page shows, each with its handler. Handlers holds the
// page's, by id: a function, or {run, file} for a file picker (run takes the
// picked file's bytes and name, within: where its keys work), or {run,
// entries: true, clear} for Open
// Recent (its entries the recent list, run given the index of the one
// chosen; clear: Clear Recent's {id, text, run}); a command the session
// runs needs none (runSession). Where the
// browser hands out file handles (handles) Open Recent is there.
export function commandTable(table, handlers, runSession, handles) {
  return table.filter((c) => c.front === 'both' || c.front === 'page' || (c.front === 'handles' && handles)).map((c) => {
    const own = handlers[c.id];
    const more = typeof own === 'function' ? { run: own } : { ...own };
    if (!more.run && c.session) more.run = () => runSession(c);
    if (!more.run) throw new Error(`The page has no handler for ${c.id}`);
    return { ...c, place: c.group, ...more };
  });
}

const caption = (command) => command.text;
// The table's keys ("Ctrl+Shift+Z", "Ctrl++") split into modifiers and key.
const partsOf = (keys) => keys.match(/^((?:[A-Za-z]+\+)*)(.+)$/).slice(1);
// As aria-keyshortcuts has them: "Control+Shift+Z", "Control+Plus".
const ariaKeys = (keys) => {
  const [mods, key] = partsOf(keys);
  return mods.replace('Ctrl', 'Control') + ({ '+': 'Plus', '-': 'Minus' }[key] ?? key);
};

// The menu items, each in its place of the menu bar's markup (a submenu's
// items in it). Run runs a command (with a picked file's bytes and name, or
// a submenu entry's index).
export function buildMenus(bar, commands, run) {
  const radios = {};  // a submenu of radio items by its caption: its list
  for (let place; (place = bar.querySelector('template[data-place]'));) {
    place.replaceWith(...commands.filter((c) => c.place === place.dataset.place).map((c) => {
      if (c.choice) {
        // A submenu of radio items, its entries the core's.
        const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id, textContent: caption(c, {}) });
        button.setAttribute('aria-haspopup', 'true');
        button.setAttribute('aria-expanded', 'false');
        const list = Object.assign(document.createElement('div'), { className: 'menu-items', hidden: true });
        list.setAttribute('role', 'group');
        c.radios = c.choices.map((text, i) => {
          const radio = Object.assign(document.createElement('button'), { type: 'button', className: 'item entry radio', textContent: text });
          radio.setAttribute('role', 'menuitemradio');
          radio.setAttribute('aria-checked', 'false');
          radio.addEventListener('click', () => run(c, null, i));
          return radio;
        });
        list.append(...c.radios);
        const box = Object.assign(document.createElement('div'), { className: 'item submenu' });
        box.append(button, list);
        c.element = button;
        return box;
      }
      if (c.radio) {
        const item = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id });
        item.setAttribute('role', 'menuitemradio');
        item.setAttribute('aria-checked', 'false');
        item.append(c.text);
        if (c.keys.length) {
          item.setAttribute('aria-keyshortcuts', c.keys.map(ariaKeys).join(' '));
          item.append(Object.assign(document.createElement('kbd'), { textContent: c.keys[0] }));
        }
        item.addEventListener('click', () => run(c));
        c.element = item;
        if (radios[c.within]) {
          radios[c.within].append(item);
          return null;
        }
        const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', textContent: c.within });
        button.setAttribute('aria-haspopup', 'true');
        button.setAttribute('aria-expanded', 'false');
        const list = radios[c.within] = Object.assign(document.createElement('div'), { className: 'menu-items', hidden: true });
        list.append(item);
        const box = Object.assign(document.createElement('div'), { className: 'item submenu' });
        box.append(button, list);
        return box;
      }
      if (c.submenu) {
        const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id, textContent: caption(c, {}) });
        button.setAttribute('aria-haspopup', 'true');
        button.setAttribute('aria-expanded', 'false');
        const list = Object.assign(document.createElement('div'), { className: 'menu-items', hidden: true });
        const end = document.createElement('hr');
        list.append(end);
        if (c.clear) {
          // Clear Recent, after the list's entries.
          const clear = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.clear.id, textContent: c.clear.text });
          clear.addEventListener('click', () => run({ run: c.clear.run }));
          list.append(clear);
          c.clear.element = clear;
        }
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
        if (c.keys.length) input.setAttribute('aria-keyshortcuts', c.keys.map(ariaKeys).join(' '));
        const label = Object.assign(document.createElement('label'), { className: 'item file' });
        label.append(caption(c, {}), input);
        c.element = input;
        return label;
      }
      const button = Object.assign(document.createElement('button'), { type: 'button', className: 'item', id: c.id });
      button.append(caption(c, {}));
      if (c.toggle) button.setAttribute('aria-pressed', 'false');
      if (c.keys.length) {
        button.setAttribute('aria-keyshortcuts', c.keys.map(ariaKeys).join(' '));
        const kbd = Object.assign(document.createElement('kbd'), { textContent: c.keys[0] });
        kbd.setAttribute('aria-hidden', 'true');
        button.append(kbd);
      }
      button.addEventListener('click', () => run(c));
      c.element = button;
      return button;
    }).filter(Boolean));
  }
}

// Captions and enabled states as the page stands: States the core's, by
// id; Recent the recent list's captions.
// Only what changed is written: this runs after every step.
export function updateCommands(commands, states, recent) {
  for (const c of commands) {
    const { enabled, text, checked } = states[c.id];
    c.enabled = enabled;
    if (!c.element) continue;  // keys alone
    if (c.element.disabled === enabled) c.element.disabled = !enabled;
    if (c.radio) {
      setAttribute(c.element, 'aria-checked', String(checked));
      continue;
    }
    if (c.toggle && c.session) setAttribute(c.element, 'aria-pressed', String(checked));
    if (c.file) c.element.parentElement.classList.toggle('disabled', !enabled);
    else if (c.choice) c.radios.forEach((r, i) => setAttribute(r, 'aria-checked', String(i === states[c.id].chosen)));
    else if (!c.submenu && c.element.firstChild.textContent !== text) c.element.firstChild.textContent = text;
    if (c.entries) showEntries(c, recent);
    if (c.clear) c.clear.element.disabled = !recent.length;
  }
}

export function setAttribute(element, name, value) {
  if (element.getAttribute(name) !== value) element.setAttribute(name, value);
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

// The keys "+" and "-" stand for, either shifted or not.
const KEY_NAMES = { '+': ['+', '='], '-': ['-', '_'] };

// The command whose shortcut a keydown is: Ctrl (or Cmd) with its key, Shift
// as the shortcut has it or, when none has it so, either way.
export function commandForKey(commands, e) {
  if (!(e.ctrlKey || e.metaKey)) return null;
  const key = e.key.toLowerCase();
  const matches = (shift) => commands.find((c) => c.keys.some((k) => {
    const [mods, name] = partsOf(k.toLowerCase());
    return (KEY_NAMES[name] ?? [name]).includes(key) && (shift === null || mods.includes('shift') === shift);
  }));
  return matches(e.shiftKey) ?? matches(null) ?? null;
}

// The strip's own keys, without Ctrl: the tools' and the pixel selection's.
const STRIP_KEYS = { return: 'Enter', del: 'Delete', left: 'ArrowLeft', right: 'ArrowRight', up: 'ArrowUp', down: 'ArrowDown' };
// Looked up in a map made once from the table: a key held down repeats fast.
const stripKeys = new WeakMap();
export function commandForStripKey(commands, e) {
  if (e.ctrlKey || e.metaKey || e.altKey) return null;
  if (!stripKeys.has(commands)) {
    const map = new Map();
    for (const c of commands.filter((c) => c.radio || c.key)) {
      for (const k of c.keys) {
        const [mods, name] = partsOf(k);
        const id = `${mods.includes('Shift')} ${(STRIP_KEYS[name.toLowerCase()] ?? name).toLowerCase()}`;
        if (!map.has(id)) map.set(id, c);
      }
    }
    stripKeys.set(commands, map);
  }
  return stripKeys.get(commands).get(`${e.shiftKey} ${e.key.toLowerCase()}`) ?? null;
}
