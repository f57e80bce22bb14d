"""Finds and loads liboddsmith with ctypes and declares every export's types."""
import ctypes
import ctypes.util
import glob
import os

_INT = ctypes.c_int32
_INT_PTR = ctypes.POINTER(ctypes.c_int32)

# name: (argument types, result type)
EXPORTS = {
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
    "oddsmith_range_parse": ([ctypes.c_char_p, _INT, _INT, _INT_PTR, ctypes.c_char_p, _INT], ctypes.c_void_p),
    "oddsmith_range_size": ([ctypes.c_void_p], _INT),
    "oddsmith_range_hand": ([ctypes.c_void_p, _INT, _INT_PTR, ctypes.POINTER(ctypes.c_double)], _INT),
    "oddsmith_range_free": ([ctypes.c_void_p], None),
}

_PACKAGE = os.path.dirname(os.path.abspath(__file__))
_REPO = os.path.dirname(os.path.dirname(_PACKAGE))
# Installed as <prefix>/share/oddsmith/python/oddsmith: the libraries are in <prefix>/lib.
_INSTALL_LIB = os.path.join(_PACKAGE, "..", "..", "..", "..", "lib")


def candidates(stem):
    """Paths to search when the caller names none: the prefix this binding was
    installed into, the system's libraries, then this source tree's builds
    (release first)."""
    installed = os.path.join(_INSTALL_LIB, f"lib{stem}.so")
    found = [installed if os.path.exists(installed) else None, ctypes.util.find_library(stem)]
    for preset in ("release", "debug", "*"):
        found += sorted(glob.glob(os.path.join(_REPO, "build", preset, "lib", f"lib{stem}.so")))
    return [path for path in found if path]


def _declare(lib, exports):
    for name, (argtypes, restype) in exports.items():
        fn = getattr(lib, name)
        fn.argtypes = argtypes
        fn.restype = restype
    return lib


def load(stem, env_var, exports, explicit=None):
    """Loads the library from `explicit`, else from the path in `env_var`, else
    from the first of candidates() that loads. A path the caller or the
    environment names is used or refused: it never falls back to another build."""
    named = explicit or os.environ.get(env_var)
    if named:
        source = "the path given" if explicit else f"${env_var}"
        try:
            return _declare(ctypes.CDLL(named), exports)
        except OSError as error:
            raise OSError(f"cannot load lib{stem} from {named} ({source}): {error}") from None
    errors = []
    for path in candidates(stem):
        try:
            return _declare(ctypes.CDLL(path), exports)
        except OSError as error:
            errors.append(f"{path}: {error}")
    raise OSError(f"cannot load lib{stem}: set {env_var} or pass a path; tried: " + "; ".join(errors or ["nothing found"]))
