#!/usr/bin/python3
"""Fails when a folder of src/core or src/app includes a folder above it:
the layers point one way, lower never includes higher, and the core never
includes the window's code. Usage: tools/check_layers.py [ROOT]"""
import os
import re
import sys

CORE = ["base", "text", "image", "font", "picture", "edit", "makers", "history", "session"]
APP = ["ui", "views", "dialogs", "files", "window"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]+"', re.M)


def upward(root):
    """(file, include) for each include of a higher folder, or of the window's
    code from the core."""
    found = []
    for part, order, above in (("core", CORE, APP), ("app", APP, [])):
        for folder in order:
            top = os.path.join(root, "src", part, folder)
            for dirpath, _, names in os.walk(top):
                for name in sorted(names):
                    path = os.path.join(dirpath, name)
                    with open(path, encoding="utf-8", errors="replace") as f:
                        text = f.read()
                    for m in INCLUDE.finditer(text):
                        to = m.group(1)
                        higher = to in order and order.index(to) > order.index(folder)
                        if higher or to in above:
                            found.append((os.path.relpath(path, root), m.group(0).strip()))
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = upward(root)
    for path, include in found:
        print(f"{path}: {include} includes a higher layer")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
