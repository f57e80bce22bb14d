"""The real libgpuscout on a machine without a GPU: each export called in a child
process, so that its standard output and standard error are read exactly.

    test_real_library.py <call_export program> <libgpuscout.so>
"""
import os
import subprocess
import sys
import tempfile
import unittest

RUNNER = LIBRARY = None
NO_GPU_REPORT = (b"\r\ndeviceQuery, CUDA Driver = CUDART, CUDA Driver Version = 0.0, "
                 b"CUDA Runtime Version = 0.0, NumDevs = 0\r\nResult = PASS\r\n")
NO_GPU_COMPUTE = b"cudaSetDevice failed!  Do you have a CUDA-capable GPU installed?addWithCuda failed!"


def call(export):
    with tempfile.TemporaryDirectory() as tmp:
        result_path = os.path.join(tmp, "result")
        run = subprocess.run([RUNNER, LIBRARY, export, result_path], capture_output=True, timeout=120)
        if run.returncode != 0:
            raise AssertionError(f"{export}: runner exit {run.returncode}, stderr {run.stderr!r}")
        with open(result_path, "rb") as f:
            return f.read().decode(), run.stdout, run.stderr


class WithoutAGpu(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        count, _, _ = call("cuda_devicecount")
        if count != "-1":
            raise unittest.SkipTest(f"this machine has CUDA devices ({count}); tools/gpu-check.sh covers it")

    def test_count_name_and_summary(self):
        self.assertEqual(call("cuda_devicecount"), ("-1", b"", b""))
        self.assertEqual(call("cuda_devicename"), ("[]", b"", b""))
        self.assertEqual(call("cuda_deviceprops"), ("[]", b"", b""))

    def test_full_report_is_the_zero_device_text(self):
        self.assertEqual(call("cuda_devicepropsbig"), ("", NO_GPU_REPORT, b""))

    def test_vector_and_matrix_tests_report_the_missing_gpu(self):
        self.assertEqual(call("testcudaaddsquare"), ("1", b"", NO_GPU_COMPUTE))
        self.assertEqual(call("cudaMM"), ("1", b"", NO_GPU_COMPUTE))

    def test_launch_test_reports_a_launch_failure(self):
        result, out, err = call("testcuda")
        self.assertEqual((result, out), ("0", b""))
        self.assertTrue(err.startswith(b"addKernel launch failed: "), err)
        self.assertTrue(err.endswith(b"\n") and err.count(b"\n") == 1, err)
        self.assertGreater(len(err), len(b"addKernel launch failed: \n"))

    def test_optimus_symbol(self):
        self.assertEqual(call("NvOptimusEnablementCuda"), ("1", b"", b""))


if __name__ == "__main__":
    RUNNER, LIBRARY = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main(verbosity=2)
