"""What the page's tests share: headless chromium driven by Selenium, with a
profile and a home of its own, the page opened from disk as a user opens the
unzipped site, and the files the tests hand it."""
import contextlib
import functools
import glob
import http.server
import json
import os
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.by import By
from selenium.webdriver.support.select import Select

SITE, SFT2BMP = (os.path.abspath(a) for a in sys.argv[1:3])
SAMPLES = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", "..", "samples"))
TMP = tempfile.mkdtemp()
# Nothing of the user's: the browser and its driver get a home of their own.
for var in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
    os.environ[var] = tempfile.mkdtemp()


A_B = [(65, 0), (66, 10)]  # two glyphs of ten columns
DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"  # an outline font to make glyphs of


def font(bpp, width, height, chars=((32, 0),), pixels=None, ranges=1):
    """A font file: one range of the chars' codes, a strip of the pixels."""
    out = bytearray(b"SFNT" + bytes(16) + struct.pack("<i", ranges) + bytes(16))
    codes = [c for c, _ in chars]
    out += struct.pack("<HH", codes[0], codes[-1])
    for _, x in chars:
        out += struct.pack("<ii", x, 0)
    strip = bytearray(128)
    struct.pack_into("<i", strip, 36, bpp)
    n = width * height * bpp // 8
    return bytes(out + strip + struct.pack("<ii", width, height) +
                 (pixels if pixels is not None else bytes((i * 7) & 255 for i in range(n))))


