"""What the page benches share: their font, 16-bit, 65,535 x 64 pixels of
noise, 95 characters 600 columns apart; and headless chromium with a profile
of its own, without file pickers, so fonts come through the file input."""
import os
import struct
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def font16(width=65535, height=64):
    out = bytearray(b"SFNT" + bytes(16) + struct.pack("<i", 1) + bytes(16))
    out += struct.pack("<HH", 32, 126)
    for k in range(95):
        out += struct.pack("<ii", k * 600, 0)
    strip = bytearray(128)
    struct.pack_into("<i", strip, 36, 16)
    return bytes(out + strip + struct.pack("<ii", width, height) + os.urandom(width * height * 2))


def chromium():
    for var in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
        os.environ[var] = tempfile.mkdtemp()
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--window-size=1200,800", "--user-data-dir=" + tempfile.mkdtemp()):
        o.add_argument(a)
    d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
    d.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": (
        "for (const n of ['showOpenFilePicker', 'showSaveFilePicker', 'showDirectoryPicker'])"
        " { delete window[n]; delete Window.prototype[n]; }")})
    return d
