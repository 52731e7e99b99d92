#!/usr/bin/env python3
# trovik-scan as a terminal and a shell meet it: the progress line on a terminal and nowhere else,
# the report that cannot be written, and the bash completion.
# Usage: terminal_test.py TROVIK_SCAN BASH_COMPLETION
import os, pty, re, select, signal, subprocess, sys, tempfile, time, unittest  # noqa: E401

PROGRAM, COMPLETION = (os.path.abspath(sys.argv.pop(1)) for _ in range(2))
PROGRESS_DRAWN = rb"\rScanned \d+ files, \d+ files/s, in \. *"
PROGRESS = PROGRESS_DRAWN + rb"\r +\r"  # drawn, then wiped out


def verdicts(clean_files_first):
    return b"clean: CLEAN\n" * clean_files_first + b"pws: PASSWORD STEALER\nclean: CLEAN\n"


def process_age(pid):
    """Seconds since the process started, by the kernel's count."""
    with open(f"/proc/{pid}/stat") as stat:
        started = int(stat.read().rsplit(")", 1)[1].split()[19])
    with open("/proc/uptime") as uptime:
        return float(uptime.read().split()[0]) - started / os.sysconf("SC_CLK_TCK")


class TrovikScan(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        for name, text in (("clean", b"x"), ("pws", b"SEXSTORY")):
            with open(os.path.join(self.dir.name, name), "wb") as file:
                file.write(text)

    # The paths come through -f -, a clean file at a time, until the progress line shows or, where
    # it must not, until the program has run for a second and a half by its own start (the line
    # waits a second). Then a stealer and a clean file end the list. Standard output and error
    # share one terminal, or error is a pipe. Returns what the terminal showed, what went to
    # standard output, and how many clean files were fed before the last two.
    def slow_scan(self, *options, terminal=True, progress_expected=False):
        reader, writer = pty.openpty() if terminal else os.pipe()
        scan = subprocess.Popen([PROGRAM, *options, "-f", "-"], cwd=self.dir.name,
                                stdin=subprocess.PIPE, stderr=writer, bufsize=0,
                                stdout=writer if terminal else subprocess.PIPE)
        os.close(writer)
        shown = bytearray()
        fed = 0
        deadline = time.monotonic() + 60
        while not (re.search(PROGRESS_DRAWN, shown) if progress_expected
                   else process_age(scan.pid) > 1.5):
            self.assertLess(time.monotonic(), deadline, "no progress line within a minute")
            scan.stdin.write(b"clean\n")
            fed += 1
            if select.select([reader], [], [], 0.05)[0]:
                shown += os.read(reader, 4096)
        scan.stdin.write(b"pws\nclean\n")
        scan.stdin.close()
        out = b"" if terminal else scan.stdout.read()
        try:
            while chunk := os.read(reader, 4096):
                shown += chunk
        except OSError:  # EIO: the program and its terminal are gone
            pass
        os.close(reader)
        scan.stdout and scan.stdout.close()
        self.assertEqual(scan.wait(timeout=60), 1)
        return bytes(shown), out, fed

    def test_progress_is_wiped_before_each_verdict_and_at_the_end(self):
        shown, _, fed = self.slow_scan(progress_expected=True)
        self.assertRegex(shown, PROGRESS)
        self.assertEqual(re.sub(PROGRESS, b"", shown), verdicts(fed).replace(b"\n", b"\r\n"))

    def test_no_progress_in_a_pipe_nor_with_quiet(self):
        shown, out, fed = self.slow_scan(terminal=False)
        self.assertEqual((shown, out), (b"", verdicts(fed)))
        self.assertEqual(self.slow_scan("-q")[:2], (b"", b""))

    # A full disk is told of, by the verdicts, the help and the version alike, and ends in 2; a
    # summary that cannot be written ends in 2, where its message cannot be written either. A reader
    # gone is not told of: SIGPIPE kills as before or, ignored, gives 2.
    def test_write_error_and_broken_pipe(self):
        full = b"trovik-scan: write error: No space left on device\n"
        for arguments, stdout, ignored, status, said in (
                (["pws"], "/dev/full", False, 2, full), (["--help"], "/dev/full", False, 2, full),
                (["--version"], "/dev/full", False, 2, full),
                (["--summary", "pws"], "stderr /dev/full", False, 2, b""),
                (["pws"], "pipe", False, -signal.SIGPIPE, b""), (["pws"], "pipe", True, 2, b"")):
            reader, writer = (os.pipe() if stdout == "pipe"
                              else (None, os.open(stdout.split()[-1], os.O_WRONLY)))
            if reader is not None:
                os.close(reader)
            on_stderr = stdout.startswith("stderr")
            scan = subprocess.run(
                [PROGRAM, *arguments], cwd=self.dir.name, stdout=subprocess.PIPE if on_stderr
                else writer, stderr=writer if on_stderr else subprocess.PIPE,
                preexec_fn=(lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN)) if ignored
                else None)
            os.close(writer)
            shown = scan.stdout if on_stderr else scan.stderr
            if on_stderr:
                self.assertEqual(shown, b"pws: PASSWORD STEALER\n")
                shown = b""
            self.assertEqual((scan.returncode, shown), (status, said), (arguments, stdout))

    # A list whose writer stalls, keeping its pipe open: each verdict is printed as soon as its file
    # is scanned, and -q ends at the first stealer, with one thread or more.
    def test_list_that_stalls_is_streamed(self):
        for options in (["-j", "1"], ["-j", "2"], ["-q"]):
            scan = subprocess.Popen([PROGRAM, *options, "-f", "-"], cwd=self.dir.name,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
            self.addCleanup(scan.kill)  # a scan that failed the test ends with it
            scan.stdin.write(b"clean\npws\n")
            expected = b"" if "-q" in options else b"clean: CLEAN\npws: PASSWORD STEALER\n"
            shown = b""
            deadline = time.monotonic() + 60
            while len(shown) < len(expected) and time.monotonic() < deadline:
                if select.select([scan.stdout], [], [], 0.05)[0]:
                    shown += os.read(scan.stdout.fileno(), 4096)
            self.assertEqual(shown, expected, options)
            if "-q" in options:
                self.assertEqual(scan.wait(timeout=60), 1)
            scan.stdin.close()
            self.assertEqual(scan.wait(timeout=60), 1)
            scan.stdout.close()

    def complete(self, *words):
        script = (f'source "{COMPLETION}"; COMP_WORDS=(trovik-scan "$@"); COMP_CWORD=$#; '
                  f'$(complete -p trovik-scan | sed -E "s/.*-F ([^ ]+).*/\\1/"); '
                  f'printf "%s\\n" "${{COMPREPLY[@]}}"')
        done = subprocess.run(["bash", "-c", script, "bash", *words], cwd=self.dir.name,
                              capture_output=True, text=True, check=True)
        return done.stdout.split()

    def test_bash_completion_offers_every_option_and_their_values(self):
        helped = subprocess.run([PROGRAM, "--help"], capture_output=True, text=True).stdout
        self.assertEqual(sorted(self.complete("--")),
                         sorted(set(re.findall(r"(?<![\w-])--[a-z][a-z-]+", helped))))
        self.assertEqual(self.complete("-j", ""), ["1", "2", "4", "8", "16"])
        self.assertEqual(self.complete("cl"), ["clean"])
        self.assertEqual(self.complete("--", "-"), [])


if __name__ == "__main__":
    unittest.main()
