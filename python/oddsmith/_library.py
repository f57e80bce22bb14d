"""Finds the package's compiled part (oddsmith._core, its one way into
liboddsmith), loads libraries by ctypes where a caller asks for a handle (the
oddsmith library's exports declared for oddsmith.load(); gpuscout's library,
which has no compiled part), and captures what a library writes to the
process's standard streams."""
import ctypes
import ctypes.util
import glob
import os
import sys
import tempfile
import types
from typing import Any, Callable, Dict, List, Optional, Sequence, Tuple, TypeVar

T = TypeVar("T")
# name: (argument types, result type)
Exports = Dict[str, Tuple[Sequence[Any], Any]]

from ._facts import MAX_PLAYERS

_INT = ctypes.c_int32
_INT_PTR = ctypes.POINTER(ctypes.c_int32)


class _Query(ctypes.Structure):
    _fields_ = [("size", ctypes.c_int), ("game", ctypes.c_int), ("player_count", ctypes.c_int),
                ("players", ctypes.POINTER(ctypes.c_char_p)), ("board", ctypes.c_char_p), ("dead", ctypes.c_char_p),
                ("mode", ctypes.c_int), ("threads", ctypes.c_int), ("trials", ctypes.c_longlong),
                ("target_stderr", ctypes.c_double), ("seed", ctypes.c_ulonglong),
                ("progress", ctypes.c_void_p), ("progress_user", ctypes.c_void_p), ("max_seconds", ctypes.c_double)]


class _PlayerEquity(ctypes.Structure):
    _fields_ = [("equity", ctypes.c_double), ("win", ctypes.c_double), ("tie", ctypes.c_double),
                ("std_error", ctypes.c_double)]


class _Result(ctypes.Structure):
    _fields_ = [("size", ctypes.c_int), ("exact", ctypes.c_int), ("deals", ctypes.c_longlong),
                ("seconds", ctypes.c_double), ("seed", ctypes.c_ulonglong), ("player_count", ctypes.c_int),
                ("players", _PlayerEquity * MAX_PLAYERS), ("target_met", ctypes.c_int),
                ("low_equity", ctypes.c_double * MAX_PLAYERS)]


