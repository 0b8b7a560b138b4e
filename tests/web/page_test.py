#!/usr/bin/python3
"""The page's viewer and converter in headless chromium. Usage: page_test.py
SITE_DIR SFT2BMP"""
import os
import re
import struct
import unittest
import zlib

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

from browser import A_B, PageTest, SAMPLES, SITE, TMP, font, png, sample_rgb, served, sft2bmp, write


class Page(PageTest):
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

    def test_opened_from_disk_the_console_shows_no_errors(self):
        self.d.get_log("browser")  # what was logged before
        self.load("file://" + os.path.join(SITE, "index.html"))
        self.draw()
        self.assertEqual([e["message"] for e in self.d.get_log("browser")], [])

    def test_served_page_works_and_asks_for_nothing_but_its_own_files(self):
        with served() as origin:
            self.load(origin + "/")
            self.menu("File", "Open Sample")
            self.named("QUILL8.SFT", "button").click()
            self.wait(lambda: self.info() == ["8-bit font", "95 characters"])
            asked = self.d.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
            self.assertTrue(asked and all(u.startswith(origin + "/") for u in asked), asked)

    def test_commands_can_be_chosen_as_the_font_selection_and_zoom_allow(self):
        ids = ("save-sft", "import-picture", "undo", "delete-char", "flip-horizontal", "zoom-in", "actual-size", "about")
        cases = [  # what is done, the commands of ids that can be chosen after
            (lambda: None, {"about"}),
            (lambda: self.open_font(write("ab.sft", font(8, 10, 4, A_B, bytes(range(40))))),
             {"save-sft", "import-picture", "delete-char", "flip-horizontal", "zoom-in", "about"}),
            (lambda: self.named("Character", "select").send_keys(Keys.ARROW_DOWN),  # B has no columns
             {"save-sft", "import-picture", "delete-char", "zoom-in", "about"}),
            (lambda: self.keys(Keys.CONTROL, Keys.SHIFT, "+"),
             {"save-sft", "import-picture", "delete-char", "zoom-in", "actual-size", "about"}),
            (lambda: self.menu("Glyph", "Delete Character"),
             {"save-sft", "import-picture", "undo", "delete-char", "flip-horizontal", "zoom-in", "actual-size", "about"}),
        ]
        for step, enabled in cases:
            step()
            self.assertEqual({i for i in ids if self.d.find_element(By.ID, i).is_enabled()}, enabled)

    def test_the_menus_are_the_cores_table_and_every_command_runs(self):
        self.load("file://" + os.path.join(SITE, "index.html") + "?bench")
        table = self.d.execute_script("return window.quillmereBench.core.commands()")
        ours = {c["id"] for c in table if c["front"] in ("both", "page")}
        aria = lambda k: re.sub(r"^((?:[A-Za-z]+\+)*)(.+)$", lambda m: m[1].replace("Ctrl", "Control") + {"+": "Plus", "-": "Minus"}.get(m[2], m[2]), k)

        def shown():
            seen = self.d.execute_script(
                "const {core, page, view} = window.quillmereBench, f = page.hasFont();"
                "const s = page.commandStates(f && view.nextZoom(1) !== 0, f && view.zoom !== 1, false);"
                "return core.commands().map((c, i) => { const e = document.getElementById(c.id);"
                " return e && [e.parentElement.matches('label') ? e.parentElement.firstChild.textContent : e.firstChild.textContent,"
                " e.getAttribute('aria-keyshortcuts') ?? '', !e.disabled, (s.flags[i] & 1) === 1, s.texts.split('\\n')[i]]; })")
            for c, s in zip(table, seen):
                if c.get("key"):  # keys alone, no menu item
                    continue
                self.assertEqual(s is not None, c["id"] in ours, c["id"])
                if s:
                    self.assertEqual(s[:3], [s[4], " ".join(map(aria, c["keys"])), s[3]], c["id"])

        shown()
        self.assertEqual(self.d.find_element(By.ID, "zoom-in").get_attribute("aria-keyshortcuts"), "Control+Plus Control+=")
        self.assertFalse(self.d.find_element(By.ID, "load-cmp").is_enabled())  # the window's rule too
        files = {"open-sft": write("ab.sft", font(8, 10, 4, A_B, bytes(range(40)))),
                 "import-picture": write("ab.png", png(10, 4, [[0] * 10] * 4, [(0, 0, 0)])),
                 "load-cmp": os.path.join(SAMPLES, "uicolormap.cmp"),
                 "load-bm": write("p.bm", b"BM " + bytes(9) + struct.pack("<i", 2) + bytes(112) + bytes(768))}
        # A pixel selection's keys and the code pages have tests of their own.
        said, left = [], {c["id"] for c in table if c["id"] in ours and not (c.get("key") or c.get("choice"))}
        order = ["open-sft", "load-cmp", "load-bm", "draw", "tool-line", "tool-rectangle", "tool-filled-rectangle",
                 "tool-select", "tool-pencil", "mirror", "colours-shown", "boundaries", "guides", "flip-horizontal",
                 "flip-vertical", "shift-left", "shift-right", "shift-up", "shift-down", "outline", "bold", "shadow",
                 "insert-char", "set-width", "fit-width", "undo", "redo", "copy-glyph", "copy-strip", "paste-glyph", "replace-colour",
                 "select-all", "go-to", "char-table", "build-accented", "check-text", "zoom-in", "actual-size", "zoom-in", "zoom-out",
                 "set-guides", "reference-glyph", "text-preview", "import-picture", "delete-char", "save-bmp",
                 "new-from-outline", "save-json", "save-sft", "save-sft-as", "about"]
        for id in order:
            element = self.d.find_element(By.ID, id)
            self.assertTrue(element.is_enabled(), id)
            if id in files:
                element.send_keys(files[id])
            else:
                self.d.execute_script("arguments[0].click()", element)
            # Each dialog answered: the number dialogs' starts taken where
            # they are whole, every other closed as Cancel would.
            for _ in range(4):
                self.draw()
                box = self.d.execute_script("return document.querySelector('dialog[open]')")
                if not box:
                    break
                said += [p.text for p in box.find_elements(By.CSS_SELECTOR, "#message-text")]
                buttons = {b.text: b for b in box.find_elements(By.TAG_NAME, "button") if b.is_displayed()}
                choice = "OK" if id in ("shadow", "set-width", "fit-width") else next((n for n in ("Cancel", "Close", "OK") if n in buttons), None)
                if choice:
                    buttons[choice].click()
                else:
                    self.d.execute_script("arguments[0].close()", box)
            left.discard(id)
            shown()
        self.assertEqual(left, set())
        self.assertFalse([s for s in said if re.search(r"not a function|undefined|TypeError", s)], said)
        self.assertEqual(self.d.execute_script("return window.quillmereBench.page.undoName()"), "Delete Character")

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

    def test_text_preview_counts_wide_lines_and_saves_sft2bmps_pixels(self):
        # A and B are ten columns each: the lines are 20 and 10 wide.
        for path, lines, limit, status in [
                (write("ab.sft", font(8, 20, 4, A_B, bytes(range(80)))), ("AB", "A"), 15,
                 "1 of 2 lines are wider than 15 pixels."),
                (os.path.join(SAMPLES, "QUILL16.SFT"), ("Quill", "mere"), 0, "")]:
            with self.subTest(path):
                self.open_font(path)
                self.menu("View", "Text Preview...")
                text = self.d.find_element(By.ID, "preview-text")
                text.send_keys(Keys.CONTROL, "a")
                text.send_keys(Keys.DELETE, lines[0], Keys.ENTER, lines[1])
                self.d.find_element(By.ID, "preview-width").clear()
                self.d.find_element(By.ID, "preview-width").send_keys(str(limit))
                self.assertEqual(self.d.find_element(By.ID, "preview-status").text, status)
                self.d.find_element(By.ID, "preview-save").click()
                sft2bmp("--cmp", os.path.join(SAMPLES, "uicolormap.cmp"), "--text", "\n".join(lines), "-o", TMP, path)
                with open(os.path.join(TMP, os.path.basename(path)[:-4] + ".BMP"), "rb") as f:
                    w, h, rows = png_rgb(self.download(os.path.basename(path)[:-4] + ".png"))
                    self.assertEqual((w, h, rows), bmp_rgb(f.read()))
                # The view shows those pixels at each zoom, its whole width
                # drawn, once the width's line is gone.
                self.d.find_element(By.ID, "preview-width").clear()
                self.d.find_element(By.ID, "preview-width").send_keys("0")
                for zoom in (1, 2):
                    Select(self.d.find_element(By.ID, "preview-zoom")).select_by_value(str(zoom))
                    shown = self.d.execute_script(
                        "const c = document.getElementById('preview-canvas'), [z, w] = arguments;"
                        "const d = c.getContext('2d').getImageData(0, 0, c.width, 1).data, out = [];"
                        "for (let x = 4; x + z <= Math.min(c.width, 4 + w * z); x += z)"
                        "  out.push(d[4 * x], d[4 * x + 1], d[4 * x + 2]);"
                        "return out;", zoom, w)
                    self.assertEqual(bytes(shown), rows[0][:len(shown)])
                self.named("Close", "button").click()


