#!/usr/bin/python3
"""The page against the window, on the 65,535 x 64 16-bit font in the same
run: Open SFT to the first paint of the opened font, the strip scrolled end
to end a view at a time at zoom 4, and Save as BMP. The page in headless
chromium, opened from disk; the window offscreen (build/bench/scroll_bench)
with its view the size of the page's. Each figure is the median of ROUNDS,
each round a fresh page and a fresh Open SFT.
Usage: bench/page_window_bench.py build-web/site build/bench/scroll_bench [ROUNDS]"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.by import By

from benchpage import chromium, font16

SITE = os.path.abspath(sys.argv[1])
SCROLL_BENCH = os.path.abspath(sys.argv[2])
ROUNDS = int(sys.argv[3]) if len(sys.argv) > 3 else 5

# From the file input's change to the end of the first paint with a font.
FIRST_PAINT = """
const { view, page } = window.quillmereBench;
window.firstPaint = null;
document.addEventListener('change', (e) => {
  window.changed = performance.now();
  window.file = e.target.files?.[0];
}, { capture: true });
const draw = view.draw.bind(view);
view.draw = () => {
  draw();
  if (window.changed !== undefined && window.firstPaint === null && page.hasFont())
    window.firstPaint = performance.now() - window.changed;
};
"""

# End to end a view at a time, each view drawn; then the BMP file's bytes
# handed to the browser as the download's blob.
SCROLL_AND_SAVE = """
const done = arguments[arguments.length - 1];
(async () => {
const { view, page } = window.quillmereBench;
view.setZoom(4);
const s = document.getElementById('scroller'), last = s.scrollWidth - s.clientWidth;
let steps = 0;
const t = performance.now();
for (let x = 0;; x += s.clientWidth, steps++) {
  s.scrollLeft = Math.min(x, last);
  view.draw();
  if (x >= last) break;
}
const scroll = performance.now() - t;
const t2 = performance.now();
const blob = new Blob([page.bmpFile()], { type: 'image/bmp' });  // as Save as BMP hands it over
const save = performance.now() - t2;
// What the browser itself takes to hand the same bytes over, with no page
// code: a blob of a buffer as large, and the chosen file read whole.
const same = new Uint8Array(blob.size).fill(7);
const t3 = performance.now();
new Blob([same], { type: 'image/bmp' });
const blobAlone = performance.now() - t3;
const t4 = performance.now();
const read = (await window.file.arrayBuffer()).byteLength && performance.now() - t4;
return { scroll, save, blobAlone, read, steps: steps + 1, zoom: view.zoom, w: s.clientWidth, h: s.clientHeight, bytes: blob.size };
})().then(done);
"""


def page_round(d, path):
    d.get("file://" + os.path.join(SITE, "index.html") + "?bench")
    while not d.execute_script("return !!window.quillmereBench"):
        time.sleep(0.01)
    d.execute_script(FIRST_PAINT)
    d.find_element(By.XPATH, "//button[@class='menu-title' and text()='File']").click()
    d.find_element(By.ID, "open-sft").send_keys(path)
    while (first := d.execute_script("return window.firstPaint")) is None:
        time.sleep(0.01)
    r = d.execute_async_script(SCROLL_AND_SAVE)
    r["first"] = first
    return r


def main():
    tmp = tempfile.mkdtemp()
    path = os.path.join(tmp, "wide16.sft")
    with open(path, "wb") as f:
        f.write(font16())
    d = chromium()
    d.set_script_timeout(600)
    try:
        rounds = [page_round(d, path) for _ in range(ROUNDS)]
    finally:
        d.quit()
    page = {k: statistics.median(r[k] for r in rounds) for k in ("first", "scroll", "save", "blobAlone", "read")}
    r = rounds[-1]
    out = subprocess.run([SCROLL_BENCH, path, str(r["w"]), str(r["h"]), os.path.join(tmp, "wide16.bmp"),
                          str(ROUNDS)], capture_output=True, text=True, check=True, cwd=tmp).stdout
    lines = [line.split() for line in out.splitlines() if line.startswith("window ")]
    window = {w[1]: float(w[2]) for w in lines if len(w) == 3}
    print(f"page view {r['w']} x {r['h']}, zoom {r['zoom']}, {r['steps']} view positions; "
          f"{ROUNDS} rounds, medians")
    print(out.strip())
    print(f"BMP file: page {r['bytes']} bytes, window {int(window['bmp-bytes'])} bytes")
    for name, key, target, what in (
            ("first paint of the opened font", "first-paint", 3, "file chosen to the strip painted"),
            ("scroll end to end at zoom 4", "scroll", 2, "each view position drawn"),
            ("save as BMP", "save", 2, "page: the file's bytes as a blob; window: the file written, synced")):
        p, w = page[key.replace("first-paint", "first")], window[key]
        print(f"{name}: page {p:.1f} ms, window {w:.1f} ms; page/window {p / w:.2f} "
              f"(target within {target}x) [{what}]")
    print(f"the browser alone, no page code: the font's file read {page['read']:.1f} ms "
          f"({page['read'] / window['first-paint']:.2f}x the window's first paint), a blob of "
          f"the BMP's size {page['blobAlone']:.1f} ms ({page['blobAlone'] / window['save']:.2f}x "
          f"the window's save)")


if __name__ == "__main__":
    main()
