#!/usr/bin/python3
"""Start to greeting under wine: the time from starting trovik.exe until its greeting box is on
the X display, against a bare program that shows one box, alternated in one run; medians and
their ratio. Needs DISPLAY (with a window manager) and WINEPREFIX set, and xdotool.

Usage: greeting-figure.py BUILD_DIR [RUNS]
"""

import os
import statistics
import subprocess
import sys
import time

TITLE = "^trovik by -zelvo-$"


def wine_loader(build):
    """The wine loader the build chose (CMake's TROVIK_WINE)."""
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith("TROVIK_WINE:"):
                return line.split("=", 1)[1].strip()
    raise SystemExit(f"{build}: no wine loader in CMakeCache.txt")


def time_to_box(wine, program):
    start = time.monotonic()
    process = subprocess.Popen([wine, program], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - start < 60:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                                   capture_output=True)
            if found.returncode == 0:
                return time.monotonic() - start
            time.sleep(0.01)
        raise SystemExit(f"{program}: no box within 60 s")
    finally:
        process.kill()
        process.wait()
        while subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                             capture_output=True).returncode == 0:
            time.sleep(0.05)


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    trovik = os.path.join(build, "bin", "trovik.exe")
    bare = os.path.join(build, "bin", "trovik_win32_bare_box.exe")
    wine = wine_loader(build)
    times = {trovik: [], bare: []}
    for _ in range(runs):
        for program in (bare, trovik):
            times[program].append(time_to_box(wine, program))
    bare_median = statistics.median(times[bare])
    trovik_median = statistics.median(times[trovik])
    print(f"start to greeting, {runs} runs each: trovik.exe {trovik_median:.3f} s, bare box "
          f"{bare_median:.3f} s, ratio {trovik_median / bare_median:.2f}")


main()
