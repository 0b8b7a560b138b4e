// The menu bar: a click or Enter opens a menu, arrows move through it,
// Escape or a click elsewhere closes it, and choosing an item closes it too.

function items(menu) {
  return [...menu.querySelectorAll(':scope > .menu-items > .item, :scope > .menu-items > .submenu > .item')]
    .map((el) => el.querySelector('input') ?? el)
    .filter((el) => !el.disabled);
}

function setOpen(menu, open) {
  const title = menu.querySelector(':scope > button');
  const list = menu.querySelector(':scope > .menu-items');
  title.setAttribute('aria-expanded', String(open));
  list.hidden = !open;
  if (!open) for (const sub of menu.querySelectorAll('.submenu')) setOpen(sub, false);
}

export function closeMenus(bar) {
  for (const m of bar.querySelectorAll('.menu')) setOpen(m, false);
}

export function setupMenus(bar) {
  const menus = [...bar.querySelectorAll(':scope > .menu')];
  for (const menu of [...menus, ...bar.querySelectorAll('.submenu')]) {
    const title = menu.querySelector(':scope > button');
    title.addEventListener('click', (e) => {
      e.stopPropagation();
      const open = title.getAttribute('aria-expanded') !== 'true';
      if (!menu.classList.contains('submenu')) closeMenus(bar);
      setOpen(menu, open);
      if (open && e.detail === 0) items(menu)[0]?.focus();  // opened from the keyboard
    });
  }
  bar.addEventListener('keydown', (e) => {
    const focus = document.activeElement;
    const menu = menus.find((m) => m.contains(focus));
    if (!menu) return;
    const sub = focus.closest('.submenu > .menu-items')?.parentElement;
    const list = items(sub ?? menu);
    const at = list.indexOf(focus);
    const isOpen = (m) => m.querySelector(':scope > button').getAttribute('aria-expanded') === 'true';
    if (e.key === 'Escape') {
      const owner = sub ?? menu;
      if (sub) setOpen(sub, false); else closeMenus(bar);
      owner.querySelector(':scope > button').focus();
    } else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      if (!isOpen(menu)) setOpen(menu, true);
      const pool = at >= 0 ? list : items(menu);
      const step = e.key === 'ArrowDown' ? 1 : -1;
      pool[(Math.max(at, step > 0 ? -1 : 0) + step + pool.length) % pool.length]?.focus();
    } else if (e.key === 'ArrowRight' && focus.matches('.submenu > button')) {
      setOpen(focus.parentElement, true);
      items(focus.parentElement)[0]?.focus();
    } else if (e.key === 'ArrowLeft' && sub) {
      setOpen(sub, false);
      sub.querySelector(':scope > button').focus();
    } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
      const i = menus.indexOf(menu);
      const next = menus[(i + (e.key === 'ArrowRight' ? 1 : -1) + menus.length) % menus.length];
      const wasOpen = isOpen(menu);
      closeMenus(bar);
      if (wasOpen) setOpen(next, true);
      (wasOpen ? items(next)[0] : next.querySelector(':scope > button'))?.focus();
    } else {
      return;
    }
    e.preventDefault();
  });
  // An item chosen, or a click anywhere else, closes the menus.
  bar.addEventListener('click', (e) => {
    const item = e.target.closest('.item');
    if (item && !item.matches('[aria-haspopup]') && !item.classList.contains('file')) closeMenus(bar);
  });
  bar.addEventListener('change', () => closeMenus(bar));
  document.addEventListener('click', (e) => { if (!bar.contains(e.target)) closeMenus(bar); });
}
