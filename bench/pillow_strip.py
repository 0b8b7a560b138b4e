#!/usr/bin/env python3
"""What a user would otherwise write: the printable ASCII glyphs of an outline
font drawn side by side into a 16-bit strip with Pillow's ImageFont, each cell
its advance wide, and the strip and its table written out.
Usage: pillow_strip.py FONT.ttf SIZE HEIGHT OUT"""
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

font = ImageFont.truetype(sys.argv[1], int(sys.argv[2]))
height = int(sys.argv[3])
ascent, _ = font.getmetrics()
codes = range(32, 127)
cells = [round(font.getlength(chr(c))) for c in codes]
strip = Image.new("L", (sum(cells), height))
draw = ImageDraw.Draw(strip)
x = 0
table = bytearray()
for code, cell in zip(codes, cells):
    glyph = Image.new("L", (cell, height))
    ImageDraw.Draw(glyph).text((0, ascent), chr(code), fill=255, font=font, anchor="ls")
    strip.paste(glyph, (x, 0))
    table += struct.pack("<Hii", code, x, cell)
    x += cell
# White on black as 5-6-5, little-endian: the low and the high byte of each
# grey's value, interleaved.
r5 = [min(31, (v + 4) >> 3) for v in range(256)]
g6 = [min(63, (v + 2) >> 2) for v in range(256)]
low = strip.point([(g6[v] & 7) << 5 | r5[v] for v in range(256)])
high = strip.point([r5[v] << 3 | g6[v] >> 3 for v in range(256)])
with open(sys.argv[4], "wb") as f:
    f.write(table)
    f.write(Image.merge("LA", (low, high)).tobytes())
