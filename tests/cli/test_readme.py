"""Runs every `$ oddsmith ...` example in README.md and compares what it prints
with the output shown under it. In the shown output, "..." stands for any text
(timings, unseeded Monte-Carlo digits, long JSON), and a line of only "..." for
any number of lines. An example shown without output must succeed.

    test_readme.py README.md path/to/oddsmith
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile


def examples(readme):
    """(line number, command words, expected output lines) for each example."""
    found, in_block, current = [], False, None
    for number, line in enumerate(open(readme, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if line.startswith("```"):
            in_block, current = not in_block, None
            continue
        if not in_block:
            continue
        match = re.match(r"\$ (?:build/release/bin/)?(oddsmith(?: .*)?)$", line)
        if match:
            current = (number, shlex.split(match.group(1), comments=True)[1:], [])
            found.append(current)
        elif line.startswith("$ "):
            current = None
        elif current is not None:
            current[2].append(line)
    return found


def pattern(shown_line):
    return re.compile("".join(".*" if part == "..." else re.escape(part)
                              for part in re.split(r"(\.\.\.)", shown_line.rstrip())) + r"\s*$")


def matches(shown, printed):
    """Whether the printed lines fit the shown ones ("..." lines take any number)."""
    if not shown:
        return not printed
    if shown[0].strip() == "...":
        return any(matches(shown[1:], printed[skip:]) for skip in range(len(printed) + 1))
    return bool(printed) and bool(pattern(shown[0]).match(printed[0])) and matches(shown[1:], printed[1:])


def main():
    readme, binary = sys.argv[1], os.path.abspath(sys.argv[2])
    failures, found = 0, examples(readme)
    with tempfile.TemporaryDirectory() as folder:  # examples may write files
        for number, words, shown in found:
            run = subprocess.run([binary] + words, cwd=folder, capture_output=True, text=True, timeout=300)
            printed = run.stdout.rstrip("\n").split("\n") if run.stdout else []
            if run.returncode != 0 or (shown and not matches(shown, printed)):
                failures += 1
                print(f"FAIL: README.md line {number}: oddsmith {shlex.join(words)} (exit {run.returncode})")
                print("  shown:\n    " + "\n    ".join(shown))
                print("  printed:\n    " + "\n    ".join(printed + run.stderr.splitlines()))
    print(f"{len(found)} README examples, {failures} failed")
    return 1 if failures or not found else 0


if __name__ == "__main__":
    sys.exit(main())
