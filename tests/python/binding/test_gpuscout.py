"""The gpuscout binding: the no-GPU path on this machine, texts captured."""
import pytest

import gpuscout


def test_queries_and_report():
    count = gpuscout.device_count()
    report = gpuscout.report()
    assert report.endswith("Result = PASS\r\n")
    if count < 1:
        assert count == -1
        assert gpuscout.device_name(0) == "" and gpuscout.device_summary(0) == ""
        assert "NumDevs = 0" in report
    else:
        assert gpuscout.device_name(0)


def test_compute_tests_raise_with_the_library_diagnostics():
    if gpuscout.device_count() >= 1:
        assert gpuscout.add_squares(list(range(512)), [1] * 512)[3] == 10
        return
    with pytest.raises(RuntimeError, match="cudaSetDevice failed!  Do you have a CUDA-capable GPU installed"):
        gpuscout.add_squares([1] * 512, [2] * 512)
    with pytest.raises(RuntimeError, match="addKernel launch failed"):
        gpuscout.launch_test(1, 1)
    with pytest.raises(ValueError):
        gpuscout.matrix_multiply([1] * 512, [1, 2], 512, 1, 1)


@pytest.mark.parametrize("call", [lambda: gpuscout.add_squares([1] * 513, [2] * 513),
                                  lambda: gpuscout.add_squares([], []),
                                  lambda: gpuscout.matrix_multiply([1] * 511, [1], 511, 1, 1)])
def test_counts_that_are_not_whole_blocks_are_refused(call):
    with pytest.raises(ValueError, match="positive multiple of 512"):
        call()
