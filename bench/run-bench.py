#!/usr/bin/env python3
"""Times trovik-scan against the bare C loop and its peers, side by side, and prints the ratios.

    bench/run-bench.py [--build build-bench] [--files 20000] [--runs 15]

It first prints the kind of machine, with page-table isolation or without, since the figures
depend on it; then:

1. Installs the tools only the benchmark needs (hyperfine, yara, ripgrep, strace, GNU time) when
   missing.
2. Makes a deterministic corpus (mostly 1 to 32 KiB, some up to 4 MiB, signatures planted inside
   and beyond the first 32000 bytes) and writes the expected verdicts beside it; the verdicts come
   from an independent search written here, not from trovik.
3. Checks trovik-scan's output (and the bare loop's, and YARA's) against the expected verdicts.
4. Runs the matcher micro benchmarks and prints the matcher's throughput against the memchr-anchored
   search of the same run.
5. Counts the system calls per file with strace.
6. Times everything with hyperfine on a warm cache and prints medians and ratios; trovik-scan both
   with its batched reads (io_uring) and reading one file at a time (TROVIK_SCAN_IO=single).
7. Times the ways of reading the same files in one process (trovik_read_bench): the bare loop,
   trovik's two read paths, a bare io_uring chain, and a ring that checks each file's kind.
8. Times both ways on a cold cache, where the caches can be dropped (root), and gives the peak
   memory of each.
"""

import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WINDOW = 32000
SIGNATURES = [b"Change Your Password", b"SOFTWARE\\Borland\\Delphi\\RTL", b"SEXSTORY"]
CORPUS_VERSION = "2"
# trovik-scan reading one file at a time, as where io_uring is missing: the batched path's baseline.
SINGLE = ["/usr/bin/env", "TROVIK_SCAN_IO=single"]

# command -> Debian package; installed here, never by the build or the tests.
BENCH_TOOLS = {"hyperfine": "hyperfine", "yara": "yara", "rg": "ripgrep", "strace": "strace",
               "time": "time"}


def ensure_tools():
    missing = sorted({pkg for tool, pkg in BENCH_TOOLS.items() if shutil.which(tool) is None})
    if not missing:
        return
    print(f"Installing: {' '.join(missing)}", flush=True)
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing,
                   check=True, env=env)


# ---------------------------------------------------------------------------------------------
# The corpus


def is_stealer(content: bytes) -> bool:
    """The reference rule: a signature, letter case folded for ASCII only, wholly in the window."""
    window = content[:WINDOW].lower()  # bytes.lower() folds A-Z only
    return any(sig.lower() in window for sig in SIGNATURES)


def text_pool(rng: random.Random, size: int) -> bytes:
    # Ordinary prose with the letter frequencies of English text, and now and then a near miss:
    # a signature fragment, a registry path with forward slashes, a truncated signature.
    words = (b"the of and to in is you that it he was for on are as with his they I at be this "
             b"have from or one had by word but not what all were we when your can said there "
             b"use an each which she do how their if will up other about out many then them "
             b"these so some her would make like him into time has look two more write go see "
             b"number no way could people my than first water been call who its now find long "
             b"down day did get come made may part system file set").split()
    near_misses = (b"Change Your Passwort|SOFTWARE/Borland/Delphi/RTL|SOFTWARE\\Borland\\Delphi"
                   b"\\RTX|SEXSTOR|sexstorm|CHANGE YOUR PASS|ChangeYourPassword|session schema "
                   b"search secret").split(b"|")
    parts = []
    total = 0
    while total < size:
        word = rng.choice(near_misses) if rng.random() < 0.005 else rng.choice(words)
        sep = b".\n" if rng.random() < 0.05 else b" "
        parts.append(word + sep)
        total += len(word) + len(sep)
    pool = b"".join(parts)[:size]
    lowered = pool.lower()
    assert not any(sig.lower() in lowered for sig in SIGNATURES), "the text pool holds a signature"
    return pool


