#!/usr/bin/env python3
# trovik-scan as a terminal and a shell meet it: the progress line on a terminal and nowhere else,
# the report that cannot be written, and the bash completion.
# Usage: terminal_test.py TROVIK_SCAN BASH_COMPLETION
import contextlib, fcntl, os, pathlib, pty, re, select, signal, struct, subprocess, sys  # noqa
import tempfile, termios, time, unicodedata, unittest  # noqa: E401

PROGRAM, COMPLETION = (os.path.abspath(sys.argv.pop(1)) for _ in range(2))
PROGRESS_DRAWN = rb"\r(?:Scanned )?\d+ files, \d+(?: files)?/s,[^\r]*"  # in full, or in 20 columns
PROGRESS = rb"(?:" + PROGRESS_DRAWN + rb")+\r +\r"  # drawn, maybe redrawn, then wiped out
# A folder whose name would move the cursor, change the colours and ring the bell, and as shown.
ODD = b"nl\nesc\x1b[7mX\x1b[0m\x07"
ODD_SHOWN = b"nl\\nesc\\033[7mX\\033[0m\\a"


def verdicts(clean_files_first):
    return b"clean: CLEAN\n" * clean_files_first + b"pws: PASSWORD STEALER\nclean: CLEAN\n"


def proc_number(pid, name, pattern):
    """The number that `pattern`'s group finds in the kernel's /proc/PID/NAME."""
    with open(f"/proc/{pid}/{name}") as file:
        return int(re.search(pattern, file.read())[1])


def process_age(pid):
    """Seconds since the process started, by the kernel's count."""
    started = proc_number(pid, "stat", r".*\) (?:\S+ ){19}(\d+)") / os.sysconf("SC_CLK_TCK")
    with open("/proc/uptime") as uptime:
        return float(uptime.read().split()[0]) - started


def read_until(stream, done):
    """What `stream` gives until `done` says it is enough, or a minute has passed."""
    read, deadline = b"", time.monotonic() + 60
    while not done(read) and time.monotonic() < deadline:
        if select.select([stream], [], [], 0.05)[0]:
            read += os.read(stream.fileno(), 4096)
    return read


def widest_line(shown):
    """The columns of the longest line a terminal shows for `shown`."""
    lines = re.split(r"[\r\n]", shown.decode(errors="replace"))
    return max(sum(0 if unicodedata.combining(c) else 2 if unicodedata.east_asian_width(c) in "WF"
                   else 1 for c in line) for line in lines)


