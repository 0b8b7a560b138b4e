#!/usr/bin/python3
"""The page as an application, served over http in headless chromium: Save
back into the picked file, the question when another program changed it,
Open Recent across visits, offline visits and a new build, the manifest and
its icons, the storage kept; and without the API, the inputs and downloads.
The pickers are answered with real files of the origin's private file system.
Usage: app_test.py SITE_DIR SFT2BMP"""
import base64
import os
import shutil
import tempfile
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from browser import A_B, SITE, PageTest, font, served, write

# The pickers, answered in turn with the names in window.picks (a file of
# the origin's private file system); none left is the user closing it.
PICKERS = """
window.picks = []; window.pickers = 0;
const pickedName = () => {
  window.pickers++;
  const name = window.picks.shift();
  if (!name) throw new DOMException('The user aborted a request.', 'AbortError');
  return name;
};
const opfs = () => navigator.storage.getDirectory();
window.showOpenFilePicker = async () => [await (await opfs()).getFileHandle(pickedName())];
window.showSaveFilePicker = async () => (await opfs()).getFileHandle(pickedName(), { create: true });
"""

ORIGINAL = font(8, 20, 4, A_B, bytes(80))


def drawn(*points):
    """ORIGINAL with colour 5 at the strip's points."""
    out = bytearray(ORIGINAL)
    for x, y in points:
        out[len(out) - 80 + y * 20 + x] = 5
    return bytes(out)


class Served(PageTest):
    """Each test on an origin of its own: its own storage, files and worker."""

    def setUp(self):
        self.origin = self.enterContext(served())
        self.load(self.origin + "/index.html")


