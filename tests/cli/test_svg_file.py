"""--svg FILE as another user of the folder or a reader of a pipe meets it: a
symbolic link planted where the temporary file could go is never followed, and
a FIFO is written into, never replaced.
  test_svg_file.py <path to oddsmith>"""
import os
import stat
import subprocess
import sys
import tempfile
import threading

BIN = sys.argv[1]
CHART = ["chart", "QsQd", "--board", "2c7h9d"]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


with tempfile.TemporaryDirectory() as folder:
    # Links at the temporary names another user could plant: the one the
    # process id gives (the shell's id is the program's after exec), and at
    # "chart.svg.tmp" and "chart.svg.tmp.0". Each points at a file of the
    # victim's, which must stay as it was.
    victim = os.path.join(folder, "victim")
    with open(victim, "w") as f:
        f.write("the victim's file\n")
    out = os.path.join(folder, "chart.svg")
    planted = [out + ".tmp", out + ".tmp.0"]
    for link in planted:
        os.symlink(victim, link)
    script = 'ln -s "$1" "$2.tmp.$$" && shift 2 && exec "$@"'
    run = subprocess.run(["sh", "-c", script, "sh", victim, out, BIN, *CHART, "--svg", out],
                         capture_output=True, text=True, timeout=120)
    check(run.returncode == 0, f"chart beside planted links -> status {run.returncode}: {run.stderr}")
    with open(victim) as f:
        check(f.read() == "the victim's file\n", "a planted link was followed: the victim's file was written")
    check(not os.path.islink(out) and stat.S_ISREG(os.lstat(out).st_mode), "chart.svg is not a regular file")
    with open(out) as f:
        check(f.read().startswith("<svg"), "chart.svg holds no picture")
    links = [name for name in os.listdir(folder) if os.path.islink(os.path.join(folder, name))]
    check(len(links) == 3 and all(os.readlink(os.path.join(folder, n)) == victim for n in links),
          f"the planted links changed: {sorted(os.listdir(folder))}")
    check(len(os.listdir(folder)) == 5, f"files left behind: {sorted(os.listdir(folder))}")

with tempfile.TemporaryDirectory() as folder:
    # A FIFO: the picture goes to its reader, and the FIFO stays a FIFO.
    fifo = os.path.join(folder, "picture.svg")
    os.mkfifo(fifo)
    received = []

    def read():
        with open(fifo, "rb") as pipe:
            received.append(pipe.read())

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    run = subprocess.run([BIN, *CHART, "--svg", fifo], capture_output=True, text=True, timeout=120)
    reader.join(timeout=10)
    check(run.returncode == 0, f"chart --svg FIFO -> status {run.returncode}: {run.stderr}")
    check(stat.S_ISFIFO(os.lstat(fifo).st_mode), "the FIFO was replaced")
    check(received and received[0].startswith(b"<svg") and received[0].endswith(b"</svg>\n"),
          "the FIFO's reader got no whole picture")
    check(os.listdir(folder) == ["picture.svg"], f"files left behind: {sorted(os.listdir(folder))}")

sys.exit(1 if failures else 0)
