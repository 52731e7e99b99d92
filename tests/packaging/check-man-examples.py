#!/usr/bin/env python3
# The examples of trovik-scan(1) as man renders them: each one a whole command that bash takes,
# nothing in it changed by the typesetting (quotes, hyphens, a line broken), and some of them run,
# as rendered, against the program built.
# Usage: check-man-examples.py TROVIK_SCAN MANUAL_PAGE
import os, re, shutil, subprocess, sys, tempfile, unittest  # noqa: E401

PROGRAM, PAGE = (os.path.abspath(sys.argv.pop(1)) for _ in range(2))
XARGS_EXAMPLE = "trovik-scan -r -i -Z ~/Downloads | xargs -0 ls -l"
JQ_EXAMPLE = """trovik-scan --json -r ~/Downloads | jq -r 'select(.verdict == "stealer") | .path'"""


def rendered_examples():
    shown = subprocess.run(["man", "-l", PAGE], capture_output=True, text=True, check=True,
                           env={**os.environ, "MANWIDTH": "80", "MAN_KEEP_FORMATTING": ""}).stdout
    lines = shown.splitlines()
    after_label = [lines[i + 1] for i, line in enumerate(lines) if line.endswith("Example:")]
    section = shown.split("\nEXAMPLES\n", 1)[1].split("\nFILES\n", 1)[0]
    displayed = [line for line in section.splitlines() if line.startswith(" " * 14)]
    return [line.strip() for line in after_label + displayed]


class ManualExamples(unittest.TestCase):
    def setUp(self):
        self.examples = rendered_examples()

    def test_each_example_is_a_whole_command(self):
        self.assertGreaterEqual(len(self.examples), 15)
        for example in self.examples:
            self.assertRegex(example, r"^(trovik-scan|find|if|curl) [ -~]*$")
            subprocess.run(["bash", "-n", "-c", example], check=True)
        self.assertIn(JQ_EXAMPLE, self.examples)
        self.assertIn(XARGS_EXAMPLE, self.examples)

    def test_examples_run_as_rendered(self):
        with tempfile.TemporaryDirectory() as home:
            os.mkdir(os.path.join(home, "Downloads"))
            for name, text in (("pws.exe", b"SEXSTORY"), ("clean.txt", b"x")):
                with open(os.path.join(home, "Downloads", name), "wb") as file:
                    file.write(text)
            run = {"find . -name '*.exe' -print0 | trovik-scan -0 -f -":
                   "./Downloads/pws.exe: PASSWORD STEALER\n"}
            if shutil.which("jq"):
                run[JQ_EXAMPLE] = home + "/Downloads/pws.exe\n"
            path = os.path.dirname(PROGRAM) + os.pathsep + os.environ["PATH"]
            for example, expected in run.items():
                done = subprocess.run(["bash", "-c", example], cwd=home, capture_output=True,
                                      text=True, env={**os.environ, "HOME": home, "PATH": path})
                self.assertEqual((done.stdout, done.stderr), (expected, ""), example)


if __name__ == "__main__":
    unittest.main()
