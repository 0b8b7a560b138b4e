// The tab's unsaved work in the browser's own storage (IndexedDB), as the
// core's recovery journal: its records appended in order as each step is
// made, so that a closed tab, a reload or a killed browser loses at most the
// stroke in progress. A tab holds a lock named for its journal while it
// lives; a journal whose lock nobody holds was left by a tab that is gone.

const DB = 'quillmere';
const LOCK = 'quillmere-journal-';

const done = (request) => new Promise((resolve, reject) => {
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});
const finished = (tx) => new Promise((resolve, reject) => {
  tx.oncomplete = () => resolve();
  tx.onerror = tx.onabort = () => reject(tx.error ?? new Error('the storage refused the write'));
});

export class Keeper {
  // Refused(error) is told, once, when the storage won't keep the work.
  constructor(refused) {
    this.refused = refused;
    this.id = null;
    this.seq = 0;
    this.queue = Promise.resolve();
    this.failed = false;
  }

  // False when the storage can't be had; the first write then says so.
  async open() {
    try {
      if (!('indexedDB' in window)) throw new Error('this browser has no storage for pages');
      const request = indexedDB.open(DB, 1);
      request.onupgradeneeded = () => {
        const db = request.result;
        db.createObjectStore('journals', { keyPath: 'id' });
        db.createObjectStore('records', { keyPath: ['id', 'seq'] });
      };
      this.db = await done(request);
      return true;
    } catch (e) {
      this.openError = e;
      return false;
    }
  }

  // Journals with changes that no living tab holds, newest first; those
  // without changes go, set aside ones are left out.
  async orphans() {
    const all = await done(this.db.transaction('journals').objectStore('journals').getAll());
    const held = new Set((await navigator.locks?.query())?.held?.map((l) => l.name) ?? []);
    const left = all.filter((j) => !j.aside && j.id !== this.id && !held.has(LOCK + j.id));
    for (const j of left.filter((j) => !j.changes)) await this.remove(j.id);
    return left.filter((j) => j.changes).sort((a, b) => b.updated - a.updated);
  }

  // The journal's records, joined as the core reads them.
  async read(id) {
    const range = IDBKeyRange.bound([id, 0], [id, Infinity]);
    const parts = await done(this.db.transaction('records').objectStore('records').getAll(range));
    const out = new Uint8Array(parts.reduce((n, p) => n + p.bytes.length, 0));
    let at = 0;
    for (const p of parts) {
      out.set(p.bytes, at);
      at += p.bytes.length;
    }
    return out;
  }

  async remove(id) {
    const tx = this.db.transaction(['journals', 'records'], 'readwrite');
    tx.objectStore('journals').delete(id);
    tx.objectStore('records').delete(IDBKeyRange.bound([id, 0], [id, Infinity]));
    await finished(tx);
  }

  // A journal that can't be read: kept, never offered again.
  async setAside(id) {
    const tx = this.db.transaction('journals', 'readwrite');
    const store = tx.objectStore('journals');
    const journal = await done(store.get(id));
    if (journal) store.put({ ...journal, aside: true });
    await finished(tx);
  }

  // This tab's journal from now on: Id (a recovered one) or a new one,
  // locked for as long as the tab lives.
  take(id = crypto.randomUUID?.() ?? `${Date.now()}-${Math.random()}`) {
    this.id = id;
    this.seq = 0;
    navigator.locks?.request(LOCK + id, () => new Promise(() => {}));
  }

  // Starts the journal afresh with Bytes (the font and its history so far).
  start(bytes, meta) {
    if (!this.id) this.take();
    const id = this.id;
    this.seq = 0;
    return this.write((tx) => {
      tx.objectStore('records').delete(IDBKeyRange.bound([id, 0], [id, Infinity]));
      tx.objectStore('records').put({ id, seq: this.seq++, bytes });
      tx.objectStore('journals').put({ id, ...meta, updated: Date.now() });
    });
  }

  append(bytes, meta) {
    const id = this.id, seq = this.seq++;
    return this.write((tx) => {
      tx.objectStore('records').put({ id, seq, bytes });
      tx.objectStore('journals').put({ id, ...meta, updated: Date.now() });
    });
  }

  // The work is saved or discarded: nothing is kept.
  drop() {
    const id = this.id;
    this.id = null;
    if (!id || !this.db) return this.queue;
    this.queue = this.queue.then(() => this.remove(id)).catch(() => {});
    return this.queue;
  }

  // Writes run one after another, each its own transaction, in order.
  write(fill) {
    this.queue = this.queue.then(async () => {
      if (this.failed) return;
      if (this.openError) throw this.openError;
      const tx = this.db.transaction(['journals', 'records'], 'readwrite', { durability: 'strict' });
      fill(tx);
      await finished(tx);
    }).catch((e) => {
      if (this.failed) return;
      this.failed = true;
      this.refused(e);
    });
    return this.queue;
  }
}
