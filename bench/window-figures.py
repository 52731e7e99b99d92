#!/usr/bin/env python3
"""The window's figures, each against a bare program measured side by side in the same run.

  listing   100,000 files into File1 vs a bare std::filesystem enumeration and sort (one process,
            alternating pairs)
  large     1,000,000 files into File1: how long it takes, the longest the window goes without
            being painted meanwhile, and the memory it keeps and peaks at, against the bytes of the
            names (and the bare listing of the same folder)
  start-up  process start to the greeting painted: trovik vs a bare program that shows one
            QMessageBox (alternating runs, offscreen, and under Xvfb where it is installed)
  memory    peak resident memory once the window is painted: trovik vs a bare Qt widget program

Times are medians of the runs; ratios are medians of the ratios of runs made next to each other.
Usage: bench/window-figures.py [--build build-bench] [--runs 9]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path


def words(line: str) -> dict:
    return {k: float(v) for k, v in (w.split("=", 1) for w in line.split() if "=" in w)}


def run_lines(command, **kw) -> list:
    done = subprocess.run(command, capture_output=True, text=True, check=True, **kw)
    return [words(line) for line in done.stdout.splitlines() if "=" in line]


def hooked(program: Path, hook: Path, env: dict, cwd: Path) -> dict:
    """Starts `program` with the paint hook; returns its figures (greeting_ms, window_ms, peak)."""
    env = dict(env, LD_PRELOAD=str(hook))
    env["TROVIK_BENCH_SPAWN_NS"] = str(time.monotonic_ns())
    done = subprocess.run([str(program)], env=env, cwd=cwd, capture_output=True, text=True,
                          timeout=60)
    figures = {}
    for line in done.stderr.splitlines():
        if line.startswith(("greeting_ms=", "window_ms=")):
            w = words(line)
            key = "greeting" if "greeting_ms" in w else "window"
            figures[key + "_ms"] = w[key + "_ms"]
            figures[key + "_peak_kib"] = w["peak_kib"]
    return figures


def median_ratio(pairs) -> float:
    return statistics.median(a / b for a, b in pairs)


def start_up_figures(bins: Path, hook: Path, runs: int, env: dict, cwd: Path, label: str):
    trovik, box, widget = bins / "trovik", bins / "trovik_bare_messagebox", bins / "trovik_bare_widget"
    for program in (trovik, box, widget):  # warm the page cache and the font cache
        hooked(program, hook, env, cwd)
    greet, peak, peak_box = [], [], []
    for i in range(runs):
        order = [trovik, box, widget] if i % 2 == 0 else [widget, box, trovik]
        got = {p: hooked(p, hook, env, cwd) for p in order}
        greet.append((got[trovik]["greeting_ms"], got[box]["greeting_ms"]))
        peak.append((got[trovik]["window_peak_kib"], got[widget]["window_peak_kib"]))
        peak_box.append((got[trovik]["window_peak_kib"], got[box]["greeting_peak_kib"]))
    print(f"\nStart-up and memory ({label}, {runs} alternating runs each):")
    print(f"  start to greeting painted: trovik {statistics.median(a for a, _ in greet):7.1f} ms, "
          f"bare QMessageBox {statistics.median(b for _, b in greet):7.1f} ms, "
          f"ratio {median_ratio(greet):.2f} (target <= 1.30)")
    print(f"  peak memory, window painted: trovik {statistics.median(a for a, _ in peak) / 1024:6.1f} MiB, "
          f"bare QWidget {statistics.median(b for _, b in peak) / 1024:6.1f} MiB, "
          f"ratio {median_ratio(peak):.2f} (target <= 1.30)")
    print(f"  peak memory against the bare QMessageBox program: "
          f"{statistics.median(b for _, b in peak_box) / 1024:6.1f} MiB, ratio {median_ratio(peak_box):.2f}")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", type=Path)
    parser.add_argument("--runs", default=9, type=int)
    args = parser.parse_args()
    args.build = args.build.resolve()  # the programs run from another folder
    bins = args.build / "bin"
    bench = bins / "trovik_window_bench"
    hook = args.build / "bench" / "libtrovik_greeting_hook.so"
    for needed in (bench, hook, bins / "trovik"):
        if not needed.exists():
            sys.exit(f"window-figures: {needed} is missing; build the project first")

    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.setdefault("XDG_RUNTIME_DIR", tempfile.mkdtemp(prefix="trovik-runtime-"))
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    scratch = Path(tempfile.mkdtemp(prefix="trovik-window-figures-"))
    try:
        hundred = scratch / "f100k" / "files"
        million = scratch / "f1m" / "files"
        subprocess.run([str(bench), "make", str(hundred), "100000"], check=True)
        subprocess.run([str(bench), "make", str(million), "1000000"], check=True)

        pairs = run_lines([str(bench), "list", str(hundred), str(args.runs)], env=env)
        pairs = pairs[1:]  # the first pair warms the cache
        print(f"Listing 100,000 files ({len(pairs)} alternating pairs in one process):")
        print(f"  File1 {statistics.median(p['file1_ms'] for p in pairs):7.1f} ms, bare "
              f"std::filesystem enumeration and sort {statistics.median(p['bare_ms'] for p in pairs):7.1f} ms, "
              f"ratio {median_ratio((p['file1_ms'], p['bare_ms']) for p in pairs):.2f} (target <= 1.50)")

        large = [run_lines([str(bench), "large", str(million)], env=env)[0] for _ in range(3)]
        bare = run_lines([str(bench), "list", str(million), "4"], env=env)[1:]
        names = large[0]["name_bytes"] / 1024
        print(f"\nA folder of 1,000,000 files (3 processes; bare listing {len(bare)} pairs):")
        print(f"  listed in {statistics.median(r['busy_ms'] for r in large):7.1f} ms, the window "
              f"frozen at most {statistics.median(r['frozen_ms'] for r in large):6.1f} ms at a time; in the same "
              f"process pairs File1 {statistics.median(p['file1_ms'] for p in bare):7.1f} ms vs bare "
              f"{statistics.median(p['bare_ms'] for p in bare):7.1f} ms, ratio "
              f"{median_ratio((p['file1_ms'], p['bare_ms']) for p in bare):.2f}")
        kept = statistics.median(r["rss_growth_kib"] for r in large)
        peak = statistics.median(r["peak_growth_kib"] for r in large)
        print(f"  memory kept {kept / 1024:6.1f} MiB ({kept / names:.2f} x the names' "
              f"{names / 1024:.1f} MiB), peak while listing {peak / 1024:6.1f} MiB "
              f"({peak / names:.2f} x)")

        cwd = scratch / "start"
        cwd.mkdir()
        (cwd / "a.txt").write_text("x")
        start_up_figures(bins, hook, args.runs, env, cwd, "offscreen")
        if shutil.which("Xvfb"):
            display = ":97"
            server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten",
                                       "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                time.sleep(1.0)
                xenv = dict(env, QT_QPA_PLATFORM="xcb", DISPLAY=display)
                start_up_figures(bins, hook, args.runs, xenv, cwd, "Xvfb")
            finally:
                server.terminate()
                server.wait()
        else:
            print("\n(Xvfb is not installed: no start-up figures under X)")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
