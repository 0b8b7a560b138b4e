// Files through the browser's File System Access where it has it: pickers
// that hand back a handle, writes back into the same file, and the recent
// fonts' handles kept in IndexedDB. Elsewhere the page's file inputs and
// downloads stay as they were.
import { fileOpen, fileSave, supported } from 'browser-fs-access';

export const handles = supported;

const RECENT_DB = 'quillmere-files';
const RECENT_MAX = 10;

// A picker the user closed: the command stops and says nothing.
export const cancelled = (e) => e?.name === 'AbortError';

// What Save compares to tell a file changed by another program.
export const stampOf = (file) => ({ modified: file.lastModified, size: file.size });
export const sameStamp = (a, b) => a.modified === b.modified && a.size === b.size;

// True once the browser lets the page use Handle in Mode, asking the user
// when it must.
export async function permitted(handle, mode) {
  if (!handle.queryPermission) return true;
  if ((await handle.queryPermission({ mode })) === 'granted') return true;
  return (await handle.requestPermission({ mode })) === 'granted';
}

// A font picked through the browser's picker: the File, its handle on it.
export const pickFont = () => fileOpen({ description: 'SFT fonts', extensions: ['.sft'], id: 'fonts' });

// Make(name)'s bytes written: into Handle, where the save picker says when
// there is none, or as a download of Name without the API. Make runs only
// once the file is chosen. The file is replaced whole when the writer
// closes, or not at all. Resolves to the handle written (null for a
// download).
export async function saveBytes(make, { name, type = 'application/octet-stream', extension, handle = null }) {
  const blob = (as) => new Blob([make(as)], { type });
  const options = [{ fileName: name, extensions: [extension], mimeTypes: [type], id: extension === '.sft' ? 'fonts' : 'exports' }];
  if (!handles) return fileSave(blob(name), options);
  if (handle) {
    if (!(await permitted(handle, 'readwrite'))) throw new Error(`Writing ${handle.name} was not allowed`);
    return fileSave(blob(handle.name), options, handle, true);
  }
  let chosen;
  const later = new Promise((resolve) => { chosen = resolve; });
  return fileSave(later, options, null, false, (picked) => chosen(blob(picked.name)));
}

// The last fonts opened or saved through handles, newest first, in the
// browser's storage across visits.
export class RecentFonts {
  constructor() {
    this.list = [];
  }

  async open() {
    if (!handles || !('indexedDB' in window)) return;
    try {
      const request = indexedDB.open(RECENT_DB, 1);
      request.onupgradeneeded = () => request.result.createObjectStore('recent');
      this.db = await new Promise((resolve, reject) => {
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
      });
      this.list = (await this.request('readonly', (s) => s.get('fonts'))) ?? [];
    } catch {
      this.db = null;  // no storage: the list lives as long as the tab
    }
  }

  request(mode, act) {
    return new Promise((resolve, reject) => {
      const r = act(this.db.transaction('recent', mode).objectStore('recent'));
      r.onsuccess = () => resolve(r.result);
      r.onerror = () => reject(r.error);
    });
  }

  async store(list) {
    this.list = list.slice(0, RECENT_MAX);
    if (this.db) await this.request('readwrite', (s) => s.put(this.list, 'fonts')).catch(() => {});
  }

  async add(handle) {
    const others = [];
    for (const h of this.list) if (!(await h.isSameEntry(handle).catch(() => false))) others.push(h);
    await this.store([handle, ...others]);
  }

  remove(handle) { return this.store(this.list.filter((h) => h !== handle)); }

  clear() { return this.store([]); }
}