EXPORTS: Exports = {
    "poker_ev5": ([_INT] * 5, _INT),
    "poker_ev7": ([_INT] * 7, _INT),
    "poker_evomaha": ([_INT] * 9, _INT),
    "poker_evomahalow": ([_INT] * 9, _INT),
    "holdem_test": ([_INT], _INT),
    "omaha_test": ([_INT], _INT),
    "omahalow_test": ([_INT], _INT),
    "poker_holdem_equity": ([_INT] * 10, _INT),
    "poker_omaha_equity": ([_INT] * 12, _INT),
    "poker_omahahl_equity": ([_INT] * 12, _INT),
    "poker_set_holdem_range_simul": ([_INT_PTR], _INT),
    "poker_set_holdem_range_exact": ([_INT, ctypes.c_wchar_p], _INT),
    "poker_load_omaha_range": ([_INT_PTR], _INT),
    "poker_load_omahahl_range": ([_INT_PTR], _INT),
    "oddsmith_evaluate_many": ([ctypes.c_void_p, ctypes.c_longlong, _INT, ctypes.c_void_p], _INT),
    "oddsmith_evaluate_game_many": ([ctypes.c_void_p, ctypes.c_longlong, _INT, _INT, ctypes.c_void_p], _INT),
    "oddsmith_parse_cards": ([ctypes.c_char_p, _INT, _INT_PTR, _INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_card_name": ([_INT, ctypes.c_char_p], _INT),
    "oddsmith_hand_text": ([_INT_PTR, _INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_category_name": ([_INT, _INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_low_name": ([_INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_draw_names": ([_INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_shown_text": ([ctypes.c_char_p, _INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_range_parse": ([ctypes.c_char_p, _INT, _INT, _INT_PTR, ctypes.c_char_p, _INT], ctypes.c_void_p),
    "oddsmith_range_parse_board": ([ctypes.c_char_p, _INT, _INT, ctypes.c_char_p, _INT_PTR, ctypes.c_char_p, _INT],
                                   ctypes.c_void_p),
    "oddsmith_range_size": ([ctypes.c_void_p], _INT),
    "oddsmith_range_hand": ([ctypes.c_void_p, _INT, _INT_PTR, ctypes.POINTER(ctypes.c_double)], _INT),
    "oddsmith_range_free": ([ctypes.c_void_p], None),
    "oddsmith_made_hand": ([_INT, _INT_PTR, _INT, _INT_PTR, _INT, _INT_PTR], _INT),
    "oddsmith_made_hand_name": ([_INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_game_info": ([_INT, ctypes.c_char_p, ctypes.c_void_p], _INT),
    "oddsmith_equity": ([ctypes.POINTER(_Query), ctypes.POINTER(_Result), ctypes.c_char_p, _INT], _INT),
    "oddsmith_breakdown_run": ([ctypes.POINTER(_Query), _INT_PTR, ctypes.c_char_p, _INT], ctypes.c_void_p),
    "oddsmith_breakdown_free": ([ctypes.c_void_p], None),
    "oddsmith_breakdown_summary": ([ctypes.c_void_p, _INT_PTR, ctypes.POINTER(ctypes.c_longlong),
                                    ctypes.POINTER(ctypes.c_ulonglong)], _INT),
    "oddsmith_breakdown_hand_count": ([ctypes.c_void_p], _INT),
    "oddsmith_breakdown_hand": ([ctypes.c_void_p, _INT, _INT_PTR, ctypes.POINTER(ctypes.c_double),
                                 ctypes.POINTER(ctypes.c_double), _INT_PTR, _INT_PTR], _INT),
    "oddsmith_breakdown_hand_labels": ([ctypes.c_void_p, _INT, ctypes.c_char_p, _INT, ctypes.c_char_p, _INT,
                                        ctypes.c_char_p, _INT], _INT),
    "oddsmith_breakdown_row": ([ctypes.c_void_p, _INT, _INT, ctypes.c_char_p, _INT, ctypes.POINTER(ctypes.c_double),
                                ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.c_double)], _INT),
    "oddsmith_breakdown_next_card_count": ([ctypes.c_void_p], _INT),
    "oddsmith_breakdown_next_card": ([ctypes.c_void_p, _INT, _INT_PTR, ctypes.POINTER(ctypes.c_double)], _INT),
    "oddsmith_breakdown_next_card_completes": ([ctypes.c_void_p, _INT, ctypes.POINTER(ctypes.c_double),
                                                ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.c_double)], _INT),
    "oddsmith_icm": ([ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, _INT], _INT),
    "oddsmith_pushfold": ([ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, _INT], _INT),
    "oddsmith_pushfold_chart": ([ctypes.c_void_p, ctypes.c_double, ctypes.c_double, ctypes.c_double,
                                 ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.c_double),
                                 ctypes.POINTER(ctypes.c_double), ctypes.c_char_p, _INT], _INT),
    "oddsmith_class_range_text": ([ctypes.POINTER(ctypes.c_double), ctypes.c_char_p, _INT], _INT),
    "oddsmith_class_label": ([_INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_query_init": ([ctypes.c_void_p], None),
    "oddsmith_solver_measure": ([ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, _INT, _INT, ctypes.c_char_p, _INT],
                                _INT),
    "oddsmith_solver_create": ([ctypes.c_void_p, ctypes.c_char_p, _INT], ctypes.c_void_p),
    "oddsmith_solver_free": ([ctypes.c_void_p], None),
    "oddsmith_solver_solve": ([ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_node_at": ([ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, _INT], ctypes.c_void_p),
    "oddsmith_solver_node_free": ([ctypes.c_void_p], None),
    "oddsmith_solver_node_summary": ([ctypes.c_void_p, ctypes.c_void_p], _INT),
    "oddsmith_solver_node_path": ([ctypes.c_void_p, ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_node_action": ([ctypes.c_void_p, _INT, _INT_PTR, _INT_PTR, ctypes.POINTER(ctypes.c_double),
                                     ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_node_hands": ([ctypes.c_void_p, _INT, _INT_PTR, ctypes.POINTER(ctypes.c_double),
                                    ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.c_double), _INT], _INT),
    "oddsmith_solver_node_strategy": ([ctypes.c_void_p, ctypes.POINTER(ctypes.c_double), _INT], _INT),
    "oddsmith_solver_node_cards": ([ctypes.c_void_p, _INT_PTR, _INT], _INT),
    "oddsmith_solver_locks": ([ctypes.c_void_p, ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_last_result": ([ctypes.c_void_p, ctypes.c_void_p, _INT_PTR], _INT),
    "oddsmith_solver_save": ([ctypes.c_void_p, ctypes.c_char_p, _INT, ctypes.c_char_p, _INT], _INT),
    "oddsmith_solver_load": ([ctypes.c_char_p, _INT, ctypes.c_longlong, ctypes.c_char_p, _INT], ctypes.c_void_p),
}

_PACKAGE = os.path.dirname(os.path.abspath(__file__))
_PACKAGES = os.path.dirname(_PACKAGE)          # site-packages, or python/ in the source tree
_REPO = os.path.dirname(_PACKAGES)
# Installed by CMake as <prefix>/share/oddsmith/python/oddsmith: the libraries are in <prefix>/lib.
_INSTALL_LIB = os.path.join(_PACKAGE, "..", "..", "..", "..", "lib")


def candidates(stem: str) -> List[str]:
    """Paths to search for a ctypes library when the caller names none: the
    library inside its package (a pip install), the prefix this binding was
    installed into, the system's libraries, then this source tree's builds
    (release first)."""
    bundled = os.path.join(_PACKAGES, stem, f"lib{stem}.so.1")
    if not os.path.exists(bundled):
        bundled = os.path.join(_PACKAGES, stem, f"lib{stem}.so")
    installed = os.path.join(_INSTALL_LIB, f"lib{stem}.so")
    found: List[Optional[str]] = [p if os.path.exists(p) else None for p in (bundled, installed)]
    found.append(ctypes.util.find_library(stem))
    for preset in ("release", "debug", "*"):
        found += sorted(glob.glob(os.path.join(_REPO, "build", preset, "lib", f"lib{stem}.so")))
    return [path for path in found if path]


def _declare(lib: ctypes.CDLL, exports: Exports) -> ctypes.CDLL:
    for name, (argtypes, restype) in exports.items():
        fn = getattr(lib, name)
        fn.argtypes = argtypes
        fn.restype = restype
    return lib


def load(stem: str, env_var: Optional[str], exports: Exports, explicit: Optional[str] = None) -> ctypes.CDLL:
    """Loads a library by ctypes from `explicit`, else from the path in
    `env_var`, else from the first of candidates() that loads. A path the caller
    or the environment names is used or refused: it never falls back to
    another build."""
    named = explicit or (os.environ.get(env_var) if env_var else None)
    if named:
        source = "the path given" if explicit else f"${env_var}"
        try:
            return _declare(ctypes.CDLL(named), exports)
        except (OSError, AttributeError) as error:
            raise OSError(f"cannot load lib{stem} from {named} ({source}): {error}") from None
    errors = []
    for path in candidates(stem):
        try:
            return _declare(ctypes.CDLL(path), exports)
        except (OSError, AttributeError) as error:
            errors.append(f"{path}: {error}")
    hint = f"set {env_var} or pass a path" if env_var else "pass a path"
    raise OSError(f"cannot load lib{stem}: {hint}; tried: " + "; ".join(errors or ["nothing found"]))


def extension() -> types.ModuleType:
    """oddsmith._core, the compiled part, which is linked to its liboddsmith:
    inside the package (a pip or CMake install), else the one
    $ODDSMITH_EXTENSION names, else this source tree's build (release first).
    ImportError saying where it looked when there is none: the package has no
    other way into the library."""
    import importlib
    import importlib.util
    name = __package__ + "._core"
    if name in sys.modules:
        return sys.modules[name]
    try:
        return importlib.import_module(name)
    except ImportError as error:
        inside = error
    named = os.environ.get("ODDSMITH_EXTENSION")
    paths = [named] if named else []
    for preset in ("release", "debug", "*"):
        paths += sorted(glob.glob(os.path.join(_REPO, "build", preset, "python", "oddsmith", "_core.*.so")))
    for path in paths:
        found = importlib.util.spec_from_file_location(name, path)
        if found is None or found.loader is None:
            continue
        try:
            module = importlib.util.module_from_spec(found)
            found.loader.exec_module(module)
        except ImportError:
            if named:
                raise
            continue
        sys.modules[name] = module
        return module
    raise ImportError(f"oddsmith's compiled part (oddsmith._core) is missing: not in the package ({inside}), "
                      "and no build of it found ($ODDSMITH_EXTENSION, build/*/python/oddsmith); "
                      "install the package with pip, or build it with nanobind installed")


core = extension()


_libc = ctypes.CDLL(None)


def captured(fd: int, fn: Callable[[], T]) -> Tuple[T, str]:
    """Runs fn with the process's file descriptor `fd` (1 or 2) sent to a
    temporary file; returns (fn's result, the text written). Keeps what a
    library writes with C stdio out of the host's own output."""
    sys.stdout.flush()
    sys.stderr.flush()
    _libc.fflush(None)
    with tempfile.TemporaryFile() as tmp:
        saved = os.dup(fd)
        os.dup2(tmp.fileno(), fd)
        try:
            result = fn()
            _libc.fflush(None)
        finally:
            os.dup2(saved, fd)
            os.close(saved)
        tmp.seek(0)
        return result, tmp.read().decode("utf-8", "replace")
