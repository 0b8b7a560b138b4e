#!/usr/bin/python3
"""The page's unsaved work kept in the browser's storage: recovered after the
tab went and after the browser was killed, with its whole history; Discard
and Not Now; a damaged journal refused and set aside. Usage:
recovery_test.py SITE_DIR SFT2BMP"""
import os
import signal
import subprocess
import time
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from browser import A_B, PageTest, SITE, font, png, write

ORIGINAL = font(8, 20, 4, A_B, bytes(80))
QUESTION = "ab.sft has unsaved changes from "


class Recovery(PageTest):
    def edit(self):
        """Two pencil strokes, the font then two steps from its file."""
        self.open_font(write("ab.sft", ORIGINAL))
        self.menu("Glyph", "Draw")
        self.swatch(5)
        self.stroke([(1, 1), (4, 1)])
        self.stroke([(2, 3)])
        self.wait(lambda: self.kept() == 2)

    def kept(self):
        """Changes the storage holds for the page's journal, once written."""
        return self.d.execute_async_script(
            "const done = arguments[0]; const r = indexedDB.open('quillmere');"
            "r.onsuccess = () => { const db = r.result; if (!db.objectStoreNames.contains('journals')) return done(-1);"
            "const q = db.transaction('journals').objectStore('journals').getAll();"
            "q.onsuccess = () => { done(q.result.length ? q.result[0].changes : -1); db.close(); }; };")

    def reopen(self):
        self.d.refresh()
        self.wait(lambda: self.d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))

    def recovered_and_undone(self):
        """Recover: the font with its *, Undo to the opened bytes, Redo."""
        self.assertTrue(self.dialog()[0].startswith(QUESTION + "") and "(2 changes)" in self.dialog()[0])
        self.answer("Recover")
        self.wait(lambda: self.d.title == "Quillmere : ab.sft*")
        self.assertEqual(self.saved("ab.sft")[-80:][20 + 1:20 + 5], b"\5" * 4)
        self.assertEqual(self.d.title, "Quillmere : ab.sft")
        self.keys(Keys.CONTROL, "z")
        self.keys(Keys.CONTROL, "z")
        self.assertEqual(self.saved("ab.sft"), ORIGINAL)
        self.keys(Keys.CONTROL, "y")
        self.assertEqual(self.saved("ab.sft")[-80:][20 + 1:20 + 5], b"\5" * 4)

    def test_changes_undone_and_redone_are_kept_as_they_are_made(self):
        self.open_font(write("ab.sft", font(8, 20, 4, A_B, bytes(range(80)))))
        steps = [  # what is done, the changes the storage then holds
            (lambda: self.menu("Glyph", "Flip Horizontal"), 1),
            (lambda: self.keys(Keys.CONTROL, "z"), 0),
            (lambda: self.keys(Keys.CONTROL, Keys.SHIFT, "z"), 1),
            (lambda: self.pick("Import Picture...", write("p.png", png(20, 4, [[1] * 20] * 4, [(0, 0, 0)] * 256))), 2),
        ]
        for step, changes in steps:
            step()
            self.wait(lambda: self.kept() == changes)

    def test_recovers_after_the_tab_went_and_asks_no_more_once_saved(self):
        self.edit()
        self.reopen()
        self.recovered_and_undone()
        self.reopen()  # saved: nothing is kept
        time.sleep(0.5)
        self.assertEqual(self.d.find_elements(By.CSS_SELECTOR, "dialog[open]"), [])

    def test_letters_from_an_outline_font_are_kept_and_recovered_as_one_step(self):
        inked = font(8, 20, 4, A_B, bytes(range(80)))
        self.open_font(write("ab.sft", inked))
        self.outline_font("add", "67-68")
        self.d.find_element(By.CSS_SELECTOR, "#outline-form button[value=ok]").click()
        self.wait(lambda: self.kept() == 1)
        self.reopen()
        self.answer("Recover")
        self.wait(lambda: self.info() == ["8-bit font", "4 characters"])
        self.keys(Keys.CONTROL, "z")
        self.assertEqual(self.saved("ab.sft"), inked)

    def test_not_now_keeps_discard_drops_and_a_damaged_journal_is_set_aside(self):
        self.edit()
        self.reopen()
        self.answer("Not Now")
        self.reopen()
        self.answer("Discard")
        self.reopen()
        time.sleep(0.5)
        self.assertEqual(self.d.find_elements(By.CSS_SELECTOR, "dialog[open]"), [])
        self.edit()
        # A byte of the last record but one changed: the journal can't be read.
        self.d.execute_async_script(
            "const done = arguments[0]; const r = indexedDB.open('quillmere'); r.onsuccess = () => {"
            "const tx = r.result.transaction('records', 'readwrite'); const s = tx.objectStore('records');"
            "const q = s.getAll(); q.onsuccess = () => { const rec = q.result[q.result.length - 2];"
            "rec.bytes[rec.bytes.length - 1] ^= 0xFF; s.put(rec); }; tx.oncomplete = () => { r.result.close(); done(); }; };")
        self.reopen()
        self.answer("Recover")
        self.assertIn("can't be recovered: the recovery journal is damaged", self.answer())
        self.assertEqual(self.d.title, "Quillmere")
        self.reopen()
        time.sleep(0.5)
        self.assertEqual(self.d.find_elements(By.CSS_SELECTOR, "dialog[open]"), [])

    def test_recovers_after_the_browser_was_killed(self):
        self.edit()
        profile = self.profile
        for pid in subprocess.run(["pgrep", "-f", "user-data-dir=" + profile], capture_output=True,
                                  text=True).stdout.split():
            os.kill(int(pid), signal.SIGKILL)
        try:
            self.d.quit()
        except Exception:
            pass
        type(self).setUpClass(profile)  # a new browser on the same profile
        self.load("file://" + os.path.join(SITE, "index.html"))
        self.recovered_and_undone()


if __name__ == "__main__":
    unittest.main(argv=[__file__])
