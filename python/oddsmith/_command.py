"""The `oddsmith` command: runs the command-line program the package carries,
with the same arguments, standard streams and exit status (the console entry
point and `python -m oddsmith`); `oddsmith report` runs here, in Python."""
import os
import subprocess
import sys
from typing import List, Optional, Sequence

_PROGRAM = "oddsmith.exe" if os.name == "nt" else "oddsmith"


def program_candidates() -> List[str]:
    """Where the program may be: inside the package (a wheel), else beside the
    library the compiled part is linked to (<prefix>/bin of a CMake install or
    build tree, the library being in <prefix>/lib)."""
    inside = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin", _PROGRAM)
    from ._library import core
    library = core._library_path()
    beside = os.path.join(os.path.dirname(os.path.dirname(library)), "bin", _PROGRAM) if library else ""
    return [path for path in (inside, beside) if path]


def program() -> str:
    """The path of the command-line program; SystemExit saying where it looked when there is none."""
    candidates = program_candidates()
    for path in candidates:
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    raise SystemExit("oddsmith: the command-line program is not part of this installation (looked for "
                     + " and ".join(candidates) + ")")


def main(arguments: Optional[Sequence[str]] = None) -> int:
    """Runs the program with `arguments` (default: this process's). On POSIX the
    program replaces this process, so signals, streams and the exit status are
    its own; elsewhere its exit status is returned."""
    given = sys.argv[1:] if arguments is None else list(arguments)
    if given[:1] == ["report"]:  # reports over flops are Python's (Parquet, Dask): oddsmith/_report_command.py
        from ._report_command import run
        return run(given[1:])
    path = program()
    sys.stdout.flush()
    sys.stderr.flush()
    if os.name == "posix":
        os.execv(path, ["oddsmith", *given])
    return subprocess.call([path, *given])
