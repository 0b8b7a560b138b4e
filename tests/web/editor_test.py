#!/usr/bin/python3
"""The page's editor in headless chromium: drawing, the glyph commands,
characters in and out, the Character Table, and Copy and Paste Glyph.
Usage: editor_test.py SITE_DIR SFT2BMP"""
import os
import re
import struct
import unittest

from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from browser import A_B, DEJAVU, SAMPLES, PageTest, font, sample_rgb, served, write


def strip_of(sft, depth=1):
    """Width, height and pixels of a font file's strip: its last bytes, after its size."""
    for at in range(len(sft) - 8, 0, -1):
        width, height = struct.unpack_from("<ii", sft, at)
        if width > 0 and height > 0 and width * height * depth == len(sft) - at - 8:
            return width, height, sft[at + 8:]
    raise AssertionError("no strip")


class Editor(PageTest):
    def test_draw_fill_pick_and_undo_back_to_the_opened_bytes(self):
        original = font(8, 20, 4, A_B, bytes(80))
        self.open_font(write("ab.sft", original))
        self.menu("Glyph", "Draw")
        self.assertFalse(self.d.find_element(By.ID, "colours").get_attribute("hidden"))
        self.swatch(5)
        self.stroke([(1, 1), (8, 2)])  # one fast move: still a connected line
        self.swatch(7, background=True)
        self.stroke([(3, 3)], MouseButton.RIGHT)
        self.stroke([(3, 3)], key=Keys.CONTROL)  # picks 7 as the current colour
        self.assertTrue(self.d.find_element(By.ID, "current-colour").get_attribute("aria-label").startswith("index 7 "))
        self.stroke([(12, 0)], key=Keys.SHIFT)  # fills the second glyph's columns
        self.wait(lambda: self.d.title.endswith("*"))
        strip = self.saved("ab.sft")[-80:]
        want = bytearray(80)
        for x, y in ((1, 1), (2, 1), (3, 1), (4, 1), (5, 2), (6, 2), (7, 2), (8, 2)):
            want[y * 20 + x] = 5
        want[3 * 20 + 3] = 7
        for y in range(4):
            want[y * 20 + 10:y * 20 + 20] = b"\7" * 10
        self.assertEqual(strip, bytes(want))
        self.assertEqual(self.d.title, "Quillmere : ab.sft")
        self.keys(Keys.CONTROL, "z")
        self.assertTrue(self.command("redo").startswith("Redo Fill"))
        self.keys(Keys.CONTROL, "z")
        self.keys(Keys.CONTROL, "z")
        self.wait(lambda: self.d.title.endswith("*"))  # away from the state saved
        self.assertEqual(self.saved("ab.sft"), original)
        self.keys(Keys.CONTROL, "y")
        self.assertEqual(self.saved("ab.sft")[-80:][1 * 20 + 1], 5)

    def test_drawing_tools_by_key_and_pointer_and_the_mirror(self):
        self.open_font(write("ab.sft", font(8, 20, 4, A_B, bytes(80))))
        self.menu("Glyph", "Draw")
        self.swatch(5)
        strip = self.d.find_element(By.ID, "scroller")
        want = bytearray(80)
        cases = [  # keys, drag, step, pixels drawn
            (["l"], [(1, 0), (5, 2)], "Line", [(1, 0), (2, 1), (3, 1), (4, 2), (5, 2)]),
            (["u"], [(11, 0), (13, 2)], "Rectangle", [(11, 0), (12, 0), (13, 0), (11, 1), (13, 1), (11, 2), (12, 2), (13, 2)]),
            ([Keys.SHIFT, "u"], [(15, 0), (16, 1)], "Filled Rectangle", [(15, 0), (16, 0), (15, 1), (16, 1)]),
        ]
        for keys, points, step, drawn in cases:
            strip.send_keys(*keys)
            self.assertEqual(self.d.find_element(By.CSS_SELECTOR, "#tools [aria-pressed=true]").text, step)
            self.stroke(points)
            self.assertTrue(self.command("undo").startswith("Undo " + step))
            for x, y in drawn:
                want[y * 20 + x] = 5
        # A line dragged by a script's pointer events, which carry no
        # coalesced positions of their own.
        strip.send_keys("l")
        self.d.execute_script(
            "const s = document.getElementById('scroller'), box = s.getBoundingClientRect();"
            "for (const [type, x] of [['pointerdown', 1], ['pointermove', 5], ['pointerup', 5]])"
            "  s.dispatchEvent(new PointerEvent(type, { bubbles: true, button: 0, buttons: type === 'pointerup' ? 0 : 1,"
            "    pointerId: 1, clientX: box.left + x + 0.5, clientY: box.top + 3.5 }));")
        self.assertTrue(self.command("undo").startswith("Undo Line"))
        want[61:66] = bytes([5] * 5)
        # Select: a frame, its pixels moved by an arrow, kept with Enter.
        strip.send_keys("m")
        self.stroke([(1, 0), (2, 1)])
        marked = self.draw() or self.canvas(0, 0, 20, 4)

        def as_redrawn():  # what the view shows, and the canvas alone once drawn whole again
            shown = self.draw() or self.canvas(0, 0, 20, 4)
            self.d.execute_script("document.getElementById('scroller').dispatchEvent(new Event('scroll'))")
            return shown, self.draw() or self.canvas(0, 0, 20, 4, over=False)
        # Moved as drawn, they show as the whole view drawn again does, and so after Enter.
        strip.send_keys(Keys.ARROW_RIGHT, Keys.ARROW_DOWN, Keys.ARROW_UP)
        moved, whole = as_redrawn()
        self.assertEqual((moved != marked, moved), (True, whole))
        strip.send_keys(Keys.ENTER)
        self.assertEqual(*as_redrawn())
        self.assertTrue(self.command("undo").startswith("Undo Move Pixels"))
        want[1], want[2], want[22], want[23] = 0, 5, 0, 5
        # The pencil mirrored in 'B' (columns 10-19).
        self.menu("Glyph", "Mirror Drawing")
        strip.send_keys("b")
        self.stroke([(12, 3)])
        want[3 * 20 + 12] = want[3 * 20 + 17] = 5
        self.assertEqual(self.saved("ab.sft")[-80:], bytes(want))
        self.assertEqual(self.d.execute_script("return localStorage.getItem('quillmere.tool')"), '"tool-pencil"')

    def test_glyph_commands_and_characters_in_and_out_with_the_table_following(self):
        pixels = bytes(range(80))
        self.open_font(write("ab.sft", font(8, 20, 4, A_B, pixels)))
        row = lambda y: list(range(20 * y, 20 * y + 20))
        self.menu("Glyph", "Flip Horizontal")
        self.menu("Glyph", "Shift Down")
        strip = self.saved("ab.sft")[-80:]
        flipped = [row(y)[9::-1] + row(y)[10:] for y in range(4)]
        self.assertEqual(strip[:20], bytes([0] * 10 + row(0)[10:]))  # freed row takes the background
        self.assertEqual(strip[20:40], bytes(flipped[0][:10] + row(1)[10:]))
        cases = [  # command, fields typed, warning, table after
            ("Insert Character...", ["65", "3"], "Code 65 is in the table already.", None),
            ("Insert Character...", ["x", "3"], "The code must be a whole number from 0 to 65535.", None),
            ("Insert Character...", ["67", "3"], None, [(65, 0), (67, 10), (66, 13)]),
            ("Set Width...", ["5"], None, [(65, 0), (67, 10), (66, 15)]),
            ("Delete Character", None, None, [(65, 0), (66, 10)]),
        ]
        for command, fields, refusal, table in cases:
            with self.subTest(command, fields=fields):
                self.menu("Glyph", command)
                if fields:
                    inputs = self.d.find_elements(By.CSS_SELECTOR, "#numbers-fields input")
                    for i, text in zip(inputs, fields):
                        i.clear()
                        i.send_keys(text)
                    inputs[0].send_keys(Keys.ENTER)
                if refusal:
                    self.assertEqual(self.answer(), refusal)
                    self.d.find_element(By.CSS_SELECTOR, "#numbers-fields input").send_keys(Keys.ESCAPE)
                    self.wait(lambda: not self.d.find_elements(By.CSS_SELECTOR, "dialog[open]"))
                    continue
                self.assertEqual(self.table("ab.json"), table)
        self.assertTrue(self.command("undo").startswith("Undo Delete Character"))

    def test_character_table_refuses_what_a_font_cant_hold_and_is_one_step(self):
        self.open_font(write("ab.sft", font(8, 20, 4, A_B, bytes(80))))
        self.menu("Edit", "Character Table...")
        cell = lambda r, c: self.d.find_elements(By.CSS_SELECTOR, "#table-grid tbody tr")[r].find_elements(By.TAG_NAME, "input")[c]
        cell(1, 0).clear()
        cell(1, 0).send_keys("70000")
        self.d.find_element(By.ID, "table-ok").click()
        self.assertEqual(self.answer(), 'Row 2: the code "70000" is not a whole number from 0 to 65535.')
        cell(1, 0).clear()
        cell(1, 0).send_keys("60")
        self.d.find_element(By.ID, "table-sort").click()
        self.assertEqual([cell(r, 0).get_attribute("value") for r in (0, 1)], ["60", "65"])
        self.d.find_element(By.ID, "table-add").click()  # after the first row: the next code
        self.assertEqual([cell(1, c).get_attribute("value") for c in range(3)], ["61", "10", "0"])
        self.d.find_element(By.ID, "table-ok").click()
        self.assertEqual(self.table("ab.json"), [(60, 10), (61, 10), (65, 0)])
        self.menu("Edit", "Undo Character Table")
        self.assertEqual(self.table("ab.json"), A_B)

    def test_paste_between_two_fonts_keeps_the_indices(self):
        with served() as origin:
            self.d.execute_cdp_cmd("Browser.grantPermissions", {
                "origin": origin, "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
            self.load(origin + "/")
            source = bytes([200 + (i % 20) % 10 for i in range(80)])
            self.open_font(write("src.sft", font(8, 20, 4, A_B, source)))
            self.menu("Edit", "Copy Glyph")
            self.open_font(write("dst.sft", font(8, 20, 4, A_B, bytes(80))))
            # A palette of one colour: matched by colour every index would be 0.
            self.pick("Load palette from CMP file", write("black.cmp", b"CMP " + bytes(60 + 768)))
            self.menu("Edit", "Paste Glyph")
            self.wait(lambda: self.d.title.endswith("*"))
            strip = self.saved("dst.sft")[-80:]
            for y in range(4):
                self.assertEqual(strip[y * 20:y * 20 + 20], bytes(range(200, 210)) + bytes(10))


    def test_many_glyphs_at_once_and_go_to_character(self):
        ink = bytes(1 if x % 10 == 0 else 0 for _ in range(4) for x in range(30))  # each glyph's left column
        self.open_font(write("abc.sft", font(8, 30, 4, [(65, 0), (66, 10), (67, 20)], ink)))
        chars = self.d.find_elements(By.CSS_SELECTOR, "#chars option")
        chars[0].click()
        ActionChains(self.d).key_down(Keys.SHIFT).click(chars[2]).key_up(Keys.SHIFT).perform()
        self.menu("Glyph", "Shift Right")
        self.assertEqual(self.saved("abc.sft")[-120:][:30], bytes(1 if x % 10 == 1 else 0 for x in range(30)))
        self.keys(Keys.CONTROL, "z")
        ActionChains(self.d).key_down(Keys.CONTROL).click(chars[1]).key_up(Keys.CONTROL).perform()  # A and C
        self.menu("View", "Colours")
        self.swatch(5)
        self.menu("Glyph", "Outline")
        self.assertEqual([x for x, v in enumerate(self.saved("abc.sft")[-90:-60]) if v == 5], [1, 21])

        def replace(old, new, note=None):
            self.menu("Edit", "Replace Colour...")
            for field, text in (("replace-from", old), ("replace-to", new)):
                self.d.find_element(By.ID, field).clear()
                self.d.find_element(By.ID, field).send_keys(text)
            if note:
                self.assertEqual(self.d.find_element(By.ID, "replace-note").text, note)
            self.d.find_element(By.ID, "replace-to").send_keys(Keys.ENTER)

        replace("5", "9", "8 pixels will change.")
        self.wait(lambda: self.command("undo").startswith("Undo Replace Colour"))
        for text, refusal in (("U+0043", None), ("B", None), ("x", "The font has no character 120.")):
            self.menu("Edit", "Go To Character...")
            self.d.find_element(By.ID, "text-input").send_keys(text, Keys.ENTER)
            if refusal:
                self.assertEqual(self.answer(), refusal)
        self.assertEqual([o.is_selected() for o in chars], [False, True, False])
        replace("9", "3")  # B has no 9
        self.wait(lambda: self.d.find_element(By.ID, "status").text == "No pixels changed")

    def test_build_accented_characters(self):
        """The browser's decomposition reaches the core: à of a and `, â of a and ^ (no ˆ), ä refused."""
        ink = bytearray(16 * 6)
        ink[1], ink[9] = 2, 3  # ^ and ` in row 0
        for y in range(3, 6):
            ink[y * 16 + 13] = ink[y * 16 + 14] = 1  # a
        self.open_font(write("acc.sft", font(8, 16, 6, [(94, 0), (95, 4), (96, 8), (97, 12)], bytes(ink))))
        self.menu("Glyph", "Build Accented Characters...")
        self.d.find_element(By.ID, "text-input").send_keys("\u00e4\u00e2 U+00E0-U+00E0", Keys.ENTER)
        self.assertEqual(self.answer(), "1 character was not built:\n\u00e4 (U+00E4): the font lacks the mark \u00a8 (U+00A8)")
        self.assertTrue(self.command("undo").startswith("Undo Build Accented Characters"))
        row1 = self.saved("acc.sft")[-5 * 24:-4 * 24]
        self.assertEqual((row1[17], row1[21]), (3, 2))

    def test_guides_kept_per_font_name_and_the_reference_glyph_not_exported(self):
        # H in columns 0-3 (ink on rows 1-4), I in 4-7 (rows 3-4); no lowercase: no x-height.
        rows = ("........", "1..1....", "1111....", "1..1.11.", "1..1.11.", "........")
        made = font(8, 8, 6, [(72, 0), (73, 4)], bytes(1 if c == "1" else 0 for r in rows for c in r))
        path = write("g.sft", made)
        self.open_font(path)
        plain = self.draw() or self.canvas(0, 0, 8, 6)
        lines = lambda: self.draw() or [y for y in range(6) if self.canvas(0, y, 8) == [[255, 60, 150]] * 8]
        kept = lambda: self.d.execute_script("return localStorage['quillmere.guides']")
        toggle = lambda: self.open_menu("View") or self.d.find_element(By.ID, "guides").click()
        toggle()
        self.assertEqual(lines(), [1, 5])

        def guides(cap, base, refusal=None):
            self.menu("View", "Guides...")
            fields = [self.d.find_element(By.ID, f) for f in ("guide-cap", "guide-x", "guide-base")]
            values = [f.get_attribute("value") for f in fields]
            for field, text in ((fields[0], cap), (fields[2], base + Keys.ENTER)):
                field.clear()
                field.send_keys(text)
            if refusal:
                self.assertEqual(self.answer(), refusal)
                self.d.find_element(By.ID, "guides-reset").click()
            return values

        toggle()  # off; setting them turns them on
        self.assertEqual((guides("2", "6"), lines(), kept()), (["1", "", "5"], [2, 5], '{"g.sft":[2,null,6]}'))
        self.open_font(write("h.sft", made))
        self.assertEqual(lines(), [1, 5])
        self.open_font(path)
        self.assertEqual(guides("9", "", "Cap height must be a row from 0 to 6, or empty for none."), ["2", "", "6"])
        self.assertEqual((lines(), kept()), ([1, 5], "{}"))
        toggle()

        def refer(text, other=None, refusal=None):
            self.menu("View", "Reference Glyph...")
            if other:
                self.d.find_element(By.ID, "reference-file").send_keys(other)
                self.wait(lambda: self.d.find_element(By.ID, "reference-file-name").text == os.path.basename(other))
            self.d.find_element(By.ID, "reference-text").clear()
            self.d.find_element(By.ID, "reference-text").send_keys(text, Keys.ENTER)
            if refusal:
                self.assertEqual(self.answer(), refusal)
            return self.draw() or self.canvas(0, 0, 8, 6)

        self.menu("File", "Save as BMP")
        bmp = self.download("g.BMP")
        under = refer("I")  # I's ink under H's background, half and half
        self.assertEqual([(i % 8, i // 8) for i, (a, b) in enumerate(zip(plain, under)) if a != b],
                         [(1, 3), (2, 3), (1, 4), (2, 4)])
        self.assertEqual(under[25][0], (sample_rgb(1)[0] * 128 + sample_rgb(0)[0] * 127 + 127) // 255)
        self.assertEqual(refer("Z", refusal="The font has no character 90."), under)
        self.assertEqual(refer("U+0049", os.path.join(SAMPLES, "uicolormap.cmp"),
                               "uicolormap.cmp is not an SFT font that can be read."), under)
        self.assertEqual(refer("I", write("other.sft", made)), under)
        self.menu("File", "Save as BMP")
        self.assertEqual(self.download("g.BMP"), bmp)
        self.menu("View", "Reference Glyph...")
        self.d.find_element(By.ID, "reference-none").click()
        self.assertEqual(self.draw() or self.canvas(0, 0, 8, 6), plain)

    def test_outline_font_adds_letters_on_the_baseline_as_one_step(self):
        path = os.path.join(SAMPLES, "QUILL8.SFT")
        with open(path, "rb") as f:
            original = f.read()
        self.open_font(path)
        self.menu("View", "Guides...")
        base = int(self.d.find_element(By.ID, "guide-base").get_attribute("value"))
        self.d.find_element(By.CSS_SELECTOR, "#guides-form button[value=cancel]").click()
        status = self.outline_font("add", "65,196,201")  # A is there already
        self.assertRegex(status.text, r"^2 glyphs at \d+ px, .* In the font already, skipped: 65\. The size matches the font's 'H'\.$")
        background = int(self.d.find_element(By.ID, "outline-background").get_attribute("value"))
        self.d.find_element(By.CSS_SELECTOR, "#outline-form button[value=ok]").click()
        self.wait(lambda: self.info()[-1] == "97 characters")
        self.assertEqual([c for c, _ in self.table("QUILL8.json")][-2:], [196, 201])
        width, height, pixels = strip_of(self.saved("QUILL8.SFT"))
        old = strip_of(original)[0]
        inked = [y for y in range(height) if any(p != background for p in pixels[y * width + old:(y + 1) * width])]
        self.assertEqual(inked[-1], base - 1)
        self.keys(Keys.CONTROL, "z")
        self.assertEqual(self.saved("QUILL8.SFT"), original)

    def test_outline_font_replaces_the_strip_and_refuses_what_is_no_font(self):
        self.open_font(os.path.join(SAMPLES, "QUILL16.SFT"))
        status = self.outline_font("replace", "65-67")
        size = re.match(r"3 glyphs at \d+ px, a strip of (\d+) x (\d+) pixels\.", status.text)
        self.assertTrue(size, status.text)
        self.d.find_element(By.ID, "outline-file").send_keys(os.path.join(SAMPLES, "QUILL8.SFT"))
        self.assertEqual(self.answer(), "QUILL8.SFT is not a font the browser can open")
        self.d.find_element(By.CSS_SELECTOR, "#outline-form button[value=ok]").click()
        self.assertEqual(self.answer(), "QUILL8.SFT is not a font the browser can open")
        self.d.find_element(By.ID, "outline-file").send_keys(DEJAVU)
        self.wait(lambda: status.text.startswith("3 glyphs"))
        self.d.find_element(By.CSS_SELECTOR, "#outline-form button[value=ok]").click()
        self.wait(lambda: self.info() == ["16-bit font", "3 characters"])
        width, height, _ = strip_of(self.saved("QUILL16.SFT"), 2)
        self.assertEqual((width, height), tuple(map(int, size.groups())))
        self.assertTrue(self.command("undo").startswith("Undo New Font from Outline Font"))


if __name__ == "__main__":
    unittest.main(argv=[__file__])