def binary_pool(rng: random.Random, size: int) -> bytes:
    data = bytearray(rng.randbytes(size))
    # Runs of zero bytes, as executables have.
    for _ in range(size // 4096):
        start = rng.randrange(size - 512)
        length = rng.randrange(16, 512)
        data[start:start + length] = bytes(length)
    data = bytes(data[:size])
    assert not any(sig.lower() in data.lower() for sig in SIGNATURES)
    return data


def random_case(rng: random.Random, text: bytes) -> bytes:
    return bytes(c ^ 0x20 if chr(c).isalpha() and rng.random() < 0.5 else c for c in text)


def file_size(rng: random.Random) -> int:
    r = rng.random()
    if r < 0.001:
        return 0
    if r < 0.95:
        return rng.randint(1024, 32 * 1024)
    if r < 0.995:
        return int(32 * 1024 * (16 ** rng.random()))  # 32 KiB to 512 KiB
    return int(512 * 1024 * (8 ** rng.random()))  # 512 KiB to 4 MiB


def plant(rng: random.Random, content: bytearray) -> None:
    size = len(content)
    r = rng.random()
    sig = random_case(rng, rng.choice(SIGNATURES))
    n = len(sig)
    limit = min(size, WINDOW)
    if r < 0.05 and limit >= n:
        # Inside the window: at the start, ending exactly at its last byte, or anywhere.
        k = rng.random()
        start = 0 if k < 0.1 else limit - n if k < 0.3 else rng.randrange(limit - n + 1)
        content[start:start + n] = sig
    elif r < 0.09 and size >= WINDOW + 2 * n:
        # Beyond the window: across its end by one byte, or anywhere after it.
        k = rng.random()
        start = WINDOW - n + 1 if k < 0.3 else rng.randrange(WINDOW - n + 1, size - n + 1)
        content[start:start + n] = sig


def corpus_files(count: int):
    """Relative paths of the corpus: folders of 200 files, two levels deep, and a few on top."""
    per_folder = 200
    for i in range(count):
        if i < 20:
            yield f"top-{i:02d}.bin"
            continue
        folder = (i - 20) // per_folder
        yield f"d{folder // 5:02d}/s{folder % 5}/file{i:05d}.bin"


def make_corpus(root: Path, count: int, seed: int, cap=None) -> Path:
    """Makes the corpus at `root` unless it is there already; returns the expected-verdicts file."""
    expected = root.with_name(root.name + ".expected")
    stamp = root.with_name(root.name + ".stamp")
    wanted = f"version={CORPUS_VERSION} files={count} seed={seed} cap={cap}\n"
    if expected.exists() and stamp.exists() and stamp.read_text() == wanted:
        return expected
    print(f"Making the corpus {root} ({count} files) ...", flush=True)
    if root.exists():
        shutil.rmtree(root)
    rng = random.Random(seed)
    pools = [text_pool(rng, 8 << 20), binary_pool(rng, 8 << 20)]
    lines = []
    total = 0
    for rel in corpus_files(count):
        size = file_size(rng) if cap is None else min(file_size(rng), cap)
        pool = pools[rng.random() < 0.4]
        start = rng.randrange(len(pool) - size + 1)
        content = bytearray(pool[start:start + size])
        plant(rng, content)
        path = root / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)
        total += size
        lines.append((rel, "PASSWORD STEALER" if is_stealer(content) else "CLEAN"))
    # trovik-scan's order: each folder's entries sorted by name, subfolders walked where they stand.
    lines.sort(key=lambda line: [part.encode() for part in line[0].split("/")])
    expected.write_text("".join(f"{rel}: {verdict}\n" for rel, verdict in lines))
    stamp.write_text(wanted)
    stealers = sum(verdict != "CLEAN" for _, verdict in lines)
    print(f"  {total / 2**20:.0f} MiB, {stealers} stealers", flush=True)
    return expected