class Handles(Served):
    handles = True

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PICKERS})

    def put(self, name, data):
        self.d.execute_script(
            "const d = await navigator.storage.getDirectory();"
            "const w = await (await d.getFileHandle(arguments[0], {create: true})).createWritable();"
            "await w.write(Uint8Array.from(atob(arguments[1]), (c) => c.charCodeAt(0))); await w.close();",
            name, base64.b64encode(data).decode())

    def get(self, name):
        """The file's bytes, None when there is none."""
        read = lambda: self.d.execute_script(
            "try { const d = await navigator.storage.getDirectory();"
            "  const f = await (await d.getFileHandle(arguments[0])).getFile();"
            "  let s = ''; for (const b of new Uint8Array(await f.arrayBuffer())) s += String.fromCharCode(b);"
            "  return btoa(s);"
            "} catch (e) { return e.name === 'NotFoundError' ? null : false; }", name)  # false: mid-write
        data = self.wait(lambda: (lambda got: None if got is False else [got])(read()))[0]
        return None if data is None else base64.b64decode(data)

    def remove(self, name):
        self.d.execute_script("await (await navigator.storage.getDirectory()).removeEntry(arguments[0])", name)

    def choose(self, *names):
        self.d.execute_script("window.picks.push(...arguments)", *names)

    def open_picked(self, name, data=ORIGINAL):
        if data is not None:
            self.put(name, data)
        self.choose(name)
        self.keys(Keys.CONTROL, "o")
        self.wait(lambda: self.d.title == f"Quillmere : {name}")

    def draw_at(self, *points):
        if self.d.find_element(By.ID, "draw").get_attribute("aria-pressed") != "true":
            self.menu("Glyph", "Draw")
        self.swatch(5)
        for p in points:
            self.stroke([p])
        self.wait(lambda: self.d.title.endswith("*"))

    def recent(self):
        self.open_menu("File")
        self.d.find_element(By.ID, "open-recent").click()
        return [e.text for e in self.d.find_elements(By.CSS_SELECTOR, "#open-recent + .menu-items > .entry")]

    def test_save_writes_back_and_save_as_moves_the_next_saves(self):
        self.open_picked("ab.sft")
        self.draw_at((1, 1))
        self.keys(Keys.CONTROL, "s")
        self.wait(lambda: self.get("ab.sft") == drawn((1, 1)))
        self.wait(lambda: self.d.title == "Quillmere : ab.sft")
        self.choose("copy.sft")
        self.menu("File", "Save SFT As...")
        self.wait(lambda: self.d.title == "Quillmere : copy.sft")
        self.draw_at((2, 1))
        self.keys(Keys.CONTROL, "s")
        self.wait(lambda: self.get("copy.sft") == drawn((1, 1), (2, 1)))
        self.assertEqual(self.get("ab.sft"), drawn((1, 1)))
        # Closed pickers change nothing and say nothing.
        self.draw_at((3, 1))
        asked = self.d.execute_script("return window.pickers")
        self.keys(Keys.CONTROL, Keys.SHIFT, "s")
        self.keys(Keys.CONTROL, "o")
        self.wait(lambda: self.d.execute_script("return window.pickers") == asked + 2)
        self.draw()
        self.assertFalse(self.d.find_elements(By.CSS_SELECTOR, "dialog[open]"))
        self.assertEqual(self.d.title, "Quillmere : copy.sft*")
        self.assertEqual(self.get("copy.sft"), drawn((1, 1), (2, 1)))
        # A font with no file (a sample) goes where Save As puts it.
        self.menu("File", "Open Sample")
        self.named("QUILL8.SFT", "button").click()
        self.answer("Discard")
        self.wait(lambda: self.d.title == "Quillmere : QUILL8.SFT")
        self.choose("sample.sft")
        self.keys(Keys.CONTROL, "s")
        self.wait(lambda: (self.get("sample.sft") or b"")[:4] == b"SFNT")
        self.assertEqual(os.listdir(self.downloads), [])

    def test_a_file_changed_elsewhere_is_asked_about_before_save(self):
        other = font(8, 20, 4, A_B, bytes(range(80)))  # same size: the time tells
        cases = [  # answer, the file's bytes after, the other file's, the title
            ("Cancel", other, None, "Quillmere : ab.sft*"),
            ("Save As...", other, drawn((1, 1)), "Quillmere : elsewhere.sft"),
            ("Overwrite", drawn((1, 1)), None, "Quillmere : ab.sft"),
        ]
        for answer, after, elsewhere, title in cases:
            with self.subTest(answer=answer):
                if self.d.title.endswith("*"):
                    self.choose("ab.sft")
                    self.put("ab.sft", ORIGINAL)
                    self.keys(Keys.CONTROL, "o")
                    self.answer("Discard")
                    self.wait(lambda: self.d.title == "Quillmere : ab.sft")
                else:
                    self.open_picked("ab.sft")
                self.draw_at((1, 1))
                if self.get("elsewhere.sft"):
                    self.remove("elsewhere.sft")
                self.put("ab.sft", other)
                self.choose("elsewhere.sft")
                self.keys(Keys.CONTROL, "s")
                self.assertEqual(self.answer(answer), "ab.sft has been changed by another program since it was "
                                                      "opened or last saved. Overwrite it?")
                self.wait(lambda: self.d.title == title)
                self.assertEqual(self.get("ab.sft"), after)
                self.assertEqual(self.get("elsewhere.sft"), elsewhere)
                self.d.execute_script("window.picks = []")

    def test_open_recent_outlives_the_visit_newest_first_and_drops_what_is_gone(self):
        names = [f"f{i}.sft" for i in range(11)]
        for name in names:
            self.open_picked(name)
        self.open_picked("f3.sft", None)  # again: to the top, once
        self.load(self.origin + "/index.html")
        want = ["f3.sft"] + [n for n in reversed(names) if n != "f3.sft"][:9]
        self.assertEqual(self.recent(), [f"{i + 1} {n}" for i, n in enumerate(want)])
        self.named("2 f10.sft", "button").click()
        self.wait(lambda: self.d.title == "Quillmere : f10.sft")
        self.remove("f9.sft")
        self.recent()
        self.named("3 f9.sft", "button").click()
        self.assertEqual(self.answer(), "f9.sft is no longer there; it was taken off the list.")
        self.assertEqual(self.d.title, "Quillmere : f10.sft")
        self.assertEqual(self.recent()[:3], ["1 f10.sft", "2 f3.sft", "3 f8.sft"])
        self.named("Clear Recent", "button").click()
        self.load(self.origin + "/index.html")
        self.assertEqual(self.recent(), [])
        self.assertFalse(self.d.find_element(By.ID, "clear-recent").is_enabled())

    def test_manifest_icons_and_the_storage_asked_to_be_kept_at_the_first_change(self):
        manifest = self.d.execute_script(
            "return await (await fetch(document.querySelector('link[rel=manifest]').href)).json()")
        self.assertEqual({k: manifest[k] for k in ("name", "short_name", "start_url", "display")},
                         {"name": "Quillmere", "short_name": "Quillmere", "start_url": "./", "display": "standalone"})
        self.assertTrue(manifest["theme_color"] and manifest["background_color"])
        self.assertEqual([list(h["accept"].values()) for h in manifest["file_handlers"]], [[[".sft"]]])
        pngs = [(i["src"], i["sizes"]) for i in manifest["icons"] if i["type"] == "image/png"]
        self.assertEqual([s for _, s in pngs], ["192x192", "512x512"])
        for src, sizes in pngs:
            size = self.d.execute_script(
                "const i = new Image(); i.src = arguments[0]; await i.decode(); return `${i.naturalWidth}x${i.naturalHeight}`",
                src)
            self.assertEqual(size, sizes)
        self.d.execute_script("window.persists = 0; navigator.storage.persisted = async () => false;"
                              "navigator.storage.persist = async () => { window.persists++; return false; }")
        self.open_picked("ab.sft")
        self.assertEqual(self.d.execute_script("return window.persists"), 0)
        self.draw_at((1, 1), (2, 2))
        ActionChains(self.d).move_to_element(self.d.find_element(By.ID, "font-info")).perform()
        self.wait(lambda: "may clear the kept unsaved work" in self.d.find_element(By.ID, "status").text)
        self.assertEqual(self.d.execute_script("return window.persists"), 1)

    def test_after_one_visit_it_works_offline_and_tells_of_a_new_build(self):
        site = os.path.join(tempfile.mkdtemp(), "site")
        shutil.copytree(SITE, site)
        with served(site) as origin:
            self.load(origin + "/index.html")
            self.wait(lambda: self.d.execute_script("return !!navigator.serviceWorker.controller"))
            with open(os.path.join(site, "sw.js"), "a") as f:
                f.write("\n// the next build\n")
            self.load(origin + "/index.html")
            self.wait(lambda: self.d.find_element(By.ID, "status").text == "A new version is ready; reload to use it")
        self.load(origin + "/index.html")  # the server gone: no network at all
        self.menu("File", "Open Sample")
        self.named("QUILL8.SFT", "button").click()
        self.wait(lambda: self.info() == ["8-bit font", "95 characters"])
        self.choose("q.bmp")
        self.menu("File", "Save as BMP")
        self.wait(lambda: (self.get("q.bmp") or b"")[:2] == b"BM")



class NoHandles(Served):
    """The API taken away before the page loads, as Firefox and Safari have it."""

    def test_open_is_the_input_save_a_download_and_no_open_recent(self):
        self.assertFalse(self.d.find_elements(By.ID, "open-recent"))
        self.open_font(write("ab.sft", ORIGINAL))
        self.keys(Keys.CONTROL, "s")
        self.assertEqual(self.download("ab.sft"), ORIGINAL)

if __name__ == "__main__":
    unittest.main(argv=[__file__])
