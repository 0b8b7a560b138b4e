#!/usr/bin/python3
"""The Text Preview of a 10,000-line .po in the 65,535 x 64 16-bit font, in
the page (headless chromium, opened from disk) and the window (offscreen,
build/bench/preview_bench) in the same run: a character typed (every line
laid out and measured again, the view drawn) and the Width changed (every
line's width counted against it, the view drawn). Medians of ROUNDS.
Usage: bench/preview_bench.py build-web/site build/bench/preview_bench [ROUNDS]"""
import os
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.by import By

from benchpage import chromium, font16

SITE = os.path.abspath(sys.argv[1])
WINDOW_BENCH = os.path.abspath(sys.argv[2])
ROUNDS = int(sys.argv[3]) if len(sys.argv) > 3 else 21

MEASURE = """
const rounds = arguments[0], done = arguments[arguments.length - 1];
const text = document.getElementById('preview-text'), page = window.quillmereBench.page;
const width = document.getElementById('preview-width'), area = document.getElementById('preview-area');
const median = (t) => t.sort((a, b) => a - b)[t.length >> 1];
const time = (f) => {
  const t = [];
  for (let i = 0; i < rounds; i++) {
    const s = performance.now();
    f(i);
    t.push(performance.now() - s);
  }
  return median(t);
};
(async () => {
  // Typed as a user types: at the caret, through the browser's editing; the
  // text box takes the change in a microtask, the preview redraws in it.
  text.focus();
  getSelection().collapse(text.querySelector('.cm-line').firstChild, 0);
  const typed = [], size = page.previewSize();
  for (let i = 0; i < rounds; i++) {
    const s = performance.now();
    document.execCommand('insertText', false, 'x');
    await Promise.resolve();
    typed.push(performance.now() - s);
  }
  const drawn = time(() => area.dispatchEvent(new Event('scroll')));
  const widths = time((i) => {
    width.value = String(101 + i);
    width.dispatchEvent(new Event('input'));
  });
  done({ typing: median(typed), drawn, widths, lines: page.previewText(0, 0, 0, 0, 0).lines,
         typedAll: page.previewSize() - size === rounds });
})();
"""


def po(path, lines=10000):
    with open(path, "w", encoding="utf-8") as f:
        f.write('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n')
        for k in range(lines):
            f.write(f'\nmsgid "line {k}"\nmsgstr "Zażółć gęślą jaźń, {k}: the quick brown fox jumps"\n')


def page(font, text):
    d = chromium()
    try:
        d.get("file://" + os.path.join(SITE, "index.html") + "?bench")
        while not d.execute_script("return !!window.quillmereBench"):
            time.sleep(0.01)
        d.find_element(By.XPATH, "//button[@class='menu-title' and text()='File']").click()
        d.find_element(By.ID, "open-sft").send_keys(font)
        while not d.execute_script("return window.quillmereBench.page.hasFont()"):
            time.sleep(0.01)
        d.find_element(By.XPATH, "//button[@class='menu-title' and text()='View']").click()
        d.find_element(By.ID, "text-preview").click()
        d.find_element(By.ID, "preview-open").send_keys(text)
        while d.execute_script("return window.quillmereBench.page.previewSize()") < 100000:
            time.sleep(0.05)
        out = d.execute_async_script(MEASURE, ROUNDS)
        assert out["typedAll"], "a key typed did not reach the preview"
        return out
    finally:
        d.quit()


def main():
    tmp = tempfile.mkdtemp()
    font, text = os.path.join(tmp, "wide16.sft"), os.path.join(tmp, "long.po")
    with open(font, "wb") as f:
        f.write(font16())
    po(text)
    p = page(font, text)
    out = subprocess.run([WINDOW_BENCH, font, text, str(ROUNDS)], capture_output=True, text=True,
                         check=True, cwd=tmp).stdout
    window = {w[1]: float(w[2]) for w in (line.split() for line in out.splitlines())
              if len(w) == 3 and w[0] == "window"}
    print(f"the preview of {p['lines']} lines, {ROUNDS} rounds, medians; the page's redraw alone "
          f"{p['drawn']:.1f} ms")
    print(out.strip())
    for name, key, target in (("a character typed", "typing", 16), ("the Width changed", "widths", 50)):
        print(f"{name}: page {p[key]:.1f} ms, window {window[key]:.1f} ms (each within {target} ms); "
              f"page/window {p[key] / window[key]:.2f} (target within 2x)")


if __name__ == "__main__":
    main()
