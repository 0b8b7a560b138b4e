// What the page keeps for the next visit, in the browser's storage; a
// browser that keeps nothing (private mode, storage off) only forgets.
const PREFIX = 'quillmere.';

export function load(key) {
  try {
    const text = localStorage.getItem(PREFIX + key);
    return text === null ? null : JSON.parse(text);
  } catch {
    return null;
  }
}

export function save(key, value) {
  try {
    localStorage.setItem(PREFIX + key, JSON.stringify(value));
  } catch {
    // Full or refused: the setting lasts for this visit only.
  }
}
