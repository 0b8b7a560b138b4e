#!/usr/bin/env python3
"""Times ttf2sft making the 95 printable ASCII glyphs of DejaVu Sans at 24 px
against a short Pillow script (ImageFont) drawing the same glyphs into a strip,
whole processes side by side in one run on tmpfs (/dev/shm), the two commands
alternating; prints the median and the min to max range of each and the
speed-up (target >= 20).
Usage: bench/ttf2sft_bench.py PATH/TO/ttf2sft [RUNS] [OUTLINE_FONT]"""
import os
import statistics
import subprocess
import sys
import tempfile

from sft2bmp_bench import font, show, side_by_side

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    tool = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    ttf = sys.argv[3] if len(sys.argv) > 3 else "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    if subprocess.run([python, "-c", "import PIL"], capture_output=True).returncode != 0:
        sys.exit("no Pillow: apt-get install python3-pil")
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(dir=base) as tmp:
        template = os.path.join(tmp, "t16.sft")
        with open(template, "wb") as f:
            f.write(font(16, 10, 30))
        ours = [tool, "--font", template, "--ttf", ttf, "--size", "24", "--height", "30",
                "--chars", "32-126", "-o", os.path.join(tmp, "out.sft")]
        pil = [python, os.path.join(HERE, "pillow_strip.py"), ttf, "24", "30",
               os.path.join(tmp, "pil.bin")]
        t_ours, t_pil = side_by_side([ours, pil], runs)
        print(f"95 glyphs at 24 px: {show('ttf2sft', t_ours)}   {show('Pillow', t_pil)}   "
              f"speed-up {statistics.median(t_pil) / statistics.median(t_ours):5.2f}x (target >= 20)")

        # 64 glyphs added to the 65,535 x 64 16-bit font, against the dd pair:
        # one dd reading the font, one writing a file of its size.
        big = os.path.join(tmp, "big.sft")
        with open(big, "wb") as f:
            f.write(font(16, 65535, 64))
        add = [tool, "--font", big, "--ttf", ttf, "--add", "--chars", "256-319",
               "-o", os.path.join(tmp, "added.sft")]
        size = os.path.getsize(big)
        read = ["dd", f"if={big}", "of=/dev/null", "bs=1M"]
        write = ["dd", "if=/dev/zero", f"of={os.path.join(tmp, 'copy.sft')}", "bs=1M",
                 f"count={size}", "iflag=count_bytes"]
        t_add, t_read, t_write = side_by_side([add, read, write], runs)
        t_dd = [r + w for r, w in zip(t_read, t_write)]
        ratio = statistics.median(t_add) / statistics.median(t_dd)
        print(f"--add of 64 glyphs to 65535x64: {show('ttf2sft', t_add)}   {show('dd', t_dd)}   "
              f"ratio {ratio:5.2f} (target <= 2) {'ok' if ratio <= 2 else 'OVER'}")


if __name__ == "__main__":
    main()
