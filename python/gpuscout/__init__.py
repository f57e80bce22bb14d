"""Python binding of the gpuscout GPU probe (ctypes).

    import gpuscout
    gpuscout.device_count()      # -1 without a CUDA driver or device
    print(gpuscout.report())     # the full property report, as text
"""
import ctypes
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from oddsmith import _library  # noqa: E402  (shared library-finding code)

_INT, _PTR = ctypes.c_int32, ctypes.POINTER(ctypes.c_int32)
EXPORTS = {
    "cuda_devicecount": ([], _INT),
    "cuda_devicename": ([_INT], ctypes.c_char_p),
    "cuda_deviceprops": ([_INT], ctypes.c_char_p),
    "cuda_devicepropsbig": ([], None),
    "testcuda": ([_INT, _INT, _INT], _INT),
    "testcudaaddsquare": ([_PTR, _PTR, _PTR, ctypes.c_uint32, _INT], _INT),
    "cudaMM": ([_PTR, _PTR, _PTR, _INT, _INT, _INT, _INT], _INT),
}
_lib = None


def load(path=None):
    """Loads libgpuscout (from `path`, $GPUSCOUT_LIBRARY, the system, or this tree's build)."""
    global _lib
    _lib = _library.load("gpuscout", "GPUSCOUT_LIBRARY", EXPORTS, path)
    return _lib


def _l():
    return _lib or load()


_captured = _library.captured


def device_count():
    return _l().cuda_devicecount()


def device_name(device=0):
    return _l().cuda_devicename(device).decode("utf-8", "replace")


def device_summary(device=0):
    return _l().cuda_deviceprops(device).decode("utf-8", "replace")


def report():
    """The full property report of every device (lines end in CR LF)."""
    return _captured(1, _l().cuda_devicepropsbig)[1]


def launch_test(blocks=1, threads=1, device=0):
    """True when an empty kernel launched and completed; otherwise RuntimeError."""
    ok, err = _captured(2, lambda: _l().testcuda(blocks, threads, device))
    if ok != 1:
        raise RuntimeError(err.strip() or "the launch failed")
    return True


THREADS_PER_BLOCK = 512


def _whole_blocks(what, count):
    """The GPU computes whole blocks of 512 elements or rows: anything else would
    leave part of the result uncomputed, and the library refuses it."""
    if isinstance(count, bool) or not isinstance(count, int) or count <= 0 or count % THREADS_PER_BLOCK:
        raise ValueError(f"{what} must be a positive multiple of {THREADS_PER_BLOCK}, got {count!r}")


def add_squares(a, b, device=0):
    """[a[i]^2 + b[i]^2] computed on the GPU (32-bit, wrapping); len a multiple of 512."""
    if len(a) != len(b):
        raise ValueError("a and b must have the same length")
    n = len(a)
    _whole_blocks("the length of a and b", n)
    arr = ctypes.c_int32 * n
    out = arr()
    status, err = _captured(2, lambda: _l().testcudaaddsquare(arr(*a), arr(*b), out, n, device))
    if status != 0:
        raise RuntimeError(err.strip())
    return list(out)


def matrix_multiply(A, B, rows, inner, cols, device=0):
    """Row-major A (rows x inner) times B (inner x cols) on the GPU; rows a multiple of 512."""
    _whole_blocks("rows", rows)
    if len(A) != rows * inner or len(B) != inner * cols:
        raise ValueError("matrix sizes do not match their dimensions")
    out = (ctypes.c_int32 * (rows * cols))()
    status, err = _captured(2, lambda: _l().cudaMM((ctypes.c_int32 * len(A))(*A), (ctypes.c_int32 * len(B))(*B),
                                                   out, rows, inner, cols, device))
    if status != 0:
        raise RuntimeError(err.strip())
    return list(out)
