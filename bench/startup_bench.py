#!/usr/bin/env python3
"""Times the start-up of each command-line program (--version) against
/bin/true, whole processes side by side in one run, the commands alternating;
prints the median and the min to max range of each and the program's time
against its goal, 1.5 times /bin/true plus 5 ms (target <= 1).
Usage: bench/startup_bench.py BUILD_DIR [RUNS]"""
import os
import statistics
import sys

from sft2bmp_bench import show, side_by_side


def main():
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 41
    tools = [os.path.join(build, "src", t, t) for t in ("sft2bmp", "bmp2sft", "ttf2sft")]
    times = side_by_side([["/bin/true"]] + [[t, "--version"] for t in tools], runs)
    base = statistics.median(times[0])
    goal = 1.5 * base + 0.005
    print(show("/bin/true", times[0]))
    for tool, t in zip(tools, times[1:]):
        ratio = statistics.median(t) / goal
        print(f"{show(os.path.basename(tool) + ' --version', t)}   against 1.5x true + 5 ms: "
              f"{ratio:5.2f} (target <= 1) {'ok' if ratio <= 1 else 'OVER'}")


if __name__ == "__main__":
    main()
