#!/usr/bin/env python3
"""Times sft2bmp against its baselines, whole processes, side by side in one run
on tmpfs (/dev/shm), the commands of each case alternating; prints the median
and the min to max range of each and their ratio:
(a) one 16-bit 65,535 x 64 font against the least such a conversion must do
    (dd the font in, dd 12 MiB out, 256 KiB blocks), and against a short Pillow
    script doing the same;
(b) 1,000 small 8-bit fonts in one run against cp of the same fonts;
(c) sft2bmp's peak memory on the 16-bit font (/usr/bin/time -v);
(d) bmp2sft making the 16-bit font again from its picture, against reading the
    picture and writing the font's size with dd.
bmp2sft is taken from beside sft2bmp's folder (the build's src/bmp2sft/).
Usage: bench/sft2bmp_bench.py PATH/TO/sft2bmp [RUNS]"""
import os
import shutil
import statistics
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


def side_by_side(commands, runs, before=None):
    """Runs the commands in turn, runs times each; returns each one's times."""
    times = [[] for _ in commands]
    for _ in range(runs):
        for i, cmd in enumerate(commands):
            if before:
                before()
            t = time.perf_counter()
            subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[i].append(time.perf_counter() - t)
    return times


def show(name, t):
    return (f"{name} {statistics.median(t) * 1000:7.1f} ms "
            f"({min(t) * 1000:.1f} to {max(t) * 1000:.1f})")


def main():
    tool = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    with tempfile.TemporaryDirectory(dir=base) as tmp:
        out = os.path.join(tmp, "out")
        os.makedirs(out)
        big = os.path.join(tmp, "big.sft")
        with open(big, "wb") as f:
            f.write(font(16, 65535, 64))
        bmp_size = 54 + 65535 * 3 * 64 + 64  # rows padded to 4 bytes
        dd = ["sh", "-c", f"dd if={big} of=/dev/null bs=256K 2>/dev/null && "
              f"dd if=/dev/zero of={out}/dd.bin bs=256K count={(bmp_size + 262143) // 262144} "
              "2>/dev/null"]
        ours, least = side_by_side([[tool, "-o", out, big], dd], runs)
        print(f"(a) 16-bit 65535x64: {show('sft2bmp', ours)}   {show('dd pair', least)}   "
              f"ratio {statistics.median(ours) / statistics.median(least):5.2f} (target <= 2)")
        pil_cmd = [python, os.path.join(HERE, "pillow_convert.py"), big, os.path.join(out, "pil.bmp")]
        if subprocess.run([python, "-c", "import PIL"], capture_output=True).returncode == 0:
            ours, pil = side_by_side([[tool, "-o", out, big], pil_cmd], max(3, runs // 2))
            print(f"    against Pillow:  {show('sft2bmp', ours)}   {show('Pillow', pil)}   "
                  f"speed-up {statistics.median(pil) / statistics.median(ours):5.2f}x (target >= 10)")
            same = subprocess.run(
                [python, "-c", "import sys; from PIL import Image; "
                 "a, b = (Image.open(p).convert('RGB').tobytes() for p in sys.argv[1:]); "
                 "print('yes' if a == b else 'NO')",
                 os.path.join(out, "big.BMP"), os.path.join(out, "pil.bmp")],
                capture_output=True, text=True, check=True).stdout.strip()
            print("    same pixels as the Pillow script:", same)
        else:
            print("    (no Pillow: apt-get install python3-pil for the comparison)")

        fonts = os.path.join(tmp, "fonts")
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

        conv, cp = side_by_side(
            [[tool, "--cmp", os.path.join(tmp, "pal.cmp"), "-o", out, *names], ["cp", *names, out]],
            runs, fresh_out)
        print(f"(b) 1000 fonts 600x16 8-bit: {show('sft2bmp', conv)}   {show('cp', cp)}   "
              f"ratio {statistics.median(conv) / statistics.median(cp):5.2f} (target <= 1.1)")

        if os.path.exists("/usr/bin/time"):
            peaks = []
            for _ in range(3):
                r = subprocess.run(["/usr/bin/time", "-v", tool, "-o", out, big],
                                   capture_output=True, text=True, check=True)
                line = [l for l in r.stderr.splitlines() if "Maximum resident" in l][0]
                peaks.append(int(line.split()[-1]) / 1024)
            print(f"(c) peak memory on the 16-bit font: {min(peaks):.1f} to {max(peaks):.1f} MiB, "
                  f"font {os.path.getsize(big) / 2**20:.1f} MiB (target <= font + 6 MiB)")


        bmp2sft = os.path.join(os.path.dirname(os.path.dirname(tool)), "bmp2sft", "bmp2sft")
        if os.path.exists(bmp2sft):
            fresh_out()
            subprocess.run([tool, "-o", out, big], check=True)
            picture = os.path.join(out, "big.BMP")
            size = os.path.getsize(big)
            dd = ["sh", "-c", f"dd if={picture} of=/dev/null bs=256K 2>/dev/null && "
                  f"dd if=/dev/zero of={tmp}/dd.bin bs=256K count={(size + 262143) // 262144} "
                  "2>/dev/null"]
            made = os.path.join(tmp, "made.sft")
            ours, least = side_by_side([[bmp2sft, "--font", big, "-o", made, picture], dd], runs)
            with open(big, "rb") as a, open(made, "rb") as b:
                same = "yes" if a.read() == b.read() else "NO"
            print(f"(d) bmp2sft 16-bit 65535x64: {show('bmp2sft', ours)}   {show('dd pair', least)}   "
                  f"ratio {statistics.median(ours) / statistics.median(least):5.2f} (target <= 1.5); "
                  f"the same font: {same}")


if __name__ == "__main__":
    main()