class TrovikScan(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())
        for name, text in (("clean", b"x"), ("pws", b"SEXSTORY")):
            pathlib.Path(self.dir, name).write_bytes(text)

    # The paths come through -f -, `name` at a time, until the progress line has been drawn twice
    # or, where it must not show, until the program has run for a second and a half by its own
    # start (the line waits a second). Then a stealer and a clean file end the list. Standard output
    # and error share one terminal ("both"), or error alone is one ("err", `columns` wide), or
    # neither. Returns what the terminal showed, what went to standard output, and how many names
    # were fed before the last two.
    def slow_scan(self, *options, terminal="both", progress_expected=False, name=b"clean",
                  columns=0):
        reader, writer = pty.openpty() if terminal else os.pipe()
        if columns:
            fcntl.ioctl(reader, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        end = b"\0" if "-0" in options else b"\n"
        out = self.enterContext(tempfile.TemporaryFile())  # a file: it never stalls as a pipe can
        scan = subprocess.Popen([PROGRAM, *options, "-f", "-"], cwd=self.dir,
                                stdin=subprocess.PIPE, stderr=writer, bufsize=0,
                                stdout=writer if terminal == "both" else out)
        os.close(writer)
        shown, fed, deadline = bytearray(), 0, time.monotonic() + 60
        while not (len(re.findall(PROGRESS_DRAWN, shown)) > 1 if progress_expected
                   else process_age(scan.pid) > 1.5):
            self.assertLess(time.monotonic(), deadline, "no progress line within a minute")
            scan.stdin.write(name + end)
            fed += 1
            if select.select([reader], [], [], 0.05)[0]:
                shown += os.read(reader, 4096)
        scan.stdin.write(b"pws" + end + b"clean" + end)
        scan.stdin.close()
        with contextlib.suppress(OSError):  # EIO: the program and its terminal are gone
            while chunk := os.read(reader, 4096):
                shown += chunk
        os.close(reader)
        self.assertEqual(scan.wait(timeout=60), 1)
        out.seek(0)
        return bytes(shown), out.read(), fed

    # On the verdicts' terminal the line is wiped before each verdict and back after it; it stays
    # on show until the end when they go elsewhere.
    def test_progress_is_wiped_only_for_what_its_terminal_shows_and_at_the_end(self):
        shown, _, fed = self.slow_scan(progress_expected=True)
        self.assertRegex(shown, rb"CLEAN\r\n" + PROGRESS_DRAWN)
        self.assertEqual(re.sub(PROGRESS, b"", shown), verdicts(fed).replace(b"\n", b"\r\n"))
        shown, out, fed = self.slow_scan(terminal="err", progress_expected=True)
        self.assertRegex(shown, rb"\A" + PROGRESS + rb"\Z")
        self.assertEqual(out, verdicts(fed))

    # A name's control characters reach a terminal escaped, in the progress line, the verdicts and
    # the messages, and a pipe as they are. A wide name, and a narrow terminal, never wrap the line.
    def test_names_escaped_and_the_line_fitted_on_a_terminal(self):
        for folder in (ODD, "名前".encode() * 25):
            os.mkdir(os.path.join(self.dir.encode(), folder))
            pathlib.Path(self.dir, os.fsdecode(folder), "clean").write_bytes(b"x")
        shown, _, _ = self.slow_scan("-0", terminal="err", progress_expected=True,
                                     name=ODD + b"/clean")
        self.assertIn(b"in " + ODD_SHOWN, shown)
        self.assertNotRegex(shown, rb"[\x00-\x0c\x0e-\x1f]")
        for out, expected in ((pty.openpty(), ODD_SHOWN), (os.pipe(), ODD)):
            scan = subprocess.run([PROGRAM, ODD + b"/missing", "pws"], cwd=self.dir,
                                  stdout=out[1], stderr=out[1])
            os.close(out[1])
            shown = os.read(out[0], 4096).replace(b"\r\n", b"\n")
            os.close(out[0])
            self.assertEqual((scan.returncode, shown), (1, b"trovik-scan: " + expected +
                             b"/missing: No such file or directory\npws: PASSWORD STEALER\n"))
        for columns in (80, 20):
            shown, _, _ = self.slow_scan(terminal="err", progress_expected=True,
                                         name="名前".encode() * 25 + b"/clean", columns=columns)
            self.assertLess(widest_line(shown), columns, shown)
            self.assertTrue(columns == 20 or "前".encode() in shown)

    def test_no_progress_in_a_pipe_nor_with_quiet(self):
        shown, out, fed = self.slow_scan(terminal=None)
        self.assertEqual((shown, out), (b"", verdicts(fed)))
        self.assertEqual(self.slow_scan("-q")[:2], (b"", b""))

    # A full disk is told of, by the verdicts and the help (written as the version is) alike, and
    # ends in 2; a summary that cannot be written ends in 2, where its message cannot be written
    # either. A reader gone is not told of: SIGPIPE kills as before or, ignored, gives 2.
    def test_write_error_and_broken_pipe(self):
        full = b"trovik-scan: write error: No space left on device\n"
        for arguments, stdout, status, said in (
                (["pws"], "/dev/full", 2, full), (["--help"], "/dev/full", 2, full),
                (["pws"], "pipe", -signal.SIGPIPE, b""), (["pws"], "pipe ignored", 2, b"")):
            if stdout.startswith("pipe"):
                reader, writer = os.pipe()
                os.close(reader)  # the reader gone before the first write
            else:
                writer = os.open(stdout, os.O_WRONLY)
            ignore = "ignored" in stdout and (lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN))
            scan = subprocess.run([PROGRAM, *arguments], cwd=self.dir, stdout=writer,
                                  stderr=subprocess.PIPE, preexec_fn=ignore or None)
            os.close(writer)
            self.assertEqual((scan.returncode, scan.stderr), (status, said), (arguments, stdout))
        with open("/dev/full", "wb") as stderr:
            scan = subprocess.run([PROGRAM, "--summary", "pws"], cwd=self.dir,
                                  stdout=subprocess.PIPE, stderr=stderr)
        self.assertEqual((scan.returncode, scan.stdout), (2, b"pws: PASSWORD STEALER\n"))

    # A list whose writer stalls, keeping its pipe open: each verdict is printed as soon as its file
    # is scanned, and -q ends at the first stealer, with one thread or more.
    def test_list_that_stalls_is_streamed(self):
        verdicts = b"clean: CLEAN\npws: PASSWORD STEALER\n"
        for options in (["-j", "1"], ["-j", "2"], ["-q"]):
            scan = subprocess.Popen([PROGRAM, *options, "-f", "-"], cwd=self.dir,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
            self.addCleanup(scan.kill)  # a scan that failed the test ends with it
            scan.stdin.write(b"clean\npws\n")
            if "-q" in options:  # ended by the stealer, its list still open
                self.assertEqual((scan.wait(timeout=60), scan.stdout.read()), (1, b""))
            else:
                shown = read_until(scan.stdout, lambda shown: len(shown) >= len(verdicts))
                self.assertEqual(shown, verdicts, options)
            scan.stdin.close()
            self.assertEqual(scan.wait(timeout=60), 1)
            scan.stdout.close()

    def complete(self, *words):
        script = (f'source "{COMPLETION}"; COMP_WORDS=(trovik-scan "$@"); COMP_CWORD=$#; '
                  f'$(complete -p trovik-scan | sed -E "s/.*-F ([^ ]+).*/\\1/"); '
                  f'printf "%s\\n" "${{COMPREPLY[@]}}"')
        done = subprocess.run(["bash", "-c", script, "bash", *words], cwd=self.dir,
                              capture_output=True, text=True, check=True)
        return done.stdout.split()

    def test_bash_completion_offers_every_option_and_their_values(self):
        helped = subprocess.run([PROGRAM, "--help"], capture_output=True, text=True).stdout
        self.assertEqual(sorted(self.complete("--")),
                         sorted(set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]+", helped))))
        # bash hands "--jobs=1" over as three words.
        for words, offered in ((["-j", ""], "1 2 4 8 16"), (["cl"], "clean"), (["--", "-"], ""),
                               (["--jobs", "="], "1 2 4 8 16"), (["--jobs", "=", "1"], "1 16"),
                               (["--files-from", "=", "cl"], "clean"), (["--exclude", "="], "")):
            self.assertEqual(self.complete(*words), offered.split(), words)
        listed = helped.split("Options:", 1)[1].split("Examples:", 1)[0]
        shorts = set(re.findall(r"(?<![\w-])-[a-zA-Z0-9](?![\w-])", listed))
        self.assertIn("-Z", shorts)
        self.assertEqual(shorts - set(self.complete("-")), set())

    def test_a_list_line_without_end_is_told_of_at_once_and_never_kept(self):
        scan = self.enterContext(subprocess.Popen([PROGRAM, "-f", "/dev/zero"],
                                                  stderr=subprocess.PIPE))
        self.addCleanup(scan.kill)
        deadline = time.monotonic() + 60
        told = read_until(scan.stderr, lambda told: b"\n" in told)
        self.assertEqual(told, b"trovik-scan: /dev/zero: line 1: "
                               b"longer than any path the system accepts\n")
        # It reads on past the line: over a hundred megabytes by now, none of them kept.
        read_at_first = proc_number(scan.pid, "io", r"rchar: (\d+)")
        while (proc_number(scan.pid, "io", r"rchar: (\d+)") < read_at_first + 100_000_000
               and time.monotonic() < deadline):
            time.sleep(0.05)
        self.assertLess(proc_number(scan.pid, "status", r"VmRSS:\s+(\d+) kB"), 64 * 1024)


if __name__ == "__main__":
    unittest.main()
