#!/usr/bin/env python3
"""Times sftcheck against cat of the same files, whole processes, side by side in
one run on tmpfs (/dev/shm), the two commands alternating: 100 small 8-bit fonts
and a 1 MB gettext file of Polish translations, read by sftcheck and by cat;
prints the median and the min to max range of each and their ratio, without and
with --width.
Usage: bench/sftcheck_bench.py PATH/TO/sftcheck [RUNS]"""
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sft2bmp_bench import font, show, side_by_side  # noqa: E402


def po(size):
    """Entries with comments, contexts, plurals and escapes until size bytes."""
    words = ["zażółć", "gęślą", "jaźń", "Łódź", "źródło", "pięść", "ćma", "\\\"cytat\\\"",
             "tab\\t", "koniec\\n", "Ósemka", "ŚWIAT"]
    out, n = ["msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"], 0
    while sum(len(s.encode()) for s in out) < size:
        text = " ".join(words[(n + k) % len(words)] for k in range(8))
        if n % 5 == 0:
            out.append(f"#: src/menu.c:{n}\nmsgid \"file {n}\"\nmsgid_plural \"files {n}\"\n"
                       f"msgstr[0] \"{text}\"\nmsgstr[1] \"\"\n\"{text}\"\n\n")
        else:
            out.append(f"#, c-format\nmsgctxt \"m{n}\"\nmsgid \"text {n}\"\nmsgstr \"{text}\"\n\n")
        n += 1
    return "".join(out).encode()


def main():
    tool = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(dir=base) as tmp:
        text = os.path.join(tmp, "pl.po")
        with open(text, "wb") as f:
            f.write(po(1 << 20))
        small = font(8, 600, 16, 32, 255)
        names = []
        for i in range(100):
            names.append(os.path.join(tmp, f"font{i:03}.sft"))
            with open(names[-1], "wb") as f:
                f.write(small)
        # The fonts hold codes 32 to 255, every character of the text in
        # Windows-1250: status 0, as side_by_side wants it.
        check = [tool, "--codepage", "CP1250", "--text", text, *names]
        ours, cat = side_by_side([check, ["cat", text, *names]], runs)
        print(f"sftcheck, 100 fonts 600x16 8-bit and a "
              f"{os.path.getsize(text) / 2**20:.1f} MB .po: {show('sftcheck', ours)}   "
              f"{show('cat', cat)}   ratio {statistics.median(ours) / statistics.median(cat):5.2f} "
              f"(target <= 2)")
        # --width lays out every line in every font; the limit lets all fit.
        ours, cat = side_by_side([[*check[:1], "--width", "100000", *check[1:]],
                                  ["cat", text, *names]], runs)
        print(f"sftcheck --width, the same files: {show('sftcheck', ours)}   "
              f"{show('cat', cat)}   ratio {statistics.median(ours) / statistics.median(cat):5.2f} "
              f"(target <= 3)")


if __name__ == "__main__":
    main()
