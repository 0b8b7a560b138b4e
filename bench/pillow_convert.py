#!/usr/bin/env python3
"""What a user would otherwise write: a 16-bit font to a 24-bit BMP with Pillow."""
import struct
import sys

from PIL import Image

with open(sys.argv[1], "rb") as f:
    data = f.read()
ranges = struct.unpack_from("<i", data, 20)[0]
pos = 40
for _ in range(max(ranges, 0)):
    first, last = struct.unpack_from("<HH", data, pos)
    pos += 4 + 8 * (last - first + 1)
bpp = struct.unpack_from("<i", data, pos + 36)[0]
width, height = struct.unpack_from("<ii", data, pos + 128)
pixels = data[pos + 136 : pos + 136 + width * height * 2]
assert bpp == 16
image = Image.frombytes("RGB", (width, height), pixels, "raw", "BGR;16")
# Pillow stretches 5 and 6 bits to 0..255; the viewer shifts them instead.
r, g, b = image.split()
five = [(round(v * 31 / 255)) << 3 for v in range(256)]
six = [(round(v * 63 / 255)) << 2 for v in range(256)]
image = Image.merge("RGB", (r.point(five), g.point(six), b.point(five)))
image.save(sys.argv[2], "BMP")
