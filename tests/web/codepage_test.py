#!/usr/bin/python3
"""View > Code Page and Glyph > Check Text... in headless chromium.
Usage: codepage_test.py SITE_DIR SFT2BMP"""
import os
import struct
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from browser import PageTest, write


def ogonek_font(ogonek):
    """A space, a (inked low) and the ogonek at its code, each 7 x 12."""
    ranges = [(32, 0), (97, 7), (ogonek, 14)]
    out = bytearray(b"SFNT" + bytes(16) + struct.pack("<i", len(ranges)) + bytes(16))
    for code, x in ranges:
        out += struct.pack("<HHii", code, code, x, 0)
    strip = bytearray(128)
    struct.pack_into("<i", strip, 36, 8)
    ink = bytearray(21 * 12)
    for y in range(12):
        for x in range(21):
            a = 8 <= x < 13 and 4 <= y < 9
            mark = 17 <= x < 19 and y < 2
            ink[y * 21 + x] = 5 if a or mark else 0
    return bytes(out + strip + struct.pack("<ii", 21, 12) + ink)


class CodePage(PageTest):
    def choose(self, name):
        self.open_menu("View")
        self.d.find_element(By.ID, "code-page").click()
        self.named(name, "button").click()

    def chars(self):
        return [o.get_attribute("textContent") for o in self.d.find_elements(By.CSS_SELECTOR, "#chars option")]

    def test_the_code_page_is_kept_per_font_and_decides_the_characters(self):
        path = write("cp1250.sft", ogonek_font(0xB2))
        other = write("unicode.sft", ogonek_font(0xB2))
        self.open_font(path)
        self.choose("Windows-1250")
        self.menu("Edit", "Go To Character...")
        self.d.find_element(By.ID, "text-input").send_keys("\u02db", Keys.ENTER)
        self.assertEqual([o.is_selected() for o in self.d.find_elements(By.CSS_SELECTOR, "#chars option")],
                         [False, False, True])
        self.menu("Glyph", "Build Accented Characters...")
        self.d.find_element(By.ID, "text-input").send_keys("\u0105", Keys.ENTER)
        self.wait(lambda: len(self.chars()) == 4)
        self.assertEqual(self.table("cp1250.json")[-1], (0xB9, 21))
        for font, letters in ((other, ["32", "97  a", "178  \u00b2"]),
                              (path, ["32", "97  a", "178  \u02db"])):
            self.pick("Open SFT", font)
            if font == other:
                self.answer("Discard")  # the letter built
            self.wait(lambda: self.d.title == "Quillmere : " + os.path.basename(font))
            self.assertEqual(self.chars(), letters)

    def test_check_text_lists_what_is_missing_and_builds_it_as_one_step(self):
        self.open_font(write("check.sft", ogonek_font(0xB2)))
        self.choose("Windows-1250")
        self.menu("Glyph", "Check Text...")
        self.d.find_element(By.ID, "check-input").send_keys("\u0105a \u0142\n\u2603")
        summary = lambda: self.d.find_element(By.ID, "check-summary").text
        rows = lambda: [[td.text for td in tr.find_elements(By.TAG_NAME, "td")]
                        for tr in self.d.find_elements(By.CSS_SELECTOR, "#check-list tbody tr")]
        missing = [["\u0142", "U+0142", "179", "draw or add from an outline font"],
                   ["\u0105", "U+0105", "185", "build from a and \u02db"],
                   ["\u2603", "U+2603", "", "not in Windows-1250"]]
        self.assertEqual((summary(), rows()), ("3 of 5 characters are missing.", missing))
        self.d.find_element(By.ID, "check-build").click()
        self.wait(lambda: summary() == "2 of 5 characters are missing.")
        self.assertTrue(self.command("undo").startswith("Undo Build Accented Characters"))
        self.keys(Keys.CONTROL, "z")
        self.wait(lambda: summary() == "3 of 5 characters are missing.")
        self.assertEqual((rows(), self.chars()), (missing, ["32", "97  a", "178  \u02db"]))
        self.d.execute_script("const t = document.getElementById('check-input');"
                              "t.setSelectionRange(1, 1); t.dispatchEvent(new MouseEvent('click'))")
        self.assertEqual([o.is_selected() for o in self.d.find_elements(By.CSS_SELECTOR, "#chars option")],
                         [False, True, False])
        self.pick_text("pl.txt", b"a\xe9")
        self.assertEqual(self.answer(), "pl.txt is not UTF-8 text (byte 0xE9 at offset 1).")

    def pick_text(self, name, data):
        self.d.find_element(By.ID, "check-open").send_keys(write(name, data))


if __name__ == "__main__":
    unittest.main(argv=[__file__])