def expected_lines(root: Path, expected: Path):
    return [f"{root}/{line}" for line in expected.read_text().splitlines()]


# ---------------------------------------------------------------------------------------------
# Checks


def check_verdicts(name: str, command, root: Path, expected: Path, ordered: bool) -> bool:
    run = subprocess.run(command, capture_output=True)
    got = run.stdout.decode("utf-8", "surrogateescape").splitlines()
    want = expected_lines(root, expected)
    same = got == want if ordered else sorted(got) == sorted(want)
    status = "ok" if same and not run.stderr else "MISMATCH"
    print(f"  {name:<28} {len(got):>6} lines, {sum('STEALER' in g for g in got):>5} stealers: "
          f"{status}")
    if not same:
        diff = sorted(set(got) ^ set(want))[:10]
        print("    first differences:", *diff, sep="\n      ")
    if run.stderr:
        print("    stderr:", run.stderr.decode(errors="replace")[:500])
    return same and not run.stderr


def flagged_by(command) -> set:
    run = subprocess.run(command, capture_output=True)
    return set(run.stdout.decode("utf-8", "surrogateescape").split())


# ---------------------------------------------------------------------------------------------
# Measurements


def strace_counts(command, log: Path):
    subprocess.run(["strace", "-f", "-c", "-o", str(log)] + command,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    counts = {}
    for line in log.read_text().splitlines():
        fields = line.split()
        # % time, seconds, usecs/call, calls, [errors,] syscall
        if len(fields) >= 5 and fields[0][0].isdigit() and fields[-1] != "total":
            counts[fields[-1]] = int(fields[3])
    return counts


def calls_per_file(command_for, small: Path, large: Path, files_small: int, files_large: int,
                   scratch: Path):
    """The system calls one more file costs: the difference of two corpora, divided by the files
    between them, so that the program's start-up calls drop out."""
    a = strace_counts(command_for(small), scratch / "strace-small.txt")
    b = strace_counts(command_for(large), scratch / "strace-large.txt")
    extra = files_large - files_small
    per_call = {name: (b.get(name, 0) - a.get(name, 0)) / extra for name in set(a) | set(b)}
    per_call = {k: v for k, v in per_call.items() if abs(v) >= 0.005}
    return sum(per_call.values()), dict(sorted(per_call.items(), key=lambda kv: -kv[1]))


def matcher_figures(bench: Path, repetitions: int):
    run = subprocess.run([str(bench), f"--benchmark_repetitions={repetitions}",
                          "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
                         capture_output=True, check=True)
    medians = {}
    for b in json.loads(run.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = b["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6}[b["time_unit"]]
    return medians


def hyperfine(commands, rounds: int, runs: int, warmup: int, out: Path):
    """Median wall time of each command. The runs are made in rounds, every command once in turn
    per round, so that a change in the machine's load falls on all of them alike."""
    times = {name: [] for name, _ in commands}
    cpu = {name: [] for name, _ in commands}
    for r in range(rounds):
        args = ["hyperfine", "--style", "none", "-N", "-i", "--warmup",
                str(warmup if r == 0 else 1), "--runs", str(runs), "--export-json", str(out)]
        for name, command in commands:
            args += ["-n", name, " ".join(command)]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for result in json.loads(out.read_text())["results"]:
            times[result["command"]] += result["times"]
            cpu[result["command"]].append(result["user"] + result["system"])  # this round's mean
    return ({name: statistics.median(t) for name, t in times.items()},
            {name: statistics.median(t) for name, t in cpu.items()})


def has_pti():
    """Whether the kernel isolates page tables, which makes each system call about ten times
    dearer."""
    try:
        return "pti=on" in Path("/proc/cmdline").read_text().split()
    except OSError:
        return False


def machine_kind():
    """The kind of machine, as the figures depend on it, and the kernel's own word on it."""
    pti = has_pti()
    try:
        meltdown = Path("/sys/devices/system/cpu/vulnerabilities/meltdown").read_text().strip()
    except OSError:
        meltdown = "unknown"
    kind = "with page-table isolation" if pti else "without page-table isolation"
    return f"{kind} (meltdown: {meltdown}), {os.cpu_count()} cores"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="the CMake build folder")
    parser.add_argument("--work", help="where the corpora go (default: BUILD/bench-data)")
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--runs", type=int, default=3, help="runs of each command per round")
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--compare", help="another trovik-scan to time beside this one")
    parser.add_argument("--seed", type=int, default=5)
    parser.add_argument("--no-install", action="store_true")
    parser.add_argument("--skip-micro", action="store_true")
    parser.add_argument("--skip-peers", action="store_true")
    args = parser.parse_args()

    print(f"Machine: {machine_kind()}")
    if not args.no_install:
        ensure_tools()
    build = Path(args.build).resolve()
    bins = build / "bin"
    scan = bins / "trovik-scan"
    loop = bins / "trovik_baseline_loop"
    for program in (scan, loop, bins / "trovik_matcher_bench", bins / "trovik_read_bench"):
        if not program.exists():
            sys.exit(f"{program} is missing: build first")
    work = Path(args.work).resolve() if args.work else build / "bench-data"
    work.mkdir(parents=True, exist_ok=True)

    # Each corpus is a folder of its own; its stamp and expected verdicts lie beside it.
    corpus = work / f"corpus-{args.files}"
    expected = make_corpus(corpus, args.files, args.seed)
    small_sizes = (500, 1000)
    smalls = [(n, work / f"corpus-{n}") for n in small_sizes]
    for n, root in smalls:
        make_corpus(root, n, args.seed + n)

    rule = work / "stealer.yar"
    conditions = " or ".join(f"$s{i} in (0..{WINDOW - len(s)})" for i, s in enumerate(SIGNATURES))
    strings = "\n".join(
        '        $s{} = "{}" nocase'.format(i, s.decode().replace("\\", "\\\\"))
        for i, s in enumerate(SIGNATURES))
    rule.write_text(f"rule stealer {{\n    strings:\n{strings}\n    condition:\n"
                    f"        {conditions}\n}}\n")
    fixed = [a for s in SIGNATURES for a in ("-e", s.decode())]

    print("\nVerdicts against the expected ones:")
    good = check_verdicts("trovik-scan -r -j 2", [str(scan), "-r", "-j", "2", str(corpus)],
                          corpus, expected, ordered=True)
    good &= check_verdicts("trovik-scan -r -j 1", [str(scan), "-r", "-j", "1", str(corpus)],
                           corpus, expected, ordered=True)
    good &= check_verdicts("single -r -j 1", [*SINGLE, str(scan), "-r", "-j", "1", str(corpus)],
                           corpus, expected, ordered=True)
    good &= check_verdicts("baseline loop -j 2", [str(loop), "-j", "2", str(corpus)], corpus,
                           expected, ordered=False)
    good &= check_verdicts("baseline loop -m -j 1", [str(loop), "-m", "-j", "1", str(corpus)],
                           corpus, expected, ordered=False)
    want_flagged = {line.rsplit(": ", 1)[0] for line in expected_lines(corpus, expected)
                    if line.endswith("STEALER")}
    if not args.skip_peers:
        yara_flagged = {p for p in flagged_by(["yara", "-r", str(rule), str(corpus)])
                        if p != "stealer"}
        print(f"  {'yara (window rule)':<28} {len(yara_flagged):>6} flagged: "
              f"{'ok' if yara_flagged == want_flagged else 'MISMATCH'}")
        rg_flagged = flagged_by(["rg", "-j", "2", "-l", "-i", "-a", "-F", "--no-ignore",
                                 "--hidden", *fixed, str(corpus)])
        print(f"  {'ripgrep (whole files)':<28} {len(rg_flagged):>6} flagged "
              f"({len(rg_flagged - want_flagged)} beyond the window)")
    if not good:
        sys.exit("trovik-scan or the baseline loop gave a wrong verdict")

    print("\nSystem calls per file (strace -f -c, the difference between corpora of "
          f"{small_sizes[1]} and {small_sizes[0]} files):")
    for name, command_for in [
        ("trovik-scan -r -j 1", lambda root: [str(scan), "-r", "-j", "1", str(root)]),
        ("trovik-scan -r -j 2", lambda root: [str(scan), "-r", "-j", "2", str(root)]),
        ("single -r -j 1", lambda root: [*SINGLE, str(scan), "-r", "-j", "1", str(root)]),
        ("baseline loop -j 1", lambda root: [str(loop), "-j", "1", str(root)]),
    ]:
        total, per_call = calls_per_file(command_for, smalls[0][1], smalls[1][1], small_sizes[0],
                                         small_sizes[1], work)
        detail = ", ".join(f"{k} {v:.2f}" for k, v in per_call.items())
        print(f"  {name:<22} {total:5.2f}  ({detail})")

    if not args.skip_micro:
        print("\nMicro benchmarks (Google Benchmark, CPU time, median of 5 repetitions, one run):")
        m = matcher_figures(bins / "trovik_matcher_bench", 5)
        for name, ns in m.items():
            print(f"  {name:<32} {ns / 1000:9.2f} us")
        print(f"  matcher throughput / memchr-anchored: "
              f"{m['BM_MemchrBaseline'] / m['BM_FindSignature']:.2f}x (portable path "
              f"{m['BM_MemchrBaseline'] / m['BM_FindSignaturePortable']:.2f}x)")
        for size in (4096, 16384, 65536):
            scan_ns = m[f"BM_ScanFile/{size}"]
            print(f"  ScanFile on a {size:>5}-byte file / bare open-read-close: "
                  f"{scan_ns / m[f'BM_BareOpenReadClose/{size}']:.2f}, "
                  f"/ bare open-read-memchr search-close: "
                  f"{scan_ns / m[f'BM_BareLoopFile/{size}']:.2f}")

    def ours(root):
        commands = [
            ("baseline -j1", [str(loop), "-j", "1", str(root)]),
            ("baseline -j2", [str(loop), "-j", "2", str(root)]),
            ("baseline -m -j1", [str(loop), "-m", "-j", "1", str(root)]),
            ("baseline -m -j2", [str(loop), "-m", "-j", "2", str(root)]),
            ("trovik-scan -r -j1", [str(scan), "-r", "-j", "1", str(root)]),
            ("trovik-scan -r -j2", [str(scan), "-r", "-j", "2", str(root)]),
            ("single -r -j1", [*SINGLE, str(scan), "-r", "-j", "1", str(root)]),
            ("single -r -j2", [*SINGLE, str(scan), "-r", "-j", "2", str(root)]),
        ]
        if args.compare:
            other = str(Path(args.compare).resolve())
            commands += [("other scan -r -j1", [other, "-r", "-j", "1", str(root)]),
                         ("other scan -r -j2", [other, "-r", "-j", "2", str(root)])]
        return commands

    quoted = [a if a == "-e" else f"'{a}'" for a in fixed]

    def ripgrep(root):
        return ("ripgrep -j2", ["rg", "-j", "2", "-l", "-i", "-a", "-F", "--no-ignore", "--hidden",
                                *quoted, str(root)])

    commands = ours(corpus)
    if not args.skip_peers:
        commands += [
            ripgrep(corpus),
            ("grep -r -i -a -l", ["grep", "-r", "-i", "-a", "-l", "-F", *quoted, str(corpus)]),
            ("yara -r -p 2", ["yara", "-r", "-p", "2", str(rule), str(corpus)]),
        ]
    timing_table(f"{args.files} files", commands, args, args.files, work)

    # Where every tool reads the same bytes: no file is longer than the window.
    small = work / f"corpus-{args.files}-window"
    small_expected = make_corpus(small, args.files, args.seed, cap=WINDOW)
    if not check_verdicts("trovik-scan -r -j 2 (window corpus)",
                          [str(scan), "-r", "-j", "2", str(small)], small, small_expected,
                          ordered=True):
        sys.exit("trovik-scan gave a wrong verdict")
    commands = ours(small) + ([] if args.skip_peers else [ripgrep(small)])
    timing_table(f"{args.files} files, none longer than {WINDOW} bytes", commands, args,
                 args.files, work)

    read_shapes(bins / "trovik_read_bench", corpus, args.files, 7)
    cold_and_memory(scan, loop, corpus, args.files, args.rounds, work)


def read_shapes(bench: Path, corpus: Path, files: int, repetitions: int):
    """The time to read and search the whole corpus each way, against the bare loop on as many
    threads. Google Benchmark gives a threaded run's time per thread, so it is multiplied back."""
    run = subprocess.run([str(bench), f"--benchmark_repetitions={repetitions}",
                          "--benchmark_report_aggregates_only=true", "--benchmark_format=json",
                          str(corpus)], capture_output=True, check=True)
    medians = {}
    for b in json.loads(run.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median" and not b.get("error_occurred"):
            name = b["run_name"].replace("BM_", "").replace("/real_time", "")
            threads = int(b.get("threads", 1))
            medians[name] = b["real_time"] * threads * {"ns": 1e-6, "us": 1e-3, "ms": 1}[b["time_unit"]]
    print(f"\nWays of reading the {files} files, one process, warm cache (trovik_read_bench, "
          f"median of {repetitions}, wall time for the whole corpus):")
    for name, ms in medians.items():
        threads = name.rsplit(":", 1)[1] if "threads:" in name else "1"
        loop = medians.get(f"Loop/threads:{threads}")
        print(f"  {name:<38} {ms:8.1f} ms {ms / loop:6.2f}x the loop on {threads} thread(s)")


def timing_table(title, commands, args, files, work):
    total_runs = args.rounds * args.runs
    print(f"\nTiming, {title}: hyperfine, {total_runs} runs of each command in {args.rounds} "
          f"rounds after {args.warmup} warm-up runs, warm cache. Medians (CPU: median of the "
          f"rounds' means):", flush=True)
    medians, cpu = hyperfine(commands, args.rounds, args.runs, args.warmup,
                             work / "hyperfine.json")
    base1, base2 = medians["baseline -j1"], medians["baseline -j2"]
    print(f"\n  {'command':<22} {'wall':>10} {'per file':>10} {'/ loop -j1':>11} "
          f"{'/ loop -j2':>11} {'CPU user+sys':>15}")
    for name, _ in commands:
        t = medians[name]
        print(f"  {name:<22} {t * 1000:8.1f} ms {t / files * 1e6:7.2f} us "
              f"{t / base1:10.2f}x {t / base2:10.2f}x {cpu[name] * 1000:12.1f} ms")
    r1 = medians["trovik-scan -r -j1"] / base1
    r2 = medians["trovik-scan -r -j2"] / base2
    print(f"\n  trovik-scan -j1 / loop -j1: {r1:.2f} (target 1.15)   "
          f"trovik-scan -j2 / loop -j2: {r2:.2f} (target 1.15)")
    m1 = medians["trovik-scan -r -j1"] / medians["baseline -m -j1"]
    m2 = medians["trovik-scan -r -j2"] / medians["baseline -m -j2"]
    print(f"  against the loop searching with trovik's matcher (-m): -j1 {m1:.2f}, -j2 {m2:.2f}"
          f" (goal {0.60 if has_pti() else 1.00:.2f} on this kind of machine)")
    s1 = medians["single -r -j1"] / medians["baseline -m -j1"]
    s2 = medians["single -r -j2"] / medians["baseline -m -j2"]
    print(f"  reading one file at a time, against the same loop: -j1 {s1:.2f}, -j2 {s2:.2f}")
    print(f"  batched / one at a time: -j1 {medians['trovik-scan -r -j1'] / medians['single -r -j1']:.2f}"
          f", -j2 {medians['trovik-scan -r -j2'] / medians['single -r -j2']:.2f}"
          f" (CPU -j1 {cpu['trovik-scan -r -j1'] / cpu['single -r -j1']:.2f}"
          f", -j2 {cpu['trovik-scan -r -j2'] / cpu['single -r -j2']:.2f})")


def run_timed(command):
    """Wall time of one run."""
    start = time.monotonic()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - start


def peak_kib(command, scratch: Path):
    """Peak resident memory of one run, in KiB, from GNU time: a child of this script would
    inherit the script's own peak, GNU time's child does not."""
    out = scratch / "peak.txt"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", str(out)] + command,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return int(out.read_text().split()[-1])


def drop_caches() -> bool:
    try:
        subprocess.run(["sync"], check=True)
        Path("/proc/sys/vm/drop_caches").write_text("3\n")
        return True
    except OSError:
        return False


def cold_and_memory(scan, loop, corpus, files, rounds, scratch):
    """Each command in turn after the page, dentry and inode caches are dropped, `rounds` times;
    medians and ratios. Then the peak memory of each on a warm cache."""
    commands = [
        ("trovik-scan -r -j1", [str(scan), "-r", "-j", "1", str(corpus)]),
        ("single -r -j1", [*SINGLE, str(scan), "-r", "-j", "1", str(corpus)]),
        ("trovik-scan -r -j2", [str(scan), "-r", "-j", "2", str(corpus)]),
        ("single -r -j2", [*SINGLE, str(scan), "-r", "-j", "2", str(corpus)]),
        ("baseline -m -j1", [str(loop), "-m", "-j", "1", str(corpus)]),
    ]
    if not drop_caches():
        print("\nCold cache: the caches cannot be dropped here (writing /proc/sys/vm/drop_caches "
              "needs root), so there are no cold figures.")
    else:
        print("\nCold cache: the whole machine's page, dentry and inode caches are dropped before "
              "each run (written to /proc/sys/vm/drop_caches).")
        times = {name: [] for name, _ in commands}
        for _ in range(rounds):
            for name, command in commands:
                drop_caches()
                times[name].append(run_timed(command))
        medians = {name: statistics.median(t) for name, t in times.items()}
        print(f"\nCold cache ({files} files; caches dropped before each run, {rounds} rounds, "
              f"medians):")
        for name, _ in commands:
            print(f"  {name:<22} {medians[name] * 1000:8.1f} ms "
                  f"{medians[name] / medians['baseline -m -j1']:6.2f}x the loop -m -j1")
        print("  (goal for trovik-scan -r: 0.40x the loop -m -j1)")
        print(f"  batched / one at a time: -j1 "
              f"{medians['trovik-scan -r -j1'] / medians['single -r -j1']:.2f}, -j2 "
              f"{medians['trovik-scan -r -j2'] / medians['single -r -j2']:.2f}")
    peaks = {name: statistics.median(peak_kib(c, scratch) for _ in range(3)) for name, c in commands}
    print("\nPeak memory (maximum resident set from GNU time, median of 3 warm runs):")
    for name, _ in commands:
        print(f"  {name:<22} {peaks[name] / 1024:7.1f} MiB")
    print(f"  batched / one at a time: -j1 "
          f"{peaks['trovik-scan -r -j1'] / peaks['single -r -j1']:.2f}, -j2 "
          f"{peaks['trovik-scan -r -j2'] / peaks['single -r -j2']:.2f} (limit 2)")

if __name__ == "__main__":
    main()