def png_rgb(data):
    """An 8-bit RGB PNG's size and rows, written unfiltered."""
    chunks, at = {}, 8
    while at < len(data):
        size, kind = struct.unpack_from(">I4s", data, at)
        chunks[kind] = chunks.get(kind, b"") + data[at + 8:at + 8 + size]
        at += 12 + size
    w, h, depth, color, _, _, interlace = struct.unpack_from(">IIBBBBB", chunks[b"IHDR"])
    raw, row = zlib.decompress(chunks[b"IDAT"]), 1 + 3 * w
    assert (depth, color, interlace) == (8, 2, 0) and all(raw[y * row] == 0 for y in range(h))
    return w, h, [raw[y * row + 1:(y + 1) * row] for y in range(h)]


def bmp_rgb(data):
    """A bottom-up 8 or 24-bit BMP's size and rows as RGB, top row first."""
    (offset,), (w, h, _, bits) = struct.unpack_from("<I", data, 10), struct.unpack_from("<iiHH", data, 18)
    stride, n = (w * bits // 8 + 3) & ~3, w * bits // 8
    pixel = (lambda r, i: data[56 + 4 * r[i]:53 + 4 * r[i]:-1]) if bits == 8 else (lambda r, i: r[3 * i + 2::-1][:3])
    rows = [data[offset + y * stride:offset + y * stride + n] for y in reversed(range(h))]
    return w, h, [b"".join(pixel(r, i) for i in range(w)) for r in rows]


if __name__ == "__main__":
    unittest.main(argv=[__file__])
