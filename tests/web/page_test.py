#!/usr/bin/python3
"""The page in headless chromium, driven by Selenium: opened from disk as a
user would open the unzipped site. Usage: page_test.py SITE_DIR SFT2BMP"""
import functools
import glob
import http.server
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
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

SITE, SFT2BMP = (os.path.abspath(a) for a in sys.argv[1:3])
SAMPLES = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", "..", "samples"))
TMP = tempfile.mkdtemp()
# Nothing of the user's: the browser and its driver get a home of their own.
for var in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
    os.environ[var] = tempfile.mkdtemp()


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


def sft2bmp(*args):
    return subprocess.run([SFT2BMP, *args], cwd=TMP, check=True, capture_output=True).stdout


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        o = webdriver.ChromeOptions()
        o.binary_location = "/usr/bin/chromium"
        cls.profile = tempfile.mkdtemp()
        for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--window-size=1200,800", "--user-data-dir=" + cls.profile):
            o.add_argument(a)
        cls.d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
        cls.downloads = tempfile.mkdtemp()
        cls.d.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": cls.downloads})

    @classmethod
    def tearDownClass(cls):
        cls.d.quit()

    def setUp(self):
        self.d.get("file://" + os.path.join(SITE, "index.html"))
        self.d.execute_script("localStorage.clear()")
        self.d.refresh()
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

    def canvas(self, x, y, w=1, h=1):
        """RGB of a part of the strip's canvas, once drawn."""
        return self.d.execute_script(
            "const c = document.getElementById('strip'); const d = c.getContext('2d')"
            ".getImageData(arguments[0], arguments[1], arguments[2], arguments[3]).data;"
            "const out = []; for (let i = 0; i < d.length; i += 4) out.push([d[i], d[i+1], d[i+2]]); return out;",
            x, y, w, h)

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

    def test_opens_fonts_and_refuses_bad_ones_keeping_the_last(self):
        self.menu("File", "Open Sample")
        self.named("QUILL16.SFT", "button").click()
        self.wait(lambda: self.info() == ["16-bit font", "95 characters"])
        self.assertEqual(self.d.title, "Quillmere : QUILL16.SFT")
        options = self.named("Character", "select").find_elements(By.TAG_NAME, "option")
        self.assertEqual((len(options), options[33].text.split()[0]), (95, "65"))
        before = self.canvas(0, 0, 40, 4)
        good = font(8, 4, 2, pixels=bytes(8))
        bad = {
            "not a font": b"SFNX" + good[4:],
            "truncated strip": good[:-1],
            "claims more pixels than it holds": good[:-16] + struct.pack("<ii", 60000, 60000),
            "table past the end": good[:40] + struct.pack("<HH", 0, 5000),
            "depth 24": good[:44 + 8 + 36] + struct.pack("<i", 24) + good[44 + 8 + 40:],
        }
        for why, data in bad.items():
            with self.subTest(why):
                self.pick("Open SFT", write("bad.sft", data))
                self.assertEqual(self.answer(), "Invalid SFT file!")
                self.assertEqual((self.d.title, self.info()), ("Quillmere : QUILL16.SFT", ["16-bit font", "95 characters"]))
                self.assertEqual(self.canvas(0, 0, 40, 4), before)

    def test_palettes_by_the_command_chosen(self):
        path = write("one.sft", font(8, 4, 1, pixels=bytes([1, 1, 1, 1])))
        self.open_font(path)
        cmp_ = b"CMP " + bytes(60) + bytes([0, 0, 0, 10, 20, 30]) + bytes(762)
        bm = b"BM " + bytes(9) + struct.pack("<i", 2) + bytes(112) + bytes([0, 0, 0, 200, 100, 50]) + bytes(762)
        cases = [  # command, file, warnings, the colour of index 1 after
            ("Load palette from CMP file", cmp_, [], [10, 20, 30]),
            ("Load palette from BM", bm, [], [200, 100, 50]),
            ("Load palette from CMP file", bm, ["Invalid CMP file!"], [200, 100, 50]),
            ("Load palette from BM", cmp_, ["Invalid BM file!"], [200, 100, 50]),
            ("Load palette from BM", bm[:12] + b"\2\0\0\1" + bm[16:], ["BM doesn't contain a Palette!"], [200, 100, 50]),
        ]
        for command, data, warnings, colour in cases:
            with self.subTest(command, warnings=warnings):
                self.pick(command, write("pal.x", data))
                for w in warnings + (["Error loading Palette!"] if warnings else []):
                    self.assertEqual(self.answer(), w)
                self.draw()
                self.assertEqual(self.canvas(0, 0), [colour])
        self.assertIn("pal.x", self.d.find_element(By.ID, "status").text)

    def test_selecting_a_code_scrolls_its_glyph_to_the_left_edge_and_zoom_keeps_pixels(self):
        width = 3000
        pixels = bytes((x // 3) & 255 for x in range(width)) * 2
        chars = [(65 + k, x) for k, x in enumerate((0, 900, 2990))]
        self.open_font(write("wide.sft", font(8, width, 2, chars, pixels)))
        chars_list = self.named("Character", "select")
        chars_list.send_keys(Keys.ARROW_DOWN)
        self.draw()
        # Column 900 at the left edge holds index 300 % 256, drawn through the sample palette.
        self.assertEqual(self.canvas(0, 0, 4, 1), [list(sample_rgb(44))] * 3 + [list(sample_rgb(45))])
        chars_list.send_keys(Keys.ARROW_DOWN)  # X 2990 lies past the last scroll position
        self.draw()
        scroller_w = self.d.execute_script("return document.getElementById('scroller').clientWidth")
        self.assertEqual(self.d.execute_script("return document.getElementById('scroller').scrollLeft"),
                         width - scroller_w)
        chars_list.send_keys(Keys.HOME)
        self.draw()
        at1 = self.canvas(0, 0, 12, 1)
        self.d.find_element(By.TAG_NAME, "body").send_keys(Keys.CONTROL, "=")
        self.draw()
        at2 = self.canvas(0, 0, 24, 2)
        self.assertEqual(at2[:24], [p for p in at1 for _ in (0, 1)])
        self.assertEqual(at2[24:], at2[:24])
        self.menu("View", "Actual Size")
        self.draw()
        self.assertEqual(self.canvas(0, 0, 12, 1), at1)
        self.assertNotEqual(at1[0], at1[3], "columns 0 and 3 hold other indices")

    def test_exports_are_sft2bmps_bytes_and_come_back_the_same_font(self):
        for name in ("QUILL8.SFT", "QUILL16.SFT"):
            with self.subTest(name):
                src = os.path.join(SAMPLES, name)
                with open(src, "rb") as f:
                    original = f.read()
                local = write(name, original)
                self.open_font(local)
                self.menu("File", "Save as BMP")
                sft2bmp("--cmp", os.path.join(SAMPLES, "uicolormap.cmp"), "-o", TMP, name)
                stem = name.rsplit(".", 1)[0]
                with open(os.path.join(TMP, stem + ".BMP"), "rb") as f:
                    self.assertEqual(self.download(stem + ".BMP"), f.read())
                self.menu("File", "Save JSON")
                self.assertEqual(self.download(stem + ".json"), sft2bmp("--json", name))
                self.pick("Import Picture...", os.path.join(TMP, stem + ".BMP"))
                self.wait(lambda: self.d.title.endswith("*"))
                self.menu("File", "Save SFT")
                self.assertEqual(self.download(name), original)

    def test_import_picture_follows_the_colour_rules(self):
        path = write("four.sft", font(8, 4, 1, pixels=bytes([0, 0, 0, 0])))
        rgb = sample_rgb
        missing = (1, 2, 3)
        self.assertNotIn(missing, [rgb(i) for i in range(256)])
        cases = [  # picture, question asked, answer, strip after
            (png(4, 1, [[7, 200, 9, 255]], [rgb(0)] * 256), None, None, bytes([7, 200, 9, 255])),
            (png(4, 1, [sum((rgb(i) for i in (5, 6, 5, 9)), ())]), None, None, bytes([5, 6, 5, 9])),
            (png(4, 1, [sum((rgb(5), missing, missing, rgb(9)), ())]), "2 pixels", "No", None),
            (png(4, 1, [sum((rgb(5), missing, missing, rgb(9)), ())]), "2 pixels", "Yes", "moved"),
        ]
        for picture, question, answer, after in cases:
            with self.subTest(question=question, answer=answer):
                self.open_font(path)
                self.pick("Import Picture...", write("pic.png", picture))
                if question:
                    self.assertTrue(self.dialog()[0].startswith(question), self.dialog()[0])
                    self.answer(answer)
                if after is None:
                    self.assertEqual(self.d.title, "Quillmere : four.sft")
                    continue
                self.wait(lambda: self.d.title.endswith("*"))
                self.menu("File", "Save SFT")
                strip = self.download("four.sft")[-4:]
                self.assertEqual(strip if after != "moved" else strip[::3], after if after != "moved" else bytes([5, 9]))
                self.assertEqual(self.d.title, "Quillmere : four.sft")

    def test_a_million_columns_open_and_scroll(self):
        width = 1_000_000
        row = bytes((x // 1000) & 255 for x in range(width))
        self.open_font(write("huge.sft", font(8, width, 16, [(65, 0), (66, 999_000)], row * 16)))
        self.named("Character", "select").send_keys(Keys.ARROW_DOWN)
        self.draw()
        self.assertEqual(self.d.execute_script("return document.getElementById('scroller').scrollLeft"),
                         width - self.d.execute_script("return document.getElementById('scroller').clientWidth"))
        self.assertEqual(self.canvas(self.d.execute_script("return document.getElementById('strip').width") - 1, 15),
                         self.canvas(self.d.execute_script("return document.getElementById('strip').width") - 2, 0))

    def test_served_page_works_and_asks_for_nothing_but_its_own_files(self):
        handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=SITE)
        handler.log_message = lambda *a: None
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            origin = f"http://127.0.0.1:{server.server_address[1]}"
            self.d.get(origin + "/")
            self.wait(lambda: self.d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))
            self.menu("File", "Open Sample")
            self.named("QUILL8.SFT", "button").click()
            self.wait(lambda: self.info() == ["8-bit font", "95 characters"])
            asked = self.d.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
            self.assertTrue(asked and all(u.startswith(origin + "/") for u in asked), asked)
        finally:
            server.shutdown()

    def test_view_settings_outlive_the_visit(self):
        path = os.path.join(SAMPLES, "QUILL8.SFT")
        with open(path, "rb") as f:
            second_x = struct.unpack_from("<i", f.read(), 44 + 8)[0]  # row 1 of the first range
        self.open_font(path)
        pressed = lambda: self.d.find_element(By.ID, "boundaries").get_attribute("aria-pressed")
        self.menu("View", "Glyph Boundaries")
        self.draw()
        self.assertEqual((pressed(), self.canvas(second_x, 0)), ("true", [[0, 160, 255]]))
        self.menu("View", "Zoom In")
        self.d.refresh()
        self.wait(lambda: self.d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))
        self.open_font(path)
        self.draw()
        self.assertEqual((pressed(), self.canvas(2 * second_x, 0)), ("true", [[0, 160, 255]]))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
