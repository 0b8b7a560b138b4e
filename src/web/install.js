// The page as an installed application: the manifest, the service worker
// that keeps the site for offline visits, the fonts the system hands an
// installed page, and the request that the browser keep the page's storage.

// Linked only where the page is served: opened from disk, the browser refuses
// to fetch the manifest across origins (CORS) and logs two errors.
export function linkManifest() {
  if (location.protocol === 'file:') return;
  const link = document.createElement('link');
  link.rel = 'manifest';
  link.href = 'manifest.webmanifest';
  document.head.append(link);
}

// Served over http(s) only: a page opened from disk has no worker. Say is
// told when a new build is in, for the next load.
export function registerWorker(say) {
  if (!('serviceWorker' in navigator) || !/^https?:$/.test(location.protocol)) return;
  navigator.serviceWorker.register('sw.js').then((registration) => {
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      worker?.addEventListener('statechange', () => {
        // The first install has no controller yet: nothing is new to the user.
        if (worker.state === 'installed' && navigator.serviceWorker.controller)
          say('A new version is ready; reload to use it');
      });
    });
  }).catch(() => {});  // the page works as before without one
}

// Fonts double-clicked in the file manager, for an installed page: Open is
// given the first one's handle.
export function takeLaunchedFiles(open) {
  window.launchQueue?.setConsumer((params) => {
    if (params.files?.length) open(params.files[0]);
  });
}

let asked = false;

// Asks once a visit that the browser keep the page's storage; Refused is
// told when it won't.
export async function askToKeepStorage(refused) {
  if (asked || !navigator.storage?.persist) return;
  asked = true;
  try {
    if (await navigator.storage.persisted()) return;
    if (!(await navigator.storage.persist())) refused();
  } catch {
    refused();
  }
}