def write(name, data):
    path = os.path.join(TMP, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def png(width, height, rows, palette=None):
    """An 8-bit PNG: indexed with the palette's RGB triples, else RGB."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    kind = 3 if palette else 2
    raw = b"".join(b"\0" + bytes(r) for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, kind, 0, 0, 0)) +
            (chunk(b"PLTE", bytes(sum(palette, ()))) if palette else b"") +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def sample_rgb(index):
    with open(os.path.join(SAMPLES, "uicolormap.cmp"), "rb") as f:
        return tuple(f.read()[64 + 3 * index:67 + 3 * index])


@contextlib.contextmanager
def served(directory=SITE):
    """The site on a static server of its own; yields its origin. Once
    left, the port refuses connections."""
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=directory)
    handler.log_message = lambda *a: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}"
    finally:
        server.shutdown()
        server.server_close()


def sft2bmp(*args):
    return subprocess.run([SFT2BMP, *args], cwd=TMP, check=True, capture_output=True).stdout


# Takes the File System Access API away before the page's script runs, as
# Firefox and Safari have it: the file inputs and the downloads.
NO_HANDLES = ("for (const n of ['showOpenFilePicker', 'showSaveFilePicker', 'showDirectoryPicker'])"
              " { delete window[n]; delete Window.prototype[n]; }")


class PageTest(unittest.TestCase):
    handles = False  # the suites drive the inputs and downloads unless they say so

    @classmethod
    def setUpClass(cls, profile=None):
        o = webdriver.ChromeOptions()
        o.binary_location = "/usr/bin/chromium"
        o.set_capability("unhandledPromptBehavior", "accept")  # leaving with unsaved changes
        o.set_capability("goog:loggingPrefs", {"browser": "SEVERE"})  # the console's errors
        cls.profile = profile or tempfile.mkdtemp()
        for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1200,800", "--user-data-dir=" + cls.profile):
            o.add_argument(a)
        cls.d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
        cls.downloads = tempfile.mkdtemp()
        cls.d.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": cls.downloads})
        if not cls.handles:
            cls.d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": NO_HANDLES})

    @classmethod
    def tearDownClass(cls):
        cls.d.quit()

    def setUp(self):
        self.load("file://" + os.path.join(SITE, "index.html"))
        self.d.execute_script("localStorage.clear(); indexedDB.deleteDatabase('quillmere')")
        self.d.refresh()
        self.wait(lambda: self.d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))

    def load(self, url):
        self.d.get(url)
        self.wait(lambda: self.d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))

    def wait(self, cond, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            value = cond()
            if value:
                return value
            time.sleep(0.05)
        self.fail("timed out")

    def named(self, name, tag="*"):
        """The visible control whose accessible name is Name."""
        for e in self.d.find_elements(By.CSS_SELECTOR, f"{tag}"):
            if e.accessible_name == name and (e.is_displayed() or e.get_attribute("type") == "file"):
                return e
        self.fail(f"no control named {name!r}")

    def open_menu(self, title):
        self.d.find_element(By.XPATH, f"//button[@class='menu-title' and text()='{title}']").click()

    def menu(self, title, item):
        self.open_menu(title)
        self.named(item, "button").click()

    def pick(self, command, path):
        self.open_menu("File")
        self.named(command, "input").send_keys(path)

    def dialog(self):
        """Text of the open message box; closed with its default button."""
        box = self.wait(lambda: [b for b in self.d.find_elements(By.CSS_SELECTOR, "dialog[open]")])[0]
        text = box.find_element(By.TAG_NAME, "p").text
        return text, box

    def answer(self, button="OK"):
        text, box = self.dialog()
        shown = box.get_attribute("data-shown")
        box.find_element(By.XPATH, f".//button[text()='{button}']").click()
        # Closed, or showing the next message.
        self.wait(lambda: box.get_attribute("open") is None or box.get_attribute("data-shown") != shown)
        return text

    def info(self):
        return [li.text for li in self.d.find_elements(By.CSS_SELECTOR, "#font-info li")]

    def canvas(self, x, y, w=1, h=1, over=True):
        """RGB of a part of the strip's view as shown, once drawn: its canvas
        and, unless not over, what lies over it."""
        return self.d.execute_script(
            "const c = document.getElementById('strip'), at = c.getBoundingClientRect();"
            "const o = Object.assign(document.createElement('canvas'), { width: c.width, height: c.height }).getContext('2d');"
            "o.drawImage(c, 0, 0);"
            "for (const l of arguments[4] ? c.parentElement.querySelectorAll('canvas:not(#strip):not([hidden])') : []) {"
            "  const r = l.getBoundingClientRect(); o.drawImage(l, r.left - at.left, r.top - at.top); }"
            "const d = o.getImageData(arguments[0], arguments[1], arguments[2], arguments[3]).data;"
            "const out = []; for (let i = 0; i < d.length; i += 4) out.push([d[i], d[i+1], d[i+2]]); return out;",
            x, y, w, h, over)

    def draw(self):
        self.d.execute_script("await new Promise(r => requestAnimationFrame(() => setTimeout(r, 0)))")

    def download(self, name):
        path = os.path.join(self.downloads, name)
        self.wait(lambda: os.path.exists(path) and not glob.glob(path + ".crdownload"))
        time.sleep(0.1)
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
        return data

    def open_font(self, path):
        self.pick("Open SFT", path)
        self.wait(lambda: os.path.basename(path) in self.d.title)

    def stroke(self, points, button=MouseButton.LEFT, key=None):
        """A press at the first strip pixel, moves to the others, a release."""
        box = self.d.execute_script("return document.getElementById('scroller').getBoundingClientRect()")
        if key:
            ActionChains(self.d).key_down(key).perform()
        actions = ActionBuilder(self.d)
        to = lambda p: actions.pointer_action.move_to_location(int(box["x"]) + p[0], int(box["y"]) + p[1])
        to(points[0])
        actions.pointer_action.pointer_down(button)
        for p in points[1:]:
            to(p)
        actions.pointer_action.pointer_up(button)
        actions.perform()
        if key:
            ActionChains(self.d).key_up(key).perform()

    def keys(self, *keys):
        self.d.find_element(By.TAG_NAME, "body").send_keys(*keys)

    def saved(self, name):
        """The font Save SFT downloads."""
        self.menu("File", "Save SFT")
        return self.download(name)

    def command(self, id):
        return self.d.find_element(By.ID, id).get_attribute("textContent")

    def table(self, name):
        self.menu("File", "Save JSON")
        return [(c["code"], c["x"]) for c in json.loads(self.download(name))[0]["characters"]]

    def swatch(self, index, background=False):
        self.d.execute_script(
            "const b = document.querySelector(`#swatches [data-index='${arguments[0]}']`);"
            "b.dispatchEvent(new MouseEvent(arguments[1] ? 'contextmenu' : 'click', {bubbles: true}))",
            index, background)

    def outline_font(self, mode, chars, path=DEJAVU):
        """File > New Font from Outline Font... with Path chosen; the status line once previewed."""
        self.menu("File", "New Font from Outline Font...")
        Select(self.d.find_element(By.ID, "outline-mode")).select_by_value(mode)
        self.d.find_element(By.ID, "outline-chars").clear()
        self.d.find_element(By.ID, "outline-chars").send_keys(chars)
        self.d.find_element(By.ID, "outline-file").send_keys(path)
        status = self.d.find_element(By.ID, "outline-status")
        if path == DEJAVU:
            self.wait(lambda: "glyph" in status.text)
        return status
