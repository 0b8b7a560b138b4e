// Writes the site's service worker: every file of the site precached under
// its revision, so that a visit over http(s) leaves the page working offline
// and a new build is a new worker. Usage: node precache.mjs SITE_DIR
import { generateSW } from 'workbox-build';

const site = process.argv[2];
const { count, size, warnings } = await generateSW({
  globDirectory: site,
  globPatterns: ['**/*.{html,js,css,svg,png,webmanifest}'],
  swDest: `${site}/sw.js`,
  // The bundle carries the core's WebAssembly: bigger than the default cap.
  maximumFileSizeToCacheInBytes: 256 << 20,
  inlineWorkboxRuntime: true,
  sourcemap: false,
  mode: 'production',
  // A new build takes over at once; the open page keeps the script it
  // loaded and says a reload gets the new one.
  skipWaiting: true,
  clientsClaim: true,
});
for (const w of warnings) console.warn(w);
if (warnings.length) process.exit(1);
console.log(`Service worker: ${count} files, ${size} bytes precached`);
