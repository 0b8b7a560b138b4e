#!/usr/bin/env python3
"""Times sft2bmp against its baselines, side by side in one run:
(a) 1,000 small 8-bit fonts converted in one run against cp of the same fonts;
(b) one 16-bit 65,535 x 64 font against a short Pillow script doing the same.
Usage: bench/sft2bmp_bench.py PATH/TO/sft2bmp"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def font(bpp, width, height, first=32, last=126):
    out = bytearray(b"SFNT" + bytes(16) + struct.pack("<i", 1) + bytes(16))
    out += struct.pack("<HH", first, last)
    for k in range(last - first + 1):
        out += struct.pack("<ii", 6 * k, 0)
    strip = bytearray(128)
    struct.pack_into("<i", strip, 36, bpp)
    out += strip + struct.pack("<ii", width, height)
    n = width * height * bpp // 8
    out += bytes((i * 7 + i // 13) & 255 for i in range(n)) if n < 100000 else os.urandom(n)
    return bytes(out)


def best(cmd, runs, before=None):
    times = []
    for _ in range(runs):
        if before:
            before()
        t = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return min(times)


def main():
    tool = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as tmp:
        fonts = os.path.join(tmp, "fonts")
        out = os.path.join(tmp, "out")
        os.makedirs(fonts)
        small = font(8, 600, 16)
        names = []
        for i in range(1000):
            name = os.path.join(fonts, f"font{i:04}.sft")
            with open(name, "wb") as f:
                f.write(small)
            names.append(name)
        with open(os.path.join(tmp, "pal.cmp"), "wb") as f:
            f.write(b"CMP " + bytes(60) + bytes(range(256)) * 3)

        def fresh_out():
            shutil.rmtree(out, ignore_errors=True)
            os.makedirs(out)

        cp = best(["cp", *names, out], 7, fresh_out)
        conv = best([tool, "--cmp", os.path.join(tmp, "pal.cmp"), "-o", out, *names], 7, fresh_out)
        print(f"(a) 1000 fonts 600x16 8-bit: sft2bmp {conv * 1000:8.1f} ms   cp {cp * 1000:8.1f} ms"
              f"   ratio {conv / cp:5.2f} (target <= 1.3)")

        big = os.path.join(tmp, "big.sft")
        with open(big, "wb") as f:
            f.write(font(16, 65535, 64))
        ours = best([tool, "-o", out, big], 5)
        python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
        pil = best([python, os.path.join(HERE, "pillow_convert.py"), big, os.path.join(out, "pil.bmp")], 3)
        print(f"(b) 16-bit 65535x64 font:    sft2bmp {ours * 1000:8.1f} ms   Pillow {pil * 1000:8.1f} ms"
              f"   speed-up {pil / ours:5.2f}x (target >= 4)")

        same = subprocess.run([python, "-c", "import sys; from PIL import Image; "
                               "a, b = (Image.open(p).convert('RGB').tobytes() for p in sys.argv[1:]); "
                               "print('yes' if a == b else 'NO')",
                               os.path.join(out, "big.BMP"), os.path.join(out, "pil.bmp")],
                              capture_output=True, text=True, check=True).stdout.strip()
        print("    same pixels as the Pillow script:", same)


if __name__ == "__main__":
    main()
