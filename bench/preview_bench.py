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
const rounds = arguments[0], text = document.getElementById('preview-text');
const width = document.getElementById('preview-width');
const median = (f) => {
  const t = [];
  for (let i = 0; i < rounds; i++) {
    const s = performance.now();
    f(i);
    t.push(performance.now() - s);
  }
  return t.sort((a, b) => a - b)[t.length >> 1];
};
// Typed as a user types: at the caret, the text area changing where it does.
text.focus();
text.setSelectionRange(0, 0);
const typing = median(() => document.execCommand('insertText', false, 'x'));
const drawn = median(() => text.dispatchEvent(new Event('input')));
const widths = median((i) => {
  width.value = String(101 + i);
  width.dispatchEvent(new Event('input'));
});
return { typing, drawn, widths, lines: text.value.split('\\n').length };
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
        while d.execute_script("return document.getElementById('preview-text').value.length") < 100000:
            time.sleep(0.05)
        return d.execute_script(MEASURE, ROUNDS)
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
